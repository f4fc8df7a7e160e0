// Question files as the core reads them. A file saved in UTF-8 or UTF-16
// reads as the same text saved in Windows-1252, one byte per character of
// the file as written; any other file reads byte for byte. The converted
// text keeps where each of its bytes stood in the file and which '?' stand
// for characters Windows-1252 lacks, so that a report can point at the
// file as the teacher sees it. Converted texts are kept between calls (per thread) and
// are never used once the file has changed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

enum class TextEncoding { Windows1252, Utf8, Utf8WithMark, Utf16Le, Utf16Be };

// How a file's whole content reads:
// - it begins with EF BB BF: UTF-8; with FF FE: UTF-16 LE; with FE FF:
//   UTF-16 BE. The mark is not part of the text.
// - without a mark: UTF-8 when the whole file is valid UTF-8 and holds at
//   least one multi-byte sequence;
// - anything else: Windows-1252, byte for byte.
// A Windows-1252 text with accented letters is not valid UTF-8 (E4 followed
// by 'v' is no sequence), so it keeps its reading.
TextEncoding DetectEncoding(std::string_view raw);

// A '?' of the converted text that stands for something else.
struct Replacement {
    static constexpr char32_t kBadUnit = 0xFFFFFFFF;
    std::int64_t offset;        // of the '?' in the converted text
    std::int64_t sourceOffset;  // of what it stands for, in the file as written
    int sourceLength;           // bytes of the file it stands for
    char32_t code;              // the character Windows-1252 lacks, or kBadUnit
};

// Where a byte of the converted text stood in the file as written.
struct TextPosition {
    std::int64_t line;          // 1-based; lines end with LF
    std::int64_t column;        // 1-based, in characters of its line
    std::int64_t sourceOffset;  // byte offset in the file
};

// The text of one question file in Windows-1252.
class QuestionFileText {
public:
    // Reads `raw`, a file's whole content, as DetectEncoding tells. UTF-8
    // and UTF-16 are converted character by character; a character that
    // Windows-1252 cannot hold becomes '?', and so does each bad unit: an
    // invalid or cut UTF-8 sequence (each maximal invalid part), a lone
    // surrogate, the last byte of an odd-sized UTF-16 file. Windows-1252
    // content is taken as it is.
    explicit QuestionFileText(std::string_view raw);

    TextEncoding Encoding() const { return encoding_; }
    const std::string& Bytes() const { return bytes_; }
    std::int64_t SourceSize() const { return sourceSize_; }
    // In the order of their offsets.
    const std::vector<Replacement>& Replacements() const { return replacements_; }

    // The offset in the file as written of the character that became byte
    // `offset`; SourceSize() for an offset at or past the end.
    std::int64_t SourceOffset(std::int64_t offset) const;

    // An empty Windows-1252 text.
    QuestionFileText() = default;

    // Converted bytes between two checkpoints of the source offset.
    static constexpr std::int64_t kCheckpointStride = 4096;

private:
    friend bool ConvertQuestionText(std::string_view raw, QuestionFileText& text);

    // Bytes of the file that byte `offset` of the text stood for.
    int SourceWidth(std::int64_t offset) const;

    TextEncoding encoding_ = TextEncoding::Windows1252;
    std::string bytes_;
    std::int64_t sourceSize_ = 0;
    // The source offset of every kCheckpointStride-th byte of a converted
    // text; between them each byte's width follows from the byte itself and
    // the replacements. Empty for a Windows-1252 text.
    std::vector<std::int64_t> checkpoints_;
    std::vector<Replacement> replacements_;
};

// Converts `raw` into `text` when it reads as UTF-8 or UTF-16; false, with
// `text` untouched, when it reads byte for byte.
bool ConvertQuestionText(std::string_view raw, QuestionFileText& text);

// Line and column of converted bytes, through an index of the text's line
// starts built once. The text must outlive the locator.
class TextLocator {
public:
    explicit TextLocator(const QuestionFileText& text);
    // An offset past the end gives the position just after the last byte.
    TextPosition Locate(std::int64_t offset) const;

private:
    const QuestionFileText& text_;
    std::vector<std::int64_t> lineStarts_;
};

// Files larger than this read byte for byte: they are never examined whole.
constexpr std::int64_t kMaxConvertedFile = 256LL << 20;

// The named question file's text, for a program that works on the text in
// memory (the checker): the converted text of a UTF-8 or UTF-16 file, shared
// with the readers' cache, or a fresh copy of a Windows-1252 file's bytes.
// Null when the file cannot be opened, is not a regular file, or is larger
// than kMaxConvertedFile.
std::shared_ptr<const QuestionFileText> LoadQuestionText(const char* fileName);

// For the readers: the converted text of the question file `fileName`,
// opened as `file`, or null when it reads byte for byte. The text is kept
// between calls, keyed by the name, the size, the modification and change
// times to the system's finest tick, and the file's identity (inode and
// device, on Windows file index and volume serial number), and converted again
// when any of them differs. At most 8 texts are kept, and besides the one
// read last no more than kQuestionTextCacheBytes in all. A file changed within the last moments
// (when a change need not alter the times) is compared with its content as converted until its
// times lie safely in the past. A Windows-1252 file is never copied. Leaves the position of `file`
// undefined.
constexpr std::size_t kQuestionTextCacheBytes = 64u << 20;
std::shared_ptr<const QuestionFileText> ConvertedQuestionFile(const char* fileName,
                                                              std::FILE* file);

// Test hooks: forget every kept text; what the cache holds and how often a
// file was read whole; the clock (nanoseconds since 1970) that decides when
// a file's times lie safely in the past (null: the system clock).
void ClearQuestionTextCache();
struct QuestionTextCacheStats {
    int entries = 0;
    std::size_t bytesHeld = 0;
    long long wholeReads = 0;
};
QuestionTextCacheStats GetQuestionTextCacheStats();
void SetQuestionTextClockForTests(long long (*now)());
// The cache's byte cap (kQuestionTextCacheBytes unless set).
void SetQuestionTextCacheCapForTests(std::size_t bytes);

// While an object of this class lives, every reading of the question file
// `fileName` (spelled as the readers are given it) takes `text` instead of
// the file, without opening it: one snapshot for a program that reads one
// file many times over, as the checker does. One file at a time: a hold made
// while another lives replaces it until the newer one ends, which puts the
// older one back.
class HeldQuestionText {
public:
    HeldQuestionText(const char* fileName, std::shared_ptr<const QuestionFileText> text);
    ~HeldQuestionText();
    HeldQuestionText(const HeldQuestionText&) = delete;
    HeldQuestionText& operator=(const HeldQuestionText&) = delete;

private:
    std::string previousName_;
    std::shared_ptr<const QuestionFileText> previousText_;
};

// The held text of `fileName`, or null. `generation`, when not null, receives
// a number that differs for every HeldQuestionText made, so that what is
// derived from one held text is never taken for another's.
std::shared_ptr<const QuestionFileText> HeldQuestionTextOf(const char* fileName,
                                                           std::uint64_t* generation = nullptr);
