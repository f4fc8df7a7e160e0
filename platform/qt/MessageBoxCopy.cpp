#include "platform/qt/MessageBoxCopy.h"

#include <QAbstractButton>
#include <QClipboard>
#include <QEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QString>

namespace quillfin::platform {

namespace {

// Catches Ctrl+C on its box, before a button or the box itself takes it.
class CopyFilter : public QObject {
public:
    explicit CopyFilter(QMessageBox& box) : QObject(&box), box_(box) {}

    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() != QEvent::KeyPress) return false;
        if (!static_cast<QKeyEvent*>(event)->matches(QKeySequence::Copy)) return false;
        QGuiApplication::clipboard()->setText(MessageBoxCopyText(box_));
        return true;
    }

private:
    QMessageBox& box_;
};

}  // namespace

QString MessageBoxCopyText(const QMessageBox& box) {
    const QString rule = QStringLiteral("---------------------------\n");
    QString buttons;
    for (const QAbstractButton* button : box.buttons()) {
        buttons += button->text().remove(QLatin1Char('&')) + QStringLiteral("   ");
    }
    return rule + box.windowTitle() + QLatin1Char('\n') + rule + box.text() + QLatin1Char('\n') +
           rule + buttons + QLatin1Char('\n') + rule;
}

void CopyWithCtrlC(QMessageBox& box) {
    CopyFilter* filter = new CopyFilter(box);
    box.installEventFilter(filter);
    for (QAbstractButton* button : box.buttons()) button->installEventFilter(filter);
}

}  // namespace quillfin::platform
