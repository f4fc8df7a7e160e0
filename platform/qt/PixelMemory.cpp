#include <sys/mman.h>

#include <cstdint>
#include <new>

#include "platform/qt/GdiInternal.h"

namespace quillfin::platform {
namespace {

constexpr std::size_t kHugePage = std::size_t{2} << 20;
// Below this a block is left to the allocator: few pages, nothing to win.
constexpr std::size_t kOwnMappingFrom = 4 * kHugePage;

struct Mapping {
    void* start;
    std::size_t length;
};

// `bytes` of fresh memory starting on a huge-page boundary, advised to be
// held in huge pages; null when it cannot be had. The caller frees it with Unmap.
Mapping* MapLarge(std::size_t bytes, unsigned char*& data) {
    // One huge page more than needed, so that the block can start on a boundary.
    const std::size_t length = bytes + kHugePage;
    void* start = mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (start == MAP_FAILED) return nullptr;
    const auto address = reinterpret_cast<std::uintptr_t>(start);
    data = reinterpret_cast<unsigned char*>((address + kHugePage - 1) & ~(kHugePage - 1));
#ifdef MADV_HUGEPAGE
    madvise(data, bytes, MADV_HUGEPAGE);  // only advice: without it the pages are small
#endif
    return new (std::nothrow) Mapping{start, length};
}

void Unmap(void* info) {
    auto* mapping = static_cast<Mapping*>(info);
    munmap(mapping->start, mapping->length);
    delete mapping;
}

}  // namespace

QImage NewRgb32Image(int width, int height) {
    if (width <= 0 || height <= 0) return QImage();
    const std::size_t rowBytes = static_cast<std::size_t>(width) * 4;
    const std::size_t bytes = rowBytes * static_cast<std::size_t>(height);
    if (bytes < kOwnMappingFrom) return QImage(width, height, QImage::Format_RGB32);
    unsigned char* pixels = nullptr;
    Mapping* mapping = MapLarge(bytes, pixels);
    if (mapping == nullptr) return QImage();
    QImage image(pixels, width, height, static_cast<qsizetype>(rowBytes), QImage::Format_RGB32,
                 Unmap, mapping);
    if (image.isNull()) Unmap(mapping);
    return image;
}

LargeBytes::LargeBytes(std::size_t size) {
    if (size < kOwnMappingFrom) {
        small_.reset(new (std::nothrow) unsigned char[size == 0 ? 1 : size]);
        data_ = small_.get();
    } else {
        mapping_ = MapLarge(size, data_);
        if (mapping_ == nullptr) data_ = nullptr;
    }
    if (data_ != nullptr) size_ = size;
}

LargeBytes::~LargeBytes() {
    if (mapping_ != nullptr) Unmap(mapping_);
}

}  // namespace quillfin::platform
