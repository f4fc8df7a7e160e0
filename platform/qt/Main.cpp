// The process entry point on this platform: starts the Qt application and
// hands over to the program's WinMain, as the Windows loader would.
#include <QApplication>
#include <cstdint>

#include "platform/WinApi.h"

namespace {
// The address at which Windows loads a program; any non-null value serves.
constexpr std::uintptr_t kInstanceValue = 0x400000;
}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    char commandLine[] = "";
    return WinMain(reinterpret_cast<HINSTANCE>(kInstanceValue), nullptr, commandLine,
                   SW_SHOWDEFAULT);
}
