#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "rules/FileNames.h"
#include "rules/TextUtils.h"
#include "rules/Windows1252.h"
#include "tests/support/TempDir.h"

namespace fs = std::filesystem;

namespace {

// Runs a test body in `folder` and returns to the previous current folder.
class InFolder {
public:
    explicit InFolder(const fs::path& folder) : previous_(fs::current_path()) {
        fs::current_path(folder);
    }
    ~InFolder() { fs::current_path(previous_); }

private:
    fs::path previous_;
};

class FindWindowsNameTest : public ::testing::Test {
protected:
    std::string Make(const std::string& relative) {
        fs::path path = dir.Path() / relative;
        fs::create_directories(path.parent_path());
        return dir.Write(relative, relative);
    }
    std::string Full(const std::string& relative) { return (dir.Path() / relative).string(); }
    std::string Find(const std::string& relative) {
        return FindWindowsName((dir.Path().string() + "/" + relative).c_str());
    }

    TempDir dir;
};

TEST_F(FindWindowsNameTest, CaseAndBackslashesAreResolvedFolderByFolder) {
    Make("pics/map.BMP");
    Make("Sub Folder/Deeper/zone.bmp");
    struct Case {
        const char* wanted;
        const char* found;
    };
    const Case cases[] = {
        {"pics/map.BMP", "pics/map.BMP"},
        {"pics/Map.bmp", "pics/map.BMP"},
        {"PICS/MAP.BMP", "pics/map.BMP"},
        {"pics\\map.BMP", "pics/map.BMP"},
        {"Pics\\MAP.bmp", "pics/map.BMP"},
        {"pics\\\\map.bmp", "pics/map.BMP"},
        {"sub folder\\deeper\\ZONE.BMP", "Sub Folder/Deeper/zone.bmp"},
        {"pics\\..\\SUB FOLDER\\deeper\\zone.bmp", "pics/../Sub Folder/Deeper/zone.bmp"},
        {"PICS", "pics"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.wanted);
        EXPECT_EQ(Find(c.wanted), Full(c.found));
    }
}

TEST_F(FindWindowsNameTest, WhatDiffersInMoreThanCaseIsNotFound) {
    Make("pics/map.bmp");
    Make("x[1].bmp");
    Make("\xD7.bmp");  // × in Windows-1252
    const char* missing[] = {"pics/maps.bmp",         "pics/map.bm", "pic/map.bmp",
                             "pics/map.bmp/x",        "X{1}.BMP",    "\xF7.bmp",
                             "pics\\nowhere\\map.bmp"};
    for (const char* wanted : missing) {
        SCOPED_TRACE(wanted);
        EXPECT_EQ(Find(wanted), "");
    }
    EXPECT_EQ(FindWindowsName(nullptr), "");
    EXPECT_EQ(FindWindowsName(""), "");
}

TEST_F(FindWindowsNameTest, TheExactNameWinsThenTheFirstInByteOrder) {
    Make("Map.bmp");
    Make("map.bmp");
    Make("MAP.bmp");
    EXPECT_EQ(Find("map.bmp"), Full("map.bmp"));
    EXPECT_EQ(Find("Map.bmp"), Full("Map.bmp"));
    EXPECT_EQ(Find("mAp.BMP"), Full("MAP.bmp"));
}

TEST_F(FindWindowsNameTest, AFolderThatLeadsNowhereGivesWayToTheNextMatch) {
    fs::create_directories(dir.Path() / "PICS");
    Make("pics/map.bmp");
    EXPECT_EQ(Find("Pics\\map.bmp"), Full("pics/map.bmp"));
    Make("PICS/map.bmp");
    EXPECT_EQ(Find("Pics\\map.bmp"), Full("PICS/map.bmp"));
}

TEST_F(FindWindowsNameTest, Windows1252LettersMatchInBothEncodingsAndCases) {
    // On disk: one name in UTF-8, one in raw Windows-1252 bytes.
    Make("\xC3\xA9t\xC3\xA9 \xC5\xA1\xC3\xB8.bmp");  // "été šø.bmp" in UTF-8
    Make("\x80\xE4.bmp");                            // "€ä.bmp" in Windows-1252
    struct Case {
        const char* wanted;
        const char* found;
    };
    const Case cases[] = {
        // Windows-1252 names, as a question file gives them.
        {"\xE9t\xE9 \x9A\xF8.bmp", "\xC3\xA9t\xC3\xA9 \xC5\xA1\xC3\xB8.bmp"},
        {"\xC9T\xC9 \x8A\xD8.BMP", "\xC3\xA9t\xC3\xA9 \xC5\xA1\xC3\xB8.bmp"},
        {"\x80\xC4.BMP", "\x80\xE4.bmp"},
        // UTF-8 names, as a file dialog gives them on Linux.
        {"\xC3\x89T\xC3\x89 \xC5\xA0\xC3\x98.bmp", "\xC3\xA9t\xC3\xA9 \xC5\xA1\xC3\xB8.bmp"},
        {"\xE2\x82\xAC\xC3\x84.bmp", "\x80\xE4.bmp"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.wanted);
        EXPECT_EQ(Find(c.wanted), Full(c.found));
    }
    EXPECT_EQ(Find("ete so.bmp"), "") << "letters without their accents are other letters";
}

TEST_F(FindWindowsNameTest, TheSameLettersWinOverAnotherCase) {
    Make("CAF\xC3\x89.bmp");  // "CAFÉ.bmp", first in byte order
    Make("Caf\xC3\xA9.bmp");  // "Café.bmp"
    EXPECT_EQ(Find("Caf\xE9.bmp"), Full("Caf\xC3\xA9.bmp"));
    EXPECT_EQ(Find("cAF\xE9.bmp"), Full("CAF\xC3\x89.bmp"));
}

TEST_F(FindWindowsNameTest, RelativeNamesAreResolvedFromTheCurrentFolder) {
    Make("Quiz/Pics/Map.bmp");
    InFolder here(dir.Path());
    EXPECT_EQ(FindWindowsName("quiz\\pics\\map.bmp"), "Quiz/Pics/Map.bmp");
    EXPECT_EQ(FindWindowsName(".\\QUIZ\\pics\\MAP.BMP"), "./Quiz/Pics/Map.bmp");
    EXPECT_EQ(FindWindowsName("Quiz/Pics/Map.bmp"), "Quiz/Pics/Map.bmp");
}

TEST_F(FindWindowsNameTest, TheFileReadersFindNamesWrittenOnWindows) {
    fs::create_directories(dir.Path() / "Quiz");
    dir.Write("Quiz/Numbers.TXT", "value 42\r\n");
    const std::string windowsName = dir.Path().string() + "/quiz\\numbers.txt";
    EXPECT_EQ(GetInt(windowsName.c_str(), 6), 42);
    EXPECT_EQ(CountCharTo(windowsName.c_str(), 0, "42", 2, 32), 6);
}

TEST_F(FindWindowsNameTest, SameFileThroughOtherNames) {
    const std::string file = Make("pics/map.bmp");
    const std::string other = Make("pics/other.bmp");
    fs::create_hard_link(file, dir.Path() / "linked.bmp");
    EXPECT_TRUE(IsSameFile(file, Full("pics/../pics/./map.bmp")));
    EXPECT_TRUE(IsSameFile(file, Full("linked.bmp")));
    EXPECT_FALSE(IsSameFile(file, other));
    EXPECT_FALSE(IsSameFile(file, Full("pics/missing.bmp")));
    EXPECT_FALSE(IsSameFile("", ""));
}

TEST(FileNameParts, FolderBaseAndRoot) {
    struct Case {
        const char* name;
        const char* folder;
        const char* base;
        bool rooted;
    };
    const Case cases[] = {
        {"/home/ana/quiz/bio.txt", "/home/ana/quiz/", "bio.txt", true},
        {"C:\\quiz\\bio.txt", "", "bio.txt", true},
        {"c:/quiz/bio.txt", "c:/quiz/", "bio.txt", true},
        {"\\quiz\\bio.txt", "", "bio.txt", true},
        {"quiz/pics\\map.bmp", "quiz/", "map.bmp", false},
        {"bio.txt", "", "bio.txt", false},
        {"quiz/", "quiz/", "", false},
        {"", "", "", false},
        {"1:x", "", "1:x", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(FolderOf(c.name), c.folder);
        EXPECT_EQ(BaseNameOf(c.name), c.base);
        EXPECT_EQ(IsRootedName(c.name), c.rooted);
    }
}

}  // namespace
