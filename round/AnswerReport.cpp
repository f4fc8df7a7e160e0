#include "round/AnswerReport.h"

#include <cmath>
#include <ctime>
#include <iterator>

#include "rules/FileSystem.h"
#include "rules/Windows1252.h"

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kLineEnd = "\r\n";
constexpr char kTextPrefix = '\'';

bool IsUtf8(std::string_view bytes) {
    const auto* s = reinterpret_cast<const unsigned char*>(bytes.data());
    for (std::size_t i = 0; i < bytes.size();) {
        if (s[i] < 0x80) {
            ++i;
            continue;
        }
        char32_t code = 0;
        const int length = DecodeUtf8(s, bytes.size(), i, code);
        if (length <= 0) return false;
        i += static_cast<std::size_t>(length);
    }
    return true;
}

// The name as UTF-8: names from the system are UTF-8 on most systems and
// Windows-1252 from the Windows "A" calls.
std::string NameAsUtf8(std::string_view name) {
    return IsUtf8(name) ? std::string(name) : Windows1252ToUtf8(name);
}

std::string Pad(int value, int width) {
    std::string digits = std::to_string(value);
    if (static_cast<int>(digits.size()) < width) digits.insert(0, width - digits.size(), '0');
    return digits;
}

bool StartsLikeFormula(std::string_view text) {
    if (text.empty()) return false;
    const char c = text.front();
    return c == '=' || c == '+' || c == '-' || c == '@' || c == kTextPrefix;
}

}  // namespace

const char* const kAnswerReportColumns[8] = {"time",          "file",   "question", "line",
                                             "question text", "answer", "verdict",  "seconds"};

const char* ReportVerdict(const AnswerRecord& answer) {
    switch (answer.verdict) {
        case AnswerVerdict::Right:
            return "right";
        case AnswerVerdict::RightByAccent:
            return "right-acc";
        case AnswerVerdict::RightByTypo:
            return "right-typo";
        case AnswerVerdict::Wrong:
        case AnswerVerdict::Repeat:
            break;
    }
    switch (answer.click ? NearMissKind::None : answer.nearMiss) {
        case NearMissKind::Case:
            return "near-case";
        case NearMissKind::Accent:
            return "near-accent";
        case NearMissKind::Punctuation:
            return "near-punctuation";
        case NearMissKind::Typo:
            return "near-typo";
        case NearMissKind::None:
            break;
    }
    return "wrong";
}

std::string ReportAnswerText(const AnswerRecord& answer) {
    if (!answer.click) return answer.text;
    return std::string(answer.key ? "key " : "click ") + std::to_string(answer.x) + "," +
           std::to_string(answer.y);
}

std::string ReportTime(std::int64_t at) {
    if (at == 0) return {};
    const std::time_t time = static_cast<std::time_t>(at);
    const std::tm* local = std::localtime(&time);
    if (local == nullptr) return {};
    return Pad(local->tm_year + 1900, 4) + "-" + Pad(local->tm_mon + 1, 2) + "-" +
           Pad(local->tm_mday, 2) + "T" + Pad(local->tm_hour, 2) + ":" + Pad(local->tm_min, 2) +
           ":" + Pad(local->tm_sec, 2);
}

std::string ReportSeconds(double seconds) {
    if (!(seconds >= 0)) seconds = 0;  // also NaN
    const long long tenths = std::llround(seconds * 10);
    return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10);
}

std::string ReportField(std::string_view utf8) {
    std::string field;
    if (StartsLikeFormula(utf8)) field += kTextPrefix;
    field.append(utf8);
    if (field.find_first_of(",\"\r\n") == std::string::npos) return field;
    std::string quoted(1, '"');
    for (const char c : field) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    quoted += '"';
    return quoted;
}

std::string AnswerReportText(const std::vector<AnswerReportRow>& rows) {
    std::string text(kByteOrderMark);
    auto addRow = [&text](const std::vector<std::string>& fields) {
        for (std::size_t i = 0; i < fields.size(); ++i) {
            if (i > 0) text += ',';
            text += ReportField(fields[i]);
        }
        text += kLineEnd;
    };
    addRow(
        std::vector<std::string>(std::begin(kAnswerReportColumns), std::end(kAnswerReportColumns)));
    for (const AnswerReportRow& row : rows) {
        const AnswerRecord& a = row.answer;
        const std::string_view question =
            std::string_view(row.questionText).substr(0, kReportTextBytes);
        addRow({ReportTime(a.at), NameAsUtf8(row.fileName), std::to_string(a.questionNo),
                row.line > 0 ? std::to_string(row.line) : std::string(),
                Windows1252ToUtf8(question), Windows1252ToUtf8(ReportAnswerText(a)),
                ReportVerdict(a), ReportSeconds(a.seconds)});
    }
    return text;
}

bool SaveAnswerReport(const char* reportFile, const std::vector<AnswerReportRow>& rows) {
    if (reportFile == nullptr || *reportFile == '\0') return false;
    return ReplaceFileContent(reportFile, AnswerReportText(rows));
}

ReadReport ParseAnswerReport(std::string_view bytes) {
    ReadReport report;
    if (bytes.substr(0, kByteOrderMark.size()) == kByteOrderMark)
        bytes.remove_prefix(kByteOrderMark.size());
    if (!IsUtf8(bytes)) {
        report.error = "the report is not UTF-8 text";
        return report;
    }
    std::vector<std::vector<std::string>> rows;
    std::vector<std::string> fields;
    std::string field;
    bool quoted = false;  // inside a quoted field
    bool rowHasText = false;
    auto endField = [&] {
        // Every field the writer began with the prefix got one more in front.
        if (!field.empty() && field.front() == kTextPrefix) field.erase(0, 1);
        fields.push_back(std::move(field));
        field.clear();
    };
    auto endRow = [&] {
        endField();
        if (rowHasText) rows.push_back(std::move(fields));
        fields.clear();
        rowHasText = false;
    };
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (quoted) {
            if (c != '"') {
                field += c;
            } else if (i + 1 < bytes.size() && bytes[i + 1] == '"') {
                field += '"';
                ++i;
            } else {
                quoted = false;
            }
            continue;
        }
        if (c == '"' && field.empty()) {
            quoted = true;
            rowHasText = true;
        } else if (c == ',') {
            endField();
            rowHasText = true;
        } else if (c == '\n' || (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')) {
            if (c == '\r') ++i;
            endRow();
        } else {
            field += c;
            rowHasText = true;
        }
    }
    if (quoted) {
        report.error = "a quoted field is not closed before the end of the report";
        return report;
    }
    endRow();
    constexpr std::size_t kColumns = std::size(kAnswerReportColumns);
    if (rows.empty() || rows.front() != std::vector<std::string>(std::begin(kAnswerReportColumns),
                                                                 std::end(kAnswerReportColumns))) {
        report.error = "the first row is not the header of an answer report";
        return report;
    }
    for (std::size_t r = 1; r < rows.size(); ++r) {
        if (rows[r].size() != kColumns) {
            report.error = "row " + std::to_string(r + 1) + " has " +
                           std::to_string(rows[r].size()) + " fields instead of " +
                           std::to_string(kColumns);
            return report;
        }
    }
    rows.erase(rows.begin());
    report.rows = std::move(rows);
    return report;
}
