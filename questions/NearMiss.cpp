#include "questions/NearMiss.h"

#include <array>
#include <cstring>
#include <optional>
#include <utility>

#include "questions/Question.h"
#include "rules/Windows1252.h"

namespace {

constexpr unsigned char kBlank = ' ';
constexpr char kMarks[] = ".,;:!?'\"-";

struct AccentGroup {
    const char* letters;
    char base;
};

// Windows-1252 letters and the base letter each one loses its accent to.
constexpr AccentGroup kAccentGroups[] = {
    {"\300\301\302\303\304\305", 'A'},  // À Á Â Ã Ä Å
    {"\340\341\342\343\344\345", 'a'},  // à á â ã ä å
    {"\307", 'C'},                      // Ç
    {"\347", 'c'},                      // ç
    {"\310\311\312\313", 'E'},          // È É Ê Ë
    {"\350\351\352\353", 'e'},          // è é ê ë
    {"\314\315\316\317", 'I'},          // Ì Í Î Ï
    {"\354\355\356\357", 'i'},          // ì í î ï
    {"\321", 'N'},                      // Ñ
    {"\361", 'n'},                      // ñ
    {"\322\323\324\325\326\330", 'O'},  // Ò Ó Ô Õ Ö Ø
    {"\362\363\364\365\366\370", 'o'},  // ò ó ô õ ö ø
    {"\331\332\333\334", 'U'},          // Ù Ú Û Ü
    {"\371\372\373\374", 'u'},          // ù ú û ü
    {"\335\237", 'Y'},                  // Ý Ÿ
    {"\375\377", 'y'},                  // ý ÿ
    {"\212", 'S'},                      // Š
    {"\232", 's'},                      // š
    {"\216", 'Z'},                      // Ž
    {"\236", 'z'},                      // ž
};

constexpr std::array<unsigned char, 256> MakeAccentTable() {
    std::array<unsigned char, 256> table{};
    for (int b = 0; b < 256; ++b)
        table[static_cast<std::size_t>(b)] = static_cast<unsigned char>(b);
    for (const AccentGroup& group : kAccentGroups) {
        for (const char* p = group.letters; *p != '\0'; ++p) {
            table[static_cast<unsigned char>(*p)] = static_cast<unsigned char>(group.base);
        }
    }
    return table;
}

constexpr std::array<unsigned char, 256> kAccentTable = MakeAccentTable();

// How two texts are compared: whether case counts, whether accents count.
struct Rule {
    bool caseSensitive;
    bool accents;  // true: bytes as they are; false: by AccentBase
    unsigned char operator()(char c) const {
        auto b = static_cast<unsigned char>(c);
        if (!caseSensitive) b = FoldWindows1252Case(b);
        return accents ? b : AccentBase(b);
    }
};

bool EqualUnder(std::string_view a, std::string_view b, Rule rule) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (rule(a[i]) != rule(b[i])) return false;
    }
    return true;
}

// Equal when blanks and punctuation marks are left out of both.
bool EqualBesidesPunctuation(std::string_view a, std::string_view b, Rule rule) {
    std::size_t i = 0;
    std::size_t j = 0;
    for (;;) {
        while (i < a.size() && IsBlankOrPunctuation(static_cast<unsigned char>(a[i]))) ++i;
        while (j < b.size() && IsBlankOrPunctuation(static_cast<unsigned char>(b[j]))) ++j;
        if (i == a.size() || j == b.size()) return i == a.size() && j == b.size();
        if (rule(a[i]) != rule(b[j])) return false;
        ++i;
        ++j;
    }
}

bool IsLetter(char c) { return !IsBlankOrPunctuation(static_cast<unsigned char>(c)); }

// Exactly one edit apart: one character missing, extra or different, or two
// neighbouring letters swapped.
bool OneTypoApart(std::string_view a, std::string_view b, Rule rule) {
    if (a.size() < b.size()) std::swap(a, b);
    const std::size_t n = a.size();
    const std::size_t m = b.size();
    if (n - m > 1) return false;
    std::size_t first = 0;
    while (first < m && rule(a[first]) == rule(b[first])) ++first;
    if (n == m + 1) {
        // Drop a[first]; the rest must follow in step.
        for (std::size_t k = first; k < m; ++k) {
            if (rule(a[k + 1]) != rule(b[k])) return false;
        }
        return true;
    }
    if (first == n) return false;  // equal under the rule
    auto equalFrom = [&](std::size_t from) {
        for (std::size_t k = from; k < n; ++k) {
            if (rule(a[k]) != rule(b[k])) return false;
        }
        return true;
    };
    if (equalFrom(first + 1)) return true;  // one different
    return first + 1 < n && IsLetter(a[first]) && IsLetter(a[first + 1]) &&
           rule(a[first]) == rule(b[first + 1]) && rule(a[first + 1]) == rule(b[first]) &&
           equalFrom(first + 2);
}

NearMiss Search(std::string_view typed, const std::vector<std::optional<std::string_view>>& answers,
                bool caseSensitive) {
    // The pair kinds are computed once; the first kind in order wins, then
    // the first answer of that kind.
    NearMiss best;
    for (std::size_t i = 0; i < answers.size(); ++i) {
        if (!answers[i]) continue;
        const NearMissKind kind = CompareNearly(typed, *answers[i], caseSensitive);
        if (kind == NearMissKind::None) continue;
        if (best.kind == NearMissKind::None || kind < best.kind) {
            best.kind = kind;
            best.answer = static_cast<int>(i) + 1;
        }
    }
    return best;
}

}  // namespace

unsigned char AccentBase(unsigned char byte) { return kAccentTable[byte]; }

bool IsBlankOrPunctuation(unsigned char byte) {
    return byte == kBlank || (byte != '\0' && std::strchr(kMarks, byte) != nullptr);
}

int CountAnswerLetters(std::string_view text) {
    int letters = 0;
    for (char c : text) letters += IsLetter(c) ? 1 : 0;
    return letters;
}

NearMissKind CompareNearly(std::string_view typed, std::string_view answer, bool caseSensitive) {
    const Rule asCompared{caseSensitive, true};
    if (EqualUnder(typed, answer, asCompared)) return NearMissKind::None;
    if (caseSensitive && EqualUnder(typed, answer, Rule{false, true})) return NearMissKind::Case;
    const Rule withoutAccents{caseSensitive, false};
    if (EqualUnder(typed, answer, withoutAccents)) return NearMissKind::Accent;
    const int letters = CountAnswerLetters(answer);
    if (letters > 0 && EqualBesidesPunctuation(typed, answer, asCompared)) {
        return NearMissKind::Punctuation;
    }
    if (letters >= kTypoNamingLetters && OneTypoApart(typed, answer, withoutAccents)) {
        return NearMissKind::Typo;
    }
    return NearMissKind::None;
}

NearMiss FindNearMiss(std::string_view typed, const std::vector<std::string_view>& answers,
                      bool caseSensitive) {
    std::vector<std::optional<std::string_view>> all(answers.begin(), answers.end());
    return Search(typed, all, caseSensitive);
}

bool TypedAnswerText(const char* given, int size, std::string_view& text) {
    text = {};
    if (!given || size <= 0) return false;
    // Byte by byte: the typed text's buffer may end well before `size`.
    for (int i = 0; i < size; ++i) {
        if (given[i] == '\0') {
            text = std::string_view(given, static_cast<std::size_t>(i));
            return true;
        }
    }
    return false;
}

bool StoredAnswerText(const clQuestion& question, int index, int size, std::string_view& text) {
    text = {};
    if (index < 0 || index >= question.answerAntal || !question.answers ||
        !question.answerLengths || !question.answers[index] || size <= 0) {
        return false;
    }
    const int length = question.answerLengths[index];
    const int limit = length < size ? length : size;
    if (limit <= 0) return false;
    const char* answer = question.answers[index];
    const void* zero = std::memchr(answer, '\0', static_cast<std::size_t>(limit));
    if (!zero) return false;
    text =
        std::string_view(answer, static_cast<std::size_t>(static_cast<const char*>(zero) - answer));
    return true;
}

NearMiss FindNearMiss(const clQuestion& question, const char* given, int size) {
    std::string_view typed;
    if (!TypedAnswerText(given, size, typed)) return {};
    std::vector<std::optional<std::string_view>> answers;
    for (int i = 0; i < question.answerAntal; ++i) {
        std::string_view text;
        answers.push_back(StoredAnswerText(question, i, size, text)
                              ? std::optional<std::string_view>(text)
                              : std::nullopt);
    }
    return Search(typed, answers, question.HaveFlag(flagCaseSensitive));
}
