// The answer report: one CSV row per answer given in the rounds of a run,
// for a teacher to open in a spreadsheet. The text is UTF-8 with a byte-order
// mark, a header row, CR LF line ends and RFC 4180 quoting; a field that a
// spreadsheet would take for a formula is written as text. Reading a report
// back (ReadAnswerReport) undoes all of that.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "round/RoundMemory.h"

// An answer with what the report says of its question. Texts are
// Windows-1252 bytes, except `fileName`, which is the name as the system
// gave it (UTF-8 or Windows-1252; written as UTF-8 either way).
struct AnswerReportRow {
    std::string fileName;      // the question file's name, without its folder
    int line = -1;             // the line of the question's block; -1 when unknown
    std::string questionText;  // the question's text (cut to kReportTextBytes when written)
    AnswerRecord answer;
};

constexpr std::size_t kReportTextBytes = 60;

// The header row's field names, in the order of the fields.
extern const char* const kAnswerReportColumns[8];

// The verdict column: right, wrong, near-case, near-accent, near-punctuation,
// near-typo, right-acc or right-typo. A repeated answer is wrong.
const char* ReportVerdict(const AnswerRecord& answer);

// The answer column: the typed text, or "click x,y" / "key x,y" for a point.
std::string ReportAnswerText(const AnswerRecord& answer);

// `at` (seconds since 1970) as local time, "YYYY-MM-DDTHH:MM:SS"; empty for 0.
std::string ReportTime(std::int64_t at);

// Seconds with one decimal and a point, whatever the locale ("12.3").
std::string ReportSeconds(double seconds);

// One field as RFC 4180 writes it: quoted when it holds a comma, a quote,
// CR or LF (quotes doubled); a field beginning with = + - @ or ' gets a ' in
// front, so that a spreadsheet shows it as text.
std::string ReportField(std::string_view utf8);

// The whole report (header and rows) as the bytes of the file.
std::string AnswerReportText(const std::vector<AnswerReportRow>& rows);

// Writes the report through a new file renamed over `reportFile` once
// complete. False when the file could not be written; an earlier file of
// that name is then unchanged.
bool SaveAnswerReport(const char* reportFile, const std::vector<AnswerReportRow>& rows);

// A report read back: each row's fields in UTF-8, as written before quoting
// and the text prefix. The header row is left out.
struct ReadReport {
    std::vector<std::vector<std::string>> rows;
    std::string error;  // why the report could not be read; empty when it was
};

// Splits report bytes (with or without the byte-order mark, CR LF or LF) into
// rows of fields. `error` is set for a quote left open at the end, a header
// that is not the report's, or text that is not UTF-8.
ReadReport ParseAnswerReport(std::string_view bytes);
