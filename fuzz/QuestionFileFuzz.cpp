// A fuzzed question file: counted as a round does, every block parsed, and
// answers tested and judged with texts taken from the input.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "fuzz/FuzzSupport.h"
#include "questions/Question.h"
#include "questions/Tolerance.h"
#include "round/QuestionOrder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string path = ScratchPath("questions");
    const bool big = WriteScratchOrBig(path, data, size);

    clQuestionOrder round;
    round.LoadQuestionFile(path.c_str());
    const int blocks = std::min(round.qantal, 64);
    if (big) {
        // One parse of a block at the start, the middle or the end of a big file.
        const int n[] = {1, round.qantal / 2, round.qantal, round.qantal + 1};
        clQuestion question;
        question.GetQuestion(path.c_str(), n[data[2] % 4]);
        return 0;
    }
    clQuestion question;
    // The typed answer: the input's last bytes, cut at 255 and terminated.
    std::string typed(reinterpret_cast<const char*>(data) + size - std::min<std::size_t>(size, 24),
                      std::min<std::size_t>(size, 24));
    for (int n = -1; n <= blocks + 3; ++n) {
        if (!question.GetQuestion(path.c_str(), n)) continue;
        question.TestAnswer(typed.c_str(), static_cast<int>(typed.size()) + 1);
        const int limited = 256 < typed.size() + 1 ? 256 : static_cast<int>(typed.size()) + 1;
        const int exact = question.TestAnswer(typed.c_str(), limited);
        // The judgement keeps every exact match as TestAnswer finds it.
        const Judgement judged = JudgeAnswer(question, typed.c_str(), limited);
        if (exact > 0 && (!judged.correct || judged.answer != exact)) std::abort();
        if (judged.answer < 0 || judged.answer > question.ReturnAnswerAntal()) std::abort();
        // A wrong answer is judged the near miss the classifier names.
        const NearMiss miss = FindNearMiss(question, typed.c_str(), limited);
        if (!judged.correct && (miss.kind != judged.kind || miss.answer != judged.answer)) {
            std::abort();
        }
        for (int k = -1; k <= question.ReturnAnswerAntal(); ++k) {
            int length = 0;
            delete[] question.GiveAnswer(k, &length);
        }
        delete[] question.GiveQuestion(nullptr);
        delete[] question.GiveAInfo(nullptr);
    }
    return 0;
}
