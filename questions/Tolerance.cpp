#include "questions/Tolerance.h"

#include <algorithm>
#include <string>
#include <vector>

#include "questions/Question.h"
#include "rules/FileReader.h"

namespace {

constexpr char kTagByte = '\244';
constexpr std::size_t kSectionBlock = 4096;

}  // namespace

const WholeFlagWord kWholeFlagWords[2] = {
    {"acc", flagAcceptAccents},
    {"typo", flagAcceptTypos},
};

bool IsWindows1252Letter(unsigned char byte) {
    if ((byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z')) return true;
    if (byte >= 0xC0) return byte != 0xD7 && byte != 0xF7;  // × and ÷
    switch (byte) {
        case 0x83:  // ƒ
        case 0x8A:  // Š
        case 0x8C:  // Œ
        case 0x8E:  // Ž
        case 0x9A:  // š
        case 0x9C:  // œ
        case 0x9E:  // ž
        case 0x9F:  // Ÿ
        case 0xAA:  // ª
        case 0xB5:  // µ
        case 0xBA:  // º
            return true;
        default:
            return false;
    }
}

bool HasWholeWord(std::string_view section, std::string_view word) {
    if (word.empty()) return false;
    for (std::size_t at = section.find(word); at != std::string_view::npos;
         at = section.find(word, at + 1)) {
        const std::size_t after = at + word.size();
        const bool boundedBefore =
            at == 0 || !IsWindows1252Letter(static_cast<unsigned char>(section[at - 1]));
        const bool boundedAfter = after == section.size() ||
                                  !IsWindows1252Letter(static_cast<unsigned char>(section[after]));
        if (boundedBefore && boundedAfter) return true;
    }
    return false;
}

std::uint32_t ReadWholeFlagWords(const char* questionFile, int flagsPosition) {
    if (flagsPosition < 0) return 0;
    TextSource file = OpenTextAt(questionFile, flagsPosition, FileReading::QuestionFile);
    if (!file) return 0;
    std::size_t longest = 0;
    for (const WholeFlagWord& flag : kWholeFlagWords) {
        longest = std::max(longest, std::string_view(flag.word).size());
    }
    // The section is read a block at a time. The last bytes of what was read
    // stay in front of the next block, so that a word cut by a block's end is
    // found whole with the byte before it; a hit ending at the end of the read
    // text waits for the next block to show the byte after it.
    std::uint32_t bits = 0;
    std::string text;
    bool fromSectionStart = true;  // `text` begins at the start of the section
    std::vector<char> block(kSectionBlock);
    long long offset = flagsPosition;
    for (bool sectionEnds = false; !sectionEnds;) {
        const std::size_t got = file.Read(block.data(), block.size(), offset);
        std::size_t end = 0;
        while (end < got && block[end] != kTagByte) ++end;
        sectionEnds = got == 0 || end < got;
        text.append(block.data(), end);
        for (const WholeFlagWord& flag : kWholeFlagWords) {
            const std::string_view word(flag.word);
            std::string_view scan(text);
            // Without the section's end in sight, a word at the very end may go on.
            if (!sectionEnds && !scan.empty()) scan.remove_suffix(1);
            const bool ownStart = fromSectionStart;
            for (std::size_t at = scan.find(word); at != std::string_view::npos;
                 at = scan.find(word, at + 1)) {
                if (at == 0 && !ownStart) continue;  // the byte before is gone; seen earlier
                const std::size_t after = at + word.size();
                const bool before =
                    at == 0 || !IsWindows1252Letter(static_cast<unsigned char>(text[at - 1]));
                const bool behind =
                    after == text.size()
                        ? sectionEnds
                        : !IsWindows1252Letter(static_cast<unsigned char>(text[after]));
                if (before && behind) bits |= flag.bit;
            }
        }
        const std::size_t keep = longest + 1;
        if (text.size() > keep) {
            text.erase(0, text.size() - keep);
            fromSectionStart = false;
        }
    }
    return bits;
}

Judgement JudgeAnswer(const clQuestion& question, const char* given, int size) {
    const int exact = question.TestAnswer(given, size);
    if (exact > 0) return {true, NearMissKind::None, exact};

    std::string_view typed;
    if (!TypedAnswerText(given, size, typed)) return {};
    const bool caseSensitive = question.HaveFlag(flagCaseSensitive);
    std::vector<NearMissKind> kinds;
    std::vector<std::string_view> texts;
    for (int i = 0; i < question.ReturnAnswerAntal(); ++i) {
        std::string_view text;
        const bool usable = StoredAnswerText(question, i, size, text);
        texts.push_back(text);
        kinds.push_back(usable ? CompareNearly(typed, text, caseSensitive) : NearMissKind::None);
    }
    auto first = [&](NearMissKind kind, int letters) {
        for (std::size_t i = 0; i < kinds.size(); ++i) {
            if (kinds[i] == kind && CountAnswerLetters(texts[i]) >= letters) {
                return static_cast<int>(i) + 1;
            }
        }
        return 0;
    };
    if (question.HaveFlag(flagAcceptAccents)) {
        if (const int answer = first(NearMissKind::Accent, 0)) {
            return {true, NearMissKind::Accent, answer};
        }
    }
    if (question.HaveFlag(flagAcceptTypos)) {
        for (std::size_t i = 0; i < kinds.size(); ++i) {
            if (kinds[i] != NearMissKind::Typo ||
                CountAnswerLetters(texts[i]) < kTypoAcceptingLetters) {
                continue;
            }
            // Case stays strict: the one typo may not be a letter in the
            // wrong case, which ignoring case would not count as a typo.
            if (caseSensitive && CompareNearly(typed, texts[i], false) != NearMissKind::Typo) {
                continue;
            }
            return {true, NearMissKind::Typo, static_cast<int>(i) + 1};
        }
    }
    for (NearMissKind kind : {NearMissKind::Case, NearMissKind::Accent, NearMissKind::Punctuation,
                              NearMissKind::Typo}) {
        if (const int answer = first(kind, 0)) return {false, kind, answer};
    }
    return {};
}
