// The file type of saved rounds as the desktop sees it: the rule in the
// installed MIME package must be the program's own, so that a file the file
// manager opens with Quillfin is one that Quillfin resumes as a round.
#include <gtest/gtest.h>

#include <QFile>
#include <QMimeDatabase>
#include <QXmlStreamReader>
#include <filesystem>
#include <string>
#include <vector>

#include "round/QuestionOrder.h"
#include "tests/support/TempDir.h"

namespace {

constexpr const char* kRoundType = "application/x-quillfin-round";

struct MimeRule {
    std::vector<std::string> globs;
    std::vector<std::pair<std::string, std::string>> matches;  // offset, value
    std::string subclassOf;
};

MimeRule ReadRule(const char* path) {
    MimeRule rule;
    QFile file(QString::fromUtf8(path));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path;
    QXmlStreamReader xml(&file);
    bool inType = false;
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement()) continue;
        const auto attribute = [&](const char* name) {
            return xml.attributes().value(QString::fromLatin1(name)).toString().toStdString();
        };
        const QString name = xml.name().toString();
        if (name == QLatin1String("mime-type")) inType = attribute("type") == kRoundType;
        if (!inType) continue;
        if (name == QLatin1String("glob")) rule.globs.push_back(attribute("pattern"));
        if (name == QLatin1String("sub-class-of")) rule.subclassOf = attribute("type");
        if (name == QLatin1String("match")) {
            EXPECT_EQ(attribute("type"), "string");
            rule.matches.emplace_back(attribute("offset"), attribute("value"));
        }
    }
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    return rule;
}

TEST(RoundMimeType, IsTheProgramsOwnRule) {
    const MimeRule rule = ReadRule(QUILLFIN_MIME_XML);
    EXPECT_EQ(rule.globs, std::vector<std::string>{"*.qfr"});
    ASSERT_EQ(rule.matches.size(), 1u);
    EXPECT_EQ(rule.matches[0].first, "0");
    EXPECT_EQ(rule.matches[0].second, kRoundFileMagic);
    EXPECT_EQ(rule.subclassOf, "text/plain");
}

// The desktop's own reading of the package: installed into a data folder of
// its own, files are told apart by name and by content as IsRoundFile does.
TEST(RoundMimeType, DesktopTellsRoundsAsTheProgramDoes) {
    TempDir data;
    std::filesystem::create_directories(data.Path() / "mime" / "packages");
    std::filesystem::copy_file(QUILLFIN_MIME_XML,
                               data.Path() / "mime" / "packages" / "org.quillfin.Quillfin.xml");
    // Read once, at the database's first use: this process uses it nowhere else.
    qputenv("XDG_DATA_DIRS", QByteArray::fromStdString(data.Path().string() + ":/usr/share"));

    TempDir files;
    const std::string round = "qfile: \"C:\\quiz\\capitals.txt\"\r\nqantal: 1\r\nQ: 1 Stat: 0\r\n";
    struct Case {
        const char* name;
        std::string content;
        const char* type;
    };
    const Case cases[] = {
        {"saved.qfr", round, kRoundType},
        {"saved round", round, kRoundType},  // no extension: by content
        {"empty.qfr", "", kRoundType},       // by name
        {"notes", "qfile: without its quote\r\n", "text/plain"},
        {"notes.txt", "plain text", "text/plain"},
    };
    QMimeDatabase database;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = files.Write(c.name, c.content);
        EXPECT_EQ(database.mimeTypeForFile(QString::fromStdString(path)).name().toStdString(),
                  c.type);
        if (std::string(c.name).find('.') == std::string::npos) {
            EXPECT_EQ(IsRoundFile(path.c_str()), std::string(c.type) == kRoundType);
        }
    }
    EXPECT_TRUE(database.mimeTypeForName(QString::fromLatin1(kRoundType))
                    .inherits(QStringLiteral("text/plain")));
}

}  // namespace
