// A fuzzed round file: loaded, played at the head as the quiz does, saved,
// loaded again (which must give the same round), and restarted.
#include <sys/stat.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "fuzz/FuzzSupport.h"
#include "round/QuestionOrder.h"

namespace {
constexpr int kReaskDistance = 13;

bool SameRound(const clQuestionOrder& a, const clQuestionOrder& b) {
    if (a.qantal != b.qantal) return false;
    if ((a.qfile == nullptr) != (b.qfile == nullptr)) return false;
    if (a.qfile && std::strcmp(a.qfile, b.qfile) != 0) return false;
    for (int i = 0; i < a.qantal; ++i) {
        if (a.order[i].questionNo != b.order[i].questionNo || a.order[i].stat != b.order[i].stat) {
            return false;
        }
    }
    return true;
}
}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // Round files in the corpus name these as their question file.
    ::mkfifo("/tmp/quillfin-fuzz-pipe", 0600);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string path = ScratchPath("round");
    static const std::string saved = ScratchPath("round-saved");
    if (WriteScratchOrBig(path, data, size)) {
        clQuestionOrder round;
        round.LoadRoundFile(path.c_str());
        return 0;
    }

    clQuestionOrder round;
    round.LoadRoundFile(path.c_str());
    for (int step = 0; step < 4 && round.ReturnQuestionStat(0) >= 0; ++step) {
        round.ReturnQuestionNo(0);
        if (step % 2 == 0) {
            round.SetQuestionStat(0, 2);
            round.MoveQForReask(kReaskDistance);
        } else {
            round.SetQuestionStat(0, 1);
            round.MoveQ(0, -1);
        }
    }
    round.SaveRoundFile(saved.c_str());
    clQuestionOrder again;
    again.LoadRoundFile(saved.c_str());
    // A name with a double quote, or holding the count's own label, cannot be
    // read back; every other round reads back whole.
    if (round.qfile && !std::strchr(round.qfile, '"') && !std::strstr(round.qfile, "qantal:") &&
        round.qantal > 0 && !SameRound(round, again)) {
        std::abort();
    }
    round.LoadQuestionFile(nullptr);
    round.ShuffelQuestions(static_cast<int>(size));
    return 0;
}
