// The command line that Windows hands a program's WinMain, built here from the
// arguments of main(): each argument quoted as the Windows C runtime expects,
// so that the program splits it back into exactly the same bytes.
#pragma once

#include <string>
#include <string_view>

namespace quillfin::platform {

// `argument` as one argument of a Windows command line: unchanged when it is
// not empty and holds no space, tab, line break or double quote; otherwise in
// double quotes, with backslashes doubled where they come before a quote
// (the closing one included) and every inner quote escaped by a backslash.
std::string QuoteCommandLineArgument(std::string_view argument);

// The arguments argv[1] .. argv[argc - 1] quoted and joined by single spaces.
std::string JoinCommandLine(int argc, const char* const* argv);

}  // namespace quillfin::platform
