#include <sys/mman.h>

#include <cstdint>

#include "platform/qt/Internal.h"

namespace quillfin::platform {
namespace {

constexpr std::size_t kHugePage = std::size_t{2} << 20;
// Below this an image is left to the allocator: few pages, nothing to win.
constexpr std::size_t kOwnMappingFrom = 4 * kHugePage;

struct Mapping {
    void* start;
    std::size_t length;
};

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

    // One huge page more than needed, so that the pixels can start on a
    // huge-page boundary.
    const std::size_t length = bytes + kHugePage;
    void* start = mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (start == MAP_FAILED) return QImage();
    const auto address = reinterpret_cast<std::uintptr_t>(start);
    auto* pixels = reinterpret_cast<uchar*>((address + kHugePage - 1) & ~(kHugePage - 1));
#ifdef MADV_HUGEPAGE
    madvise(pixels, bytes, MADV_HUGEPAGE);  // only advice: without it the pages are small
#endif
    auto* mapping = new Mapping{start, length};
    QImage image(pixels, width, height, static_cast<qsizetype>(rowBytes), QImage::Format_RGB32,
                 Unmap, mapping);
    if (image.isNull()) Unmap(mapping);
    return image;
}

}  // namespace quillfin::platform
