// Helpers shared by the round tests: setting and reading a round's entries
// directly, and question files of a given number of questions.
#pragma once

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "round/QuestionOrder.h"

namespace round_test {

inline void SetEntries(clQuestionOrder& round, const std::vector<OrderEntry>& entries) {
    delete[] round.order;
    round.order = nullptr;
    round.qantal = static_cast<int>(entries.size());
    if (entries.empty()) return;
    round.order = new OrderEntry[entries.size()];
    std::memcpy(round.order, entries.data(), entries.size() * sizeof(OrderEntry));
}

inline std::vector<OrderEntry> Entries(const clQuestionOrder& round) {
    if (!round.order || round.qantal <= 0) return {};
    return std::vector<OrderEntry>(round.order, round.order + round.qantal);
}

inline void SetName(char*& field, const std::string& name) {
    delete[] field;
    field = new char[name.size() + 1];
    std::memcpy(field, name.c_str(), name.size() + 1);
}

// `count` question blocks, each with one answer, CR LF line ends.
inline std::string QuestionFile(int count) {
    std::string s;
    for (int i = 1; i <= count; ++i) {
        s += "\244Q \"Question " + std::to_string(i) + "?\"\r\n\244A \"" + std::to_string(i) +
             "\"\r\n\244E\r\n";
    }
    return s;
}

// The entries as (questionNo, stat) pairs, which the test macros compare and print.
using Pairs = std::vector<std::pair<int, int>>;
inline Pairs AsPairs(const std::vector<OrderEntry>& entries) {
    Pairs out;
    for (const auto& e : entries) out.emplace_back(e.questionNo, e.stat);
    return out;
}
inline Pairs AsPairs(const clQuestionOrder& round) { return AsPairs(Entries(round)); }

}  // namespace round_test
