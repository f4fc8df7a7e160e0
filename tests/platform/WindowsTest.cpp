#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/WinApi.h"
#include "platform/qt/Internal.h"
#include "platform/qt/TestSeams.h"
#include "tests/support/TempDir.h"

namespace qt = quillfin::testing;

namespace {

LRESULT CALLBACK PlainProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

class Windows : public ::testing::Test {
protected:
    void SetUp() override {
        qt::ResetPlatform();
        qt::ScriptDialogs(true);
        WNDCLASSEXA wc{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = PlainProc;
        wc.lpszClassName = "WindowsTest";
        ASSERT_NE(RegisterClassExA(&wc), 0);
        EXPECT_EQ(RegisterClassExA(&wc), 0) << "a class is registered once";
        hwnd = CreateWindowExA(0, "WindowsTest", "Quillfin", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                               CW_USEDEFAULT, 520, 584, nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(hwnd, nullptr);
        edit = CreateWindowExA(0, "EDIT", "", WS_CHILD | WS_VISIBLE | ES_MULTILINE, 11, 321, 478,
                               18, hwnd, reinterpret_cast<HMENU>(502), nullptr, nullptr);
        label = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, 11, 11, 478, 298, hwnd,
                                reinterpret_cast<HMENU>(501), nullptr, nullptr);
        ASSERT_NE(edit, nullptr);
        ASSERT_NE(label, nullptr);
    }
    void TearDown() override { qt::ResetPlatform(); }

    std::string Read(HWND window) {
        std::string text(static_cast<std::size_t>(GetWindowTextLengthA(window)) + 1, '\0');
        int copied = GetWindowTextA(window, text.data(), static_cast<int>(text.size()));
        text.resize(static_cast<std::size_t>(copied));
        return text;
    }

    HWND hwnd = nullptr;
    HWND edit = nullptr;
    HWND label = nullptr;
};

TEST_F(Windows, TextsCrossTheLayerInWindows1252) {
    struct Case {
        const char* name;
        std::string cp1252;
        std::string utf8;
    };
    const std::vector<Case> cases = {
        {"plain", "Oslo", "Oslo"},
        {"Latin-1 letter", "G\xE4vle", "G\xC3\xA4vle"},
        {"euro and quotes", "\x80 \x93x\x94", "\xE2\x82\xAC \xE2\x80\x9Cx\xE2\x80\x9D"},
        {"undefined byte", "a\x81z", "a\xC2\x81z"},
        {"markup stays text", "<b>&amp;</b>", "<b>&amp;</b>"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (HWND window : {hwnd, edit, label}) {
            ASSERT_TRUE(SetWindowTextA(window, c.cp1252.c_str()));
            EXPECT_EQ(window == hwnd ? qt::WindowTitle(window) : qt::ControlText(window), c.utf8);
            EXPECT_EQ(Read(window), c.cp1252);
        }
        qt::TypeText(edit, c.utf8);
        EXPECT_EQ(Read(edit), c.cp1252);
    }
    qt::TypeText(edit, "\xC4\x81 \xE4\xB8\xAD \xF0\x9F\x98\x80");  // letters Windows-1252 lacks
    EXPECT_EQ(Read(edit), "? ? ?");
}

TEST_F(Windows, GetWindowTextStopsAtTheBuffer) {
    SetWindowTextA(label, "Stockholm");
    char buffer[5] = {'x', 'x', 'x', 'x', 'x'};
    EXPECT_EQ(GetWindowTextA(label, buffer, 5), 4);
    EXPECT_STREQ(buffer, "Stoc");
    EXPECT_EQ(GetWindowTextA(label, buffer, 0), 0);
    EXPECT_EQ(GetWindowTextLengthA(label), 9);
}

TEST_F(Windows, ChildrenMoveShowAndHide) {
    EXPECT_TRUE(qt::IsVisible(edit));
    SetWindowPos(edit, HWND_TOP, 13, 40, 300, 18, SWP_HIDEWINDOW);
    EXPECT_FALSE(qt::IsVisible(edit));
    RECT r = qt::ControlRect(edit);
    EXPECT_EQ(r.left, 13);
    EXPECT_EQ(r.top, 40);
    EXPECT_EQ(r.right, 313);
    EXPECT_EQ(r.bottom, 58);
    ShowWindow(edit, SW_SHOW);
    EXPECT_TRUE(qt::IsVisible(edit));
    EXPECT_EQ(SetFocus(edit), nullptr);
    EXPECT_EQ(qt::FocusedWindow(), edit);
}

TEST_F(Windows, MenuComesFromTheResourceScriptAndShrinksTheClientArea) {
    HMENU menu = LoadMenuA(nullptr, MAKEINTRESOURCEA(1001));
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(LoadMenuA(nullptr, MAKEINTRESOURCEA(1002)), nullptr);
    ASSERT_TRUE(SetMenu(hwnd, menu));
    std::vector<std::pair<std::string, int>> entries;
    for (const qt::MenuEntry& e : qt::WindowMenu(hwnd))
        entries.emplace_back(std::string(static_cast<std::size_t>(e.depth) * 2, ' ') + e.text,
                             e.id);
    const std::vector<std::pair<std::string, int>> expected = {{"&File", 0},
                                                               {"  &New round", 1002},
                                                               {"  &Restart round", 1003},
                                                               {"  ", 0},
                                                               {"  &Save round", 1004},
                                                               {"  Save &answer report...", 1009},
                                                               {"  &Load round", 1005},
                                                               {"  ", 0},
                                                               {"  &Exit", 1011},
                                                               {"&Help", 0},
                                                               {"  &Help", 1006},
                                                               {"  ", 0},
                                                               {"  &Terms", 1007},
                                                               {"  &About", 1008}};
    EXPECT_EQ(entries, expected);
    RECT client;
    ASSERT_TRUE(GetClientRect(hwnd, &client));
    EXPECT_EQ(client.right, 504);
    EXPECT_EQ(client.bottom, 526);
}

TEST_F(Windows, ResourceScriptParserRejectsBrokenScripts) {
    using quillfin::platform::ParseResourceScript;
    using quillfin::platform::ResourceTable;
    ResourceTable table;
    ASSERT_TRUE(ParseResourceScript(
        "#include <windows.h>\n/* c */ 7 MENU DISCARDABLE { POPUP \"A \"\"q\"\"\" { MENUITEM "
        "\"B\", 0x10, GRAYED } }\n9 BITMAP \"x.bmp\"\n1 ICON \"app.ico\"\n",
        table));
    ASSERT_EQ(table.menus.size(), 1u);
    EXPECT_EQ(table.menus[0].second[0].text, "A \"q\"");
    EXPECT_EQ(table.menus[0].second[0].items[0].id, 16);
    ASSERT_EQ(table.bitmaps.size(), 1u);
    EXPECT_EQ(table.bitmaps[0].second, "x.bmp");
    for (const char* broken :
         {"7 MENU BEGIN POPUP \"A\" BEGIN MENUITEM \"B\" 3 END END",
          "7 MENU BEGIN POPUP \"A\" BEGIN", "9 BITMAP \"unclosed", "9 BITMAP"}) {
        SCOPED_TRACE(broken);
        EXPECT_FALSE(ParseResourceScript(broken, table));
    }
}

TEST_F(Windows, MessageBoxesAreRecordedWhenScripted) {
    qt::PushMessageBoxResult(IDCANCEL);
    EXPECT_EQ(MessageBoxA(hwnd, "Font creation failed!", "Error", MB_OK | MB_ICONWARNING),
              IDCANCEL);
    EXPECT_EQ(MessageBoxA(hwnd, "G\xE4vle", nullptr, MB_OK), IDOK);
    ASSERT_EQ(qt::ShownMessageBoxes().size(), 2u);
    EXPECT_EQ(qt::ShownMessageBoxes()[0].text, "Font creation failed!");
    EXPECT_EQ(qt::ShownMessageBoxes()[0].caption, "Error");
    EXPECT_EQ(qt::ShownMessageBoxes()[0].type, static_cast<UINT>(MB_ICONWARNING));
    EXPECT_EQ(qt::ShownMessageBoxes()[1].text, "G\xE4vle");
    qt::ClearRecords();
    EXPECT_TRUE(qt::ShownMessageBoxes().empty());
}

class FileDialogs : public Windows {
protected:
    OPENFILENAMEA Dialog(const char* filter, const char* extension, DWORD flags) {
        OPENFILENAMEA ofn{};
        ofn.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
        ofn.hwndOwner = hwnd;
        ofn.lpstrFilter = filter;
        ofn.nFilterIndex = 1;
        ofn.lpstrFile = buffer;
        ofn.nMaxFile = sizeof(buffer);
        ofn.lpstrDefExt = extension;
        ofn.Flags = flags;
        buffer[0] = '\0';
        return ofn;
    }
    char buffer[260];
    TempDir dir;
};

TEST_F(FileDialogs, OpenDialogRecordsItsRequestAndMovesToTheFolder) {
    std::string questions = dir.Write("quiz.txt", "x");
    qt::PushFileDialogAnswer(questions);
    OPENFILENAMEA ofn = Dialog("Text Files (.txt)\0*.txt\0All Files\0*.*\0", "txt",
                               OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_HIDEREADONLY);
    ASSERT_TRUE(GetOpenFileNameA(&ofn));
    EXPECT_EQ(std::string(buffer), questions);
    EXPECT_EQ(std::filesystem::current_path(), dir.Path());
    ASSERT_EQ(qt::ShownFileDialogs().size(), 1u);
    const qt::ShownFileDialog& shown = qt::ShownFileDialogs()[0];
    EXPECT_FALSE(shown.save);
    EXPECT_EQ(shown.filter,
              (std::vector<std::string>{"Text Files (.txt)", "*.txt", "All Files", "*.*"}));
    EXPECT_EQ(shown.defaultExtension, "txt");
    EXPECT_EQ(shown.maxFile, 260u);
    EXPECT_EQ(shown.structSize, 76u);
}

TEST_F(FileDialogs, AnswersAreCheckedAgainstTheFlags) {
    struct Case {
        const char* name;
        bool save;
        std::optional<std::string> answer;
        DWORD flags;
        std::string expected;  // empty: the dialog fails
    };
    std::string existing = dir.Write("round.qfr", "x");
    const std::vector<Case> cases = {
        {"cancelled", false, std::nullopt, OFN_FILEMUSTEXIST, ""},
        {"missing file must exist", false, dir.File("none.qfr"), OFN_FILEMUSTEXIST, ""},
        {"extension appended", true, dir.File("saved"), OFN_PATHMUSTEXIST, dir.File("saved.qfr")},
        {"extension kept", true, dir.File("saved.txt"), OFN_PATHMUSTEXIST, dir.File("saved.txt")},
        {"folder must exist", true, dir.File("nowhere/saved.qfr"), OFN_PATHMUSTEXIST, ""},
        {"too long for the buffer", true, dir.File(std::string(300, 'a')), OFN_PATHMUSTEXIST, ""},
        {"existing file", false, existing, OFN_FILEMUSTEXIST, existing},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        qt::PushFileDialogAnswer(c.answer);
        OPENFILENAMEA ofn = Dialog("Text Files (.qfr)\0*.qfr\0", "qfr", c.flags);
        BOOL chosen = c.save ? GetSaveFileNameA(&ofn) : GetOpenFileNameA(&ofn);
        EXPECT_EQ(chosen != FALSE, !c.expected.empty());
        if (chosen) {
            EXPECT_EQ(std::string(buffer), c.expected);
        }
    }
    OPENFILENAMEA bad = Dialog("", "", 0);
    bad.lStructSize = 12;
    EXPECT_FALSE(GetOpenFileNameA(&bad));
}

TEST_F(FileDialogs, OpenNameWithoutExtensionIsCompletedOnlyWhenThatFileExists) {
    struct Case {
        const char* name;
        std::vector<std::string> files;  // in a fresh folder
        std::string typed;
        std::string expected;  // empty: the dialog fails
    };
    const std::vector<Case> cases = {
        {"only quiz.txt", {"quiz.txt"}, "quiz", "quiz.txt"},
        {"only quiz", {"quiz"}, "quiz", "quiz"},
        {"both: the completed name wins", {"quiz", "quiz.txt"}, "quiz", "quiz.txt"},
        {"neither", {}, "quiz", ""},
        {"another extension is kept", {"quiz.text", "quiz.text.txt"}, "quiz.text", "quiz.text"},
        {"a folder named quiz.txt", {"quiz", "quiz.txt/"}, "quiz", "quiz"},
    };
    int folderNo = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::filesystem::path folder = dir.Path() / ("case" + std::to_string(++folderNo));
        std::filesystem::create_directory(folder);
        for (const std::string& file : c.files) {
            if (file.back() == '/') {
                std::filesystem::create_directory(folder / file.substr(0, file.size() - 1));
            } else {
                std::ofstream(folder / file) << "x";
            }
        }
        qt::PushFileDialogAnswer((folder / c.typed).string());
        OPENFILENAMEA ofn = Dialog("Text Files (.txt)\0*.txt\0All Files\0*.*\0", "txt",
                                   OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_HIDEREADONLY);
        const BOOL chosen = GetOpenFileNameA(&ofn);
        EXPECT_EQ(chosen != FALSE, !c.expected.empty());
        if (chosen) {
            EXPECT_EQ(std::string(buffer), (folder / c.expected).string());
        }
    }
}

}  // namespace
