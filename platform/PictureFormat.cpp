#include "platform/PictureFormat.h"

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <optional>

#include "platform/PictureFile.h"

namespace quillfin::pictures {
namespace {

constexpr unsigned char kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

constexpr unsigned char kMarkerSoi = 0xD8;
constexpr unsigned char kMarkerEoi = 0xD9;
constexpr unsigned char kMarkerSos = 0xDA;
constexpr unsigned char kMarkerApp1 = 0xE1;
constexpr unsigned char kMarkerTem = 0x01;
constexpr std::uint16_t kExifOrientationTag = 0x0112;
constexpr std::uint16_t kTiffShort = 3;

bool IsStandalone(unsigned char marker) {
    return marker == kMarkerSoi || marker == kMarkerEoi || marker == kMarkerTem ||
           (marker >= 0xD0 && marker <= 0xD7);  // restart markers
}

// Start-of-frame markers: C0-CF except DHT (C4), JPG (C8) and DAC (CC).
bool IsFrameHeader(unsigned char marker) {
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

std::uint16_t BigEndian16(const unsigned char* p) {
    return static_cast<std::uint16_t>((p[0] << 8) | p[1]);
}

class TiffReader {
public:
    TiffReader(const unsigned char* data, std::size_t size) : data_(data), size_(size) {}

    bool Open() {
        if (size_ < 8) return false;
        if (data_[0] == 'I' && data_[1] == 'I') {
            little_ = true;
        } else if (data_[0] == 'M' && data_[1] == 'M') {
            little_ = false;
        } else {
            return false;
        }
        return U16(2) == 42;
    }

    // The orientation from the first directory; 1 when absent or invalid.
    int Orientation() const {
        std::uint32_t directory = U32(4);
        if (directory > size_ || size_ - directory < 2) return 1;
        std::size_t count = U16(directory);
        std::size_t entry = directory + 2;
        for (std::size_t i = 0; i < count; ++i, entry += 12) {
            if (entry > size_ || size_ - entry < 12) return 1;
            if (U16(entry) != kExifOrientationTag) continue;
            if (U16(entry + 2) != kTiffShort || U32(entry + 4) != 1) return 1;
            int value = U16(entry + 8);
            return value >= 1 && value <= 8 ? value : 1;
        }
        return 1;
    }

private:
    std::uint16_t U16(std::size_t at) const {
        const unsigned char* p = data_ + at;
        return little_ ? static_cast<std::uint16_t>(p[0] | (p[1] << 8))
                       : static_cast<std::uint16_t>((p[0] << 8) | p[1]);
    }
    std::uint32_t U32(std::size_t at) const {
        const unsigned char* p = data_ + at;
        std::uint32_t a = p[0], b = p[1], c = p[2], d = p[3];
        return little_ ? (a | (b << 8) | (c << 16) | (d << 24))
                       : ((a << 24) | (b << 16) | (c << 8) | d);
    }

    const unsigned char* data_;
    std::size_t size_;
    bool little_ = true;
};

// Walks the marker segments of a JPEG, from after SOI up to the first scan,
// calling visit(marker, payload, payloadSize) for each segment with a length.
// Returns the offset just past the first SOS header, or 0 when the markers
// end, break or run past the data first.
template <class Visit>
std::size_t WalkHeaders(const unsigned char* data, std::size_t size, Visit visit) {
    if (size < 4 || data[0] != 0xFF || data[1] != kMarkerSoi) return 0;
    std::size_t at = 2;
    while (at + 1 < size) {
        if (data[at] != 0xFF) return 0;
        unsigned char marker = data[at + 1];
        if (marker == 0xFF) {  // fill bytes before a marker
            ++at;
            continue;
        }
        at += 2;
        if (IsStandalone(marker)) {
            if (marker == kMarkerEoi) return 0;
            continue;
        }
        if (at + 2 > size) return 0;
        std::size_t length = BigEndian16(data + at);
        if (length < 2 || length > size - at) return 0;
        if (!visit(marker, data + at + 2, length - 2)) return 0;
        at += length;
        if (marker == kMarkerSos) return at;
    }
    return 0;
}

}  // namespace

int JpegExifOrientation(const unsigned char* data, std::size_t size) {
    int orientation = 1;
    bool seen = false;
    WalkHeaders(data, size,
                [&](unsigned char marker, const unsigned char* payload, std::size_t length) {
                    if (marker == kMarkerApp1 && !seen && length >= 6 &&
                        std::memcmp(payload, "Exif\0\0", 6) == 0) {
                        seen = true;
                        TiffReader tiff(payload + 6, length - 6);
                        if (tiff.Open()) orientation = tiff.Orientation();
                    }
                    return true;
                });
    return orientation;
}

bool JpegWithinLimits(const unsigned char* data, std::size_t size) {
    bool frame = false;
    bool frameOk = true;
    auto checkFrame = [&](unsigned char marker, const unsigned char* payload, std::size_t length) {
        if (!IsFrameHeader(marker)) return true;
        if (frame || length < 6) return frameOk = false;
        frame = true;
        std::int64_t height = BigEndian16(payload + 1);
        std::int64_t width = BigEndian16(payload + 3);
        frameOk = width > 0 && height > 0 && width * height <= kMaxPixels;
        return frameOk;
    };
    std::size_t at = WalkHeaders(data, size, checkFrame);
    if (at == 0 || !frame || !frameOk) return false;

    // Further scans: every marker in the entropy-coded data other than a
    // stuffed zero byte, a restart or fill bytes starts a segment.
    int scans = 1;
    while (at + 1 < size) {
        const void* found = std::memchr(data + at, 0xFF, size - at - 1);
        if (found == nullptr) break;
        at = static_cast<std::size_t>(static_cast<const unsigned char*>(found) - data);
        unsigned char marker = data[at + 1];
        if (marker == 0x00 || marker == 0xFF || (marker >= 0xD0 && marker <= 0xD7)) {
            ++at;
            continue;
        }
        if (marker == kMarkerEoi) break;
        if (marker == kMarkerSos && ++scans > kMaxJpegScans) return false;
        // A second frame header in the data is refused as it would be before the scan.
        if (IsFrameHeader(marker)) return false;
        if (IsStandalone(marker) || at + 4 > size) {
            at += 2;
            continue;
        }
        std::size_t length = BigEndian16(data + at + 2);
        at += 2 + (length >= 2 ? length : 2);
    }
    return true;
}

void OrientedSize(int orientation, int width, int height, int& orientedWidth, int& orientedHeight) {
    bool swap = orientation >= 5 && orientation <= 8;
    orientedWidth = swap ? height : width;
    orientedHeight = swap ? width : height;
}

namespace {

// Fills the outWidth x outHeight picture `to` with from[source(x, y)] for each
// pixel (x, y), in square tiles, so that a quarter turn reads the stored
// picture's rows a tile at a time instead of one pixel per row across all of
// them.
template <typename Source>
void CopyInTiles(const std::uint32_t* from, std::uint32_t* to, std::ptrdiff_t toStride,
                 int outWidth, int outHeight, Source source) {
    constexpr int kTile = 64;
    for (int tileY = 0; tileY < outHeight; tileY += kTile) {
        const int endY = std::min(tileY + kTile, outHeight);
        for (int tileX = 0; tileX < outWidth; tileX += kTile) {
            const int endX = std::min(tileX + kTile, outWidth);
            for (int y = tileY; y < endY; ++y) {
                std::uint32_t* row = to + y * toStride;
                for (int x = tileX; x < endX; ++x) row[x] = from[source(x, y)];
            }
        }
    }
}

}  // namespace

void Orient(int orientation, const std::uint32_t* from, int width, int height,
            std::ptrdiff_t fromStride, std::uint32_t* to, std::ptrdiff_t toStride) {
    int outWidth = 0;
    int outHeight = 0;
    OrientedSize(orientation, width, height, outWidth, outHeight);
    const std::ptrdiff_t w = width;
    const std::ptrdiff_t h = height;
    const std::ptrdiff_t s = fromStride;
    // For each upright pixel (x, y): the stored pixel it shows.
    switch (orientation) {
        case 2:  // mirrored left to right
            CopyInTiles(from, to, toStride, outWidth, outHeight,
                        [&](std::ptrdiff_t x, std::ptrdiff_t y) { return y * s + w - 1 - x; });
            return;
        case 3:  // turned half round
            CopyInTiles(
                from, to, toStride, outWidth, outHeight,
                [&](std::ptrdiff_t x, std::ptrdiff_t y) { return (h - 1 - y) * s + w - 1 - x; });
            return;
        case 5:  // mirrored along the main diagonal
            CopyInTiles(from, to, toStride, outWidth, outHeight,
                        [&](std::ptrdiff_t x, std::ptrdiff_t y) { return x * s + y; });
            return;
        case 6:  // stored a quarter turn anticlockwise: turned clockwise
            CopyInTiles(from, to, toStride, outWidth, outHeight,
                        [&](std::ptrdiff_t x, std::ptrdiff_t y) { return (h - 1 - x) * s + y; });
            return;
        case 7:  // mirrored along the other diagonal
            CopyInTiles(
                from, to, toStride, outWidth, outHeight,
                [&](std::ptrdiff_t x, std::ptrdiff_t y) { return (h - 1 - x) * s + w - 1 - y; });
            return;
        case 8:  // stored a quarter turn clockwise: turned anticlockwise
            CopyInTiles(from, to, toStride, outWidth, outHeight,
                        [&](std::ptrdiff_t x, std::ptrdiff_t y) { return x * s + w - 1 - y; });
            return;
        default:
            break;
    }
    for (int y = 0; y < outHeight; ++y) {
        // 4: mirrored top to bottom; otherwise stored upright.
        const std::ptrdiff_t stored = orientation == 4 ? h - 1 - y : y;
        std::memcpy(to + y * toStride, from + stored * s,
                    static_cast<std::size_t>(outWidth) * sizeof(std::uint32_t));
    }
}

void CompositeOverWhite(std::uint32_t* pixels, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        std::uint32_t p = pixels[i];
        std::uint32_t alpha = p >> 24;
        if (alpha == 255) continue;
        std::uint32_t out = 0xFF000000u;
        for (int shift = 0; shift < 24; shift += 8) {
            std::uint32_t c = (p >> shift) & 0xFF;
            std::uint32_t v = (c * alpha + 255 * (255 - alpha) + 127) / 255;
            out |= v << shift;
        }
        pixels[i] = out;
    }
}

}  // namespace quillfin::pictures

PictureFormat PictureFormatOf(const unsigned char* head, std::size_t size) {
    if (head == nullptr) return PictureFormat::Unknown;
    if (size >= 2 && head[0] == 'B' && head[1] == 'M') return PictureFormat::Bmp;
    if (size >= sizeof quillfin::pictures::kPngSignature &&
        std::memcmp(head, quillfin::pictures::kPngSignature,
                    sizeof quillfin::pictures::kPngSignature) == 0)
        return PictureFormat::Png;
    if (size >= 3 && head[0] == 0xFF && head[1] == 0xD8 && head[2] == 0xFF)
        return PictureFormat::Jpeg;
    return PictureFormat::Unknown;
}

namespace {

constexpr std::size_t kHeadBytes = 8;

// The whole file, or nullopt when it cannot be read or exceeds the size limit.
std::optional<std::vector<unsigned char>> ReadWholeFile(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return std::nullopt;
    std::vector<unsigned char> bytes;
    bool ok = std::fseek(file, 0, SEEK_END) == 0;
    const long size = ok ? std::ftell(file) : -1;
    ok = ok && size >= 0 && size <= quillfin::pictures::kMaxFileBytes &&
         std::fseek(file, 0, SEEK_SET) == 0;
    if (ok) {
        bytes.resize(static_cast<std::size_t>(size));
        bytes.resize(std::fread(bytes.data(), 1, bytes.size(), file));
    }
    std::fclose(file);
    if (!ok) return std::nullopt;
    return bytes;
}

}  // namespace

PictureFormat PictureFileFormat(const char* name) {
    const std::string path = quillfin::pictures::OpenedPictureFile(name);
    if (path.empty()) return PictureFormat::Unknown;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return PictureFormat::Unknown;
    unsigned char head[kHeadBytes] = {};
    const std::size_t got = std::fread(head, 1, sizeof head, file);
    std::fclose(file);
    return PictureFormatOf(head, got);
}

HBITMAP LoadPictureFile(HINSTANCE instance, const char* name) {
    const PictureFormat format = PictureFileFormat(name);
    if (format != PictureFormat::Png && format != PictureFormat::Jpeg) {
        // BMP files, and whatever else the name holds, take the bitmap loader's own path.
        return static_cast<HBITMAP>(
            LoadImageA(instance, name, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION));
    }
    auto bytes = ReadWholeFile(quillfin::pictures::OpenedPictureFile(name));
    if (!bytes) return nullptr;
    return quillfin::pictures::DecodePngOrJpegFile(bytes->data(), bytes->size(), format);
}
