#include "rules/FileReader.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <utility>

#include "rules/FileSystem.h"
#include "rules/QuestionFileText.h"

FileHandle OpenFileAt(const char* fileName, long long offset) {
    if (!fileName || !*fileName || offset < 0 || offset > kMaxFileOffset) return nullptr;
    bool missing = false;
    FileHandle f(OpenRegularFile(fileName, &missing));
    if (!f && missing) {
        // A name written on Windows: `\` between folders, another case.
        const std::string found = FindWindowsName(fileName);
        if (!found.empty() && found != fileName) f.reset(OpenRegularFile(found.c_str()));
    }
    if (!f) return nullptr;
    if (offset != 0 && !SeekFile(f.get(), offset)) return nullptr;
    return f;
}

std::size_t ReadBlock(std::FILE* f, char* buffer, std::size_t count, long long& offset) {
    if (!f || offset >= kMaxFileOffset) return 0;
    long long room = kMaxFileOffset - offset;
    if (static_cast<long long>(count) > room) count = static_cast<std::size_t>(room);
    std::size_t got = std::fread(buffer, 1, count, f);
    offset += static_cast<long long>(got);
    return got;
}

TextSource::TextSource(FileHandle file, std::shared_ptr<const QuestionFileText> text,
                       long long offset)
    : file_(std::move(file)), text_(std::move(text)), position_(offset) {}
TextSource::TextSource(TextSource&&) noexcept = default;
TextSource& TextSource::operator=(TextSource&&) noexcept = default;
TextSource::~TextSource() = default;

std::size_t TextSource::Read(char* buffer, std::size_t count, long long& offset) {
    if (!text_) return ReadBlock(file_.get(), buffer, count, offset);
    if (offset >= kMaxFileOffset) return 0;
    const long long room = kMaxFileOffset - offset;
    if (static_cast<long long>(count) > room) count = static_cast<std::size_t>(room);
    const std::string& bytes = text_->Bytes();
    const long long size = static_cast<long long>(bytes.size());
    if (position_ >= size) return 0;
    const std::size_t got = std::min(count, static_cast<std::size_t>(size - position_));
    std::memcpy(buffer, bytes.data() + position_, got);
    position_ += static_cast<long long>(got);
    offset += static_cast<long long>(got);
    return got;
}

TextSource OpenTextAt(const char* fileName, long long offset, FileReading reading) {
    if (reading == FileReading::Bytes)
        return TextSource(OpenFileAt(fileName, offset), nullptr, offset);
    if (offset < 0 || offset > kMaxFileOffset) return TextSource();
    if (auto held = HeldQuestionTextOf(fileName))
        return TextSource(nullptr, std::move(held), offset);
    FileHandle file = OpenFileAt(fileName, 0);
    if (!file) return TextSource();
    std::shared_ptr<const QuestionFileText> text = ConvertedQuestionFile(fileName, file.get());
    if (text) return TextSource(nullptr, std::move(text), offset);
    // Read byte for byte, as any other file.
    if (!SeekFile(file.get(), offset)) return TextSource();
    return TextSource(std::move(file), nullptr, offset);
}
