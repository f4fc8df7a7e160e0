// A fuzzed typed answer and answer list: the first byte sets the case rule,
// the rest splits at '|' into the typed text and the answers. The near miss
// names an answer in range, and each kind keeps the lengths it allows.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "questions/NearMiss.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const bool caseSensitive = (data[0] & 1) != 0;
    std::string_view rest(reinterpret_cast<const char*>(data) + 1, size - 1);
    std::vector<std::string_view> parts;
    for (std::size_t bar = rest.find('|');; bar = rest.find('|')) {
        parts.push_back(rest.substr(0, bar));
        if (bar == std::string_view::npos) break;
        rest.remove_prefix(bar + 1);
    }
    const std::string_view typed = parts.front();
    const std::vector<std::string_view> answers(parts.begin() + 1, parts.end());
    const NearMiss miss = FindNearMiss(typed, answers, caseSensitive);
    if (miss.kind == NearMissKind::None) return miss.answer == 0 ? 0 : (std::abort(), 0);
    if (miss.answer < 1 || miss.answer > static_cast<int>(answers.size())) std::abort();
    const std::string_view answer = answers[static_cast<std::size_t>(miss.answer - 1)];
    if (CompareNearly(typed, answer, caseSensitive) != miss.kind) std::abort();
    const std::size_t longer = typed.size() > answer.size() ? typed.size() : answer.size();
    const std::size_t shorter = typed.size() > answer.size() ? answer.size() : typed.size();
    switch (miss.kind) {
        case NearMissKind::Case:
            if (!caseSensitive || typed.size() != answer.size()) std::abort();
            break;
        case NearMissKind::Accent:
            if (typed.size() != answer.size()) std::abort();
            break;
        case NearMissKind::Typo:
            if (longer - shorter > 1 || CountAnswerLetters(answer) < kTypoNamingLetters)
                std::abort();
            break;
        default:
            break;
    }
    return 0;
}
