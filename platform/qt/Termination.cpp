#include "platform/qt/Termination.h"

#include <fcntl.h>
#include <unistd.h>

#include <QApplication>
#include <QDialog>
#include <QSocketNotifier>
#include <csignal>

#include "platform/qt/Internal.h"

namespace quillfin::platform {
namespace {

bool endRequested = false;
// The signal handler only writes a byte here; the Qt event loop reads it.
int signalPipe[2] = {-1, -1};

void OnSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(signalPipe[1], &byte, 1);
}

}  // namespace

void EndInOrder() {
    endRequested = true;
    // A dialog's own event loop ends when control comes back to it; nested
    // ones (a question over a save dialog) unwind from the top.
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* dialog = qobject_cast<QDialog*>(widget); dialog != nullptr && dialog->isVisible())
            dialog->reject();
    }
    for (Window* window : MainWindows()) {
        if (!window->destroying) Post(ToHandle<HWND>(window->handle), WM_CLOSE, 0, 0);
    }
}

bool EndRequested() { return endRequested; }

void ForgetEndRequest() { endRequested = false; }

void CloseOnTerminationSignals() {
    if (signalPipe[0] >= 0) return;
    if (::pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
    auto* notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, qApp);
    QObject::connect(notifier, &QSocketNotifier::activated, [] {
        char bytes[16];
        while (::read(signalPipe[0], bytes, sizeof(bytes)) > 0) {
        }
        EndInOrder();
    });
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGHUP, &action, nullptr);
}

}  // namespace quillfin::platform
