// The file system as each build's core sees it, for tests/windows/file_system_test.sh.
// Reads one command a line from its input and answers each with one line:
//   text NAME       the first line of the question file NAME as the readers
//                   see it, after "reads=N" (how often a file was read whole)
//   save NAME TEXT  writes TEXT to NAME as a saved round is written; answers
//                   with the steps that reached the disk, in their order
#include <iostream>
#include <string>

#include "rules/FileReader.h"
#include "rules/FileSystem.h"
#include "rules/QuestionFileText.h"

namespace {

// A clock far after every file's times: every kept text counts as settled, so
// that only the cache's key tells one version of a file from the next.
long long FarFuture() { return 4102444800LL * 1000000000LL; }  // 2100-01-01

std::string steps;
void RecordStep(const char* step) { steps += std::string(" ") + step; }

std::string FirstLine(const std::string& name) {
    TextSource source = OpenTextAt(name.c_str(), 0, FileReading::QuestionFile);
    if (!source) return "(cannot open)";
    char buffer[256];
    long long offset = 0;
    const std::size_t got = source.Read(buffer, sizeof(buffer), offset);
    const std::string text(buffer, got);
    return text.substr(0, text.find_first_of("\r\n"));
}

}  // namespace

int main() {
    SetFileSystemTraceForTests(RecordStep);
    SetQuestionTextClockForTests(FarFuture);
    std::string line;
    while (std::getline(std::cin, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const std::size_t space = line.find(' ');
        const std::string command = line.substr(0, space);
        const std::string rest =
            space == std::string::npos ? std::string() : line.substr(space + 1);
        if (command == "text") {
            const std::string first = FirstLine(rest);
            std::cout << "reads=" << GetQuestionTextCacheStats().wholeReads << ' ' << first;
        } else if (command == "save") {
            const std::size_t gap = rest.find(' ');
            steps.clear();
            const bool ok = ReplaceFileContent(rest.substr(0, gap), rest.substr(gap + 1));
            std::cout << (ok ? "saved" : "failed") << steps;
        } else {
            std::cout << "unknown command";
        }
        std::cout << std::endl;
    }
    return 0;
}
