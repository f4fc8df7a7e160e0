#include "ui/WindowTitle.h"

#include <cstring>
#include <memory>

#include "platform/FileNameText.h"
#include "platform/WinApi.h"
#include "ui/UiState.h"

namespace {

constexpr const char* kTitle = "Quillfin";
constexpr const char* kTitleSeparator = " - ";
constexpr const char* kLeft = " left";
constexpr const char* kFinished = "finished";
constexpr int kStatusCorrect = 1;

// The name after the last folder separator; a name from a round file written
// on Windows may use either separator.
const char* WithoutFolder(const char* path) {
    const char* name = path;
    for (const char* p = path; *p != '\0'; ++p) {
        if (*p == '/' || *p == '\\') name = p + 1;
    }
    return name;
}

int QuestionsNotYetRight(clQuestionOrder& round) {
    int left = 0;
    for (int i = 0; i < round.qantal; ++i) {
        if (round.ReturnQuestionStat(i) != kStatusCorrect) ++left;
    }
    return left;
}

}  // namespace

std::string RoundTitle() {
    UiState& ui = Ui();
    if (ui.QuizState == kQuizWelcome) return kTitle;
    clQuestionOrder& round = ui.QuestionOrder;
    const char* file = round.ReturnQFile();
    if (file == nullptr || file[0] == '\0') return kTitle;
    const std::string named = std::string(kTitle) + kTitleSeparator +
                              FileNameAsText(WithoutFolder(file)) + kTitleSeparator;
    if (ui.QuizState == kQuizRoundFinished) return named + kFinished;
    int left = QuestionsNotYetRight(round);
    if (left > 0 && HeadAnsweredOnScreen()) --left;
    return named + std::to_string(left) + kLeft;
}

void ShowRoundTitle() {
    UiState& ui = Ui();
    if (ui.hwndMain == nullptr) return;
    const std::string title = RoundTitle();
    const int length = GetWindowTextLengthA(ui.hwndMain);
    if (length == static_cast<int>(title.size())) {
        std::unique_ptr<char[]> shown(new char[length + 1]);
        GetWindowTextA(ui.hwndMain, shown.get(), length + 1);
        if (std::memcmp(shown.get(), title.data(), title.size()) == 0) return;
    }
    SetWindowTextA(ui.hwndMain, title.c_str());
}
