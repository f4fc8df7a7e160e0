// A fuzzed question file or round file checked as quillfin-check checks it,
// with the program's own picture search and decoding, and the report and the
// preview's page written (in memory; its pictures are not).
#include <cstddef>
#include <cstdint>
#include <memory>
#include <sstream>
#include <string>

#include "check/Checker.h"
#include "check/Pictures.h"
#include "check/PreviewPage.h"
#include "check/Report.h"
#include "fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string path = ScratchPath("check");
    // Inputs are checked as they are; the time on big files is measured in bench/.
    WriteScratch(path, data, size);
    std::unique_ptr<PictureLibrary> pictures = ProgramPictures();
    const std::vector<FileCheck> checks = CheckFiles({path}, *pictures, true);
    std::ostringstream report;
    WriteReport(report, checks);
    for (const FileCheck& check : checks) {
        const std::vector<PreviewImage> images(check.contents.size());
        report << QuestionFilePage(check, images, "index.html");
    }
    return 0;
}
