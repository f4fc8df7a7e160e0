// The checker's report in the form compilers use, so that editors jump to
// each place: "path:line:column: error: message [check]", a summary line per
// file and a total after several files.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "check/Checker.h"

// "12 questions, 1 error, 0 warnings": a check's summary line without its name.
std::string SummaryOf(const FileCheck& check);

// Writes the report of each check in turn. A file that cannot be read gives
// one line "path: error: cannot read it: reason".
void WriteReport(std::ostream& out, const std::vector<FileCheck>& checks);

// 2 when a file could not be read, else 1 when any file has an error, else 0.
int ExitCodeOf(const std::vector<FileCheck>& checks);

// The whole program: options, checks, report. Returns the exit code.
int RunChecker(int argc, const char* const* argv, std::ostream& out, std::ostream& err);
