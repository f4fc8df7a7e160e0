// Writes an answer report for a read-back by another program:
//   write_answer_report OUT.csv TEXT...
// Each TEXT (UTF-8) becomes one row whose question text and answer are that
// text; question numbers count from 1. Exit status 0 when written.
#include <string>
#include <vector>

#include "round/AnswerReport.h"
#include "rules/Windows1252.h"

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    std::vector<AnswerReportRow> rows;
    for (int i = 2; i < argc; ++i) {
        AnswerReportRow row;
        if (!Utf8ToWindows1252(argv[i], row.questionText)) return 2;
        row.fileName = "read back.txt";
        row.line = 2 * i;
        row.answer.questionNo = i - 1;
        row.answer.text = row.questionText;
        row.answer.verdict = i % 2 == 0 ? AnswerVerdict::Right : AnswerVerdict::Wrong;
        row.answer.seconds = i + 0.25;
        row.answer.at = 1796900000 + i;
        rows.push_back(std::move(row));
    }
    return SaveAnswerReport(argv[1], rows) ? 0 : 1;
}
