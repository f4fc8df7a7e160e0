// The teacher's checker: every problem of a question file or a round file
// that the program would meet, with the place it stands. It runs the
// program's own parse, answer test, picture search and picture decoding, and
// adds positions and messages to them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

class PictureLibrary;

enum class Severity { Error, Warning };

struct Problem {
    Severity severity = Severity::Error;
    std::int64_t line = 1;
    std::int64_t column = 1;
    std::string message;
    std::string check;        // the name of the check, in brackets after the message
    int question = 0;         // the question it belongs to; 0 for none
    std::int64_t offset = 0;  // byte of the checked text, for ordering
};

// A question as the program's parse read it, for a page that shows the
// quiz. Texts are the Windows-1252 bytes the learner is shown; an item the
// block does not hold is empty (nullopt).
struct QuestionContent {
    int number = 0;         // 1-based, in file order
    std::int64_t line = 1;  // of its question tag
    bool parsed = false;    // false: the learner sees "Error in file"
    std::optional<std::string> text;
    std::vector<std::string> answers;
    std::optional<std::string> picture;  // the name as the file gives it
    std::optional<std::string> zone;
    std::optional<std::string> info;
    std::uint32_t flags = 0;
    int answersNeeded = 0;
    int zoneColour[3] = {-1, -1, -1};  // red, green, blue; -1 for any value
};

// Problems kept per file, the first in the order of the file; the rest are
// only counted, so that a file with millions of problems needs little memory.
constexpr int kMaxReportedProblems = 1000;

struct FileCheck {
    std::string path;
    bool readable = false;
    std::string readError;  // why the file cannot be read
    bool roundFile = false;
    int questions = 0;  // blocks of a question file, entries of a round file
    // The first kMaxReportedProblems problems in the order of the file,
    // once Finish has been called.
    std::vector<Problem> problems;
    // The questions with at least one error, ascending.
    std::vector<int> errorQuestions;
    // For a round file: the question file it names, as the program opens it.
    std::string questionFile;
    // Every question checked, in file order, when the caller asked for them.
    std::vector<QuestionContent> contents;

    // Counts the problem and keeps it when it is among the first.
    void Add(Problem problem);
    // Puts the kept problems in the order of the file.
    void Finish();
    long long Count(Severity severity) const;
    long long Total() const { return errors_ + warnings_; }

private:
    long long errors_ = 0;
    long long warnings_ = 0;
    long long added_ = 0;
    using Key = std::pair<std::int64_t, std::int64_t>;  // offset, then order of adding
    std::vector<std::int64_t> sequence_;                // of each kept problem
    std::vector<std::pair<Key, std::size_t>> kept_;     // a heap over the kept problems
};

// Checks a question file: every block parsed as the program parses it.
// `keepContents` keeps what each question holds in `contents`.
FileCheck CheckQuestionFile(const std::string& path, PictureLibrary& pictures,
                            bool keepContents = false);

// Checks a round file as the program loads it, and what it says of its
// question file (which the caller checks on its own).
FileCheck CheckRoundFile(const std::string& path);

// Either, told apart by the file's first bytes as the program tells them.
// A round file's question file is appended after it, once per run.
std::vector<FileCheck> CheckFiles(const std::vector<std::string>& paths, PictureLibrary& pictures,
                                  bool keepContents = false);
