#include "rules/RuleChecker.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <unordered_map>
#include <vector>

#include "rules/FileReader.h"
#include "rules/QuestionFileText.h"
#include "rules/TextUtils.h"

namespace {

constexpr int kRuleBuffer = 128;
constexpr int kNumValue = -100;
// Literals are at most 127 bytes, so a window wider than this behaves like
// one of this width; it bounds what a search allocates.
constexpr int kWidestWindow = 256;
constexpr int kTypeNone = 0;
constexpr int kTypeAftBef = 1;
constexpr int kTypeAfter = 2;
constexpr int kTypeTime = 3;
constexpr int kTypeBefore = 4;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool StartsWithKeyword(const char* s) {
    return CompareTexts(s, "AFT/BEF", 7) || CompareTexts(s, "AFTER", 5) ||
           CompareTexts(s, "TIME", 4) || CompareTexts(s, "BEFORE", 6);
}

// Index of the next single quote at or after `from`, or -1 at the terminator.
int FindQuote(const char* s, int from) {
    for (int i = from; i < kRuleBuffer && s[i] != '\0'; ++i) {
        if (s[i] == '\'') return i;
    }
    return -1;
}

// Where the inner rule begins when a construct's own text ends at `last`
// (the closing quote or the last digit): one character after it is skipped.
// -1 when the rule text ends first, which makes the construct a leaf.
int InnerStartAfter(const char* s, int last) {
    if (s[last + 1] == '\0' || s[last + 2] == '\0') return -1;
    return last + 2;
}

}  // namespace

void clRuleChecker::Interest::Add(unsigned char b) {
    for (int i = 0; i < byteCount; ++i) {
        if (bytes[i] == b) return;
    }
    if (byteCount == static_cast<int>(sizeof bytes)) {
        any = true;
        return;
    }
    bytes[byteCount++] = b;
}

void clRuleChecker::Interest::AddLiteral(const char* s, int length) {
    Add(static_cast<unsigned char>(s[0]));
    if (literalCount == kMaxLiterals) {
        any = true;
        return;
    }
    literals[literalCount] = s;
    literalLengths[literalCount] = length;
    ++literalCount;
    if (length < 2) {
        allHaveSecond = false;
    } else {
        const unsigned char second = static_cast<unsigned char>(s[1]);
        secondBytes[second >> 6] |= 1ULL << (second & 63);
    }
}

bool clRuleChecker::Interest::AnyLiteralAt(const char* window) const {
    if (allHaveSecond) {
        const unsigned char second = static_cast<unsigned char>(window[1]);
        if (((secondBytes[second >> 6] >> (second & 63)) & 1ULL) == 0) return false;
    }
    // Literals are short: a byte loop beats a library call per candidate.
    for (int i = 0; i < literalCount; ++i) {
        const char* literal = literals[i];
        const int length = literalLengths[i];
        int j = 0;
        while (j < length && window[j] == literal[j]) ++j;
        if (j == length) return true;
    }
    return false;
}

clRuleChecker::clRuleChecker()
    : rule(nullptr),
      window(nullptr),
      text(nullptr),
      value(0),
      type(0),
      bufsize(0),
      nextstat(0),
      RC(nullptr) {}

clRuleChecker::clRuleChecker(char* rule, char* window, int bufsize) : clRuleChecker() {
    SetRuleChecker(rule, window, bufsize);
}

clRuleChecker::~clRuleChecker() {
    delete RC;
    delete[] text;
}

int clRuleChecker::SetRuleChecker(char* newRule, char* newWindow, int newBufsize) {
    rule = newRule;
    window = newWindow;
    bufsize = newBufsize;
    text = nullptr;
    RC = nullptr;
    value = 0;
    type = 0;
    nextstat = 0;
    return ReadRules();
}

int clRuleChecker::ReadLiteralOrNum(int quoteIndex, int numInnerIndex) {
    if (rule[quoteIndex] == '\'') {
        int close = FindQuote(rule, quoteIndex + 1);
        if (close < 0) {
            type = kTypeNone;  // unclosed literal: the construct never reports
            return -1;
        }
        int length = close - quoteIndex - 1;
        int size = std::max(std::min(std::max(bufsize, 1), kWidestWindow), length + 1);
        text = new char[size]();
        std::memcpy(text, rule + quoteIndex + 1, static_cast<std::size_t>(length));
        value = length;
        return InnerStartAfter(rule, close);
    }
    if (CompareTexts(rule + quoteIndex, "num", 3)) {
        text = new char[5]{'n', 'u', 'm', '\0', '\0'};
        value = kNumValue;
        int last = numInnerIndex - 2;  // the 'm'
        return InnerStartAfter(rule, last);
    }
    type = kTypeNone;  // neither a literal nor num: the construct never reports
    return -1;
}

int clRuleChecker::ReadRules() {
    if (!rule) return 1;
    int inner = -1;
    if (CompareTexts(rule, "AFT/BEF", 7)) {
        type = kTypeAftBef;
        int close1 = rule[7] == '\'' ? FindQuote(rule, 8) : -1;
        int close2 = close1 >= 0 && rule[close1 + 1] == '\'' ? FindQuote(rule, close1 + 2) : -1;
        if (close2 < 0) {
            type = kTypeNone;
            return 1;
        }
        int lengthX = close1 - 8;
        int lengthY = close2 - close1 - 2;
        int size =
            std::max(2 * std::min(std::max(bufsize, 1), kWidestWindow), lengthX + lengthY + 2);
        text = new char[size]();
        std::memcpy(text, rule + 8, static_cast<std::size_t>(lengthX));
        std::memcpy(text + lengthX, rule + close1 + 2, static_cast<std::size_t>(lengthY));
        value = lengthX;
        inner = InnerStartAfter(rule, close2);
    } else if (CompareTexts(rule, "AFTER", 5)) {
        type = kTypeAfter;
        inner = ReadLiteralOrNum(5, 9);
    } else if (CompareTexts(rule, "TIME", 4)) {
        type = kTypeTime;
        if (!IsDigit(rule[4])) return 0;
        long long count = 0;
        int i = 4;
        while (IsDigit(rule[i])) {
            count = std::min<long long>(count * 10 + (rule[i] - '0'), INT_MAX);
            ++i;
        }
        value = static_cast<int>(count);
        inner = InnerStartAfter(rule, i - 1);
    } else if (CompareTexts(rule, "BEFORE", 6)) {
        type = kTypeBefore;
        inner = ReadLiteralOrNum(6, 10);
    } else {
        return 1;
    }
    if (inner < 0) return 1;

    int to = 0;
    for (int from = inner; from < kRuleBuffer && rule[from] != '\0'; ++from)
        rule[to++] = rule[from];
    rule[to] = '\0';
    if (rule[0] == ')' || !StartsWithKeyword(rule)) return 1;
    RC = new clRuleChecker();
    RC->SetRuleChecker(rule, window, bufsize);
    return 1;
}

void clRuleChecker::Reset() {
    nextstat = type == kTypeBefore ? 2 : 0;
    if (RC) RC->Reset();
}

bool clRuleChecker::Begins(const char* literal, int length) const {
    return length <= bufsize && CompareTexts(window, literal, length);
}

int clRuleChecker::CheckPosition() {
    switch (type) {
        case kTypeAfter:
            if (nextstat == 0) {
                if (IsNum()) {
                    if (IsDigit(window[0])) nextstat = RC ? 1 : 2;
                    return NO_POSITION;
                }
                if (Begins(text, value)) {
                    nextstat = 1;
                    if (!RC) return value;
                }
                return NO_POSITION;
            }
            if (nextstat == 1) return RC ? RC->CheckPosition() : NO_POSITION;
            if (nextstat == 2) return IsDigit(window[0]) ? NO_POSITION : 0;
            return NO_POSITION;

        case kTypeBefore:
            if (nextstat == 2 && !IsNum()) nextstat = 0;
            if ((!IsNum() && value >= 0 && Begins(text, value)) ||
                (IsNum() && IsDigit(window[0]) && nextstat != 2)) {
                return RC ? STOP_REACHED : 0;
            }
            if (IsNum() && nextstat == 2 && !IsDigit(window[0])) nextstat = 0;
            return RC ? RC->CheckPosition() : NO_POSITION;

        case kTypeTime: {
            if (!RC) return 0;
            int r = RC->CheckPosition();
            if (r == NO_POSITION) return NO_POSITION;
            if (nextstat < INT_MAX) ++nextstat;
            if (nextstat == value) return r;
            RC->Reset();
            return NO_POSITION;
        }

        case kTypeAftBef: {
            if (nextstat == 0) {
                if (Begins(text, value)) nextstat = 1;
                return NO_POSITION;
            }
            const char* second = text + value;
            if (Begins(second, static_cast<int>(std::strlen(second)))) return RC ? STOP_REACHED : 0;
            return RC ? RC->CheckPosition() : NO_POSITION;
        }

        default:
            return NO_POSITION;
    }
}

void clRuleChecker::DisplayObject() {
    std::printf("\nvalue = %d\ntype = %d\nbufsize = %d\nnextstat = %d", value, type, bufsize,
                nextstat);
    if (text) std::printf("\ntext = %s", text);
    if (RC) {
        std::printf("\nRC = \n");
        RC->DisplayObject();
    }
    std::fflush(stdout);
}

void clRuleChecker::SetWindow(char* newWindow) {
    for (clRuleChecker* c = this; c; c = c->RC) c->window = newWindow;
}

void clRuleChecker::CollectInterest(Interest& interest) const {
    auto literal = [&](const char* s, int length) {
        if (length == 0) {
            interest.any = true;
        } else if (length <= bufsize) {
            interest.AddLiteral(s, length);
        }
    };
    switch (type) {
        case kTypeAfter:
            if (nextstat == 0) {
                if (IsNum()) {
                    interest.digits = true;
                } else {
                    literal(text, value);
                }
            } else if (nextstat == 1) {
                if (RC) RC->CollectInterest(interest);
            } else if (nextstat == 2) {
                interest.nonDigits = true;
            }
            return;
        case kTypeBefore:
            if (IsNum()) {
                if (nextstat == 2) {
                    interest.nonDigits = true;
                } else {
                    interest.digits = true;
                }
            } else if (nextstat == 2) {
                interest.any = true;  // the step that re-arms the literal after a reset
            } else if (value >= 0) {
                literal(text, value);
            }
            if (RC) RC->CollectInterest(interest);
            return;
        case kTypeTime:
            if (!RC) {
                interest.any = true;
            } else {
                RC->CollectInterest(interest);
            }
            return;
        case kTypeAftBef:
            if (nextstat == 0) {
                literal(text, value);
            } else {
                literal(text + value, static_cast<int>(std::strlen(text + value)));
                if (RC) RC->CollectInterest(interest);
            }
            return;
        default:
            return;
    }
}

namespace {

// The file from the start offset as a stream of blocks, with the window's
// bytes always present after the current position.
class WindowedFile {
public:
    WindowedFile(TextSource file, long long start, int window)
        : file_(std::move(file)),
          offset_(start),
          window_(static_cast<std::size_t>(window)),
          buffer_(fill_ + static_cast<std::size_t>(window) + 1),
          position_(start) {
        Refill();
    }

    // The window at the current position; its first byte is zero at the end of the text.
    char* Window() { return buffer_.data() + base_; }
    long long Position() const { return position_; }

    // Bytes from the current position to the end of the text or of what is loaded.
    std::size_t Available() const { return std::min(zeroAt_, have_) - base_; }
    // True when the text ends within the loaded bytes (a zero byte or the end of the file).
    bool EndIsLoaded() const { return zeroAt_ < have_ || eof_; }

    void Advance(std::size_t n) {
        base_ += n;
        position_ += static_cast<long long>(n);
        if (base_ + window_ + 1 > have_ && !eof_) Refill();
    }

    // Moves to the first position at or after the current one that `scan`
    // reports (scan(from, to) returns a pointer into [from, to) or null) and
    // `accept` takes, or to the end of the text. `accept` sees a position only
    // when its whole window is loaded; a candidate nearer the end of what is
    // loaded is returned untested, for the caller to test after the refill.
    template <typename Scan, typename Accept>
    void SkipTo(Scan scan, Accept accept) {
        for (;;) {
            const std::size_t limit = std::min(zeroAt_, have_);
            const char* from = buffer_.data() + base_;
            const char* to = buffer_.data() + limit;
            const char* loaded =
                EndIsLoaded() || have_ < window_ + 1
                    ? to
                    : std::min<const char*>(to, buffer_.data() + have_ - window_ - 1);
            const char* hit = scan(from, to);
            while (hit && hit < loaded && !accept(hit)) hit = scan(hit + 1, to);
            if (hit) {
                Advance(static_cast<std::size_t>(hit - from));
                return;
            }
            Advance(limit - base_);
            if (base_ >= have_ && eof_) return;
            if (base_ == zeroAt_) return;
        }
    }

    template <typename Scan>
    void SkipTo(Scan scan) {
        SkipTo(scan, [](const char*) { return true; });
    }

private:
    static constexpr std::size_t kBlock = 1 << 16;

    void Refill() {
        std::size_t kept = have_ - base_;
        std::memmove(buffer_.data(), buffer_.data() + base_, kept);
        base_ = 0;
        have_ = kept;
        // Most searches end near their start: read a little first, more later.
        const std::size_t room = std::min(kept + fill_, kBlock + window_) + 1;
        if (buffer_.size() < room) buffer_.resize(room);
        const std::size_t target = std::min(buffer_.size() - 1, kept + fill_);
        fill_ = std::min(fill_ * 4, kBlock);
        while (have_ < target && !eof_) {
            std::size_t got =
                file_ ? file_.Read(buffer_.data() + have_, target - have_, offset_) : 0;
            if (got == 0) eof_ = true;
            have_ += got;
        }
        if (eof_) buffer_[have_] = '\0';
        const void* zero = std::memchr(buffer_.data(), '\0', have_);
        zeroAt_ = zero ? static_cast<std::size_t>(static_cast<const char*>(zero) - buffer_.data())
                       : have_;
    }

    TextSource file_;
    long long offset_;
    std::size_t window_;
    std::size_t fill_ = 4096;
    std::vector<char> buffer_;
    std::size_t base_ = 0;
    std::size_t have_ = 0;
    std::size_t zeroAt_ = 0;
    long long position_;
    bool eof_ = false;
};

// A scan for the next occurrence of one byte.
auto ByteScan(unsigned char b) {
    return [b](const char* from, const char* to) {
        return static_cast<const char*>(std::memchr(from, b, static_cast<std::size_t>(to - from)));
    };
}

// A TIME whose inner rule is a single literal of AFTER or BEFORE.
bool IsTimeOverLeafLiteral(const clRuleChecker& chain) {
    const clRuleChecker* leaf = chain.RC;
    return chain.type == kTypeTime && leaf && !leaf->RC &&
           (leaf->type == kTypeAfter || leaf->type == kTypeBefore) && leaf->value > 0 &&
           leaf->value <= leaf->bufsize;
}

// Evaluates such a chain by counting whole matches of the literal: every step
// in between returns NO_POSITION and changes nothing, each match is one report,
// and after a report the TIME resets the literal to the state it started in.
int CountLeafLiteral(clRuleChecker& chain, WindowedFile& text) {
    const clRuleChecker& leaf = *chain.RC;
    const char* literal = leaf.text;
    const std::size_t length = static_cast<std::size_t>(leaf.value);
    const unsigned char first = static_cast<unsigned char>(literal[0]);
    for (;;) {
        const char* from = text.Window();
        const std::size_t available = text.Available();
        if (available < length) {
            if (text.EndIsLoaded()) return NO_POSITION;
            text.Advance(available);
            continue;
        }
        // Positions up to `last` have the whole literal's bytes loaded.
        const char* last = from + (available - length);
        for (const char* p = from; p <= last; ++p) {
            p = static_cast<const char*>(
                std::memchr(p, first, static_cast<std::size_t>(last - p + 1)));
            if (!p) break;
            std::size_t j = 1;
            while (j < length && p[j] == literal[j]) ++j;
            if (j < length) continue;
            if (chain.nextstat < INT_MAX) ++chain.nextstat;
            if (chain.nextstat == chain.value) {
                long long found =
                    text.Position() + (p - from) + (leaf.type == kTypeAfter ? leaf.value : 0);
                return found > INT_MAX ? NO_POSITION : static_cast<int>(found);
            }
        }
        if (text.EndIsLoaded()) return NO_POSITION;
        text.Advance(available - length + 1);
    }
}

// Where a search over a held question text found nothing to act on.
struct QuietStretch {
    long long from = -1;  // the search's start; -1 while unknown
    long long quietUntil = -1;
    int result = NO_POSITION;
};

struct SearchMemo {
    std::uint64_t generation = 0;
    std::unordered_map<std::string, QuietStretch> stretches;  // by rule and window
};

// Per thread, as the held texts it is kept for.
SearchMemo& TheSearchMemo() {
    thread_local SearchMemo memo;
    return memo;
}

}  // namespace

int FindPosition(const char* rule, const char* fileName, int windowSize, int start, bool show,
                 FileReading reading) {
    char ruleCopy[kRuleBuffer] = {};
    if (rule) {
        for (int i = 0; i < kRuleBuffer - 1 && rule[i] != '\0'; ++i) ruleCopy[i] = rule[i];
    }
    const std::string memoKey = std::string(ruleCopy) + '\n' + std::to_string(windowSize);
    const int window = std::min(std::max(windowSize, 0), kWidestWindow);
    std::vector<char> idleWindow(static_cast<std::size_t>(window) + 1, '\0');
    clRuleChecker chain(ruleCopy, idleWindow.data(), windowSize);
    if (show) chain.DisplayObject();
    if (windowSize <= 0 || start < 0) return NO_POSITION;
    TextSource file = OpenTextAt(fileName, start, reading);
    if (!file) return NO_POSITION;

    WindowedFile text(std::move(file), start, window);
    if (IsTimeOverLeafLiteral(chain)) return CountLeafLiteral(chain, text);
    std::array<bool, 256> table{};

    // Moves to the first position at or after the current one at which some
    // construct can act in the chain's current state: every position passed
    // over is a step that returns NO_POSITION and changes nothing.
    auto skipQuiet = [&text, &table](const clRuleChecker::Interest& interest) {
        if (interest.any || interest.nonDigits) return;
        if (!interest.digits && interest.byteCount == 0) {
            text.SkipTo([](const char*, const char*) -> const char* { return nullptr; });
            return;
        }
        const bool oneByte = !interest.digits && interest.byteCount == 1;
        if (!oneByte) {
            table.fill(false);
            if (interest.digits) {
                for (char c = '0'; c <= '9'; ++c) table[static_cast<unsigned char>(c)] = true;
            }
            for (int i = 0; i < interest.byteCount; ++i) table[interest.bytes[i]] = true;
        }
        // A candidate byte where no literal matches whole and no digit is
        // wanted is passed over like any other position.
        auto acts = [&interest](const char* w) {
            return (interest.digits && IsDigit(*w)) || interest.AnyLiteralAt(w);
        };
        for (;;) {
            if (oneByte) {
                text.SkipTo(ByteScan(interest.bytes[0]), acts);
            } else {
                text.SkipTo(
                    [&table](const char* from, const char* to) -> const char* {
                        for (const char* p = from; p < to; ++p) {
                            if (table[static_cast<unsigned char>(*p)]) return p;
                        }
                        return nullptr;
                    },
                    acts);
            }
            const char* w = text.Window();
            if (*w == '\0' || (interest.digits && IsDigit(*w)) || interest.AnyLiteralAt(w)) return;
            text.Advance(1);
        }
    };

    // On a held question text the quiet stretch before the first position
    // where the rule can act is remembered with the result: a later search
    // of the same rule that starts within it goes on exactly as this one did.
    QuietStretch* stretch = nullptr;
    std::uint64_t generation = 0;
    if (reading == FileReading::QuestionFile && HeldQuestionTextOf(fileName, &generation)) {
        clRuleChecker::Interest interest;
        chain.CollectInterest(interest);
        if (!interest.any && !interest.nonDigits) {
            SearchMemo& memo = TheSearchMemo();
            if (memo.generation != generation) {
                memo.stretches.clear();
                memo.generation = generation;
            }
            stretch = &memo.stretches[memoKey];
            if (stretch->from >= 0 && stretch->from <= start && start <= stretch->quietUntil) {
                return stretch->result;
            }
            stretch->from = -1;
            skipQuiet(interest);
        }
    }
    const long long quietUntil = text.Position();

    auto evaluate = [&]() -> int {
        for (;;) {
            char* w = text.Window();
            if (*w == '\0') return NO_POSITION;
            chain.SetWindow(w);
            int r = chain.CheckPosition();
            if (r != NO_POSITION) {
                if (r == STOP_REACHED) return STOP_REACHED;
                long long found = text.Position() + r;
                return found > INT_MAX ? NO_POSITION : static_cast<int>(found);
            }
            text.Advance(1);

            // Skip, in one scan, every position at which no construct can act.
            clRuleChecker::Interest interest;
            chain.CollectInterest(interest);
            skipQuiet(interest);
        }
    };
    const int result = evaluate();
    if (stretch) {
        stretch->from = start;
        stretch->quietUntil = quietUntil;
        stretch->result = result;
    }
    return result;
}
