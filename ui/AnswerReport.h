// The answers of this run for the answer report: every answer recorded in a
// round's memory is also kept here, with its question file, the line of the
// question's block and the question's text, for as long as the program runs
// (a new or loaded round does not forget them). File > Save answer report...
// writes them (round/AnswerReport.h).
#pragma once

#include <string>
#include <vector>

#include "platform/WinApi.h"
#include "round/AnswerReport.h"

// Keeps `record`, an answer to the question on screen (Ui().CurrentQuestion)
// of the round's question file.
void KeepAnswerForReport(const AnswerRecord& record);

// Every answer kept since the program started, in the order given.
const std::vector<AnswerReportRow>& ReportedAnswers();

// Forgets them (for tests).
void ForgetReportedAnswers();

// The name the save dialog proposes: the question file's base name with
// "-answers.csv", in the question file's folder.
std::string ProposedReportName(const std::string& questionFile);

// The menu command: a box when no answer was given yet; otherwise the save
// dialog (asking before it replaces a file) and the report written to the
// chosen file, or a box naming the file when it could not be written.
void SaveAnswerReportCommand(HWND owner);
