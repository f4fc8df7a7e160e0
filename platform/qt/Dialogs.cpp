#include <QFileDialog>
#include <QGuiApplication>
#include <QMessageBox>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>
#include <utility>

#include "platform/FileNameText.h"
#include "platform/qt/Internal.h"
#include "platform/qt/MessageBoxCopy.h"
#include "platform/qt/Termination.h"

namespace quillfin::platform {

DialogScript& Dialogs() {
    static DialogScript script;
    return script;
}

namespace {

// Under the offscreen platform nobody could answer a real dialog, so the
// scripted answers are used there even when a test forgot to ask for them.
bool Scripted() {
    if (Dialogs().real) return false;
    return Dialogs().on || QGuiApplication::platformName() == QLatin1String("offscreen");
}

// A dialog or message box is open while this lives; it has the keyboard.
class ModalScope {
public:
    explicit ModalScope(HWND owner) : owner_(owner) {
        SetModalOpen(owner_, true);
        if (Scripted() && Dialogs().whileNextOpen) {
            std::function<void()> whileOpen = std::move(Dialogs().whileNextOpen);
            Dialogs().whileNextOpen = nullptr;
            whileOpen();
        }
    }
    ~ModalScope() { SetModalOpen(owner_, false); }
    ModalScope(const ModalScope&) = delete;
    ModalScope& operator=(const ModalScope&) = delete;

private:
    HWND owner_;
};

QWidget* OwnerWidget(HWND owner) {
    Window* window = MainWindowOf(owner);
    return window != nullptr ? window->widget.data() : nullptr;
}

std::vector<std::string> FilterList(LPCSTR filter) {
    std::vector<std::string> parts;
    if (filter == nullptr) return parts;
    // Zero-terminated texts, the list ended by an empty one.
    for (const char* p = filter; *p != '\0'; p += std::strlen(p) + 1) parts.emplace_back(p);
    return parts;
}

// A name typed without an extension in an open dialog means the file with the
// default extension when that exists, else the name as typed.
std::filesystem::path CompleteOpenName(const std::filesystem::path& typed,
                                       const std::string& extension) {
    if (extension.empty() || !typed.has_filename() || typed.filename().has_extension())
        return typed;
    std::filesystem::path completed = typed;
    completed += "." + extension;
    std::error_code error;
    return std::filesystem::is_regular_file(completed, error) ? completed : typed;
}

// What a save dialog writes for a chosen name: the absolute path, with the
// default extension added when the name has none. Empty when no absolute
// path can be made of it.
std::filesystem::path SaveTarget(const std::string& chosen, const std::string& extension) {
    std::error_code error;
    std::filesystem::path target = std::filesystem::absolute(std::filesystem::path(chosen), error);
    if (error) return {};
    if (!extension.empty() && target.has_filename() && !target.filename().has_extension())
        target += "." + extension;
    return target;
}

int AskMessageBox(QWidget* parent, HWND owner, const std::string& body, const std::string& title,
                  UINT type);

// Whether a save dialog may hand over `target`: with OFN_OVERWRITEPROMPT, a
// file that exists is replaced only when the user says Yes to a question
// naming it. The default answer is No, so that an Enter held on from the
// dialog replaces nothing.
bool MayReplace(QWidget* parent, const OPENFILENAMEA& ofn, const std::filesystem::path& target) {
    std::error_code error;
    // A folder of that name is no file to replace: writing there fails and says so.
    if ((ofn.Flags & OFN_OVERWRITEPROMPT) == 0 || target.empty() ||
        !std::filesystem::exists(target, error) || std::filesystem::is_directory(target, error))
        return true;
    const std::string name = FileNameAsText(target.filename().string().c_str());
    return AskMessageBox(parent, ofn.hwndOwner,
                         name + " already exists.\nDo you want to replace it?", "Confirm Save As",
                         MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) == IDYES;
}

// Qt's file dialog. In an open dialog, Qt refuses a typed name that does not
// exist before it could be completed; a name that completes to an existing
// file is taken here instead.
// In a save dialog, the overwrite question is asked here on the name that
// will be written, after the default extension is added (Deliver adds it);
// No leaves the dialog open with the name.
class CompletingDialog : public QFileDialog {
public:
    CompletingDialog(QWidget* parent, const OPENFILENAMEA& ofn)
        : QFileDialog(parent),
          ofn_(ofn),
          extension_(ofn.lpstrDefExt != nullptr ? ofn.lpstrDefExt : "") {}

    // The completed name when one was taken, else what the dialog selected.
    std::optional<std::string> Chosen() const {
        if (completed_) return completed_;
        const QStringList files = selectedFiles();
        if (files.isEmpty()) return std::nullopt;
        return QFile::encodeName(files.first()).toStdString();
    }

    void accept() override {
        const QStringList files = selectedFiles();
        if (acceptMode() == AcceptSave && files.size() == 1) {
            // A folder's name opens the folder, as Qt's dialog does it.
            const std::string typed = QFile::encodeName(files.first()).toStdString();
            std::error_code error;
            if (!std::filesystem::is_directory(typed, error) &&
                !MayReplace(this, ofn_, SaveTarget(typed, extension_)))
                return;
        }
        if (acceptMode() == AcceptOpen && files.size() == 1) {
            const std::filesystem::path typed(QFile::encodeName(files.first()).toStdString());
            const std::filesystem::path completed = CompleteOpenName(typed, extension_);
            if (completed != typed) {
                completed_ = completed.string();
                QDialog::accept();
                return;
            }
        }
        QFileDialog::accept();
    }

private:
    const OPENFILENAMEA& ofn_;
    std::string extension_;
    std::optional<std::string> completed_;
};

std::optional<std::string> AskUser(bool save, const OPENFILENAMEA& ofn,
                                   const std::vector<std::string>& filter,
                                   const std::string& initial) {
    CompletingDialog dialog(OwnerWidget(ofn.hwndOwner), ofn);
    if (ofn.lpstrTitle != nullptr) dialog.setWindowTitle(FromCp1252(ofn.lpstrTitle));
    if (ofn.lpstrInitialDir != nullptr) dialog.setDirectory(QFile::decodeName(ofn.lpstrInitialDir));
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(!save && (ofn.Flags & OFN_FILEMUSTEXIST) != 0 ? QFileDialog::ExistingFile
                                                                     : QFileDialog::AnyFile);
    // Qt would ask on the name as typed, before the extension is added.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    QStringList names;
    for (std::size_t i = 0; i + 1 < filter.size(); i += 2) {
        QString pattern = FromCp1252(filter[i + 1]).replace(QLatin1Char(';'), QLatin1Char(' '));
        names << FromCp1252(filter[i]) + QStringLiteral(" (") + pattern + QLatin1Char(')');
    }
    if (!names.isEmpty()) {
        dialog.setNameFilters(names);
        int index = ofn.nFilterIndex > 0 ? static_cast<int>(ofn.nFilterIndex) - 1 : 0;
        dialog.selectNameFilter(names.value(index, names.first()));
    }
    if (!initial.empty()) dialog.selectFile(QFile::decodeName(initial.c_str()));
    if (dialog.exec() != QDialog::Accepted || EndRequested()) return std::nullopt;
    return dialog.Chosen();
}

// Completes a chosen name as the Windows dialog does and hands it to the
// caller; false when the flags or the buffer size refuse it.
BOOL Deliver(bool save, OPENFILENAMEA& ofn, std::string path) {
    namespace fs = std::filesystem;
    if (path.empty()) return FALSE;
    std::error_code error;
    std::string extension = ofn.lpstrDefExt != nullptr ? ofn.lpstrDefExt : "";
    fs::path chosen = save ? SaveTarget(path, extension) : fs::absolute(fs::path(path), error);
    if (error || chosen.empty()) return FALSE;
    if (!save) chosen = CompleteOpenName(chosen, extension);
    if (!chosen.has_filename()) return FALSE;
    fs::path folder = chosen.parent_path();
    if ((ofn.Flags & OFN_FILEMUSTEXIST) != 0 && !fs::is_regular_file(chosen, error)) return FALSE;
    if ((save || (ofn.Flags & OFN_PATHMUSTEXIST) != 0) && !fs::is_directory(folder, error))
        return FALSE;
    std::string bytes = chosen.string();
    if (bytes.size() + 1 > ofn.nMaxFile) return FALSE;
    std::memcpy(ofn.lpstrFile, bytes.c_str(), bytes.size() + 1);
    std::size_t slash = bytes.rfind('/');
    std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    std::size_t dot = bytes.rfind('.');
    ofn.nFileOffset = static_cast<WORD>(nameStart);
    ofn.nFileExtension =
        static_cast<WORD>(dot != std::string::npos && dot >= nameStart ? dot + 1 : bytes.size());
    if (ofn.lpstrFileTitle != nullptr && ofn.nMaxFileTitle > bytes.size() - nameStart)
        std::memcpy(ofn.lpstrFileTitle, bytes.c_str() + nameStart, bytes.size() - nameStart + 1);
    // Relative picture names in question files are found from here.
    fs::current_path(folder, error);
    return TRUE;
}

// The next scripted answer of a file dialog. In a save dialog a No to the
// overwrite question leaves the dialog open: the answer after it is what the
// user does next.
std::optional<std::string> ScriptedAnswer(bool save, const OPENFILENAMEA& ofn) {
    DialogScript& script = Dialogs();
    const std::string extension = ofn.lpstrDefExt != nullptr ? ofn.lpstrDefExt : "";
    while (!script.fileAnswers.empty()) {
        const std::optional<std::string> answer = script.fileAnswers.front();
        script.fileAnswers.pop_front();
        if (!save || !answer.has_value() ||
            MayReplace(nullptr, ofn, SaveTarget(*answer, extension)))
            return answer;
    }
    return std::nullopt;
}

BOOL FileDialog(bool save, LPOPENFILENAMEA ofn) {
    if (ofn == nullptr ||
        (ofn->lStructSize != OPENFILENAME_SIZE_VERSION_400A && ofn->lStructSize != sizeof(*ofn)) ||
        ofn->lpstrFile == nullptr || ofn->nMaxFile == 0 || EndRequested())
        return FALSE;
    std::vector<std::string> filter = FilterList(ofn->lpstrFilter);
    std::string initial(ofn->lpstrFile, strnlen(ofn->lpstrFile, ofn->nMaxFile));
    std::optional<std::string> answer;
    ModalScope modal(ofn->hwndOwner);
    if (Scripted()) {
        DialogScript& script = Dialogs();
        script.fileDialogs.push_back(testing::ShownFileDialog{
            save, ofn->lStructSize, ofn->hwndOwner, filter, ofn->nFilterIndex,
            ofn->lpstrDefExt != nullptr ? ofn->lpstrDefExt : "", ofn->Flags, ofn->nMaxFile, initial,
            ofn->lpstrInitialDir != nullptr ? ofn->lpstrInitialDir : ""});
        answer = ScriptedAnswer(save, *ofn);
    } else {
        answer = AskUser(save, *ofn, filter, initial);
    }
    if (!answer) return FALSE;
    return Deliver(save, *ofn, *answer);
}

// A button of a message box and the ID it returns.
struct BoxButton {
    QMessageBox::StandardButton button;
    int id;
};

// The buttons that a message box type asks for, in their order.
std::vector<BoxButton> ButtonsOf(UINT type) {
    switch (type & MB_TYPEMASK) {
        case MB_OKCANCEL:
            return {{QMessageBox::Ok, IDOK}, {QMessageBox::Cancel, IDCANCEL}};
        case MB_YESNO:
            return {{QMessageBox::Yes, IDYES}, {QMessageBox::No, IDNO}};
        default:
            return {{QMessageBox::Ok, IDOK}};
    }
}

// The button that Enter chooses: the second with MB_DEFBUTTON2 when there is one.
const BoxButton& DefaultButton(const std::vector<BoxButton>& buttons, UINT type) {
    return (type & MB_DEFMASK) == MB_DEFBUTTON2 && buttons.size() > 1 ? buttons[1] : buttons[0];
}

QMessageBox::Icon IconOf(UINT type) {
    switch (type & 0xF0) {
        case MB_ICONHAND:
            return QMessageBox::Critical;
        case MB_ICONQUESTION:
            return QMessageBox::Question;
        case MB_ICONEXCLAMATION:
            return QMessageBox::Warning;
        case MB_ICONASTERISK:
            return QMessageBox::Information;
        default:
            return QMessageBox::NoIcon;
    }
}

}  // namespace
}  // namespace quillfin::platform

using namespace quillfin::platform;

namespace quillfin::platform {
namespace {

int AskMessageBox(QWidget* parent, HWND owner, const std::string& body, const std::string& title,
                  UINT type) {
    const std::vector<BoxButton> buttons = ButtonsOf(type);
    if (EndRequested()) return 0;
    if (Scripted()) {
        DialogScript& script = Dialogs();
        script.messageBoxes.push_back(quillfin::testing::ShownMessageBox{owner, body, title, type});
        if (script.messageBoxResults.empty()) return DefaultButton(buttons, type).id;
        int result = script.messageBoxResults.front();
        script.messageBoxResults.pop_front();
        return result;
    }
    QMessageBox box(IconOf(type), FromCp1252(title), FromCp1252(body), QMessageBox::NoButton,
                    parent);
    box.setTextFormat(Qt::PlainText);
    for (const BoxButton& b : buttons) box.addButton(b.button);
    box.setDefaultButton(DefaultButton(buttons, type).button);
    // Escape (and the title bar's close box) chooses the last: No, Cancel or OK.
    box.setEscapeButton(buttons.back().button);
    CopyWithCtrlC(box);
    box.exec();
    if (EndRequested()) return 0;
    const QMessageBox::StandardButton chosen = box.standardButton(box.clickedButton());
    for (const BoxButton& b : buttons) {
        if (b.button == chosen) return b.id;
    }
    return buttons.back().id;
}

}  // namespace
}  // namespace quillfin::platform

int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
    std::string body = text != nullptr ? text : "";
    std::string title = caption != nullptr ? caption : "Error";
    ModalScope modal(owner);
    return AskMessageBox(OwnerWidget(owner), owner, body, title, type);
}

BOOL GetOpenFileNameA(LPOPENFILENAMEA ofn) { return FileDialog(false, ofn); }

BOOL GetSaveFileNameA(LPOPENFILENAMEA ofn) { return FileDialog(true, ofn); }
