#include "ui/ScreenReader.h"

#include <memory>
#include <string>

#include "platform/Accessibility.h"
#include "ui/Crosshair.h"
#include "ui/UiState.h"

namespace {

constexpr const char* kAnswerBoxName = "Answer";
constexpr const char* kAnswerBoxDescription = "Type the answer and press Enter.";
constexpr const char* kZonePictureDescription =
    "Answered by a point on the picture: the arrow keys move the cross, Enter answers.";

// The picture's name: the question's text while a question or its feedback
// is shown, else what the text area says.
std::string PictureName() {
    UiState& ui = Ui();
    if (ui.QuizState >= kQuizAwaitTypedAnswer && ui.QuizState <= kQuizFeedbackWrong) {
        std::unique_ptr<char[]> question(ui.CurrentQuestion.GiveQuestion());
        if (question && question[0] != '\0') return question.get();
    }
    return ui.TextAreaText ? ui.TextAreaText.get() : "";
}

}  // namespace

void TellScreenReaders() {
    UiState& ui = Ui();
    const std::string text = ui.TextAreaText ? ui.TextAreaText.get() : "";
    SetAccessibleTexts(ui.hwndTextArea, text.c_str(), nullptr, nullptr);
    if (text != ui.ToldText) {
        ui.ToldText = text;
        NotifyTextChanged(ui.hwndTextArea);
    }
    SetAccessibleTexts(ui.hwndTextBox, kAnswerBoxName, kAnswerBoxDescription, nullptr);
    const bool zone = ui.QuizState == kQuizAwaitZoneClick;
    SetAccessibleTexts(ui.hwndMain, PictureName().c_str(), zone ? kZonePictureDescription : nullptr,
                       zone ? CrosshairValue().c_str() : nullptr);
}
