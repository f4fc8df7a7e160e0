#include "ui/AnswerReport.h"

#include "platform/FileNameText.h"
#include "questions/Question.h"
#include "ui/UiState.h"

namespace {

constexpr int kFileNameBufferSize = 260;
constexpr const char kReportFilter[] = "CSV Files (.csv)\0*.csv\0All Files\0*.*\0";
constexpr const char* kReportSuffix = "-answers.csv";

constexpr const char* kNoAnswersText =
    "There are no answers to report yet.\n"
    "The report lists the answers given in the rounds played since Quillfin was started.";
constexpr const char* kNoAnswersTitle = "No answers yet";
constexpr const char* kReportFailedText = "The answer report could not be saved to the file\n";
constexpr const char* kReportFailedAdvice =
    "\n\nAn earlier file of that name has not been changed.\n"
    "Choose Save answer report again to save it under another name or in another folder.";
constexpr const char* kReportFailedTitle = "Answer report not saved";

std::vector<AnswerReportRow>& Kept() {
    static std::vector<AnswerReportRow> rows;
    return rows;
}

std::size_t NameStart(const std::string& path) {
    const std::size_t separator = path.find_last_of("/\\");
    return separator == std::string::npos ? 0 : separator + 1;
}

}  // namespace

void KeepAnswerForReport(const AnswerRecord& record) {
    UiState& ui = Ui();
    AnswerReportRow row;
    const char* questionFile = ui.QuestionOrder.ReturnQFile();
    if (questionFile != nullptr) {
        row.fileName = questionFile;
        row.line = clQuestion::FindQuestionLine(questionFile, record.questionNo);
    }
    OwnedText text(ui.CurrentQuestion.GiveQuestion());
    if (text) row.questionText = std::string(text.get()).substr(0, kReportTextBytes);
    row.answer = record;
    Kept().push_back(std::move(row));
}

const std::vector<AnswerReportRow>& ReportedAnswers() { return Kept(); }

void ForgetReportedAnswers() { Kept().clear(); }

std::string ProposedReportName(const std::string& questionFile) {
    const std::size_t nameStart = NameStart(questionFile);
    std::string name = questionFile.substr(nameStart);
    const std::size_t dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0) name.erase(dot);
    return questionFile.substr(0, nameStart) + name + kReportSuffix;
}

void SaveAnswerReportCommand(HWND owner) {
    if (Kept().empty()) {
        MessageBoxA(owner, kNoAnswersText, kNoAnswersTitle, MB_OK | MB_ICONINFORMATION);
        return;
    }
    char fileName[kFileNameBufferSize] = {};
    // A name too long for the dialog's buffer is not proposed.
    const std::string proposed = ProposedReportName(Kept().back().fileName);
    if (proposed.size() < sizeof(fileName)) proposed.copy(fileName, proposed.size());
    OPENFILENAMEA ofn{};
    ofn.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = kReportFilter;
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = fileName;
    ofn.nMaxFile = kFileNameBufferSize;
    ofn.lpstrDefExt = "csv";
    ofn.Flags = OFN_EXPLORER | OFN_PATHMUSTEXIST | OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY;
    if (!GetSaveFileNameA(&ofn)) return;
    fileName[kFileNameBufferSize - 1] = '\0';

    // The rows name the file without its folder.
    std::vector<AnswerReportRow> rows = Kept();
    for (AnswerReportRow& row : rows) row.fileName.erase(0, NameStart(row.fileName));
    if (!SaveAnswerReport(fileName, rows)) {
        const std::string text = kReportFailedText + FileNameAsText(fileName) + kReportFailedAdvice;
        MessageBoxA(owner, text.c_str(), kReportFailedTitle, MB_OK | MB_ICONWARNING);
    }
}
