#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

#include "round/AnswerReport.h"
#include "tests/support/TempDir.h"

namespace {

using V = AnswerVerdict;
using K = NearMissKind;

constexpr const char* kHeader = "time,file,question,line,question text,answer,verdict,seconds\r\n";

AnswerReportRow Typed(const std::string& text, V verdict = V::Wrong, K near = K::None) {
    AnswerReportRow row;
    row.fileName = "capitals.txt";
    row.line = 7;
    row.questionText = "Capital of Sweden?";
    row.answer.questionNo = 3;
    row.answer.text = text;
    row.answer.verdict = verdict;
    row.answer.nearMiss = near;
    row.answer.seconds = 2.25;
    return row;
}

// The report's lines after the byte-order mark and the header.
std::string Body(const std::vector<AnswerReportRow>& rows) {
    const std::string text = AnswerReportText(rows);
    const std::string start = std::string("\xEF\xBB\xBF") + kHeader;
    EXPECT_EQ(text.substr(0, start.size()), start);
    return text.substr(start.size());
}

TEST(AnswerReport, FieldsAreQuotedAndPrefixedAsSpreadsheetsNeed) {
    const struct {
        const char* given;
        const char* written;
    } cases[] = {
        {"Stockholm", "Stockholm"},
        {"", ""},
        {"a,b", "\"a,b\""},
        {"say \"hi\"", "\"say \"\"hi\"\"\""},
        {"two\r\nlines", "\"two\r\nlines\""},
        {"line\nfeed", "\"line\nfeed\""},
        {"=1+1", "'=1+1"},
        {"+46", "'+46"},
        {"-5", "'-5"},
        {"@SUM(A1)", "'@SUM(A1)"},
        {"'quoted", "''quoted"},
        {"=a,b", "\"'=a,b\""},
        {"a=b", "a=b"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.given);
        EXPECT_EQ(ReportField(c.given), c.written);
    }
}

TEST(AnswerReport, WritesMarkHeaderAndCrLfRows) {
    AnswerReportRow row = Typed("Stokholm", V::Wrong, K::Typo);
    row.answer.at = 0;
    EXPECT_EQ(Body({row}), ",capitals.txt,3,7,Capital of Sweden?,Stokholm,near-typo,2.3\r\n");
    EXPECT_EQ(AnswerReportText({}), std::string("\xEF\xBB\xBF") + kHeader);
}

TEST(AnswerReport, ConvertsWindows1252AndCutsTheQuestionAtSixtyBytes) {
    AnswerReportRow row = Typed("G\xE4vle");
    row.questionText = std::string(59, 'q') + "\xE9" + "tail";  // the 60th byte is é
    row.fileName = "fr\xE5gor.txt";                             // a Windows-1252 name
    const std::string body = Body({row});
    EXPECT_NE(body.find(std::string(59, 'q') + "\xC3\xA9,"), std::string::npos) << body;
    EXPECT_EQ(body.find("tail"), std::string::npos);
    EXPECT_NE(body.find("fr\xC3\xA5gor.txt"), std::string::npos);
    EXPECT_NE(body.find("G\xC3\xA4vle"), std::string::npos);

    row.fileName = "fr\xC3\xA5gor.txt";  // already UTF-8: kept as it is
    EXPECT_NE(Body({row}).find(",fr\xC3\xA5gor.txt,"), std::string::npos);
}

TEST(AnswerReport, NamesEveryVerdict) {
    const struct {
        V verdict;
        K near;
        const char* name;
    } cases[] = {
        {V::Right, K::None, "right"},
        {V::RightByAccent, K::Accent, "right-acc"},
        {V::RightByTypo, K::Typo, "right-typo"},
        {V::Wrong, K::None, "wrong"},
        {V::Repeat, K::None, "wrong"},
        {V::Wrong, K::Case, "near-case"},
        {V::Wrong, K::Accent, "near-accent"},
        {V::Wrong, K::Punctuation, "near-punctuation"},
        {V::Wrong, K::Typo, "near-typo"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_STREQ(ReportVerdict(Typed("x", c.verdict, c.near).answer), c.name);
    }
}

TEST(AnswerReport, WritesPointsAsClickOrKey) {
    AnswerRecord point;
    point.click = true;
    point.x = 0;
    point.y = 255;
    EXPECT_EQ(ReportAnswerText(point), "click 0,255");
    point.key = true;
    EXPECT_EQ(ReportAnswerText(point), "key 0,255");
    point.nearMiss = K::Typo;  // a point is never a near miss
    EXPECT_STREQ(ReportVerdict(point), "wrong");
    // The comma makes the field quoted.
    EXPECT_EQ(ReportField(ReportAnswerText(point)), "\"key 0,255\"");
}

TEST(AnswerReport, SecondsHaveOneDecimalAtTheRoundingBoundaries) {
    const struct {
        double seconds;
        const char* text;
    } cases[] = {{0, "0.0"},     {0.04, "0.0"},   {0.05, "0.1"},      {9.949, "9.9"},
                 {9.95, "10.0"}, {59.99, "60.0"}, {1234.5, "1234.5"}, {-1, "0.0"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.seconds);
        EXPECT_EQ(ReportSeconds(c.seconds), c.text);
    }
}

TEST(AnswerReport, TimeIsIso8601ToTheSecond) {
    EXPECT_TRUE(
        std::regex_match(ReportTime(1796900000), std::regex(R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d)")))
        << ReportTime(1796900000);
    EXPECT_EQ(ReportTime(0), "");
}

TEST(AnswerReport, ReadsBackEveryFieldAsWritten) {
    std::vector<AnswerReportRow> rows = {Typed("=a,\"b\"\r\nc", V::Wrong), Typed("'x"),
                                         Typed("", V::Right)};
    rows[1].line = -1;
    rows[2].answer.click = true;
    rows[2].answer.x = 12;
    rows[2].answer.y = 34;
    const ReadReport read = ParseAnswerReport(AnswerReportText(rows));
    ASSERT_EQ(read.error, "");
    ASSERT_EQ(read.rows.size(), 3u);
    EXPECT_EQ(read.rows[0][5], "=a,\"b\"\r\nc");
    EXPECT_EQ(read.rows[1][5], "'x");
    EXPECT_EQ(read.rows[1][3], "");
    EXPECT_EQ(read.rows[2][5], "click 12,34");
    EXPECT_EQ(read.rows[2][6], "right");
    EXPECT_EQ(read.rows[0][4], "Capital of Sweden?");
}

TEST(AnswerReport, RefusesWhatIsNoReport) {
    const struct {
        const char* bytes;
        const char* error;
    } cases[] = {
        {"", "the first row is not the header of an answer report"},
        {"a,b\r\n", "the first row is not the header of an answer report"},
        {"time,file,question,line,question text,answer,verdict,seconds\r\n\"open",
         "a quoted field is not closed before the end of the report"},
        {"time,file,question,line,question text,answer,verdict,seconds\r\n1,2\r\n",
         "row 2 has 2 fields instead of 8"},
        {"time,file,question,line,question text,answer,verdict,seconds\r\nG\xE4vle",
         "the report is not UTF-8 text"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bytes);
        EXPECT_EQ(ParseAnswerReport(c.bytes).error, c.error);
    }
    // Without the mark and with LF line ends it still reads; blank lines are skipped.
    const ReadReport plain = ParseAnswerReport(
        "time,file,question,line,question text,answer,verdict,seconds\n\n,f,1,2,q,a,wrong,1.0\n");
    EXPECT_EQ(plain.error, "");
    EXPECT_EQ(plain.rows.size(), 1u);
}

TEST(AnswerReport, SavesTheFileAndReportsAFailedWrite) {
    TempDir dir;
    const std::string path = dir.File("report.csv");
    ASSERT_TRUE(SaveAnswerReport(path.c_str(), {Typed("Oslo")}));
    EXPECT_EQ(ReadWholeFile(path), AnswerReportText({Typed("Oslo")}));
    const std::string missingFolder = dir.File("no such folder/report.csv");
    EXPECT_FALSE(SaveAnswerReport(missingFolder.c_str(), {}));
}

}  // namespace
