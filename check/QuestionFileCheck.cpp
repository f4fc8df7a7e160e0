#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "check/Checker.h"
#include "check/Messages.h"
#include "check/Pictures.h"
#include "check/SourceText.h"
#include "questions/Question.h"
#include "rules/QuestionFileText.h"
#include "rules/Windows1252.h"

namespace {

constexpr char kTag = '\244';
// The tag sign as the report shows it.
constexpr char kSign[] = "\u00A4";
// What a typed answer is compared over: the answer box's text and its end.
constexpr int kTypedLimit = 256;
constexpr char kKnownTagLetters[] = "QPAZIFE";

// Quotes that word processors put where a straight double quote belongs.
bool IsTypographicQuote(unsigned char c) {
    return c == 0x93 || c == 0x94 || c == 0x84 || c == 0xAB || c == 0xBB;
}

constexpr const char* kFlagWords[] = {"cs", "zdr", "zdg", "zdb", "qzone", "alla", "zc"};
constexpr const char* kComponentWords[] = {"zr", "zg", "zb"};
constexpr const char* kComponentNames[] = {"red", "green", "blue"};
constexpr const char* kColourNames[] = {
    "red",        "blue",       "green",         "yellow",     "violet",   "turquoise",
    "orange",     "grey",       "pink",          "darkred",    "darkblue", "darkgreen",
    "darkyellow", "darkviolet", "darkturquoise", "darkorange", "darkgrey"};

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// What the answer test compares of an answer: its bytes, folded as the test
// folds them unless the question is case-sensitive. Two answers with the same
// key match the same typed texts.
std::string AnswerKey(const std::string& answer, bool caseSensitive) {
    if (caseSensitive) return answer;
    std::string key = answer;
    for (char& c : key) c = static_cast<char>(FoldWindows1252Case(static_cast<unsigned char>(c)));
    return key;
}

std::string ZoneColourText(const clQuestion& q) {
    char text[48];
    std::snprintf(text, sizeof text, "(%d, %d, %d)", q.ReturnZR(), q.ReturnZG(), q.ReturnZB());
    return text;
}

bool HasZoneColour(const clQuestion& q) {
    return q.ReturnZR() != -1 || q.ReturnZG() != -1 || q.ReturnZB() != -1;
}

std::string Text(const char* item, int size) {
    if (!item || size < 2) return std::string();
    return std::string(item, static_cast<std::size_t>(size - 2));
}

class QuestionFileChecker {
public:
    QuestionFileChecker(const std::string& path, PictureLibrary& pictures, FileCheck& result)
        : path_(path), pictures_(pictures), result_(result) {}

    void Run() {
        std::string error;
        if (!text_.Load(path_, true, error)) {
            result_.readable = false;
            result_.readError = error;
            return;
        }
        result_.readable = true;
        bytes_ = std::string_view(text_.Bytes().data(), static_cast<std::size_t>(text_.TextEnd()));
        // Every read of the parse comes from this one snapshot, in memory.
        HeldQuestionText hold(path_.c_str(), text_.Text());
        blocks_ = clQuestion::FindQuestionBlocks(path_.c_str());
        result_.questions = static_cast<int>(blocks_.size());
        if (blocks_.empty()) {
            Add(Severity::Error, 0, 0, "no-questions",
                "the file holds no question tag " + std::string(kSign) +
                    "Q: the learner sees \"Error in file\"");
        }
        CheckTags();
        for (std::size_t i = 0; i < blocks_.size(); ++i) {
            if (parseWork_ > WorkBudget()) {
                ReportStopped(static_cast<int>(i));
                break;
            }
            CheckBlock(static_cast<int>(i) + 1);
        }
        CheckUnrepresentable();
        result_.Finish();
    }

private:
    void Add(Severity severity, std::int64_t offset, int question, const char* check,
             std::string message) {
        Problem p;
        p.severity = severity;
        p.offset = offset;
        const SourceText::Place place = text_.Locate(offset);
        p.line = place.line;
        p.column = place.column;
        p.check = check;
        p.question = question;
        p.message = std::move(message);
        result_.Add(std::move(p));
    }

    // Blocks without an end tag read on into the blocks after them, so each
    // parse of such a block may go over the same far-off items again: many
    // of them before one long answer list cost the square of the file. The
    // bytes each parse reaches are counted, and the walk stops once they pass
    // a fixed multiple of the file, which keeps every check linear in it.
    static constexpr std::int64_t kWorkPerByte = 16;
    static constexpr std::int64_t kWorkFloor = 1 << 20;

    std::int64_t WorkBudget() const {
        return kWorkPerByte * static_cast<std::int64_t>(bytes_.size()) + kWorkFloor;
    }

    // Counts what the parse of the block starting at `start` went over: the
    // stretch up to the farthest item it found, and the texts it copied.
    void CountParseWork(std::int64_t start, const clQuestion& q, const QuestionTrace& trace) {
        std::int64_t farthest = start;
        for (int at : {trace.questionText, trace.answersTag, trace.picture, trace.zone, trace.info,
                       trace.flagsTag, trace.answerListEnd}) {
            farthest = std::max(farthest, static_cast<std::int64_t>(at));
        }
        if (trace.failureAt >= 0) farthest = std::max(farthest, std::int64_t{trace.failureAt});
        std::int64_t copied = q.ReturnQuestionLength();
        for (const char* item : {q.qPicture, q.aZone, q.aInfo}) {
            if (item != nullptr) copied += static_cast<std::int64_t>(std::strlen(item));
        }
        parseWork_ += farthest - start + copied;
    }

    void ReportStopped(int checked) {
        const int left = static_cast<int>(blocks_.size()) - checked;
        Add(Severity::Error, BlockStart(checked + 1), checked + 1, "check-incomplete",
            "checking stopped at question " + std::to_string(checked + 1) + ": the blocks before " +
                "it read on so far into the file (no end tag " + std::string(kSign) +
                "E) that checking the remaining " + std::to_string(left) +
                " questions would take too long; end every block with " + std::string(kSign) +
                "E and check again");
    }

    // The block that a byte belongs to: 0 before the first question tag.
    int QuestionAt(std::int64_t offset) const {
        auto after = std::upper_bound(blocks_.begin(), blocks_.end(), offset + 1);
        return static_cast<int>(after - blocks_.begin());
    }

    std::int64_t BlockStart(int n) const { return blocks_[static_cast<std::size_t>(n - 1)] - 2; }
    std::int64_t BlockEnd(int n) const {
        return n < static_cast<int>(blocks_.size()) ? BlockStart(n + 1)
                                                    : static_cast<std::int64_t>(bytes_.size());
    }

    // The offset of the next tag byte at or after `from`, or the end of the text.
    std::int64_t NextTagByte(std::int64_t from) const {
        const std::size_t at = bytes_.find(kTag, static_cast<std::size_t>(from));
        return at == std::string_view::npos ? static_cast<std::int64_t>(bytes_.size())
                                            : static_cast<std::int64_t>(at);
    }

    std::string_view Span(std::int64_t from, std::int64_t to) const {
        if (to <= from) return std::string_view();
        return bytes_.substr(static_cast<std::size_t>(from), static_cast<std::size_t>(to - from));
    }

    // Tags the format does not know, and typographic quotes standing where
    // an item needs its straight quotes.
    void CheckTags() {
        for (std::size_t at = bytes_.find(kTag); at != std::string_view::npos;
             at = bytes_.find(kTag, at + 1)) {
            const auto offset = static_cast<std::int64_t>(at);
            const char letter = at + 1 < bytes_.size() ? bytes_[at + 1] : '\0';
            if (letter == '\0' || !std::strchr(kKnownTagLetters, letter)) {
                const std::string shown =
                    letter > ' ' && letter != '\177' ? std::string(bytes_.substr(at, 2)) : "\244";
                std::string message = "unknown tag " + Shown(shown) + ": ";
                if (letter >= 'a' && letter <= 'z' &&
                    std::strchr(kKnownTagLetters, letter - 'a' + 'A')) {
                    message += "tags are upper case, so this is not the tag " + std::string(kSign) +
                               std::string(1, static_cast<char>(letter - 'a' + 'A')) +
                               "; the tag byte still ends an answer list or flags section";
                } else {
                    message +=
                        "the program ignores it, but the tag byte still ends an answer list or "
                        "flags section";
                }
                Add(Severity::Warning, offset, QuestionAt(offset), "unknown-tag", message);
                continue;
            }
            if (letter == 'F' || letter == 'E') continue;
            const std::string_view section = Span(offset + 2, NextTagByte(offset + 2));
            if (section.find('"') != std::string_view::npos) continue;
            auto typographic = std::find_if(section.begin(), section.end(), [](char c) {
                return IsTypographicQuote(static_cast<unsigned char>(c));
            });
            if (typographic == section.end()) continue;
            const std::int64_t quoteAt = offset + 2 + (typographic - section.begin());
            static const std::map<char, const char*> lost = {
                {'Q', "the question text is not read"},
                {'P', "the picture is not read"},
                {'A', "the answers are not read"},
                {'Z', "the zone bitmap is not read"},
                {'I', "the additional information is not read"},
            };
            Add(Severity::Warning, quoteAt, QuestionAt(quoteAt), "typographic-quote",
                "typographic quote " + Shown(std::string_view(&*typographic, 1)) + " after " +
                    std::string(kSign) + std::string(1, letter) +
                    " where a straight double quote \" is needed: " + lost.at(letter));
        }
    }

    void CheckBlock(int n) {
        const std::int64_t start = BlockStart(n);
        const std::int64_t end = BlockEnd(n);
        const std::string_view block = Span(start, end);
        if (block.find("\244E") == std::string_view::npos) {
            Add(Severity::Warning, start, n, "missing-end-tag",
                "question " + std::to_string(n) + " has no end tag " + std::string(kSign) + "E" +
                    (n < static_cast<int>(blocks_.size())
                         ? " before the next question: its answers, zone, information and flags "
                           "are looked for on into the following block"
                         : ": its answers, zone, information and flags are looked for on to the "
                           "end of the file"));
        }

        clQuestion q;
        QuestionTrace trace;
        const bool parsed =
            q.GetQuestionAt(path_.c_str(), blocks_[static_cast<std::size_t>(n - 1)], &trace);
        CountParseWork(start, q, trace);
        if (!parsed) {
            ReportFailure(n, trace);
            return;
        }
        CheckTexts(n, q, trace);
        CheckAnswers(n, q, trace);
        CheckFlags(n, q, trace);
        CheckPictures(n, q, trace);
        if (q.IsEmptyBlock()) {
            Add(Severity::Error, start, n, "no-answer",
                "question " + std::to_string(n) +
                    " has no question text, no answers, no zone and no information: the learner "
                    "sees \"Error in file\"");
        } else if (q.IsInformationCard()) {
            Add(Severity::Warning, start, n, "information-card",
                "question " + std::to_string(n) +
                    " has neither answers nor a zone: the learner sees it as an information "
                    "card, and Enter or a click moves on as if it were answered");
        }
        const std::string questionText = Text(q.question, q.questionLength);
        if (!questionText.empty()) {
            auto [seen, fresh] = questionTexts_.emplace(questionText, n);
            if (!fresh) {
                const SourceText::Place first = text_.Locate(BlockStart(seen->second));
                Add(Severity::Warning, trace.questionText - 1, n, "duplicate-question",
                    "question " + std::to_string(n) + " has the same text as question " +
                        std::to_string(seen->second) + " (line " + std::to_string(first.line) +
                        "): the learner cannot tell them apart");
            }
        }
    }

    void ReportFailure(int n, const QuestionTrace& trace) {
        const std::string question = "question " + std::to_string(n);
        const std::string sees = ": the learner sees \"Error in file\"";
        switch (trace.failure) {
            case QuestionTrace::Failure::NoAnswersTag:
                Add(Severity::Error, BlockStart(n), n, "no-answers-tag",
                    question + " has no answers tag " + std::string(kSign) +
                        "A before its end tag" + sees);
                break;
            case QuestionTrace::Failure::UnclosedQuote:
                Add(Severity::Error, trace.failureAt, n, "unclosed-quote",
                    question +
                        ": this double quote opens a text that is never closed: no "
                        "double quote follows anywhere later in the file" +
                        sees);
                break;
            case QuestionTrace::Failure::OddQuoteCount:
                Add(Severity::Error, trace.answersTag - 2, n, "odd-quote-count",
                    question + ": the answer list after " + std::string(kSign) + "A holds " +
                        std::to_string(trace.answerQuotes.size()) +
                        " double quotes, an odd number, so its answers cannot be paired" + sees);
                break;
            default:
                Add(Severity::Error, BlockStart(n), n, "unreadable-question",
                    question + " cannot be read" + sees);
                break;
        }
    }

    // A double quote inside the question text or the information ends the
    // text there; what follows up to the next tag is skipped.
    void CheckTexts(int n, const clQuestion& q, const QuestionTrace& trace) {
        struct Item {
            int at;
            int size;
            const char* name;
        } items[] = {{trace.questionText, q.questionLength, "question text"},
                     {trace.info, q.aInfoLength, "additional information"}};
        for (const Item& item : items) {
            if (item.at < 0 || item.size < 2) continue;
            const std::int64_t closing = item.at + item.size - 2;
            const std::string_view text = Span(item.at, closing);
            const std::size_t tag = text.find(kTag);
            if (tag != std::string_view::npos) {
                // The text ran on to the quote of a later item.
                Add(Severity::Warning, item.at - 1, n, "unclosed-quote",
                    std::string("the ") + item.name +
                        " opened here runs on over a tag to the next double quote: its closing "
                        "quote seems to be missing; the learner sees " +
                        Shown(text.substr(0, tag), 60) + " and more");
                continue;
            }
            const std::string_view rest = Span(closing + 1, NextTagByte(closing + 1));
            if (rest.find('"') == std::string_view::npos) continue;
            Add(Severity::Warning, closing, n, "quote-in-text",
                std::string("a double quote inside the ") + item.name +
                    " ends it here: the learner sees " + Shown(Span(item.at, closing), 60));
        }
    }

    // Two answers that the answer test cannot tell apart, and answers that
    // no typed text can match.
    void CheckAnswers(int n, const clQuestion& q, const QuestionTrace& trace) {
        const bool allAnswers = q.HaveFlag(flagAllAnswers);
        const bool caseSensitive = q.HaveFlag(flagCaseSensitive);
        std::map<std::string, int> firstWithKey;
        for (int i = 0; i < q.ReturnAnswerAntal(); ++i) {
            const std::string answer = Text(q.answers[i], q.answerLengths[i]);
            const std::size_t quote = static_cast<std::size_t>(2 * i);
            const std::int64_t at =
                quote < trace.answerQuotes.size() ? trace.answerQuotes[quote] : trace.answersTag;
            const std::string which = "answer " + std::to_string(i + 1) + " " + Shown(answer);
            if (answer.find_first_of("\r\n") != std::string::npos) {
                Add(Severity::Error, at, n, "answer-line-break",
                    which +
                        " holds a line break, which the answer box cannot take: it can "
                        "never be typed");
            } else if (q.answerLengths[i] > kTypedLimit) {
                // The stored size counts two zero bytes; the test stops before
                // the limit, so the answer's end is never reached.
                Add(Severity::Error, at, n, "answer-too-long",
                    which + " is " + std::to_string(answer.size()) +
                        " characters long; a typed answer is compared over at most " +
                        std::to_string(kTypedLimit - 1) + " characters, so it can never match");
            }
            const auto [first, fresh] = firstWithKey.emplace(AnswerKey(answer, caseSensitive), i);
            if (fresh) continue;
            const std::string equal = "answers " + std::to_string(first->second + 1) + " and " +
                                      std::to_string(i + 1) + " are equal" +
                                      (caseSensitive ? "" : " when case is ignored");
            if (allAnswers) {
                Add(Severity::Error, at, n, "equal-answers",
                    equal + ": answer " + std::to_string(i + 1) +
                        " can never be given, so this all-answers question can never be "
                        "completed");
            } else {
                Add(Severity::Warning, at, n, "equal-answers",
                    equal + ": answer " + std::to_string(i + 1) + " can never be the one matched");
            }
        }
    }

    // Words of the flags section that set nothing, colour names before zc,
    // and zone colour values outside 0 to 255.
    void CheckFlags(int n, const clQuestion& q, const QuestionTrace& trace) {
        if (trace.flagsTag < 0) return;
        const std::int64_t from = trace.flagsTag;
        const std::string_view section = Span(from, NextTagByte(from));
        const std::size_t zc = section.find("zc");

        // Where each component's number stands: the first digit after the
        // first occurrence of its word.
        std::vector<std::size_t> numbers;
        for (int c = 0; c < 3; ++c) {
            const std::size_t word = section.find(kComponentWords[c]);
            if (word == std::string_view::npos) continue;
            std::size_t digit = word + 2;
            while (digit < section.size() && !IsDigit(section[digit])) ++digit;
            if (digit == section.size()) continue;
            numbers.push_back(digit);
            std::size_t last = digit;
            long long value = 0;
            while (last < section.size() && IsDigit(section[last]) && last - digit < 16) {
                value = std::min(value * 10 + (section[last] - '0'), 1LL << 40);
                ++last;
            }
            const bool negative = digit > 0 && section[digit - 1] == '-';
            if (negative) value = -value;
            if (value >= -1 && value <= 255) continue;
            const short used = c == 0 ? q.ReturnZR() : c == 1 ? q.ReturnZG() : q.ReturnZB();
            Add(Severity::Warning, from + static_cast<std::int64_t>(negative ? digit - 1 : digit),
                n, "zone-colour-range",
                std::string("zone colour value ") + std::to_string(value) + " for " +
                    kComponentNames[c] + " lies outside 0 to 255: the program uses " +
                    std::to_string(used) + (used == -1 ? " (any value)" : ""));
        }

        auto separator = [](char c) {
            return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == ',' || c == ';';
        };
        for (std::size_t i = 0; i < section.size();) {
            if (separator(section[i])) {
                ++i;
                continue;
            }
            std::size_t j = i;
            while (j < section.size() && !separator(section[j])) ++j;
            const std::string_view word = section.substr(i, j - i);
            bool used = false;
            for (const char* flag : kFlagWords) used = used || word.find(flag) != word.npos;
            for (const char* component : kComponentWords) {
                used = used || word.find(component) != word.npos;
            }
            for (std::size_t digit : numbers) used = used || (digit >= i && digit < j);
            bool colourBeforeZc = false;
            for (const char* colour : kColourNames) {
                const std::size_t at = word.find(colour);
                if (at == word.npos) continue;
                if (zc != section.npos && i + at >= zc) {
                    used = true;
                } else {
                    colourBeforeZc = true;
                }
            }
            if (!used) {
                const std::int64_t at = from + static_cast<std::int64_t>(i);
                if (colourBeforeZc) {
                    Add(Severity::Warning, at, n, "ignored-flag",
                        "colour name " + Shown(word) +
                            (zc == section.npos ? " without zc" : " before zc") +
                            " is ignored: colour names count only after the word zc");
                } else {
                    Add(Severity::Warning, at, n, "ignored-flag",
                        "flag word " + Shown(word) +
                            " means nothing to the program and is "
                            "ignored");
                }
            }
            i = j;
        }
    }

    void CheckPictures(int n, const clQuestion& q, const QuestionTrace& trace) {
        const bool zoneQuestion = q.ReturnAnswerAntal() == 0;
        const PictureInfo* picture = nullptr;
        if (q.qPicture) {
            const std::string name = Text(q.qPicture, q.qPictureLength);
            CheckNameCharacters(n, trace.picture, name, "picture");
            picture = &pictures_.Get(path_, name, false);
            if (picture->state == PictureInfo::State::Missing) {
                Add(Severity::Warning, trace.picture, n, "picture-missing",
                    "picture " + Shown(name, 80) +
                        " cannot be found: the learner sees the fallback picture");
            } else if (picture->state == PictureInfo::State::Unreadable) {
                Add(Severity::Warning, trace.picture, n, "picture-unreadable",
                    "picture " + Shown(name, 80) +
                        " cannot be decoded: the learner sees the fallback picture");
            }
        }
        if (!q.aZone) {
            if (HasZoneColour(q)) {
                Add(Severity::Warning, trace.flagsTag, n, "zone-colour-without-zone",
                    "a zone colour " + ZoneColourText(q) +
                        " is set but the question has no zone bitmap (" + std::string(kSign) +
                        "Z): it is ignored");
            }
            if (q.HaveFlag(flagDisplayZoneInQuestion)) {
                Add(Severity::Warning, trace.flagsTag, n, "qzone-without-zone",
                    "the flag qzone is set but the question has no zone bitmap (" +
                        std::string(kSign) +
                        "Z): "
                        "nothing is marked");
            }
            return;
        }

        const std::string name = Text(q.aZone, q.aZoneLength);
        CheckNameCharacters(n, trace.zone, name, "zone bitmap");
        const bool colour = HasZoneColour(q);
        if (!zoneQuestion && !colour) {
            Add(Severity::Warning, trace.zone, n, "zone-no-colour",
                "zone bitmap " + Shown(name, 80) +
                    " is never used: the question has answers and no zone colour, so nothing "
                    "is marked");
            return;
        }
        const Severity severity = zoneQuestion ? Severity::Error : Severity::Warning;
        const std::string outcome =
            zoneQuestion ? "no click can be right" : "the zone is not marked after the answer";
        const PictureInfo& zone = pictures_.Get(path_, name, colour);
        if (zone.state == PictureInfo::State::Missing) {
            Add(severity, trace.zone, n, "zone-missing",
                "zone bitmap " + Shown(name, 80) + " cannot be found: " + outcome);
            return;
        }
        if (zone.state == PictureInfo::State::Unreadable) {
            Add(severity, trace.zone, n, "zone-unreadable",
                "zone bitmap " + Shown(name, 80) + " cannot be decoded: " + outcome);
            return;
        }
        if (zone.jpeg) {
            Add(Severity::Warning, trace.zone, n, "zone-jpeg",
                "zone bitmap " + Shown(name, 80) +
                    " is a JPEG: its colours blur at the edges of zones; use PNG or BMP");
        }
        const bool pictureDecoded = picture && picture->state == PictureInfo::State::Decoded;
        if (pictureDecoded && (picture->width != zone.width || picture->height != zone.height)) {
            Add(Severity::Warning, trace.zone, n, "zone-size",
                "zone bitmap " + Shown(name, 80) + " is " + std::to_string(zone.width) + " x " +
                    std::to_string(zone.height) + " pixels but the picture is " +
                    std::to_string(picture->width) + " x " + std::to_string(picture->height) +
                    ": the zone is laid over the picture from the top-left corner");
        }
        if (!colour) {
            Add(Severity::Warning, trace.zone, n, "zone-no-colour",
                "no zone colour is set (zr, zg, zb or a colour name after zc in " +
                    std::string(kSign) +
                    "F): "
                    "every click on the picture counts as right");
            return;
        }
        // The part of the zone under the picture; all of it when the picture
        // itself is not shown.
        const int width = pictureDecoded ? std::min(zone.width, picture->width) : zone.width;
        const int height = pictureDecoded ? std::min(zone.height, picture->height) : zone.height;
        if (!ZoneColourOccurs(zone, width, height, q)) {
            Add(severity, trace.zone, n, "zone-colour-unmatched",
                "no pixel of zone bitmap " + Shown(name, 80) +
                    " under the picture has the zone "
                    "colour " +
                    ZoneColourText(q) + ": " + outcome);
        }
    }

    static bool ZoneColourOccurs(const PictureInfo& zone, int width, int height,
                                 const clQuestion& q) {
        const int wanted[3] = {q.ReturnZR(), q.ReturnZG(), q.ReturnZB()};
        std::uint32_t mask = 0;
        std::uint32_t value = 0;
        for (int c = 0; c < 3; ++c) {
            if (wanted[c] == -1) continue;
            const int shift = 16 - 8 * c;
            mask |= 0xFFu << shift;
            value |= static_cast<std::uint32_t>(wanted[c]) << shift;
        }
        for (int y = 0; y < height; ++y) {
            const std::uint32_t* row =
                zone.pixels.data() +
                static_cast<std::size_t>(y) * static_cast<std::size_t>(zone.width);
            for (int x = 0; x < width; ++x) {
                if ((row[x] & mask) == value) return true;
            }
        }
        return false;
    }

    static std::string CharacterName(char32_t code) {
        if (code == 0) return "bytes that are no character";
        char name[32];
        std::snprintf(name, sizeof name, "the character U+%04X", static_cast<unsigned>(code));
        return name;
    }

    void CheckUnrepresentable() {
        for (const SourceText::Unrepresentable& u : text_.Unrepresentables()) {
            if (inNames_.count(u.offset)) continue;
            Add(Severity::Warning, u.offset, QuestionAt(u.offset), "not-windows-1252",
                CharacterName(u.code) + " cannot be written in Windows-1252 and reads as \"?\"");
        }
    }

    // A picture or zone name holding a '?' that stands for another character
    // names a file that does not exist.
    void CheckNameCharacters(int n, int at, const std::string& name, const char* what) {
        const auto& all = text_.Unrepresentables();
        auto u = std::lower_bound(all.begin(), all.end(), at,
                                  [](const SourceText::Unrepresentable& r, std::int64_t offset) {
                                      return r.offset < offset;
                                  });
        if (u == all.end() || u->offset >= at + static_cast<std::int64_t>(name.size())) return;
        for (auto v = u; v != all.end() && v->offset < at + static_cast<std::int64_t>(name.size());
             ++v) {
            inNames_.insert(v->offset);
        }
        Add(Severity::Warning, u->offset, n, "name-not-windows-1252",
            std::string(what) + " name " + Shown(name, 80) + " holds " + CharacterName(u->code) +
                ", which Windows-1252 cannot hold: it reads as \"?\", so the file is not found");
    }

    const std::string& path_;
    PictureLibrary& pictures_;
    FileCheck& result_;
    SourceText text_;
    std::string_view bytes_;
    std::vector<int> blocks_;
    std::int64_t parseWork_ = 0;
    std::map<std::string, int> questionTexts_;
    std::set<std::int64_t> inNames_;  // '?' already reported in a name
};

}  // namespace

FileCheck CheckQuestionFile(const std::string& path, PictureLibrary& pictures) {
    FileCheck result;
    result.path = path;
    QuestionFileChecker(path, pictures, result).Run();
    return result;
}
