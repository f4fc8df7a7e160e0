// One question of a question file: its text, accepted answers, picture and
// zone file names, additional information, flags and zone colour. GetQuestion
// fills the record from block n of a file by rule searches on the file itself;
// TestAnswer tells which stored answer a typed text matches. The record owns
// every buffer and hands out copies only; it is never copied.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

constexpr std::uint32_t flagCaseSensitive = 0x01;
constexpr std::uint32_t flagDisplayZoneRed = 0x02;
constexpr std::uint32_t flagDisplayZoneGreen = 0x04;
constexpr std::uint32_t flagDisplayZoneBlue = 0x08;
constexpr std::uint32_t flagDisplayZoneInQuestion = 0x10;
constexpr std::uint32_t flagAllAnswers = 0x20;
// Set by the whole words `acc` and `typo` of the flags section (questions/Tolerance.h).
constexpr std::uint32_t flagAcceptAccents = 0x40;
constexpr std::uint32_t flagAcceptTypos = 0x80;

// The answer box's text and its end: the program compares a typed answer
// over this many bytes (TestAnswer's `size`).
constexpr int kAnswerCompareLimit = 256;

// The words of a flags section that set a flag, in the order the parse tests them.
struct FlagWordName {
    const char* word;
    std::uint32_t flag;
};
std::span<const FlagWordName> FlagWordNames();

// The word after which colour names count, and the colour names with the
// zone colour each sets, in the order the parse tests them (a later hit wins).
constexpr char kZoneColourWord[] = "zc";
struct ZoneColourName {
    const char* word;
    short r, g, b;
};
std::span<const ZoneColourName> ZoneColourNames();

// The words whose number sets the red, green and blue of the zone colour.
constexpr const char* kZoneComponentWords[3] = {"zr", "zg", "zb"};

// Where the parse of one block found its items: byte offsets in the file,
// -1 for what was not found or not looked for.
struct QuestionTrace {
    enum class Failure {
        None,
        NoBlock,        // no such question tag
        NoAnswersTag,   // no answers tag before the next end tag
        UnclosedQuote,  // an item's opening quote without a closing one
        OddQuoteCount,  // the answer list holds an odd number of quotes
    };
    int questionTag = -1;   // offset just after the question tag
    int answersTag = -1;    // offset just after the answers tag
    int questionText = -1;  // offset just after the opening quote of each item
    int picture = -1;
    int zone = -1;
    int info = -1;
    int flagsTag = -1;              // offset just after the flags tag
    int answerListEnd = -1;         // the tag byte, zero byte or end of file that ends the list
    std::vector<int> answerQuotes;  // every quote of the answer list
    // For zr, zg and zb: the offset of the number the parse read (its first
    // digit), and that number as read, before it is brought into -1 to 255.
    int zoneNumbers[3] = {-1, -1, -1};
    int zoneValues[3] = {0, 0, 0};
    Failure failure = Failure::None;
    int failureAt = -1;  // the offending opening quote, or the tag
};

class clQuestion {
public:
    clQuestion();
    ~clQuestion();
    clQuestion(const clQuestion&) = delete;
    clQuestion& operator=(const clQuestion&) = delete;

    // Sets every pointer to null, every size and count to 0 and the zone
    // colour to -1. Frees nothing: callers free first.
    void ZeroAll();

    // Copies of the stored items, allocated with new[] and freed by the
    // caller with delete[]. The size (text length + 2) goes to `size` when it
    // is not null. An absent item gives null and size 0, as does an answer
    // index outside 0 .. answerAntal - 1.
    char* GiveQuestion(int* size = nullptr) const;
    char* GiveAnswer(int index, int* size = nullptr) const;
    char* GiveQPicture(int* size = nullptr) const;
    char* GiveAZone(int* size = nullptr) const;
    char* GiveAInfo(int* size = nullptr) const;

    int ReturnAnswerAntal() const { return answerAntal; }
    // The stored size of answer `index`; 0 for an index out of range.
    int ReturnAnswerLength(int index) const;
    int ReturnAnswersNeeded() const { return answersNeeded; }
    int ReturnQuestionLength() const { return questionLength; }
    short ReturnZR() const { return zr; }
    short ReturnZG() const { return zg; }
    short ReturnZB() const { return zb; }
    // True when `flags` shares at least one bit with `mask`.
    bool HaveFlag(int mask) const;

    // A block with neither answers nor a zone that has a question text or
    // information to show (a text counts when its first byte is not zero):
    // it is read, not answered.
    bool IsInformationCard() const;
    // A block with no question text, no answers, no zone and no information:
    // there is nothing to show or to answer.
    bool IsEmptyBlock() const;

    // Lists the record on standard output (debugging aid). No newline at the end.
    void DisplayAllInConsole() const;

    // Parses block n (1-based: the block starting at the n-th question tag)
    // of the named file, after freeing the previous content. False when the
    // block is absent or malformed; the record then keeps what was read
    // before the failing step, always consistent with answerAntal.
    // The same as FindQuestionBlock followed by GetQuestionAt.
    bool GetQuestion(const char* questionFile, int n);

    // The offset just after the n-th question tag of the file (n 1-based),
    // found by scanning from the start of the file; negative when the file
    // has fewer than n tags before its first zero byte, or n < 0.
    static int FindQuestionBlock(const char* questionFile, int n);

    // The offsets FindQuestionBlock gives for n = 1, 2, ..., in one read of
    // the file: a walk over every block costs one scan, not one per block.
    static std::vector<int> FindQuestionBlocks(const char* questionFile);

    // The line (1-based; lines end with a line feed, as editors and
    // quillfin-check count them) on which block n's question tag stands;
    // -1 when the file has no block n.
    static int FindQuestionLine(const char* questionFile, int n);

    // The walk behind FindQuestionBlocks and the count of a round's questions:
    // calls `found` with the offset just after the letter of each question tag
    // of the file, in order, up to its first zero byte, while `found` returns
    // true. A tag cannot overlap another, so every occurrence is one.
    static void WalkQuestionTags(const char* questionFile,
                                 const std::function<bool(long long after)>& found);

    // Parses the block whose question tag ends at `questionPosition` (as
    // FindQuestionBlock gives it), after freeing the previous content, with
    // the same result and record as GetQuestion. When `trace` is not null it
    // receives where each item was found and, on failure, why and where.
    bool GetQuestionAt(const char* questionFile, int questionPosition,
                       QuestionTrace* trace = nullptr);

    // What the record says, as one 64-bit number: the FNV-1a hash of, for
    // each of the question text, every answer in order, the picture name,
    // the zone name, the information, the flag bits and the zone colour's
    // three components (each in decimal, -1 when unset), its length in
    // decimal, a colon and its bytes. An absent text item has the length -1
    // and no bytes, so it differs from an empty one. Line ends and blanks
    // between items and the file's encoding leave it unchanged; any byte of
    // a text item changes it.
    std::uint64_t Fingerprint() const;

    // Every block of the file parsed once, in file order, walking the tags
    // as the count of a round does: one fingerprint per question tag, so the
    // result's size is the file's number of questions (empty when it cannot
    // be read). A block whose parse fails gets the fingerprint of what it
    // yielded, marked so that it differs from every block that parses.
    static std::vector<std::uint64_t> FingerprintQuestions(const char* questionFile);

    // Reads the quoted item whose opening quote `rule` finds from `start`.
    // Not found: size -1, `item` unchanged, true. Found but never closed:
    // size negative, `item` unchanged, false. Otherwise `item` is a new
    // buffer of the text and two zero bytes, `size` its length + 2.
    static bool GetTextItem(const char* questionFile, const char* rule, int window, int start,
                            char*& item, int& size);

    // The 1-based number of the first stored answer that `given` equals as a
    // whole, comparing at most `size` bytes; 0 when none does. Without
    // flagCaseSensitive the letters of Windows-1252 count the same in upper
    // and lower case (FoldWindows1252Case); with it, bytes must be equal.
    int TestAnswer(const char* given, int size) const;

    char* question;
    char** answers;
    char* qPicture;
    char* aZone;
    char* aInfo;
    std::int32_t questionLength;
    std::int32_t answerAntal;
    std::int32_t* answerLengths;
    std::int32_t qPictureLength;
    std::int32_t aZoneLength;
    std::int32_t aInfoLength;
    std::int32_t answersNeeded;
    short zr;
    short zg;
    short zb;
    std::uint32_t flags;

private:
    void FreeAll();
    void ReadFlags(const char* questionFile, int flagsPosition, QuestionTrace& where);
};
