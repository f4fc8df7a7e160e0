// Ctrl+C on a message box puts the box on the clipboard as the Windows box
// does, whichever of its parts has the keyboard; other keys are left alone.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QMessageBox>

#include "platform/qt/MessageBoxCopy.h"

namespace {

TEST(MessageBoxCopy, CtrlCCopiesTitleTextAndButtons) {
    QMessageBox box(QMessageBox::Warning, "Round not started",
                    "This file cannot be opened.\nFile: /tmp/a b.txt", QMessageBox::Ok);
    box.setTextFormat(Qt::PlainText);
    quillfin::platform::CopyWithCtrlC(box);
    const QString expected =
        "---------------------------\nRound not started\n---------------------------\n"
        "This file cannot be opened.\nFile: /tmp/a b.txt\n---------------------------\n"
        "OK   \n---------------------------\n";
    QObject* targets[] = {&box, box.buttons().at(0)};
    for (QObject* target : targets) {
        SCOPED_TRACE(target == &box ? "the box" : "its button");
        QApplication::clipboard()->setText("before");
        QKeyEvent other(QEvent::KeyPress, Qt::Key_X, Qt::ControlModifier);
        QApplication::sendEvent(target, &other);
        EXPECT_EQ(QApplication::clipboard()->text().toStdString(), "before");
        QKeyEvent copy(QEvent::KeyPress, Qt::Key_C, Qt::ControlModifier);
        QApplication::sendEvent(target, &copy);
        EXPECT_EQ(QApplication::clipboard()->text().toStdString(), expected.toStdString());
    }
}

}  // namespace
