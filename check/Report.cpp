#include "check/Report.h"

#include <string>
#include <string_view>

#include "check/AnswersCheck.h"
#include "check/Messages.h"
#include "check/Output.h"
#include "check/Pictures.h"
#include "check/Preview.h"

namespace {

constexpr int kUsageError = 2;
constexpr char kPreviewOption[] = "--preview";
constexpr char kUsage[] = "Usage: quillfin-check FILE...   (--help explains it)\n";

constexpr char kHelp[] =
    "Usage: quillfin-check FILE...\n"
    "\n"
    "Checks Quillfin question files and round files and reports every problem\n"
    "that a learner would meet, with the line and column where it stands:\n"
    "\n"
    "  quiz.txt:12:5: error: answer 2 \"...\" holds a line break, ... [answer-line-break]\n"
    "\n"
    "An error is a question the program cannot take up (the learner sees\n"
    "\"Error in file\") or one that cannot be answered or completed. A warning\n"
    "says what the learner will see instead of what the teacher meant, such as\n"
    "the fallback picture for a picture that cannot be found.\n"
    "\n"
    "Round files (they start with qfile: \") are checked with the question file\n"
    "they name. Pictures and zone bitmaps are looked for as the program looks for\n"
    "them: beside the question file.\n"
    "\n"
    "After each file a summary line gives its questions, errors and warnings; at\n"
    "most 1000 problems are listed per file.\n"
    "\n"
    "Exit status: 0 no errors, 1 errors found, 2 a file could not be read or the\n"
    "command line was wrong.\n"
    "\n"
    "Options:\n"
    "  -h, --help   show this text\n"
    "  --preview FOLDER\n"
    "               also write a preview of each question file into FOLDER:\n"
    "               index.html lists every question with its texts, its flags,\n"
    "               the checker's messages and its picture as the learner sees\n"
    "               it after answering, with the answer zone marked; a preview\n"
    "               that cannot be written gives exit status 2\n"
    "  --answers REPORT.csv... QUESTIONFILE\n"
    "               read answer reports saved by Quillfin (File > Save answer\n"
    "               report...) and write notes at each question's answers: wrong\n"
    "               answers given more than once, near misses, and answers\n"
    "               accepted only by the flag word acc or typo. Exit status 0,\n"
    "               or 2 when a file could not be read.\n";

constexpr const char* kAnswersUsage =
    "Usage: quillfin-check --answers REPORT.csv... QUESTIONFILE   (--help explains it)\n";

}  // namespace

std::string SummaryOf(const FileCheck& check) {
    const std::string counted = check.roundFile
                                    ? Counted(check.questions, "question line", "question lines")
                                    : Counted(check.questions, "question", "questions");
    return counted + ", " + Counted(check.Count(Severity::Error), "error", "errors") + ", " +
           Counted(check.Count(Severity::Warning), "warning", "warnings");
}

void WriteReport(std::ostream& out, const std::vector<FileCheck>& checks) {
    long long questions = 0, errors = 0, warnings = 0, unreadable = 0;
    for (const FileCheck& check : checks) {
        const std::string path = CommandLineName(check.path);
        if (!check.readable) {
            out << path << ": error: cannot read it: " << CommandLineName(check.readError) << "\n";
            ++unreadable;
            continue;
        }
        for (const Problem& p : check.problems) {
            out << path << ":" << p.line << ":" << p.column << ": "
                << (p.severity == Severity::Error ? "error" : "warning") << ": " << p.message
                << " [" << p.check << "]\n";
        }
        const long long hidden = check.Total() - static_cast<long long>(check.problems.size());
        if (hidden > 0) {
            out << path << ": " << Counted(hidden, "more problem", "more problems")
                << " not shown\n";
        }
        out << path << ": " << SummaryOf(check) << "\n";
        if (!check.roundFile) questions += check.questions;
        errors += check.Count(Severity::Error);
        warnings += check.Count(Severity::Warning);
    }
    if (checks.size() > 1) {
        out << "total: " << Counted(static_cast<long long>(checks.size()), "file", "files") << ", "
            << Counted(questions, "question", "questions") << ", "
            << Counted(errors, "error", "errors") << ", "
            << Counted(warnings, "warning", "warnings");
        if (unreadable > 0) out << ", " << unreadable << " not readable";
        out << "\n";
    }
}

int ExitCodeOf(const std::vector<FileCheck>& checks) {
    int code = 0;
    for (const FileCheck& check : checks) {
        if (!check.readable) return kUsageError;
        if (check.Count(Severity::Error) > 0) code = 1;
    }
    return code;
}

int RunChecker(int argc, const char* const* argv, std::ostream& out, std::ostream& err) {
    std::vector<std::string> paths;
    std::string previewFolder;
    bool preview = false;
    bool options = true;
    bool answers = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (options && arg == "--") {
            options = false;
        } else if (options && arg == kPreviewOption) {
            if (i + 1 >= argc || std::string_view(argv[i + 1]).empty()) {
                err << "quillfin-check: " << kPreviewOption << " needs a folder\n" << kUsage;
                return kUsageError;
            }
            preview = true;
            previewFolder = argv[++i];
        } else if (options && arg.rfind(std::string(kPreviewOption) + "=", 0) == 0) {
            previewFolder = std::string(arg.substr(std::string_view(kPreviewOption).size() + 1));
            if (previewFolder.empty()) {
                err << "quillfin-check: " << kPreviewOption << " needs a folder\n" << kUsage;
                return kUsageError;
            }
            preview = true;
        } else if (options && (arg == "-h" || arg == "--help")) {
            out << kHelp;
            return 0;
        } else if (options && arg == "--answers") {
            answers = true;
        } else if (options && arg.size() > 1 && arg[0] == '-') {
            err << "quillfin-check: unknown option " << CommandLineName(std::string(arg)) << "\n"
                << kUsage;
            return kUsageError;
        } else {
            paths.emplace_back(arg);
        }
    }
    if (answers) {
        if (paths.size() < 2 || preview) {
            err << kAnswersUsage;
            return kUsageError;
        }
        const std::string questionFile = paths.back();
        paths.pop_back();
        return CheckAnswerReports(paths, questionFile, out);
    }
    if (paths.empty()) {
        err << kUsage;
        return kUsageError;
    }
    std::unique_ptr<PictureLibrary> pictures = ProgramPictures();
    const std::vector<FileCheck> checks = CheckFiles(paths, *pictures, preview);
    WriteReport(out, checks);
    int code = ExitCodeOf(checks);
    std::string error;
    if (preview && !WritePreview(previewFolder, checks, *pictures, error)) {
        out.flush();
        err << "quillfin-check: the preview is incomplete: " << error << "\n";
        code = kUsageError;
    }
    return code;
}
