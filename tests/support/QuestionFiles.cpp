#include "tests/support/QuestionFiles.h"

#include <vector>

namespace {

constexpr char kTag = '\244';

std::string Tag(char letter) { return std::string(1, kTag) + letter; }

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

}  // namespace

std::string RiverQuestionBlock(const std::string& flags) {
    return Tag('Q') + " \"Which river flows through this city?\" " + Tag('P') + " \"city.bmp\" " +
           Tag('A') + " \"Seine\" \"La Seine\" " + Tag('Z') + " \"cityzone.bmp\" " + Tag('I') +
           " \"It reaches the sea at Le Havre.\" " + Tag('F') + flags + Tag('E');
}

std::string GeneratedQuestionFile(unsigned seed, int blocks, bool faults) {
    std::mt19937 random(seed);
    auto pick = [&random](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    static const std::vector<std::string> words = {
        "Paris", "paris", "Oslo", "R\xE9union", "\xC9T\xC9", "\xE9t\xE9",    "two words",
        "",      "x",     "Bern", "ROME",       "rome",      "line\r\nbreak"};
    static const std::vector<std::string> flagWords = {
        " cs ",  " alla ", " zdr ",    " zdg ",          " zdb ",  " qzone ", " zr255 ",
        " zg0 ", " zb-1 ", " zc red ", " zc darkgreen ", " bold ", " zr 300 "};
    std::string file = "A note for the teacher before the first block.\r\n";
    for (int b = 0; b < blocks; ++b) {
        const int fault = faults ? pick(30) : 99;
        std::string block = Tag('Q') + " " + Quoted("Question " + std::to_string(b + 1) + "?");
        if (pick(3) == 0) block += " " + Tag('P') + " " + Quoted("picture.bmp");
        if (fault != 0) block += "\r\n" + Tag('A');
        const int answers = fault == 1 ? 0 : pick(5);
        for (int a = 0; a < answers; ++a) block += " " + Quoted(words[pick(words.size())]);
        if (fault == 2) block += " \"unpaired";
        if (fault == 3) block += " \"a\" \"b\" \"";
        if (answers == 0 || pick(4) == 0) block += " " + Tag('Z') + " " + Quoted("zone.bmp");
        if (pick(2) == 0) block += " " + Tag('I') + " " + Quoted("More about it.");
        if (fault == 4) block += " " + Tag('I') + " \"never closed";
        if (pick(2) == 0) {
            block += " " + Tag('F');
            for (int f = pick(3); f >= 0; --f) block += flagWords[pick(flagWords.size())];
        }
        if (fault == 5) block += " " + Tag('x') + " ";
        if (fault == 6) block += Tag('A') + " \"again\" \"again\"" + Tag('F') + " alla ";
        if (fault != 7) block += Tag('E');
        block += pick(4) == 0 ? "\n" : "\r\n\r\n";
        file += block;
    }
    return file;
}
