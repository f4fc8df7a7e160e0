// Questions the layer asks: Yes/No and OK/Cancel boxes, the overwrite
// question of the save dialog, and the end of the program asked for from
// outside, which closes open boxes unanswered.
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QTimer>
#include <csignal>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/UserFiles.h"
#include "platform/WinApi.h"
#include "platform/qt/Termination.h"
#include "platform/qt/TestSeams.h"
#include "tests/support/TempDir.h"

namespace qt = quillfin::testing;

namespace {

LRESULT CALLBACK PlainProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

class Asking : public ::testing::Test {
protected:
    void SetUp() override {
        qt::ResetPlatform();
        qt::ScriptDialogs(true);
        WNDCLASSEXA wc{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = PlainProc;
        wc.lpszClassName = "AskingTest";
        RegisterClassExA(&wc);
        hwnd = CreateWindowExA(0, "AskingTest", "Quillfin", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                               CW_USEDEFAULT, 520, 584, nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(hwnd, nullptr);
    }
    void TearDown() override { qt::ResetPlatform(); }

    // A message box shown for real, answered by a key press once it is open.
    int AnswerWithKey(UINT type, int key) {
        qt::UseRealDialogs(true);
        QTimer::singleShot(0, [key] {
            QWidget* box = QApplication::activeModalWidget();
            if (box == nullptr) return;
            QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
            QApplication::sendEvent(box, &press);
        });
        const int answer = MessageBoxA(hwnd, "Replace it?", "Question", type);
        qt::UseRealDialogs(false);
        return answer;
    }

    // A WM_CLOSE for the window waits in the queue.
    bool ClosePosted() {
        MSG msg{};
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.hwnd == hwnd && msg.message == WM_CLOSE) return true;
        }
        return false;
    }

    HWND hwnd = nullptr;
};

TEST_F(Asking, RealBoxesAnswerAsWindowsDoes) {
    struct Case {
        const char* name;
        UINT type;
        int key;
        int expected;
    };
    const std::vector<Case> cases = {
        {"Yes/No, Enter", MB_YESNO | MB_ICONQUESTION, Qt::Key_Return, IDYES},
        {"Yes/No, Enter, No is default", MB_YESNO | MB_DEFBUTTON2, Qt::Key_Return, IDNO},
        {"Yes/No, Escape", MB_YESNO, Qt::Key_Escape, IDNO},
        {"OK/Cancel, Enter", MB_OKCANCEL, Qt::Key_Return, IDOK},
        {"OK/Cancel, Enter, Cancel is default", MB_OKCANCEL | MB_DEFBUTTON2, Qt::Key_Return,
         IDCANCEL},
        {"OK/Cancel, Escape", MB_OKCANCEL | MB_ICONWARNING, Qt::Key_Escape, IDCANCEL},
        {"OK, Escape", MB_OK, Qt::Key_Escape, IDOK},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(AnswerWithKey(c.type, c.key), c.expected);
    }
}

TEST_F(Asking, SaveAsksOnTheNameThatWillBeWritten) {
    struct Case {
        const char* name;
        std::vector<std::string> existing;
        std::vector<std::optional<std::string>> typed;  // what the dialog gets, in turn
        std::vector<int> answers;                       // to the overwrite questions
        DWORD flags;
        std::vector<std::string> asked;  // the files named by the questions
        std::string written;             // empty: the dialog gives nothing
    };
    const DWORD ask = OFN_EXPLORER | OFN_PATHMUSTEXIST | OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY;
    // clang-format off
    const std::vector<Case> cases = {
        {"typed without extension, Yes", {"keep.qfr"}, {"keep"}, {IDYES}, ask, {"keep.qfr"}, "keep.qfr"},
        {"typed without extension, No", {"keep.qfr"}, {"keep"}, {IDNO}, ask, {"keep.qfr"}, ""},
        {"typed with extension, No", {"keep.qfr"}, {"keep.qfr"}, {IDNO}, ask, {"keep.qfr"}, ""},
        {"only the name as typed exists", {"keep"}, {"keep"}, {}, ask, {}, "keep.qfr"},
        {"a new file", {}, {"new"}, {}, ask, {}, "new.qfr"},
        {"No, then another name", {"keep.qfr"}, {"keep", "other"}, {IDNO}, ask, {"keep.qfr"}, "other.qfr"},
        {"not asked without the flag", {"keep.qfr"}, {"keep"}, {}, OFN_PATHMUSTEXIST, {}, "keep.qfr"},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        for (const std::string& file : c.existing) dir.Write(file, "before");
        qt::ClearRecords();
        for (const auto& typed : c.typed)
            qt::PushFileDialogAnswer(typed ? std::optional(dir.File(*typed)) : std::nullopt);
        for (int answer : c.answers) qt::PushMessageBoxResult(answer);
        char buffer[260] = {};
        OPENFILENAMEA ofn{};
        ofn.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
        ofn.hwndOwner = hwnd;
        ofn.lpstrFilter = "Text Files (.qfr)\0*.qfr\0";
        ofn.nFilterIndex = 1;
        ofn.lpstrFile = buffer;
        ofn.nMaxFile = sizeof(buffer);
        ofn.lpstrDefExt = "qfr";
        ofn.Flags = c.flags;
        const BOOL chosen = GetSaveFileNameA(&ofn);
        EXPECT_EQ(chosen != FALSE, !c.written.empty());
        if (chosen) {
            EXPECT_EQ(std::string(buffer), dir.File(c.written));
        }
        ASSERT_EQ(qt::ShownMessageBoxes().size(), c.asked.size());
        for (std::size_t i = 0; i < c.asked.size(); ++i) {
            const qt::ShownMessageBox& box = qt::ShownMessageBoxes()[i];
            EXPECT_EQ(box.text, c.asked[i] + " already exists.\nDo you want to replace it?");
            EXPECT_EQ(box.owner, hwnd);
            EXPECT_EQ(box.type & MB_TYPEMASK, static_cast<UINT>(MB_YESNO));
            EXPECT_EQ(box.type & MB_DEFMASK, static_cast<UINT>(MB_DEFBUTTON2));
        }
        // The dialog only chooses; nothing is written or changed.
        for (const std::string& file : c.existing)
            EXPECT_EQ(ReadWholeFile(dir.File(file)), "before");
        EXPECT_EQ(qt::ShownFileDialogs().size(), 1u) << "one dialog, kept open after a No";
    }
}

TEST_F(Asking, EndInOrderClosesAnOpenBoxUnansweredAndClosesTheWindow) {
    qt::UseRealDialogs(true);
    QTimer::singleShot(0, [] { quillfin::platform::EndInOrder(); });
    EXPECT_EQ(MessageBoxA(hwnd, "Still there?", "Question", MB_YESNO), 0);
    qt::UseRealDialogs(false);
    EXPECT_TRUE(ClosePosted());
    // Boxes and dialogs asked for afterwards give no answer.
    EXPECT_EQ(MessageBoxA(hwnd, "a", "b", MB_OK), 0);
    char buffer[260] = {};
    OPENFILENAMEA ofn{};
    ofn.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
    ofn.lpstrFile = buffer;
    ofn.nMaxFile = sizeof(buffer);
    qt::PushFileDialogAnswer("/tmp");
    EXPECT_FALSE(GetOpenFileNameA(&ofn));
}

TEST_F(Asking, TerminationSignalsCloseTheWindow) {
    quillfin::platform::CloseOnTerminationSignals();
    for (int signal : {SIGTERM, SIGHUP}) {
        SCOPED_TRACE(signal);
        quillfin::platform::ForgetEndRequest();
        std::raise(signal);
        bool closed = false;
        for (int i = 0; i < 200 && !closed; ++i) {
            qt::ProcessEvents();
            closed = ClosePosted();
        }
        EXPECT_TRUE(closed);
        EXPECT_TRUE(quillfin::platform::EndRequested());
    }
}

TEST(UserFiles, StateFolderFollowsTheBaseDirectoryRules) {
    namespace fs = std::filesystem;
    TempDir dir;
    const std::string savedState =
        std::getenv("XDG_STATE_HOME") ? std::getenv("XDG_STATE_HOME") : "";
    const std::string savedHome = std::getenv("HOME") ? std::getenv("HOME") : "";
    const bool hadState = std::getenv("XDG_STATE_HOME") != nullptr;
    setenv("HOME", (dir.Path() / "home").c_str(), 1);
    struct Case {
        const char* name;
        std::optional<std::string> state;  // XDG_STATE_HOME; nullopt: unset
        fs::path expected;
    };
    const std::vector<Case> cases = {
        {"set", (dir.Path() / "state").string(), dir.Path() / "state/quillfin/last-round.qfr"},
        {"unset", std::nullopt, dir.Path() / "home/.local/state/quillfin/last-round.qfr"},
        {"empty", std::string(), dir.Path() / "home/.local/state/quillfin/last-round.qfr"},
        {"relative", std::string("state"),
         dir.Path() / "home/.local/state/quillfin/last-round.qfr"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.state) {
            setenv("XDG_STATE_HOME", c.state->c_str(), 1);
        } else {
            unsetenv("XDG_STATE_HOME");
        }
        EXPECT_EQ(UserStateFile("last-round.qfr"), c.expected.string());
        EXPECT_TRUE(fs::is_directory(c.expected.parent_path()));
        EXPECT_EQ(fs::status(c.expected.parent_path()).permissions() & fs::perms::all,
                  fs::perms::owner_all);
    }
    // A folder that cannot be made gives no file.
    dir.Write("plain", "x");
    setenv("XDG_STATE_HOME", (dir.Path() / "plain").c_str(), 1);
    EXPECT_EQ(UserStateFile("last-round.qfr"), "");
    setenv("HOME", savedHome.c_str(), 1);
    if (hadState) {
        setenv("XDG_STATE_HOME", savedState.c_str(), 1);
    } else {
        unsetenv("XDG_STATE_HOME");
    }
}

}  // namespace
