// The round: which question file is practised, how many questions it holds,
// the order in which they are asked and the status of each, and the round file
// that saves and restores all of this. Only the file names are kept; every
// count reads the question file again. Nothing here shows a message or throws;
// bad input gives a status value and leaves the round in a state the caller
// can report (an empty round when nothing usable was read).
#pragma once

#include <cstdint>
#include <vector>

#include "round/RoundMapping.h"
#include "round/RoundMemory.h"

// One position of the round. stat: 0 not yet answered, 1 answered correctly,
// 2 last answered wrongly.
struct OrderEntry {
    int questionNo;
    int stat;
};

// The one rule that tells a round file from a question file: a round file
// starts with the bytes `qfile: "`. False for anything that cannot be read.
bool IsRoundFile(const char* fileName);

// The bytes every round file starts with, for readers that test them elsewhere
// (the desktop's file type recognition uses the same ones).
constexpr char kRoundFileMagic[] = "qfile: \"";

// The marks before a round file's count and before each question line.
constexpr char kRoundCountMark[] = "qantal:";
constexpr char kRoundLineMark[] = "Q:";
// The marks before the fingerprint sum (after the count) and before the
// fingerprint of each question (on its line, after the status).
constexpr char kRoundSumMark[] = "qsum:";
constexpr char kRoundIdMark[] = "Id:";

// What LoadRoundFile read of a round file, for tools that report on one:
// byte offsets, -1 for what was not found.
struct RoundFileTrace {
    long long countAt = -1;  // the count's number after kRoundCountMark
    int count = 0;           // the count as read
    // The mark of each question line read whole, in the order of the round,
    // and its entry as read (before any re-attachment).
    std::vector<long long> lines;
    std::vector<OrderEntry> entries;
    // The mark of the first question line whose number or status is missing.
    long long brokenLine = -1;
    // Whether every question line read holds a fingerprint and the sum
    // follows the count; the fingerprints in the order of the lines.
    bool fingerprinted = false;
    std::uint64_t savedSum = 0;
    std::vector<std::uint64_t> fingerprints;
    // Set when the question file had changed and the round was re-attached
    // to it; `mapping` then tells what became of each saved question.
    bool mapped = false;
    RoundMapping mapping;
};

class clQuestionOrder {
public:
    clQuestionOrder();
    ~clQuestionOrder();
    clQuestionOrder(const clQuestionOrder&) = delete;
    clQuestionOrder& operator=(const clQuestionOrder&) = delete;

    // Takes `name` as the new question file (forgetting the round file name),
    // or with null counts the current question file again. Builds the order
    // 1 .. n with status 0. Returns 1 when the file holds a question, else 0
    // (then there is no order).
    int LoadQuestionFile(const char* name);

    // Puts the entries in an even random order (every order equally likely)
    // drawn from a generator seeded with `seed`; equal seeds give equal
    // orders on every platform. Statuses travel with their entries. Returns 1.
    int ShuffelQuestions(int seed);

    // Takes the entry at `from` out and puts it at `to` (-1: the last
    // position). For from > to > 0 the entries move as a ring: those after
    // `from` and those up to `to` move one place down, the head going to the
    // end. Positions outside the order change nothing.
    void MoveQ(int from, int to);

    // Moves the head `distance` places back, but never behind an entry with
    // status 1 (answered correctly). Returns the head's new position; 0 (and
    // nothing moves) when no position qualifies; -1 on an empty round.
    int MoveQForReask(int distance);

    // 1 when set; 0 when there is no such position.
    int SetQuestionStat(int position, int status);
    // -1 when there is no such position.
    int ReturnQuestionNo(int position);
    int ReturnQuestionStat(int position);
    // The round's own buffer (may be null); not a copy.
    char* ReturnQFile();

    // Writes the round to `name` and makes it the round file name. The file
    // appears whole or not at all: it is written beside the target and moved
    // into place when complete. When the round holds each question of its
    // file once, every question line also carries the question's fingerprint
    // (" Id: " and 16 hex digits) and the count line is followed by the sum
    // of the file's fingerprints ("qsum: "), so that a later load can find
    // each question again after the file was edited. Returns 1 when the question lines were
    // written; 0 when there is no question file, no entry, or writing failed
    // (a previous file of that name then stays as it was).
    int SaveRoundFile(const char* name);

    // Replaces the round by the one saved in `name`. A question file name
    // written on Windows is replaced by the name it has here (FindWindowsName);
    // one that is not found here at all (the round file came from another
    // machine) by the file of the same base name beside the round file, when
    // there is one. Returns 1 when every
    // entry was read and the count equals the number of questions in the
    // named question file; when only the count differs, the round runs as read.
    // A file from which the question lines cannot all be read (name or count
    // missing, count negative, fewer lines than counted, a number missing)
    // leaves an empty round that keeps the names read so far. Question lines
    // are taken only after the count.
    // A round file with fingerprints whose sum differs from that of the
    // question file now is re-attached to the file as it is (RoundMapping.h:
    // entries take their questions' numbers now, removed ones go, new ones
    // come in unanswered at random places before the answered tail) and the
    // result is 1. Without fingerprints, or with a question file that
    // cannot be read, the entries stay as read.
    // With `trace`, also tells where the count and the question lines stood
    // and what a re-attachment did.
    int LoadRoundFile(const char* name, RoundFileTrace* trace = nullptr);

    // Lists every question of the round on standard output (debugging aid).
    void DisplayAllQInConsole();

    OrderEntry* order;
    char* qfile;
    char* sfile;
    int qantal;
    // The answers of this round: started afresh by LoadQuestionFile, and by
    // LoadRoundFile marked as counting from the load. Never saved.
    clRoundMemory memory;
};
