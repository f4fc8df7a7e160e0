#include "questions/PictureSearch.h"

#include "rules/FileNames.h"

namespace {

// The name as found on disk when it is a regular file, else "".
std::string RegularFile(const std::string& name) {
    std::string found = FindWindowsName(name.c_str());
    return IsRegularFileName(found) ? found : std::string();
}

}  // namespace

std::string FindBitmapFile(const char* name, const char* questionFile) {
    if (name == nullptr) return std::string();
    const std::string given = name;
    if (given.empty()) return given;
    if (!IsRootedName(given) && questionFile != nullptr && *questionFile != '\0') {
        std::string questionPath = FindWindowsName(questionFile);
        if (questionPath.empty()) questionPath = questionFile;
        const std::string folder = FolderOf(questionPath);
        if (!folder.empty()) {
            if (std::string beside = RegularFile(folder + given); !beside.empty()) return beside;
        }
    }
    if (std::string here = RegularFile(given); !here.empty()) return here;
    return given;
}
