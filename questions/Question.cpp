#include "questions/Question.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "questions/Tolerance.h"
#include "rules/FileReader.h"
#include "rules/QuestionFileText.h"
#include "rules/RuleChecker.h"
#include "rules/TextUtils.h"
#include "rules/Windows1252.h"

namespace {

constexpr int kRuleBuffer = 128;
constexpr int kItemWindow = 5;
constexpr int kCountWindow = 32;
constexpr char kQuote[] = "\"";
constexpr char kMark = '#';
constexpr char kTagByte = '\244';
// Every read of a question file takes its text in Windows-1252.
constexpr FileReading kText = FileReading::QuestionFile;

// Rules with a mark end in eight blanks that give the inserted digits room.
constexpr char kQuestionTagRule[] = "TIME#(AFTER'\244Q'())        ";
constexpr char kAnswersTagRule[] = "BEFORE'\244E'(AFTER'\244A'())";
constexpr char kQuestionTextRule[] = "BEFORE'\244'(AFTER'\"'())";
constexpr char kPictureRule[] = "BEFORE'\244A'(AFTER'\244P'(AFTER'\"'()))";
constexpr char kZoneRule[] = "BEFORE'\244E'(AFTER'\244Z'(AFTER'\"')))";
constexpr char kInfoRule[] = "BEFORE'\244E'(AFTER'\244I'(AFTER'\"')))";
constexpr char kFlagsTagRule[] = "BEFORE'\244E'(AFTER'\244F'())";
constexpr char kZrRule[] = "BEFORE'\244E'(BEFORE'\244'(AFTER'zr'(BEFOREnum())))";
constexpr char kZgRule[] = "BEFORE'\244E'(BEFORE'\244'(AFTER'zg'(BEFOREnum())))";
constexpr char kZbRule[] = "BEFORE'\244E'(BEFORE'\244'(AFTER'zb'(BEFOREnum())))";
constexpr char kZcRule[] = "BEFORE'\244E'(BEFORE'\244'(BEFORE'zc'()))";

struct FlagWord {
    const char* rule;
    int window;
    FlagWordName name;
};

// In the order in which the flags section is tested.
constexpr FlagWord kFlagWords[] = {
    {"BEFORE'\244E'(BEFORE'\244'(BEFORE'cs'()))", 5, {"cs", flagCaseSensitive}},
    {"BEFORE'\244E'(BEFORE'\244'(BEFORE'zdr'()))", 5, {"zdr", flagDisplayZoneRed}},
    {"BEFORE'\244E'(BEFORE'\244'(BEFORE'zdg'()))", 5, {"zdg", flagDisplayZoneGreen}},
    {"BEFORE'\244E'(BEFORE'\244'(BEFORE'zdb'()))", 5, {"zdb", flagDisplayZoneBlue}},
    {"BEFORE'\244E'(BEFORE'\244'(BEFORE'qzone'()))", 10, {"qzone", flagDisplayZoneInQuestion}},
    {"BEFORE'\244E'(BEFORE'\244'(BEFORE'alla'()))", 10, {"alla", flagAllAnswers}},
};

struct ColourName {
    const char* rule;
    int window;
    ZoneColourName name;
};

// Tested in this order, each later hit overwriting the earlier ones, so a
// dark name wins over the light name it contains.
constexpr ColourName kColourNames[] = {
    {"BEFORE'\244E'(BEFORE'\244'(BEFORE'red'()))", 12, {"red", 255, 0, 0}},
    {"BEFORE'\244E'(BEFORE'\244'(BEFORE'blue'()))", 12, {"blue", 0, 0, 255}},
    {"BEFORE'\244E'(BEFORE'\244'(BEFORE'green'()))", 12, {"green", 0, 255, 0}},
    {"BEFORE'\244E'(BEFORE'\244'(BEFORE'yellow'()))", 12, {"yellow", 255, 255, 0}},
    {"BEFORE'\244E'(BEFORE'\244'(BEFORE'violet'()))", 12, {"violet", 255, 0, 255}},
    {"BEFORE'\244E'(BEFORE'\244'(BEFORE'turquoise'()))", 12, {"turquoise", 0, 255, 255}},
    {"BEFORE'\244E'(BEFORE'\244'(BEFORE'orange'()))", 12, {"orange", 255, 128, 64}},
    {"BEFORE'\244E'(BEFORE'\244'(BEFORE'grey'()))", 12, {"grey", 192, 192, 192}},
    {"BEFORE'\244E'(BEFORE'\244'(BEFORE'pink'()))", 12, {"pink", 255, 0, 128}},
    {"BEFORE'\244E'(BEFORE'\244'(BEFORE'darkred'()))", 12, {"darkred", 128, 0, 0}},
    {"BEFORE'\244E'(BEFORE'\244'(BEFORE'darkblue'()))", 12, {"darkblue", 0, 0, 128}},
    {"BEFORE'\244E'(BEFORE'\244'(BEFORE'darkgreen'()))", 12, {"darkgreen", 0, 128, 0}},
    {"BEFORE'\244E'(BEFORE'\244'(BEFORE'darkyellow'()))", 12, {"darkyellow", 128, 128, 0}},
    {"BEFORE'\244E'(BEFORE'\244'(BEFORE'darkviolet'()))", 12, {"darkviolet", 128, 0, 128}},
    {"BEFORE'\244E'(BEFORE'\244'(BEFORE'darkturquoise'()))", 15, {"darkturquoise", 0, 128, 128}},
    {"BEFORE'\244E'(BEFORE'\244'(BEFORE'darkorange'()))", 12, {"darkorange", 128, 64, 0}},
    {"BEFORE'\244E'(BEFORE'\244'(BEFORE'darkgrey'()))", 12, {"darkgrey", 128, 128, 128}},
};

// Whether `rule` is the rule that finds `word` in a flags section, so that
// the word each table entry names is the one its rule looks for.
constexpr bool FindsWord(std::string_view rule, std::string_view word) {
    constexpr std::string_view head = "BEFORE'\244E'(BEFORE'\244'(BEFORE'";
    constexpr std::string_view tail = "'()))";
    return rule.size() == head.size() + word.size() + tail.size() && rule.starts_with(head) &&
           rule.substr(head.size(), word.size()) == word && rule.ends_with(tail);
}

template <class Table>
constexpr bool EveryRuleFindsItsWord(const Table& table) {
    for (const auto& entry : table) {
        if (!FindsWord(entry.rule, entry.name.word)) return false;
    }
    return true;
}
static_assert(EveryRuleFindsItsWord(kFlagWords));
static_assert(EveryRuleFindsItsWord(kColourNames));
static_assert(FindsWord(kZcRule, kZoneColourWord));
static_assert(std::string_view(kZrRule).find("AFTER'zr'") != std::string_view::npos &&
              std::string_view(kZgRule).find("AFTER'zg'") != std::string_view::npos &&
              std::string_view(kZbRule).find("AFTER'zb'") != std::string_view::npos);

// A private copy of a stored rule with its mark replaced by `count`.
struct CountedRule {
    CountedRule(const char* stored, int count) {
        for (int i = 0; i < kRuleBuffer - 1 && stored[i] != '\0'; ++i) text[i] = stored[i];
        InsertInt(count, text, 0, kMark);
    }
    char text[kRuleBuffer] = {};
};

// The low 16 bits as a signed value, then -1 for a negative and 255 for
// anything above 255.
short ZoneComponent(int value) {
    auto low = static_cast<short>(static_cast<std::uint16_t>(value & 0xFFFF));
    if (low < 0) return -1;
    if (low > 255) return 255;
    return low;
}

// The answer list from `start`: every double quote up to the first tag byte,
// zero byte or end of file, and the texts between the 1st and 2nd, 3rd and
// 4th, ... quote. This is what the rules give with one search per quote:
// BEFORE'\244'(TIME#(BEFORE'"')) stops at the first tag byte and reports each
// quote before it, and TIME#(AFTER'"'()) with # := 2k+1 finds the start of
// answer k, whose closing quote is the next one. Reading the list in one pass
// keeps long answer lists linear.
struct AnswerList {
    int quotes = 0;
    std::vector<std::string> texts;            // complete pairs only
    std::vector<int>* quoteOffsets = nullptr;  // filled when not null
    long long end = -1;                        // the byte that ended the list, or the file's end
};

void ReadAnswerList(const char* questionFile, int start, AnswerList& list) {
    TextSource file = OpenTextAt(questionFile, start, kText);
    if (!file) return;
    // Most lists are short: read a little first, more when the list goes on.
    std::size_t blockSize = 4096;
    constexpr std::size_t kLargestBlock = 1 << 16;
    std::vector<char> block(blockSize);
    long long offset = start;
    std::string current;
    for (;;) {
        const long long blockStart = offset;
        const std::size_t got = file.Read(block.data(), blockSize, offset);
        if (got == 0) {
            list.end = offset;
            return;
        }
        for (std::size_t i = 0; i < got; ++i) {
            const char c = block[i];
            if (c == kTagByte || c == '\0') {
                list.end = blockStart + static_cast<long long>(i);
                return;
            }
            const bool inside = list.quotes % 2 == 1;
            if (c == '"') {
                if (inside) list.texts.push_back(std::move(current));
                current.clear();
                ++list.quotes;
                if (list.quoteOffsets) {
                    list.quoteOffsets->push_back(
                        static_cast<int>(blockStart + static_cast<long long>(i)));
                }
            } else if (inside) {
                current += c;
            }
        }
        blockSize = std::min(blockSize * 4, kLargestBlock);
        block.resize(blockSize);
    }
}

// GetTextItem, also telling where the opening quote's text starts (-1 when
// the rule finds nothing).
bool ReadTextItem(const char* questionFile, const char* rule, int window, int start, char*& item,
                  int& size, int& at) {
    at = FindPosition(rule, questionFile, window, start, false, kText);
    if (at < 0) {
        at = -1;
        size = -1;
        return true;
    }
    size = CountCharTo(questionFile, at, kQuote, 1, kCountWindow, kText) + 2;
    if (size < 0) return false;
    item = GetToStop(questionFile, at, kQuote, 1, size, kText);
    return true;
}

char* TextItem(const std::string& text, std::int32_t& size) {
    size = static_cast<std::int32_t>(text.size()) + 2;
    char* item = new char[text.size() + 2]();
    std::memcpy(item, text.data(), text.size());
    return item;
}

char* CopyItem(const char* item, int size, int* sizeOut) {
    if (!item || size <= 0) {
        if (sizeOut) *sizeOut = 0;
        return nullptr;
    }
    char* copy = new char[size];
    std::memcpy(copy, item, static_cast<std::size_t>(size));
    if (sizeOut) *sizeOut = size;
    return copy;
}

// 64-bit FNV-1a, fed a piece at a time.
class Fnv1a {
public:
    void Add(const char* data, std::size_t size) {
        for (std::size_t i = 0; i < size; ++i) {
            hash_ ^= static_cast<unsigned char>(data[i]);
            hash_ *= kPrime;
        }
    }
    // `size` bytes of `data` as one item: the size in decimal, ':', the bytes.
    void AddItem(const char* data, long long size) {
        const std::string length = std::to_string(size) + ":";
        Add(length.data(), length.size());
        if (data && size > 0) Add(data, static_cast<std::size_t>(size));
    }
    // A text item as the record stores it: its text and two zero bytes.
    void AddText(const char* item, std::int32_t storedSize) {
        if (!item || storedSize < 2) {
            AddItem(nullptr, -1);
            return;
        }
        AddItem(item, storedSize - 2);
    }
    void AddNumber(long long value) {
        const std::string text = std::to_string(value);
        AddItem(text.data(), static_cast<long long>(text.size()));
    }
    std::uint64_t Value() const { return hash_; }

private:
    static constexpr std::uint64_t kOffsetBasis = 0xcbf29ce484222325ULL;
    static constexpr std::uint64_t kPrime = 0x100000001b3ULL;
    std::uint64_t hash_ = kOffsetBasis;
};

// Added after the items of a block whose parse failed.
constexpr char kFailedParseMark = '!';

}  // namespace

clQuestion::clQuestion() { ZeroAll(); }

clQuestion::~clQuestion() { FreeAll(); }

void clQuestion::ZeroAll() {
    question = nullptr;
    answers = nullptr;
    qPicture = nullptr;
    aZone = nullptr;
    aInfo = nullptr;
    questionLength = 0;
    answerAntal = 0;
    answerLengths = nullptr;
    qPictureLength = 0;
    aZoneLength = 0;
    aInfoLength = 0;
    answersNeeded = 0;
    zr = -1;
    zg = -1;
    zb = -1;
    flags = 0;
}

void clQuestion::FreeAll() {
    delete[] question;
    if (answers) {
        for (int i = 0; i < answerAntal; ++i) delete[] answers[i];
    }
    delete[] answerLengths;
    delete[] answers;
    delete[] qPicture;
    delete[] aZone;
    delete[] aInfo;
}

char* clQuestion::GiveQuestion(int* size) const { return CopyItem(question, questionLength, size); }

char* clQuestion::GiveAnswer(int index, int* size) const {
    if (index < 0 || index >= answerAntal || !answers || !answerLengths) {
        return CopyItem(nullptr, 0, size);
    }
    return CopyItem(answers[index], answerLengths[index], size);
}

char* clQuestion::GiveQPicture(int* size) const { return CopyItem(qPicture, qPictureLength, size); }

char* clQuestion::GiveAZone(int* size) const { return CopyItem(aZone, aZoneLength, size); }

char* clQuestion::GiveAInfo(int* size) const { return CopyItem(aInfo, aInfoLength, size); }

int clQuestion::ReturnAnswerLength(int index) const {
    if (index < 0 || index >= answerAntal || !answerLengths) return 0;
    return answerLengths[index];
}

bool clQuestion::HaveFlag(int mask) const {
    return (flags & static_cast<std::uint32_t>(mask)) != 0;
}

void clQuestion::DisplayAllInConsole() const {
    std::ostream& out = std::cout;
    if (question) out << "\nQuestion: " << question;
    if (qPicture) out << "\nQ picture: " << qPicture;
    if (aZone) out << "\nA zone: " << aZone;
    if (aInfo) out << "\nA info: " << aInfo;
    for (int i = 0; answers && i < answerAntal; ++i) {
        out << "\nAnswer " << i + 1 << ": " << (answers[i] ? answers[i] : "");
    }
    if (flags != 0) {
        out << "\nFlags: ";
        if (flags & flagCaseSensitive) out << "Case sensitive, ";
        if (flags & flagDisplayZoneRed) out << "Display zone Red, ";
        if (flags & flagDisplayZoneGreen) out << "Display zone Green, ";
        if (flags & flagDisplayZoneBlue) out << "Display zone Blue, ";
        if (flags & flagDisplayZoneInQuestion) out << "Display zone in question, ";
        if (flags & flagAllAnswers) out << "Must give " << answersNeeded << " answers, ";
        if (flags & flagAcceptAccents) out << "Accepts accents, ";
        if (flags & flagAcceptTypos) out << "Accepts one typo, ";
    }
    out << "\nZone colour: \nR = " << zr << " G = " << zg << " B = " << zb;
    out.flush();
}

bool clQuestion::GetTextItem(const char* questionFile, const char* rule, int window, int start,
                             char*& item, int& size) {
    int at = -1;
    return ReadTextItem(questionFile, rule, window, start, item, size, at);
}

bool clQuestion::GetQuestion(const char* questionFile, int n) {
    const int questionPosition = FindQuestionBlock(questionFile, n);
    if (questionPosition < 0) {
        FreeAll();
        ZeroAll();
        return false;
    }
    return GetQuestionAt(questionFile, questionPosition);
}

int clQuestion::FindQuestionBlock(const char* questionFile, int n) {
    // A negative number would leave the mark in the rule, and a TIME without
    // a count reports the start of the file: there is no such block.
    if (n < 0) return NO_POSITION;
    return FindPosition(CountedRule(kQuestionTagRule, n).text, questionFile, kItemWindow, 0, false,
                        kText);
}

bool clQuestion::IsInformationCard() const {
    const bool hasText = (question && question[0] != '\0') || (aInfo && aInfo[0] != '\0');
    return answerAntal == 0 && !aZone && hasText;
}

bool clQuestion::IsEmptyBlock() const { return answerAntal == 0 && !aZone && !IsInformationCard(); }

int clQuestion::FindQuestionLine(const char* questionFile, int n) {
    const int questionPosition = FindQuestionBlock(questionFile, n);
    if (questionPosition < 2) return -1;
    TextSource file = OpenTextAt(questionFile, 0, kText);
    if (!file) return -1;
    // The line feeds before the tag, which begins two bytes before the
    // position the search reports.
    const long long tag = questionPosition - 2;
    constexpr std::size_t kBlock = 1 << 16;
    std::vector<char> block(kBlock);
    long long offset = 0;
    long long line = 1;
    while (offset < tag) {
        const long long blockStart = offset;
        const std::size_t got = file.Read(block.data(), kBlock, offset);
        if (got == 0) break;
        const long long wanted = tag - blockStart;
        const std::size_t count =
            wanted < static_cast<long long>(got) ? static_cast<std::size_t>(wanted) : got;
        line += std::count(block.data(), block.data() + count, '\n');
    }
    return line > INT_MAX ? INT_MAX : static_cast<int>(line);
}

void clQuestion::WalkQuestionTags(const char* questionFile,
                                  const std::function<bool(long long after)>& found) {
    TextSource file = OpenTextAt(questionFile, 0, kText);
    if (!file) return;
    constexpr std::size_t kBlock = 1 << 16;
    std::vector<char> block(kBlock);
    long long offset = 0;
    bool tagAtEnd = false;  // the previous block ended in a tag byte
    for (;;) {
        const long long blockStart = offset;
        const std::size_t got = file.Read(block.data(), kBlock, offset);
        if (got == 0) return;
        const char* data = block.data();
        const void* zero = std::memchr(data, '\0', got);
        const char* end = zero ? static_cast<const char*>(zero) : data + got;
        if (tagAtEnd && data < end && data[0] == 'Q' && !found(blockStart + 1)) return;
        for (const char* p = data; p < end; ++p) {
            p = static_cast<const char*>(
                std::memchr(p, kTagByte, static_cast<std::size_t>(end - p)));
            if (!p) break;
            if (p + 1 < end && p[1] == 'Q' && !found(blockStart + (p - data) + 2)) return;
        }
        if (zero) return;
        tagAtEnd = data[got - 1] == kTagByte;
    }
}

std::vector<int> clQuestion::FindQuestionBlocks(const char* questionFile) {
    std::vector<int> blocks;
    // A tag's position is the offset after its letter; past INT_MAX a search
    // reports nothing, so neither does the walk.
    WalkQuestionTags(questionFile, [&blocks](long long after) {
        if (after > INT_MAX) return false;
        blocks.push_back(static_cast<int>(after));
        return true;
    });
    return blocks;
}

std::uint64_t clQuestion::Fingerprint() const {
    Fnv1a hash;
    hash.AddText(question, questionLength);
    for (int i = 0; answers && answerLengths && i < answerAntal; ++i) {
        hash.AddText(answers[i], answerLengths[i]);
    }
    hash.AddText(qPicture, qPictureLength);
    hash.AddText(aZone, aZoneLength);
    hash.AddText(aInfo, aInfoLength);
    hash.AddNumber(flags);
    hash.AddNumber(zr);
    hash.AddNumber(zg);
    hash.AddNumber(zb);
    return hash.Value();
}

std::vector<std::uint64_t> clQuestion::FingerprintQuestions(const char* questionFile) {
    std::vector<std::uint64_t> fingerprints;
    if (!questionFile) return fingerprints;
    // Every block's searches read the text in memory, taken once, unless a
    // caller holds it already.
    std::optional<HeldQuestionText> hold;
    if (!HeldQuestionTextOf(questionFile)) {
        auto text = LoadQuestionText(questionFile);
        if (!text) return fingerprints;
        hold.emplace(questionFile, std::move(text));
    }
    clQuestion record;
    WalkQuestionTags(questionFile, [&](long long after) {
        // Past INT_MAX a search finds nothing, and neither does the count.
        if (after > INT_MAX) return false;
        const bool parsed = record.GetQuestionAt(questionFile, static_cast<int>(after));
        std::uint64_t fingerprint = record.Fingerprint();
        if (!parsed) {
            Fnv1a marked;
            const std::string value = std::to_string(fingerprint);
            marked.Add(value.data(), value.size());
            marked.Add(&kFailedParseMark, 1);
            fingerprint = marked.Value();
        }
        fingerprints.push_back(fingerprint);
        return true;
    });
    return fingerprints;
}

bool clQuestion::GetQuestionAt(const char* questionFile, int questionPosition,
                               QuestionTrace* trace) {
    FreeAll();
    ZeroAll();
    QuestionTrace ignored;
    QuestionTrace& where = trace ? *trace : ignored;
    where = QuestionTrace{};
    auto fail = [&where](QuestionTrace::Failure failure, int at) {
        where.failure = failure;
        where.failureAt = at;
        return false;
    };
    if (questionPosition < 0) return fail(QuestionTrace::Failure::NoBlock, -1);
    where.questionTag = questionPosition;

    const int answersPosition =
        FindPosition(kAnswersTagRule, questionFile, kItemWindow, questionPosition, false, kText);
    if (answersPosition < 0) return fail(QuestionTrace::Failure::NoAnswersTag, questionPosition);
    where.answersTag = answersPosition;

    struct {
        const char* rule;
        int start;
        char*& item;
        std::int32_t& size;
        int& at;
    } items[] = {
        {kQuestionTextRule, questionPosition, question, questionLength, where.questionText},
        {kPictureRule, questionPosition, qPicture, qPictureLength, where.picture},
        {kZoneRule, answersPosition, aZone, aZoneLength, where.zone},
        {kInfoRule, answersPosition, aInfo, aInfoLength, where.info},
    };
    for (auto& item : items) {
        if (!ReadTextItem(questionFile, item.rule, kItemWindow, item.start, item.item, item.size,
                          item.at)) {
            return fail(QuestionTrace::Failure::UnclosedQuote, item.at - 1);
        }
    }

    AnswerList list;
    if (trace) list.quoteOffsets = &where.answerQuotes;
    ReadAnswerList(questionFile, answersPosition, list);
    where.answerListEnd = list.end > INT_MAX ? INT_MAX : static_cast<int>(list.end);
    if (list.quotes % 2 != 0) {
        return fail(QuestionTrace::Failure::OddQuoteCount, trace && !where.answerQuotes.empty()
                                                               ? where.answerQuotes.back()
                                                               : answersPosition);
    }

    const int count = list.quotes / 2;
    if (count > 0) {
        answers = new char*[count]();
        answerLengths = new std::int32_t[count]();
        answerAntal = count;
        for (int k = 0; k < count; ++k) answers[k] = TextItem(list.texts[k], answerLengths[k]);
    }

    const int flagsPosition =
        FindPosition(kFlagsTagRule, questionFile, kItemWindow, questionPosition, false, kText);
    if (flagsPosition < 0) return true;
    where.flagsTag = flagsPosition;
    ReadFlags(questionFile, flagsPosition, where);
    return true;
}

void clQuestion::ReadFlags(const char* questionFile, int flagsPosition, QuestionTrace& where) {
    for (const FlagWord& word : kFlagWords) {
        if (FindPosition(word.rule, questionFile, word.window, flagsPosition, false, kText) >= 0) {
            flags |= word.name.flag;
            if (word.name.flag == flagAllAnswers) answersNeeded = answerAntal;
        }
    }
    flags |= ReadWholeFlagWords(questionFile, flagsPosition);
    if (!(flags & (flagDisplayZoneRed | flagDisplayZoneGreen | flagDisplayZoneBlue))) {
        flags |= flagDisplayZoneRed | flagDisplayZoneBlue;
    }

    struct {
        const char* rule;
        short& component;
    } numbers[] = {{kZrRule, zr}, {kZgRule, zg}, {kZbRule, zb}};
    for (int c = 0; c < 3; ++c) {
        const int p =
            FindPosition(numbers[c].rule, questionFile, kItemWindow, flagsPosition, false, kText);
        if (p < 0) continue;
        const int value = GetInt(questionFile, p, kText);
        numbers[c].component = ZoneComponent(value);
        where.zoneNumbers[c] = p;
        where.zoneValues[c] = value;
    }

    const int zcPosition =
        FindPosition(kZcRule, questionFile, kItemWindow, flagsPosition, false, kText);
    if (zcPosition < 0) return;
    for (const ColourName& colour : kColourNames) {
        if (FindPosition(colour.rule, questionFile, colour.window, zcPosition, false, kText) >= 0) {
            zr = colour.name.r;
            zg = colour.name.g;
            zb = colour.name.b;
        }
    }
}

int clQuestion::TestAnswer(const char* given, int size) const {
    if (answerAntal <= 0 || !answers || !answerLengths || !given) return 0;
    const bool caseSensitive = (flags & flagCaseSensitive) != 0;
    for (int i = 0; i < answerAntal; ++i) {
        const char* answer = answers[i];
        if (!answer) continue;
        const int length = answerLengths[i];
        for (int j = 0; j < length && j < size; ++j) {
            if (answer[j] == '\0' && given[j] == '\0') return i + 1;
            const bool differ = caseSensitive
                                    ? answer[j] != given[j]
                                    : FoldWindows1252Case(static_cast<unsigned char>(answer[j])) !=
                                          FoldWindows1252Case(static_cast<unsigned char>(given[j]));
            if (differ) break;
        }
    }
    return 0;
}

std::span<const FlagWordName> FlagWordNames() {
    static const auto names = [] {
        std::vector<FlagWordName> all;
        for (const FlagWord& word : kFlagWords) all.push_back(word.name);
        return all;
    }();
    return names;
}

std::span<const ZoneColourName> ZoneColourNames() {
    static const auto names = [] {
        std::vector<ZoneColourName> all;
        for (const ColourName& colour : kColourNames) all.push_back(colour.name);
        return all;
    }();
    return names;
}
