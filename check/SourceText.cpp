#include "check/SourceText.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "rules/FileNames.h"
#include "rules/QuestionFileText.h"

namespace {

// A file beyond this size is not checked: the checker holds it whole.
constexpr std::int64_t kMaxCheckedFile = kMaxConvertedFile;

// Why the named file cannot be read, or an empty text when it can.
std::string WhyUnreadable(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return std::strerror(errno);
    if (!S_ISREG(st.st_mode)) return "not a regular file";
    if (st.st_size > kMaxCheckedFile) return "larger than 256 MB";
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return std::strerror(errno);
    std::fclose(f);
    return std::string();
}

bool ReadWhole(const std::string& path, std::string& bytes) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    bytes.clear();
    char block[1 << 16];
    std::size_t got = 0;
    bool ok = true;
    while ((got = std::fread(block, 1, sizeof block, f)) > 0) {
        bytes.append(block, got);
        if (static_cast<std::int64_t>(bytes.size()) > kMaxCheckedFile) {
            ok = false;
            break;
        }
    }
    ok = ok && std::ferror(f) == 0;
    std::fclose(f);
    return ok;
}

}  // namespace

SourceText::SourceText() = default;
SourceText::~SourceText() = default;

bool SourceText::Load(const std::string& given, bool asQuestionFile, std::string& error) {
    // The file the program's readers open for this name, found as Windows finds it.
    const std::string found = FindWindowsName(given.c_str());
    const std::string& path = found.empty() ? given : found;
    error = WhyUnreadable(path);
    if (!error.empty()) return false;
    locator_.reset();
    text_.reset();
    unrepresentable_.clear();
    lineStarts_.clear();
    if (asQuestionFile) {
        text_ = LoadQuestionText(given.c_str());
        if (!text_) {
            error = "cannot be read whole";
            return false;
        }
        locator_ = std::make_unique<TextLocator>(*text_);
        bytes_ = &text_->Bytes();
        for (const Replacement& r : text_->Replacements()) {
            unrepresentable_.push_back(
                {r.offset, r.code == Replacement::kBadUnit ? char32_t{0} : r.code});
        }
    } else {
        if (!ReadWhole(path, raw_)) {
            error = "cannot be read whole";
            return false;
        }
        bytes_ = &raw_;
        lineStarts_.assign(1, 0);
        for (std::size_t i = 0; i < raw_.size(); ++i) {
            if (raw_[i] == '\n') lineStarts_.push_back(static_cast<std::int64_t>(i) + 1);
        }
    }
    const std::size_t zero = bytes_->find('\0');
    textEnd_ = static_cast<std::int64_t>(zero == std::string::npos ? bytes_->size() : zero);
    return true;
}

SourceText::Place SourceText::Locate(std::int64_t offset) const {
    if (locator_) {
        const TextPosition position = locator_->Locate(offset);
        return Place{position.line, position.column};
    }
    offset = std::clamp<std::int64_t>(offset, 0, static_cast<std::int64_t>(bytes_->size()));
    auto next = std::upper_bound(lineStarts_.begin(), lineStarts_.end(), offset);
    const auto line = static_cast<std::int64_t>(next - lineStarts_.begin());
    return Place{line, offset - lineStarts_[static_cast<std::size_t>(line - 1)] + 1};
}
