// The rule language: a rule text compiles into a chain of clRuleChecker
// objects, one per construct, each owning its inner construct. FindPosition
// slides a window over a file and lets the chain look at every position.
// A chain lives for one search; nothing of the file is kept between calls.
#pragma once

#include "rules/FileReader.h"

// Search results: nothing found, or a limit met before the inner rule reported.
constexpr int NO_POSITION = -999999;
constexpr int STOP_REACHED = -1000000;

class clRuleChecker {
public:
    clRuleChecker();
    clRuleChecker(char* rule, char* window, int bufsize);
    ~clRuleChecker();
    clRuleChecker(const clRuleChecker&) = delete;
    clRuleChecker& operator=(const clRuleChecker&) = delete;

    // Initialises a default-constructed object and compiles `rule` into it.
    int SetRuleChecker(char* rule, char* window, int bufsize);

    // Compiles the construct at the start of `rule` and its inner chain.
    // `rule` is rewritten in place (the inner rule is moved to its front).
    // Returns 0 when a TIME is not followed by a count, else 1.
    int ReadRules();

    // Returns this object and every inner one to its start state.
    void Reset();

    // One evaluation step at the current window: an offset relative to the
    // window start, NO_POSITION or STOP_REACHED.
    int CheckPosition();

    // Writes the chain to standard output (debugging aid).
    void DisplayObject();

    char* rule;
    char* window;
    char* text;
    int value;
    int type;
    int bufsize;
    int nextstat;
    clRuleChecker* RC;

    // Points every object of the chain at a new window.
    void SetWindow(char* newWindow);

    // Which first bytes of a window can make some object of the chain, in its
    // current state, report or change state. Every other position is a step
    // that returns NO_POSITION and changes nothing.
    struct Interest {
        bool any = false;        // every position needs a full step
        bool digits = false;     // a byte '0'..'9'
        bool nonDigits = false;  // any byte but '0'..'9'
        int byteCount = 0;
        unsigned char bytes[8] = {};
        // The literals behind the bytes: a position whose first byte is one
        // of them needs a step only where one of the literals matches whole.
        static constexpr int kMaxLiterals = 8;
        int literalCount = 0;
        const char* literals[kMaxLiterals] = {};
        int literalLengths[kMaxLiterals] = {};
        // The second bytes of the literals, when every literal has one: a
        // quick test that turns most candidates away.
        bool allHaveSecond = true;
        unsigned long long secondBytes[4] = {};
        void Add(unsigned char b);
        void AddLiteral(const char* s, int length);
        bool AnyLiteralAt(const char* window) const;
    };
    void CollectInterest(Interest& interest) const;

private:
    bool IsNum() const { return value == -100; }
    bool Begins(const char* literal, int length) const;
    int ReadLiteralOrNum(int quoteIndex, int numInnerIndex);
};

// Evaluates `rule` over the file from byte offset `start` with a window of
// `windowSize` bytes. Returns the absolute offset found, NO_POSITION or
// STOP_REACHED. A file that cannot be opened or is not a regular file, a
// negative start, or a window size of 0 or less gives NO_POSITION. The rule
// text is never modified; at most its first 127 characters are used. Searches
// in a question file pass FileReading::QuestionFile, and offsets are then
// those of its text in Windows-1252.
int FindPosition(const char* rule, const char* fileName, int windowSize, int start, bool show,
                 FileReading reading = FileReading::Bytes);
