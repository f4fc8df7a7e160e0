// A checked file's text as the core reads it, held for the length of the
// check, and the way back from a byte of it to the line and column of the
// file as the teacher wrote it (characters, not bytes, in a UTF-8 file).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class QuestionFileText;
class TextLocator;

class SourceText {
public:
    struct Place {
        std::int64_t line = 1;    // 1-based
        std::int64_t column = 1;  // 1-based, in characters of the line
    };
    // A '?' of the text that stands for something Windows-1252 cannot hold.
    struct Unrepresentable {
        std::int64_t offset;  // in Bytes()
        char32_t code;        // 0 for a unit that was no character at all
    };

    SourceText();
    ~SourceText();

    // Reads the named file. `asQuestionFile` reads it as the core reads a
    // question file (UTF-8 and UTF-16 converted to Windows-1252); otherwise
    // byte for byte. False, with a reason in `error`, when it cannot be read.
    bool Load(const std::string& path, bool asQuestionFile, std::string& error);

    const std::string& Bytes() const { return *bytes_; }
    // The question file's text as the readers see it; null for a round file.
    const std::shared_ptr<const QuestionFileText>& Text() const { return text_; }
    // The end of the text for the readers: the first zero byte, or the size.
    std::int64_t TextEnd() const { return textEnd_; }
    const std::vector<Unrepresentable>& Unrepresentables() const { return unrepresentable_; }
    // An offset at or past the end gives the place just after the last byte.
    Place Locate(std::int64_t offset) const;

private:
    std::shared_ptr<const QuestionFileText> text_;
    std::unique_ptr<TextLocator> locator_;
    std::string raw_;  // a round file's bytes
    const std::string* bytes_ = &raw_;
    std::int64_t textEnd_ = 0;
    std::vector<std::int64_t> lineStarts_;
    std::vector<Unrepresentable> unrepresentable_;
};
