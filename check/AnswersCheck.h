// The checker's suggestions from answer reports: the rows of one or more
// reports that the program saved, matched to the questions of a question
// file, and per question the answers a teacher may want to look at (wrong
// answers given more than once, near misses, answers accepted only by a
// flag word) as "note:" lines at the question's answer list.
#pragma once

#include <ostream>
#include <string>
#include <vector>

// Reads every report, then writes the notes for `questionFile`. Returns 0, or
// 2 when a report or the question file cannot be read (each such file is
// named with the reason, and no notes are written).
int CheckAnswerReports(const std::vector<std::string>& reports, const std::string& questionFile,
                       std::ostream& out);
