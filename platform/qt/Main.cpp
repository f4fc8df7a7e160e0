// The process entry point on this platform: starts the Qt application and
// hands over to the program's WinMain, as the Windows loader would, with the
// arguments joined into one command line quoted as on Windows.
#include <QApplication>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/WinApi.h"
#include "platform/qt/CommandLine.h"
#include "platform/qt/Termination.h"

namespace {
// The address at which Windows loads a program; any non-null value serves.
constexpr std::uintptr_t kInstanceValue = 0x400000;
}  // namespace

int main(int argc, char** argv) {
    // Qt takes out the options it knows (-platform, -style, ...); the rest
    // are the program's own, bytes unchanged.
    QApplication application(argc, argv);
    // The installed desktop entry: a Wayland desktop finds the name and icon
    // of the running window through it.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.quillfin.Quillfin"));
    // The end of a desktop session (or a kill) closes the window as its
    // close box does, so that the program ends in order.
    quillfin::platform::CloseOnTerminationSignals();
    std::string joined = quillfin::platform::JoinCommandLine(argc, argv);
    std::vector<char> commandLine(joined.begin(), joined.end());
    commandLine.push_back('\0');
    return WinMain(reinterpret_cast<HINSTANCE>(kInstanceValue), nullptr, commandLine.data(),
                   SW_SHOWDEFAULT);
}
