// Compiles a fuzzed rule and searches a fuzzed file with it.
// Input: window byte, two offset bytes, the rule up to a newline, the file.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "fuzz/FuzzSupport.h"
#include "rules/RuleChecker.h"
#include "rules/TextUtils.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3) return 0;
    const int window = static_cast<int>(data[0]) - 8;  // also zero and negative windows
    const int start = (static_cast<int>(data[1]) << 8 | data[2]) - 16;
    std::size_t i = 3;
    std::string rule;
    while (i < size && data[i] != '\n') rule += static_cast<char>(data[i++]);
    if (i < size) ++i;
    static const std::string path = ScratchPath("rules");
    WriteScratch(path, data + i, size - i);

    FindPosition(rule.c_str(), path.c_str(), window, start, false);
    // The rule with a count put in, as the program fills its stored rules.
    std::string counted = rule + "        ";
    InsertInt(static_cast<int>(size % 7), counted.data(), 0, '#');
    FindPosition(counted.c_str(), path.c_str(), window, start, false);
    CountCharTo(path.c_str(), start, "\"", 1, 32);
    GetInt(path.c_str(), start);
    return 0;
}
