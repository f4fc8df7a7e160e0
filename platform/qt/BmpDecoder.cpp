#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/qt/GdiInternal.h"
#include "rules/FileSystem.h"

namespace quillfin::platform {
namespace {

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::uint32_t kCoreHeaderSize = 12;
constexpr std::uint32_t kInfoHeaderSize = 40;
constexpr std::uint32_t kBiRgb = 0;
constexpr std::uint32_t kBiRle8 = 1;
constexpr std::uint32_t kBiRle4 = 2;
constexpr std::uint32_t kBiBitfields = 3;
constexpr std::uint32_t kBiAlphaBitfields = 6;
// A file beyond this cannot hold a picture we accept (32 bits per pixel at
// the pixel limit, plus headers).
constexpr std::int64_t kMaxFileBytes = pictures::kMaxPixels * 4 + 64 * 1024;

std::uint16_t U16(const unsigned char* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }
std::uint32_t U32(const unsigned char* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

// Extracts one colour component with a bit mask and scales it to 0..255.
struct Channel {
    int shift = 0;
    int bits = 0;
    std::uint32_t mask = 0;

    explicit Channel(std::uint32_t m = 0) : mask(m) {
        if (mask == 0) return;
        while (((mask >> shift) & 1) == 0) ++shift;
        while (shift + bits < 32 && ((mask >> (shift + bits)) & 1) != 0) ++bits;
    }
    bool Contiguous() const { return mask == 0 || (mask >> shift) == ((1ULL << bits) - 1); }
    int Value(std::uint32_t pixel) const {
        if (bits == 0) return 0;
        std::uint32_t v = (pixel & mask) >> shift;
        if (bits >= 8) return static_cast<int>(v >> (bits - 8));
        std::uint32_t max = (1u << bits) - 1;
        return static_cast<int>((v * 255 + max / 2) / max);
    }
};

struct Header {
    std::int64_t width = 0;
    std::int64_t height = 0;  // always positive here
    bool topDown = false;
    int bitCount = 0;
    std::uint32_t compression = kBiRgb;
    std::uint32_t colorsUsed = 0;
    std::uint32_t headerSize = 0;
    Channel red, green, blue;
    std::vector<QRgb> palette;
};

bool ReadHeader(const unsigned char* data, std::size_t size, Header& h, std::size_t& pixelOffset) {
    if (size < kFileHeaderSize + 4 || data[0] != 'B' || data[1] != 'M') return false;
    std::uint32_t offBits = U32(data + 10);
    h.headerSize = U32(data + kFileHeaderSize);
    const unsigned char* info = data + kFileHeaderSize;
    if (h.headerSize > size - kFileHeaderSize) return false;
    bool core = h.headerSize == kCoreHeaderSize;
    if (core) {
        h.width = U16(info + 4);
        h.height = U16(info + 6);
        h.bitCount = U16(info + 10);
    } else {
        if (h.headerSize < kInfoHeaderSize) return false;
        h.width = static_cast<std::int32_t>(U32(info + 4));
        std::int64_t height = static_cast<std::int32_t>(U32(info + 8));
        h.topDown = height < 0;
        h.height = height < 0 ? -height : height;
        h.bitCount = U16(info + 14);
        h.compression = U32(info + 16);
        h.colorsUsed = U32(info + 32);
    }
    if (h.width <= 0 || h.height <= 0) return false;
    if (h.width * h.height > pictures::kMaxPixels) return false;

    std::size_t tableStart = kFileHeaderSize + h.headerSize;
    switch (h.compression) {
        case kBiRgb:
            if (h.bitCount != 1 && h.bitCount != 4 && h.bitCount != 8 && h.bitCount != 16 &&
                h.bitCount != 24 && h.bitCount != 32)
                return false;
            if (h.bitCount == 16) {
                h.red = Channel(0x7C00), h.green = Channel(0x03E0), h.blue = Channel(0x001F);
            } else if (h.bitCount >= 24) {
                h.red = Channel(0xFF0000), h.green = Channel(0xFF00), h.blue = Channel(0xFF);
            }
            break;
        case kBiRle8:
            if (h.bitCount != 8 || h.topDown) return false;
            break;
        case kBiRle4:
            if (h.bitCount != 4 || h.topDown) return false;
            break;
        case kBiBitfields:
        case kBiAlphaBitfields: {
            if (core || (h.bitCount != 16 && h.bitCount != 32)) return false;
            // A plain info header is followed by the masks; later versions hold them.
            const unsigned char* masks = info + kInfoHeaderSize;
            if (h.headerSize == kInfoHeaderSize) {
                std::size_t maskBytes = h.compression == kBiAlphaBitfields ? 16 : 12;
                if (tableStart + maskBytes > size) return false;
                tableStart += maskBytes;
            } else if (h.headerSize < kInfoHeaderSize + 12) {
                return false;
            }
            h.red = Channel(U32(masks)), h.green = Channel(U32(masks + 4)),
            h.blue = Channel(U32(masks + 8));
            if (!h.red.Contiguous() || !h.green.Contiguous() || !h.blue.Contiguous()) return false;
            break;
        }
        default:
            return false;  // embedded JPEG or PNG, or unknown
    }

    if (h.bitCount <= 8) {
        std::size_t maxEntries = std::size_t{1} << h.bitCount;
        std::size_t entries = (core || h.colorsUsed == 0)
                                  ? maxEntries
                                  : std::min<std::size_t>(h.colorsUsed, maxEntries);
        std::size_t entrySize = core ? 3 : 4;
        if (tableStart + entries * entrySize > size) return false;
        h.palette.resize(maxEntries, qRgb(0, 0, 0));
        for (std::size_t i = 0; i < entries; ++i) {
            const unsigned char* e = data + tableStart + i * entrySize;
            h.palette[i] = qRgb(e[2], e[1], e[0]);
        }
        tableStart += entries * entrySize;
    }
    // Some writers leave the pixel offset empty; the data then follows the tables.
    pixelOffset = offBits >= tableStart ? offBits : tableStart;
    return pixelOffset <= size;
}

// Decodes one row of uncompressed pixel data into 32-bit pixels.
void DecodeRow(const unsigned char* src, const Header& h, QRgb* dst) {
    BmpWorkDone().pixelsDecoded += static_cast<std::uint64_t>(h.width);
    const int width = static_cast<int>(h.width);
    switch (h.bitCount) {
        case 1:
        case 4:
        case 8: {
            const int perByte = 8 / h.bitCount;
            const int mask = (1 << h.bitCount) - 1;
            for (int x = 0; x < width; ++x) {
                int shift = 8 - h.bitCount * (x % perByte + 1);
                dst[x] = h.palette[(src[x / perByte] >> shift) & mask];
            }
            break;
        }
        case 16:
            for (int x = 0; x < width; ++x) {
                std::uint32_t v = U16(src + 2 * x);
                dst[x] = qRgb(h.red.Value(v), h.green.Value(v), h.blue.Value(v));
            }
            break;
        case 24: {
            // Four pixels from each three 32-bit words: B0 G0 R0 B1 | G1 R1 B2 G2 | R2 B3 G3 R3.
            constexpr std::uint32_t kOpaque = 0xFF000000u;
            int x = 0;
            for (; x + 4 <= width; x += 4) {
                const unsigned char* p = src + 3 * x;
                const std::uint32_t a = U32(p);
                const std::uint32_t b = U32(p + 4);
                const std::uint32_t c = U32(p + 8);
                dst[x] = kOpaque | (a & 0xFFFFFFu);
                dst[x + 1] = kOpaque | (a >> 24) | ((b & 0xFFFFu) << 8);
                dst[x + 2] = kOpaque | (b >> 16) | ((c & 0xFFu) << 16);
                dst[x + 3] = kOpaque | (c >> 8);
            }
            for (; x < width; ++x) {
                const unsigned char* p = src + 3 * x;
                dst[x] = qRgb(p[2], p[1], p[0]);
            }
            break;
        }
        case 32:
            for (int x = 0; x < width; ++x) {
                std::uint32_t v = U32(src + 4 * x);
                dst[x] = qRgb(h.red.Value(v), h.green.Value(v), h.blue.Value(v));
            }
            break;
    }
}

// Bytes from one row's start to the next, and the bytes the last row needs
// (its padding may be missing).
std::int64_t Stride(const Header& h) { return ((h.width * h.bitCount + 31) / 32) * 4; }
std::int64_t PixelBytesNeeded(const Header& h) {
    return Stride(h) * (h.height - 1) + (h.width * h.bitCount + 7) / 8;
}

int ImageRow(const Header& h, std::int64_t row) {
    return static_cast<int>(h.topDown ? row : h.height - 1 - row);
}

bool DecodeUncompressed(const unsigned char* pixels, std::size_t available, const Header& h,
                        QImage& image) {
    if (PixelBytesNeeded(h) > static_cast<std::int64_t>(available)) return false;
    const std::int64_t stride = Stride(h);
    for (std::int64_t row = 0; row < h.height; ++row)
        DecodeRow(pixels + row * stride, h,
                  reinterpret_cast<QRgb*>(image.scanLine(ImageRow(h, row))));
    return true;
}

// Run-length encoded data, 8 or 4 bits per pixel, always bottom-up. Pixels
// that the data skips keep the first palette colour.
bool DecodeRle(const unsigned char* data, std::size_t size, const Header& h, QImage& image) {
    const bool four = h.compression == kBiRle4;
    const std::int64_t width = h.width;
    const std::int64_t height = h.height;
    image.fill(h.palette[0]);
    std::int64_t x = 0;
    std::int64_t row = 0;  // counted from the bottom
    std::size_t i = 0;
    // Writes `count` pixels from column x on, the k-th of colour index(k), and
    // moves x past all of them; only those inside the picture cost any work.
    auto put = [&](unsigned count, auto index) {
        if (row < height && x < width) {
            const std::int64_t shown = std::min<std::int64_t>(count, width - x);
            BmpWorkDone().pixelsDecoded += static_cast<std::uint64_t>(shown);
            auto* line =
                reinterpret_cast<QRgb*>(image.scanLine(static_cast<int>(height - 1 - row)));
            for (std::int64_t k = 0; k < shown; ++k)
                line[x + k] = h.palette[static_cast<std::size_t>(index(static_cast<unsigned>(k)))];
        }
        x += count;
    };
    while (row < height) {
        if (i + 2 > size) return false;  // ended without an end-of-bitmap mark
        unsigned count = data[i];
        unsigned value = data[i + 1];
        i += 2;
        if (count > 0) {
            // Pixels beyond the row's end are dropped: a run never wraps.
            put(count, [&](unsigned k) {
                return four ? ((k % 2 == 0) ? (value >> 4) : (value & 0x0F)) : value;
            });
            // Past the row's end only an escape can matter (x grows until the
            // next end of line), so further runs are passed over at once.
            if (x >= width) {
                while (i + 2 <= size && data[i] != 0) i += 2;
            }
            continue;
        }
        switch (value) {
            case 0:  // end of line
                x = 0;
                ++row;
                break;
            case 1:  // end of bitmap
                return true;
            case 2:  // move right and up
                if (i + 2 > size) return false;
                x += data[i];
                row += data[i + 1];
                i += 2;
                break;
            default: {  // a literal run of `value` pixels, padded to a 16-bit boundary
                std::size_t bytes = four ? (value + 1) / 2 : value;
                std::size_t padded = (bytes + 1) & ~std::size_t{1};
                if (i + bytes > size) return false;
                const unsigned char* literal = data + i;
                put(value, [&](unsigned k) {
                    unsigned b = literal[four ? k / 2 : k];
                    return four ? ((k % 2 == 0) ? (b >> 4) : (b & 0x0F)) : b;
                });
                i += std::min(padded, size - i);
                break;
            }
        }
    }
    return true;  // every row is filled; a missing end mark does no harm here
}

}  // namespace

std::optional<QImage> DecodeBmp(const unsigned char* data, std::size_t size, int* bitsPerPixel) {
    Header h;
    std::size_t pixelOffset = 0;
    if (data == nullptr || !ReadHeader(data, size, h, pixelOffset)) return std::nullopt;
    const unsigned char* pixels = data + pixelOffset;
    std::size_t available = size - pixelOffset;
    // Check the data before the picture is allocated.
    if (h.compression != kBiRle8 && h.compression != kBiRle4 &&
        PixelBytesNeeded(h) > static_cast<std::int64_t>(available))
        return std::nullopt;
    QImage image = NewRgb32Image(static_cast<int>(h.width), static_cast<int>(h.height));
    if (image.isNull()) return std::nullopt;
    bool ok = (h.compression == kBiRle8 || h.compression == kBiRle4)
                  ? DecodeRle(pixels, available, h, image)
                  : DecodeUncompressed(pixels, available, h, image);
    if (!ok) return std::nullopt;
    if (bitsPerPixel != nullptr) *bitsPerPixel = h.bitCount;
    return image;
}

namespace {

// The bytes read from the start of a file to find its headers and colour table.
constexpr std::size_t kHeadBytes = 64 * 1024;
// Rows are read from the file in blocks of about this size and decoded at once.
constexpr std::int64_t kBlockBytes = 256 * 1024;

// An uncompressed BMP decoded block by block as it is read, so that the file
// never sits whole in memory. nullopt when the data is short.
std::optional<QImage> DecodeStreamed(std::FILE* file, std::int64_t fileSize, const Header& h,
                                     std::size_t pixelOffset) {
    const std::int64_t needed = PixelBytesNeeded(h);
    if (needed > fileSize - static_cast<std::int64_t>(pixelOffset)) return std::nullopt;
    if (std::fseek(file, static_cast<long>(pixelOffset), SEEK_SET) != 0) return std::nullopt;
    QImage image = NewRgb32Image(static_cast<int>(h.width), static_cast<int>(h.height));
    if (image.isNull()) return std::nullopt;
    const std::int64_t stride = Stride(h);
    const std::int64_t blockRows = std::max<std::int64_t>(1, kBlockBytes / stride);
    std::vector<unsigned char> block(static_cast<std::size_t>(blockRows * stride));
    for (std::int64_t row = 0; row < h.height; row += blockRows) {
        const std::int64_t rows = std::min(blockRows, h.height - row);
        const std::size_t want =
            static_cast<std::size_t>(std::min(rows * stride, needed - row * stride));
        const std::size_t got = std::fread(block.data(), 1, want, file);
        BmpWorkDone().bytesRead += got;
        if (got != want) return std::nullopt;
        for (std::int64_t i = 0; i < rows; ++i)
            DecodeRow(block.data() + i * stride, h,
                      reinterpret_cast<QRgb*>(image.scanLine(ImageRow(h, row + i))));
    }
    return image;
}

std::optional<QImage> LoadExactName(const char* name, int* bitsPerPixel) {
    struct stat info {};
    if (::stat(name, &info) != 0 || !S_ISREG(info.st_mode)) return std::nullopt;
    if (info.st_size < static_cast<off_t>(kFileHeaderSize) || info.st_size > kMaxFileBytes)
        return std::nullopt;
    std::FILE* file = std::fopen(name, "rb");
    if (file == nullptr) return std::nullopt;
    std::vector<unsigned char> bytes(std::min(static_cast<std::size_t>(info.st_size), kHeadBytes));
    bytes.resize(std::fread(bytes.data(), 1, bytes.size(), file));
    BmpWorkDone().bytesRead += bytes.size();
    if (bytes.size() < 2 || bytes[0] != 'B' || bytes[1] != 'M') {
        std::fclose(file);
        return std::nullopt;
    }
    // Uncompressed pixels are decoded as they are read; anything else (run-length
    // data, headers beyond the first block) is decoded from the whole file.
    Header h;
    std::size_t pixelOffset = 0;
    if (ReadHeader(bytes.data(), bytes.size(), h, pixelOffset) && h.compression != kBiRle8 &&
        h.compression != kBiRle4) {
        std::optional<QImage> image = DecodeStreamed(file, info.st_size, h, pixelOffset);
        std::fclose(file);
        if (image && bitsPerPixel != nullptr) *bitsPerPixel = h.bitCount;
        return image;
    }
    if (static_cast<off_t>(bytes.size()) < info.st_size) {
        // The whole file, in memory that costs no fault per small page: run-length
        // data may fill a hundred megabytes.
        LargeBytes whole(static_cast<std::size_t>(info.st_size));
        if (whole.data() == nullptr) {
            std::fclose(file);
            return std::nullopt;
        }
        const std::size_t head = bytes.size();
        std::memcpy(whole.data(), bytes.data(), head);
        std::size_t got = std::fread(whole.data() + head, 1, whole.size() - head, file);
        BmpWorkDone().bytesRead += got;
        std::fclose(file);
        // A file that shrank meanwhile decodes as truncated.
        return DecodeBmp(whole.data(), head + got, bitsPerPixel);
    }
    std::fclose(file);
    return DecodeBmp(bytes.data(), bytes.size(), bitsPerPixel);
}

}  // namespace

BmpWork& BmpWorkDone() {
    static BmpWork work;
    return work;
}

std::string FindNamedFile(const char* name) {
    if (name == nullptr || name[0] == '\0') return std::string();
    struct stat info {};
    if (::stat(name, &info) == 0 && S_ISREG(info.st_mode)) return name;
    // A name written on Windows: `\` between folders, another case or encoding.
    std::string found = FindWindowsName(name);
    if (found.empty() || found == name) return std::string();
    return found;
}

std::optional<QImage> LoadBmpFile(const char* name, int* bitsPerPixel) {
    if (name == nullptr || name[0] == '\0') return std::nullopt;
    if (auto image = LoadExactName(name, bitsPerPixel)) return image;
    // A name written on Windows: `\` between folders, another case or encoding.
    std::string found = FindWindowsName(name);
    if (found.empty() || found == name) return std::nullopt;
    return LoadExactName(found.c_str(), bitsPerPixel);
}

}  // namespace quillfin::platform
