// Ctrl+C on a message box copies the box, as the Windows message box does:
// its title, its text and its buttons between lines of dashes, as plain
// text on the clipboard. A learner can paste what a box said into a mail,
// and a test can read it back.
#pragma once

class QMessageBox;
class QString;

namespace quillfin::platform {

// The text Ctrl+C puts on the clipboard for `box`.
QString MessageBoxCopyText(const QMessageBox& box);

// Lets Ctrl+C on `box` (or on any of its buttons) copy it.
void CopyWithCtrlC(QMessageBox& box);

}  // namespace quillfin::platform
