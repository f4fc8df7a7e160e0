#include "check/SourceText.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

// A file beyond this size is not checked: the checker holds it whole.
constexpr std::size_t kMaxCheckedFile = std::size_t{256} << 20;

bool ReadWhole(const std::string& path, std::string& bytes, std::string& error) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        error = std::strerror(errno);
        return false;
    }
    if (!S_ISREG(st.st_mode)) {
        error = "not a regular file";
        return false;
    }
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) {
        error = std::strerror(errno);
        return false;
    }
    bytes.clear();
    char block[1 << 16];
    std::size_t got = 0;
    while ((got = std::fread(block, 1, sizeof block, f)) > 0) {
        bytes.append(block, got);
        if (bytes.size() > kMaxCheckedFile) {
            std::fclose(f);
            bytes.clear();
            error = "larger than 256 MB";
            return false;
        }
    }
    const bool failed = std::ferror(f) != 0;
    std::fclose(f);
    if (failed) error = "read error";
    return !failed;
}

}  // namespace

bool SourceText::Load(const std::string& path, bool, std::string& error) {
    if (!ReadWhole(path, bytes_, error)) return false;
    const std::size_t zero = bytes_.find('\0');
    textEnd_ = static_cast<std::int64_t>(zero == std::string::npos ? bytes_.size() : zero);
    lineStarts_.assign(1, 0);
    for (std::size_t i = 0; i < bytes_.size(); ++i) {
        if (bytes_[i] == '\n') lineStarts_.push_back(static_cast<std::int64_t>(i) + 1);
    }
    unrepresentable_.clear();
    return true;
}

SourceText::Place SourceText::Locate(std::int64_t offset) const {
    offset = std::clamp<std::int64_t>(offset, 0, static_cast<std::int64_t>(bytes_.size()));
    auto next = std::upper_bound(lineStarts_.begin(), lineStarts_.end(), offset);
    const auto line = static_cast<std::int64_t>(next - lineStarts_.begin());
    return Place{line, offset - lineStarts_[static_cast<std::size_t>(line - 1)] + 1};
}
