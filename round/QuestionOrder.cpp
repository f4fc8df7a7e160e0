#include "round/QuestionOrder.h"

#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <iostream>
#include <new>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "questions/Question.h"
#include "round/RoundMapping.h"
#include "rules/FileNames.h"
#include "rules/FileReader.h"
#include "rules/FileSystem.h"
#include "rules/RuleChecker.h"
#include "rules/TextUtils.h"

namespace {

// Window length of the searches for the name and the count.
constexpr int kWideWindow = 32;

// Rules as stored, trailing spaces included.
constexpr char kQFileRule[] = "AFTER'qfile: \"'()  ";
constexpr char kCountRule[] = "AFTER'qantal:'(BEFOREnum())  ";
static_assert(std::string_view(kCountRule).substr(6, sizeof(kRoundCountMark) - 1) ==
              std::string_view(kRoundCountMark));

constexpr char kQuote[] = "\"";
constexpr const auto& kLineMark = kRoundLineMark;
constexpr char kStatMark[] = "Stat:";
constexpr const auto& kIdMark = kRoundIdMark;
constexpr const auto& kSumMark = kRoundSumMark;
// A number is read from at most this many bytes, as GetInt reads it.
constexpr int kNumberBytes = 16;

// A round file that names an absurd count does not make the loader reserve
// room for it: entries are stored as they are read.
constexpr int kInitialReserve = 1024;

constexpr std::size_t kBlock = 1 << 16;

char* CopyName(const char* name) {
    if (!name) return nullptr;
    std::size_t length = std::strlen(name);
    char* copy = new char[length + 1];
    std::memcpy(copy, name, length + 1);
    return copy;
}

// The number of question tags before the first zero byte, in one read of the
// file: the count at which a search for the n-th tag would first fail.
int CountQuestions(const char* questionFile) {
    long long count = 0;
    clQuestion::WalkQuestionTags(questionFile, [&count](long long) {
        ++count;
        return true;
    });
    return count > INT_MAX ? INT_MAX : static_cast<int>(count);
}

// A file read forward in blocks, byte by byte through At. The last bytes
// before the block read most recently stay at hand; a position further back
// opens the file again there, so any order of access gives the right bytes.
class ForwardText {
public:
    explicit ForwardText(const char* fileName) : name_(fileName), buffer_(kKeep + kBlock) {}

    // The loaded bytes from `pos` on, up to the first zero byte among them;
    // `endsText` tells whether such a zero byte cut the span. False past the
    // end of the file.
    bool Span(long long pos, const char*& data, std::size_t& size, bool& endsText) {
        if (At(pos) < 0) return false;
        const std::size_t at = static_cast<std::size_t>(pos - start_);
        if (zeroFrom_ != start_) {
            const void* zero = std::memchr(buffer_.data(), '\0', have_);
            zeroAt_ =
                zero ? static_cast<std::size_t>(static_cast<const char*>(zero) - buffer_.data())
                     : have_;
            zeroFrom_ = start_;
        }
        data = buffer_.data() + at;
        endsText = zeroAt_ < have_;
        size = zeroAt_ > at ? zeroAt_ - at : 0;
        return true;
    }

    // The byte at `pos` (0 .. 255), or -1 past the end of the file.
    int At(long long pos) {
        if ((pos < start_ || pos >= start_ + static_cast<long long>(have_)) && !Fill(pos)) {
            return -1;
        }
        return static_cast<unsigned char>(buffer_[static_cast<std::size_t>(pos - start_)]);
    }

private:
    static constexpr std::size_t kKeep = 64;

    bool Fill(long long pos) {
        zeroFrom_ = -1;
        if (!opened_ || pos < start_) {
            file_ = OpenFileAt(name_, pos);
            opened_ = true;
            offset_ = start_ = pos;
            have_ = 0;
        }
        while (pos >= start_ + static_cast<long long>(have_)) {
            if (!file_) return false;
            const std::size_t keep = have_ < kKeep ? have_ : kKeep;
            std::memmove(buffer_.data(), buffer_.data() + have_ - keep, keep);
            start_ += static_cast<long long>(have_ - keep);
            have_ = keep;
            const std::size_t got = ReadBlock(file_.get(), buffer_.data() + have_, kBlock, offset_);
            if (got == 0) {
                file_.reset();
                return false;
            }
            have_ += got;
        }
        zeroFrom_ = -1;
        return true;
    }

    const char* name_;
    FileHandle file_;
    bool opened_ = false;
    long long offset_ = 0;
    long long start_ = 0;
    std::size_t have_ = 0;
    std::vector<char> buffer_;
    long long zeroFrom_ = -1;  // start_ for which zeroAt_ was computed
    std::size_t zeroAt_ = 0;   // index of the first zero byte loaded, or have_
};

bool IsDigit(int c) { return c >= '0' && c <= '9'; }

template <std::size_t N>
bool BeginsWith(ForwardText& text, long long pos, const char (&literal)[N]) {
    const char* data = nullptr;
    std::size_t size = 0;
    bool endsText = false;
    if (text.Span(pos, data, size, endsText) && size >= N - 1) {
        return std::memcmp(data, literal, N - 1) == 0;
    }
    for (std::size_t i = 0; i + 1 < N; ++i) {
        if (text.At(pos + static_cast<long long>(i)) != static_cast<unsigned char>(literal[i])) {
            return false;
        }
    }
    return true;
}

using HitTest = bool (*)(ForwardText& text, long long pos);

bool DigitAt(ForwardText& text, long long pos) { return IsDigit(text.At(pos)); }
bool LineMarkAt(ForwardText& text, long long pos) { return BeginsWith(text, pos, kLineMark); }
bool StatMarkAt(ForwardText& text, long long pos) { return BeginsWith(text, pos, kStatMark); }
bool IdMarkAt(ForwardText& text, long long pos) { return BeginsWith(text, pos, kIdMark); }
bool SumMarkAt(ForwardText& text, long long pos) { return BeginsWith(text, pos, kSumMark); }

// Finds the first position at or after a given one, before the end of the
// text, that its test accepts. The last answer is remembered: a search from a
// later position that does not pass it has the same answer, which keeps the
// reading of many lines linear even when an item lies far ahead.
class ForwardSearch {
public:
    // `first` is the byte every hit begins with, or 0 when a hit is a digit.
    ForwardSearch(const char* fileName, HitTest hit, char first)
        : text_(fileName), hit_(hit), first_(first) {}

    // -1 when there is no such position.
    long long From(long long from) {
        if (lastFrom_ >= 0 && from >= lastFrom_ && from <= lastFound_) return lastFound_;
        // Nothing up to the end of the file from an earlier position: nothing
        // from a later one either.
        if (missFrom_ >= 0 && from >= missFrom_) return -1;
        bool atZero = false;
        const long long found = Scan(from, atZero);
        if (found < 0) {
            if (!atZero) missFrom_ = from;
        } else {
            lastFrom_ = from;
            lastFound_ = found;
        }
        return found;
    }

    // The fingerprint written after blanks from `at`, as a round file's
    // question line holds it after its mark.
    std::optional<std::uint64_t> FingerprintAt(long long at) {
        while (text_.At(at) == ' ' || text_.At(at) == '\t') ++at;
        char digits[kFingerprintDigits];
        for (int i = 0; i < kFingerprintDigits; ++i) {
            const int c = text_.At(at + i);
            if (c < 0) return std::nullopt;
            digits[i] = static_cast<char>(c);
        }
        return ReadFingerprint(std::string_view(digits, kFingerprintDigits));
    }

    // The number that begins at `at`, read as GetInt reads it.
    int NumberAt(long long at) {
        long long v = 0;
        const char* data = nullptr;
        std::size_t size = 0;
        bool endsText = false;
        if (text_.Span(at, data, size, endsText) && (size >= kNumberBytes || endsText)) {
            // The digits are loaded (or the text ends among them): read them in place.
            const std::size_t n = size < kNumberBytes ? size : kNumberBytes;
            for (std::size_t i = 0; i < n && IsDigit(static_cast<unsigned char>(data[i])); ++i) {
                v = v * 10 + (data[i] - '0');
            }
        } else {
            for (int i = 0; i < kNumberBytes; ++i) {
                int c = text_.At(at + i);
                if (!IsDigit(c)) break;
                v = v * 10 + (c - '0');
            }
        }
        if (at > 0 && text_.At(at - 1) == '-') v = -v;
        return v > INT_MAX ? INT_MAX : v < INT_MIN ? INT_MIN : static_cast<int>(v);
    }

private:
    // The first hit from `from`, or -1; `atZero` tells whether a zero byte
    // ended the search before the end of the file.
    long long Scan(long long from, bool& atZero) {
        atZero = false;
        // Candidates are found a loaded stretch at a time; only they are tested.
        for (long long p = from;;) {
            const char* data = nullptr;
            std::size_t size = 0;
            bool endsText = false;
            if (!text_.Span(p, data, size, endsText)) return -1;
            const std::size_t limit = size;
            std::size_t i = 0;
            if (first_ != '\0') {
                const void* hit = std::memchr(data, first_, limit);
                i = hit ? static_cast<std::size_t>(static_cast<const char*>(hit) - data) : limit;
            } else {
                while (i < limit && !IsDigit(static_cast<unsigned char>(data[i]))) ++i;
            }
            if (i < limit) {
                const long long candidate = p + static_cast<long long>(i);
                if (hit_(text_, candidate)) return candidate;
                p = candidate + 1;
                continue;
            }
            if (endsText) {
                atZero = true;
                return -1;
            }
            p += static_cast<long long>(size);
        }
    }

    ForwardText text_;
    HitTest hit_;
    char first_;
    long long lastFrom_ = -1;
    long long lastFound_ = -1;
    long long missFrom_ = -1;
};

// Reads the question lines of a round file one after the other. Line j is
// found after line j - 1, each item with its own forward reader; the results
// are those of searching for the j-th "Q:" from `countAt`, then for the first
// digit and the first "Stat:" after it, and the first digit after that.
class QuestionLines {
public:
    QuestionLines(const char* fileName, long long countAt)
        : next_(countAt),
          lines_(fileName, LineMarkAt, kLineMark[0]),
          numbers_(fileName, DigitAt, '\0'),
          stats_(fileName, StatMarkAt, kStatMark[0]),
          statNumbers_(fileName, DigitAt, '\0'),
          ids_(fileName, IdMarkAt, kIdMark[0]) {}

    // False when the line, its number or its status is missing. `mark` gets
    // the line's mark, -1 when there is none; `id` the fingerprint written
    // after the status and before the next line's mark, if any.
    bool Next(OrderEntry& entry, long long& mark, std::optional<std::uint64_t>& id) {
        id.reset();
        mark = lines_.From(next_);
        if (mark < 0) return false;
        const long long line = mark + 2;
        next_ = line;
        const long long number = numbers_.From(line);
        if (number < 0) return false;
        const long long stat = stats_.From(line);
        if (stat < 0) return false;
        const long long statNumber = statNumbers_.From(stat + 1);
        if (statNumber < 0) return false;
        entry.questionNo = numbers_.NumberAt(number);
        entry.stat = statNumbers_.NumberAt(statNumber);
        const long long idMark = ids_.From(statNumber + 1);
        if (idMark >= 0) {
            const long long nextLine = lines_.From(line);
            if (nextLine < 0 || idMark < nextLine) {
                id = ids_.FingerprintAt(idMark + static_cast<long long>(sizeof(kIdMark) - 1));
            }
        }
        return true;
    }

    // The fingerprint after the first sum mark from `from`, if any.
    static std::optional<std::uint64_t> SumAfter(const char* fileName, long long from) {
        ForwardSearch sums(fileName, SumMarkAt, kSumMark[0]);
        const long long at = sums.From(from);
        if (at < 0) return std::nullopt;
        return sums.FingerprintAt(at + static_cast<long long>(sizeof(kSumMark) - 1));
    }

private:
    long long next_;
    ForwardSearch lines_;
    ForwardSearch numbers_;
    ForwardSearch stats_;
    ForwardSearch statNumbers_;
    ForwardSearch ids_;
};

// A round file names its question file as it was on the machine that saved
// it. A name written on Windows is replaced by the name found here, so that
// every later read opens it directly. When no such file is here, a question
// file of the same base name beside the round file is taken instead;
// otherwise `qfile` stays as it was.
void FindQuestionFileHere(char*& qfile, const char* roundFile) {
    if (!qfile || !*qfile || IsRegularFileName(qfile)) return;
    std::string found = FindWindowsName(qfile);
    if (!IsRegularFileName(found)) {
        const std::string base = BaseNameOf(qfile);
        if (base.empty()) return;
        found = FindWindowsName((FolderOf(roundFile) + base).c_str());
        if (!IsRegularFileName(found)) return;
    }
    char* copy = CopyName(found.c_str());
    delete[] qfile;
    qfile = copy;
}

// A number drawn evenly from 0 .. bound - 1 (bound > 0). Raw outputs at or
// above the largest multiple of bound below 2^32 would favour the low
// numbers; they are drawn again.
std::uint32_t DrawBelow(std::mt19937& generator, std::uint32_t bound) {
    constexpr std::uint64_t kRange = std::uint64_t{1} << 32;
    const std::uint64_t limit = kRange - kRange % bound;
    for (;;) {
        const std::uint64_t r = static_cast<std::uint32_t>(generator());
        if (r < limit) return static_cast<std::uint32_t>(r % bound);
    }
}

// Whether the entries name each of the questions 1 .. entries.size() once.
bool NamesEachQuestionOnce(const OrderEntry* entries, int count) {
    if (!entries || count <= 0) return false;
    std::vector<bool> seen(static_cast<std::size_t>(count), false);
    for (int i = 0; i < count; ++i) {
        const int n = entries[i].questionNo;
        if (n < 1 || n > count || seen[static_cast<std::size_t>(n - 1)]) return false;
        seen[static_cast<std::size_t>(n - 1)] = true;
    }
    return true;
}

}  // namespace

bool IsRoundFile(const char* fileName) {
    constexpr std::size_t magicLength = sizeof(kRoundFileMagic) - 1;
    FileHandle file = OpenFileAt(fileName, 0);
    if (!file) return false;
    char head[magicLength];
    long long offset = 0;
    return ReadBlock(file.get(), head, magicLength, offset) == magicLength &&
           std::memcmp(head, kRoundFileMagic, magicLength) == 0;
}

clQuestionOrder::clQuestionOrder() : order(nullptr), qfile(nullptr), sfile(nullptr), qantal(0) {}

clQuestionOrder::~clQuestionOrder() {
    delete[] order;
    delete[] qfile;
    delete[] sfile;
}

int clQuestionOrder::LoadQuestionFile(const char* name) {
    memory.Start(false);
    delete[] order;
    order = nullptr;
    qantal = 0;
    if (name) {
        char* copy = CopyName(name);  // before freeing: name may be qfile itself
        delete[] qfile;
        delete[] sfile;
        sfile = nullptr;
        qfile = copy;
    }
    int count = CountQuestions(qfile);
    if (count <= 0) return 0;
    order = new (std::nothrow) OrderEntry[count];
    if (!order) return 0;
    for (int i = 0; i < count; ++i) order[i] = OrderEntry{i + 1, 0};
    qantal = count;
    return 1;
}

int clQuestionOrder::ShuffelQuestions(int seed) {
    if (!order) return 1;
    // Fisher-Yates: position n takes an entry drawn evenly from positions
    // 0 .. n. The draw is made here from the generator's raw 32-bit output,
    // whose sequence the language fixes for every seed, so that a seed gives
    // the same order with every compiler and library.
    std::mt19937 generator(static_cast<std::uint32_t>(seed));
    for (int n = qantal - 1; n > 0; --n) {
        const int pick = static_cast<int>(DrawBelow(generator, static_cast<std::uint32_t>(n) + 1));
        std::swap(order[n], order[pick]);
    }
    return 1;
}

void clQuestionOrder::MoveQ(int from, int to) {
    const int c = qantal;
    if (!order || from < 0 || from >= c || to < -1 || to >= c) return;
    const OrderEntry taken = order[from];
    if (to == -1) to = c - 1;
    if (from == to) return;
    if (to == 0) {
        for (int p = from; p > 0; --p) order[p] = order[p - 1];
        order[0] = taken;
        return;
    }
    // Walk forward around the ring until the slot before `to` is filled.
    for (int p = from;;) {
        int next = p + 1 == c ? 0 : p + 1;
        order[p] = order[next];
        if (p == to - 1) break;
        p = next;
    }
    order[to] = taken;
}

int clQuestionOrder::MoveQForReask(int distance) {
    if (!order || qantal < 1) return -1;
    int p = distance < qantal - 1 ? distance : qantal - 1;
    if (p < 0) p = 0;
    for (int q = p; q >= 0; --q) {
        if (order[q].stat != 1) {
            MoveQ(0, q);
            return q;
        }
    }
    return 0;
}

int clQuestionOrder::SetQuestionStat(int position, int status) {
    if (!order || position < 0 || position >= qantal) return 0;
    order[position].stat = status;
    return 1;
}

int clQuestionOrder::ReturnQuestionNo(int position) {
    if (!order || position < 0 || position >= qantal) return -1;
    return order[position].questionNo;
}

int clQuestionOrder::ReturnQuestionStat(int position) {
    if (!order || position < 0 || position >= qantal) return -1;
    return order[position].stat;
}

char* clQuestionOrder::ReturnQFile() { return qfile; }

int clQuestionOrder::SaveRoundFile(const char* name) {
    char* copy = CopyName(name);  // before freeing: name may be sfile itself
    delete[] sfile;
    sfile = copy;
    if (!sfile) return 0;

    std::string content;
    int result = 0;
    if (qfile) {
        content.append("qfile: \"").append(qfile).append("\"\r\n");
        content.append("sfile: \"").append(sfile).append("\"\r\n");
        if (qantal != 0 && order) {
            // Fingerprints only for a round that is a whole file's questions:
            // any other round has no question list to align with the file.
            std::vector<std::uint64_t> fingerprints;
            if (NamesEachQuestionOnce(order, qantal)) {
                fingerprints = clQuestion::FingerprintQuestions(qfile);
                if (static_cast<int>(fingerprints.size()) != qantal) fingerprints.clear();
            }
            content.append("qantal: ").append(std::to_string(qantal)).append("\r\n");
            if (!fingerprints.empty()) {
                content.append(kSumMark).append(" ");
                content.append(FingerprintText(FingerprintSum(fingerprints))).append("\r\n");
            }
            for (int i = 0; i < qantal; ++i) {
                content.append("Q: ").append(std::to_string(order[i].questionNo));
                content.append(" Stat: ").append(std::to_string(order[i].stat));
                if (!fingerprints.empty()) {
                    const auto n = static_cast<std::size_t>(order[i].questionNo - 1);
                    content.append(" ").append(kIdMark).append(" ");
                    content.append(FingerprintText(fingerprints[n]));
                }
                content.append("\r\n");
            }
            result = 1;
        }
    }
    return ReplaceFileContent(sfile, content) ? result : 0;
}

int clQuestionOrder::LoadRoundFile(const char* name, RoundFileTrace* trace) {
    RoundFileTrace ignored;
    RoundFileTrace& where = trace ? *trace : ignored;
    where = RoundFileTrace{};
    char* copy = CopyName(name);  // before freeing: name may be sfile itself
    memory.Start(true);
    delete[] order;
    delete[] qfile;
    delete[] sfile;
    order = nullptr;
    qfile = nullptr;
    qantal = 0;
    sfile = copy;
    if (!sfile) return 0;

    const int nameStart = FindPosition(kQFileRule, sfile, kWideWindow, 0, false);
    if (nameStart < 0) return 0;
    const int nameLength = CountCharTo(sfile, nameStart, kQuote, 1, kWideWindow);
    if (nameLength < 0 || nameLength > INT_MAX - 2) return 0;
    qfile = GetToStop(sfile, nameStart, kQuote, 1, nameLength + 2);
    FindQuestionFileHere(qfile, sfile);

    const int countAt = FindPosition(kCountRule, sfile, kWideWindow, 0, false);
    if (countAt < 0) return 0;
    const int count = GetInt(sfile, countAt);
    where.countAt = countAt;
    where.count = count;
    if (count < 0) return 0;

    // Question lines are looked for only after the count, so that a file name
    // holding "Q:" (a path on drive Q) is never taken for one.
    std::vector<OrderEntry> entries;
    entries.reserve(static_cast<std::size_t>(count < kInitialReserve ? count : kInitialReserve));
    QuestionLines lines(sfile, countAt);
    std::vector<std::uint64_t> ids;
    bool everyLineHasId = true;
    for (int j = 1; j <= count; ++j) {
        OrderEntry entry{};
        long long mark = -1;
        std::optional<std::uint64_t> id;
        if (!lines.Next(entry, mark, id)) {
            where.brokenLine = mark;
            return 0;
        }
        if (trace) {
            where.lines.push_back(mark);
            where.entries.push_back(entry);
        }
        entries.push_back(entry);
        if (id && everyLineHasId) {
            ids.push_back(*id);
        } else {
            everyLineHasId = false;
        }
    }
    const std::optional<std::uint64_t> savedSum =
        everyLineHasId && count > 0 ? QuestionLines::SumAfter(sfile, countAt) : std::nullopt;
    if (savedSum) {
        where.fingerprinted = true;
        where.savedSum = *savedSum;
        where.fingerprints = ids;
    }

    int result = -1;  // not known before the question file is counted
    if (savedSum && NamesEachQuestionOnce(entries.data(), count)) {
        const std::vector<std::uint64_t> current = clQuestion::FingerprintQuestions(qfile);
        // A question file that cannot be read keeps the round as saved.
        if (!current.empty() && FingerprintSum(current) != *savedSum) {
            std::vector<std::uint64_t> saved(ids.size());
            for (int i = 0; i < count; ++i) {
                saved[static_cast<std::size_t>(entries[static_cast<std::size_t>(i)].questionNo -
                                               1)] = ids[static_cast<std::size_t>(i)];
            }
            where.mapping = AlignFingerprints(saved, current);
            where.mapped = true;
            entries =
                MapEntries(entries, where.mapping, static_cast<std::uint32_t>(std::time(nullptr)));
            memory.Renumber(where.mapping.currentNo);
            result = 1;
        } else if (!current.empty()) {
            result = static_cast<int>(current.size()) == count ? 1 : 0;
        }
    }
    if (!entries.empty()) {
        order = new (std::nothrow) OrderEntry[entries.size()];
        if (!order) return 0;
        std::memcpy(order, entries.data(), entries.size() * sizeof(OrderEntry));
        qantal = static_cast<int>(entries.size());
    }
    if (result >= 0) return result;
    return CountQuestions(qfile) == qantal ? 1 : 0;
}

void clQuestionOrder::DisplayAllQInConsole() {
    if (!qfile || qantal <= 0 || !order) return;
    for (int i = 0; i < qantal; ++i) {
        clQuestion question;
        question.GetQuestion(qfile, order[i].questionNo);
        question.DisplayAllInConsole();
        std::cout << "\n";
    }
}
