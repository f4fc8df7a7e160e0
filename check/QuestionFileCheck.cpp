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
#include "platform/ZoneMarking.h"
#include "questions/NearMiss.h"
#include "questions/Question.h"
#include "questions/Tolerance.h"
#include "rules/QuestionFileText.h"
#include "rules/Windows1252.h"

namespace {

constexpr char kTag = '\244';
// The tag sign as the report shows it.
constexpr char kSign[] = "\u00A4";
constexpr char kKnownTagLetters[] = "QPAZIFE";

// Quotes that word processors put where a straight double quote belongs.
bool IsTypographicQuote(unsigned char c) {
    return c == 0x93 || c == 0x94 || c == 0x84 || c == 0xAB || c == 0xBB;
}

constexpr const char* kComponentNames[] = {"red", "green", "blue"};

// A colour as the teacher writes it: its colour word where one has exactly
// this colour, else r,g,b.
std::string ColourName(std::uint32_t rgb) {
    const int r = static_cast<int>(rgb >> 16 & 0xFF);
    const int g = static_cast<int>(rgb >> 8 & 0xFF);
    const int b = static_cast<int>(rgb & 0xFF);
    for (const ZoneColourName& name : ZoneColourNames()) {
        if (name.r == r && name.g == g && name.b == b) return name.word;
    }
    return std::to_string(r) + "," + std::to_string(g) + "," + std::to_string(b);
}

// "a", "a and b", "a, b and c".
std::string Listed(const std::vector<std::string>& items) {
    std::string out;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i > 0) out += i + 1 == items.size() ? " and " : ", ";
        out += items[i];
    }
    return out;
}

// What the answer test compares of an answer: its bytes, folded as the test
// folds them unless the question is case-sensitive. Two answers with the same
// key match the same typed texts.
std::string AnswerKey(const std::string& answer, bool caseSensitive) {
    if (caseSensitive) return answer;
    std::string key = answer;
    for (char& c : key) c = static_cast<char>(FoldWindows1252Case(static_cast<unsigned char>(c)));
    return key;
}

// Whether answer i, typed as it stands, is matched by the program's answer
// test: asked of a record that holds that answer alone, so that each answer
// costs its own length. The test stops comparing at the answer box's limit,
// so an answer too long for it is never reached to its end.
bool Typeable(const clQuestion& q, int i) {
    clQuestion alone;
    alone.answers = &q.answers[i];
    alone.answerLengths = &q.answerLengths[i];
    alone.answerAntal = 1;
    alone.flags = q.flags;
    const bool matched = alone.TestAnswer(q.answers[i], kAnswerCompareLimit) == 1;
    alone.ZeroAll();  // the buffers belong to `q`
    return matched;
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
    QuestionFileChecker(const std::string& path, PictureLibrary& pictures, FileCheck& result,
                        bool keepContents)
        : path_(path), pictures_(pictures), result_(result), keepContents_(keepContents) {}

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
                char meant = '\0';
                if (letter >= 'a' && letter <= 'z' &&
                    std::strchr(kKnownTagLetters, letter - 'a' + 'A')) {
                    meant = static_cast<char>(letter - 'a' + 'A');
                    message += "tags are upper case, so this is not the tag " + std::string(kSign) +
                               std::string(1, meant) + "; ";
                }
                message += UnknownTagOutcome(offset, meant);
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

    // What the learner gets from an unknown tag at `offset`: its byte ends
    // the answer list or flags section it stands in, so what follows it up
    // to the next tag is not read. `meant`: the tag it seems to stand for.
    std::string UnknownTagOutcome(std::int64_t offset, char meant) const {
        // The section it ends: the last known tag before it in its block.
        char section = '\0';
        const std::int64_t blockStart = QuestionAt(offset) > 0 ? BlockStart(QuestionAt(offset)) : 0;
        for (std::int64_t at = offset - 1; at >= blockStart; --at) {
            if (bytes_[static_cast<std::size_t>(at)] != kTag) continue;
            const std::size_t next = static_cast<std::size_t>(at) + 1;
            const char tag = next < bytes_.size() ? bytes_[next] : '\0';
            if (tag != '\0' && std::strchr(kKnownTagLetters, tag)) {
                section = tag;
                break;
            }
        }
        const std::string_view after = Span(offset + 2, NextTagByte(offset + 2));
        if (meant == 'F' || section == 'F') {
            std::vector<std::string> lost;
            for (const FlagWordName& flag : FlagWordNames()) {
                if (after.find(flag.word) != std::string_view::npos)
                    lost.push_back(std::string(flag.word) + " is ignored, so " +
                                   FlagLost(flag.flag));
            }
            bool colour = after.find(kZoneColourWord) != std::string_view::npos;
            for (const char* word : kZoneComponentWords)
                colour = colour || after.find(word) != std::string_view::npos;
            if (colour) lost.push_back("the zone colour is not set by them");
            if (lost.empty()) return "the words after it are not read as flags";
            return "the flags after it are not read: " + Listed(lost);
        }
        if (section == 'A' || meant == 'A') {
            const auto quotes = std::count(after.begin(), after.end(), '"');
            if (quotes >= 2) return "the texts in quotes after it are not read as answers";
        }
        return "the program passes over it and over what follows it up to the next tag";
    }

    static std::string FlagLost(std::uint32_t flag) {
        switch (flag) {
            case flagCaseSensitive:
                return "letter case does not matter";
            case flagAllAnswers:
                return "any one of the answers is enough";
            case flagDisplayZoneInQuestion:
                return "the zone is not shown with the question";
            default:
                return "the zone is marked in other colours";
        }
    }

    void CheckBlock(int n) {
        const std::int64_t start = BlockStart(n);
        const std::int64_t end = BlockEnd(n);
        const std::string_view block = Span(start, end);
        clQuestion q;
        QuestionTrace trace;
        const bool parsed =
            q.GetQuestionAt(path_.c_str(), blocks_[static_cast<std::size_t>(n - 1)], &trace);
        CountParseWork(start, q, trace);
        if (block.find("\244E") == std::string_view::npos) ReportMissingEnd(n, trace);
        if (keepContents_) Keep(n, parsed, q);
        if (!parsed) {
            ReportFailure(n, trace);
            return;
        }
        CheckTexts(n, q, trace);
        CheckAnswers(n, q, trace);
        if (q.HaveFlag(flagAcceptTypos)) CheckTypoNeighbours(n, q, trace);
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

    void Keep(int n, bool parsed, const clQuestion& q) {
        QuestionContent content;
        content.number = n;
        content.line = text_.Locate(BlockStart(n)).line;
        content.parsed = parsed;
        if (parsed) {
            auto item = [](const char* bytes, int size) -> std::optional<std::string> {
                if (bytes == nullptr) return std::nullopt;
                return Text(bytes, size);
            };
            content.text = item(q.question, q.questionLength);
            content.picture = item(q.qPicture, q.qPictureLength);
            content.zone = item(q.aZone, q.aZoneLength);
            content.info = item(q.aInfo, q.aInfoLength);
            for (int i = 0; i < q.ReturnAnswerAntal(); ++i)
                content.answers.push_back(Text(q.answers[i], q.answerLengths[i]));
            content.flags = q.flags;
            content.answersNeeded = q.ReturnAnswersNeeded();
            content.zoneColour[0] = q.ReturnZR();
            content.zoneColour[1] = q.ReturnZG();
            content.zoneColour[2] = q.ReturnZB();
        }
        result_.contents.push_back(std::move(content));
    }

    // Where the end tag of block n is missing, and what the parse took from
    // the blocks after it instead.
    void ReportMissingEnd(int n, const QuestionTrace& trace) {
        const std::int64_t start = BlockStart(n);
        const std::int64_t end = BlockEnd(n);
        std::int64_t last = end;
        while (last > start && std::strchr(" \t\r\n", bytes_[static_cast<std::size_t>(last - 1)]))
            --last;
        const bool final = n == static_cast<int>(blocks_.size());
        std::string where = "question " + std::to_string(n) + " has no end tag " + kSign +
                            "E: it is missing after this block's last item (line " +
                            std::to_string(text_.Locate(std::max(start, last - 1)).line) + "), ";
        where += final ? "at the end of the file"
                       : "before the next " + std::string(kSign) + "Q at line " +
                             std::to_string(text_.Locate(end).line);
        // Items the parse found beyond this block belong to the blocks after it.
        std::vector<std::string> taken;
        auto beyond = [end](int at) { return at >= 0 && at >= end; };
        if (beyond(trace.answersTag)) {
            taken.push_back("the answers of a later question count for this one");
        }
        if (beyond(trace.zone)) taken.push_back("the zone bitmap of a later question is used");
        if (beyond(trace.info)) {
            taken.push_back("the additional information of a later question is shown");
        }
        if (beyond(trace.flagsTag)) taken.push_back("the flags of a later question apply");
        std::string outcome;
        if (!taken.empty()) {
            outcome = "the learner gets what was not meant: " + Listed(taken);
        } else if (final) {
            outcome = "the learner sees no difference, as nothing follows it";
        } else {
            outcome =
                "the learner sees no difference now, but a zone, information or flags "
                "missing here are taken from question " +
                std::to_string(n + 1);
        }
        Add(Severity::Warning, start, n, "missing-end-tag", where + "; " + outcome);
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
            } else if (!Typeable(q, i)) {
                Add(Severity::Error, at, n, "answer-too-long",
                    which + " is " + std::to_string(answer.size()) +
                        " characters long; a typed answer is compared over at most " +
                        std::to_string(kAnswerCompareLimit - 1) +
                        " characters, so it can never match");
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

    // Two answers one typo apart, where `typo` accepts a typo in the one with
    // enough letters: a mistyped answer may be taken for the other one.
    void CheckTypoNeighbours(int n, const clQuestion& q, const QuestionTrace& trace) {
        const bool caseSensitive = q.HaveFlag(flagCaseSensitive);
        std::vector<std::string> answers;
        for (int i = 0; i < q.ReturnAnswerAntal(); ++i) {
            answers.push_back(Text(q.answers[i], q.answerLengths[i]));
        }
        auto accepts = [caseSensitive](const std::string& typed, const std::string& answer) {
            return CountAnswerLetters(answer) >= kTypoAcceptingLetters &&
                   CompareNearly(typed, answer, caseSensitive) == NearMissKind::Typo;
        };
        for (std::size_t j = 1; j < answers.size(); ++j) {
            for (std::size_t i = 0; i < j; ++i) {
                if (!accepts(answers[i], answers[j]) && !accepts(answers[j], answers[i])) continue;
                const std::size_t quote = 2 * j;
                const std::int64_t at = quote < trace.answerQuotes.size()
                                            ? trace.answerQuotes[quote]
                                            : trace.answersTag;
                Add(Severity::Warning, at, n, "typo-between-answers",
                    "answers " + std::to_string(i + 1) + " " + Shown(answers[i]) + " and " +
                        std::to_string(j + 1) + " " + Shown(answers[j]) +
                        " are one typo apart: with the flag word typo, a mistyped answer may be "
                        "taken for the other one");
                break;
            }
        }
    }

    // Words of the flags section that set nothing, colour names before zc,
    // and zone colour values outside 0 to 255.
    void CheckFlags(int n, const clQuestion& q, const QuestionTrace& trace) {
        if (trace.flagsTag < 0) return;
        const std::int64_t from = trace.flagsTag;
        const std::string_view section = Span(from, NextTagByte(from));
        const std::size_t zc = section.find(kZoneColourWord);

        // Where the parse read each component's number, and what it read.
        std::vector<std::size_t> numbers;
        for (int c = 0; c < 3; ++c) {
            const int at = trace.zoneNumbers[c];
            if (at < from || at >= from + static_cast<std::int64_t>(section.size())) continue;
            const std::size_t digit = static_cast<std::size_t>(at - from);
            numbers.push_back(digit);
            const int value = trace.zoneValues[c];
            if (value >= -1 && value <= 255) continue;
            const short used = c == 0 ? q.ReturnZR() : c == 1 ? q.ReturnZG() : q.ReturnZB();
            const bool negative = value < 0;
            Add(Severity::Warning, at - (negative ? 1 : 0), n, "zone-colour-range",
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
            for (const FlagWordName& flag : FlagWordNames()) {
                used = used || word.find(flag.word) != word.npos;
            }
            // The tolerance words count only as words of their own.
            bool inside = false;
            for (const WholeFlagWord& whole : kWholeFlagWords) {
                if (HasWholeWord(word, whole.word)) {
                    used = true;
                } else if (word.find(whole.word) != word.npos && !q.HaveFlag(whole.bit)) {
                    inside = true;
                    Add(Severity::Warning, from + static_cast<std::int64_t>(i), n,
                        "flag-word-inside-word",
                        "flag word " + Shown(word) + " holds " + whole.word +
                            " inside a longer word: " + whole.word +
                            " counts only as a word of its own, so it is not set");
                }
            }
            if (inside) {
                i = j;
                continue;
            }
            used = used || word.find(kZoneColourWord) != word.npos;
            for (const char* component : kZoneComponentWords) {
                used = used || word.find(component) != word.npos;
            }
            for (std::size_t digit : numbers) used = used || (digit >= i && digit < j);
            bool colourBeforeZc = false;
            for (const ZoneColourName& colour : ZoneColourNames()) {
                const std::size_t at = word.find(colour.word);
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
            picture = &pictures_.Get(path_, name);
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
                Add(Severity::Warning, FlagWordAt(trace, "qzone"), n, "qzone-without-zone",
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
        const PictureInfo& zone = pictures_.Get(path_, name);
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
        const ZoneColour wanted(q.ReturnZR(), q.ReturnZG(), q.ReturnZB());
        if (!pictures_.ZoneHolds(zone, width, height, wanted)) {
            constexpr std::size_t kColoursNamed = 5;
            bool more = false;
            std::vector<std::string> held;
            for (std::uint32_t rgb :
                 pictures_.ZoneColours(zone, width, height, kColoursNamed, more))
                held.push_back(ColourName(rgb));
            if (more) held.push_back("other colours");
            const std::string where = pictureDecoded ? " under the picture" : "";
            Add(severity, ZoneColourAt(trace), n, "zone-colour-unmatched",
                ZoneColourSetting(q, trace) + ", but zone bitmap " + Shown(name, 80) + " holds " +
                    (held.empty() ? std::string("no pixel") : Listed(held)) + where + ": " +
                    outcome);
        }
    }

    // The word of the flags section that sets the zone colour: the colour
    // word after zc when a colour name set it, else the first of zr, zg, zb.
    std::int64_t ZoneColourAt(const QuestionTrace& trace) const {
        const std::string_view section = Span(trace.flagsTag, NextTagByte(trace.flagsTag));
        const std::size_t zc = section.find(kZoneColourWord);
        if (zc != std::string_view::npos) {
            for (const ZoneColourName& name : ZoneColourNames()) {
                if (section.find(name.word, zc) != std::string_view::npos) {
                    return trace.flagsTag + static_cast<std::int64_t>(zc);
                }
            }
        }
        std::int64_t first = -1;
        for (const char* word : kZoneComponentWords) {
            const std::size_t at = section.find(word);
            if (at == std::string_view::npos) continue;
            const std::int64_t offset = trace.flagsTag + static_cast<std::int64_t>(at);
            if (first < 0 || offset < first) first = offset;
        }
        return first >= 0 ? first : trace.flagsTag;
    }

    // How the flags set the zone colour, as the teacher wrote it: "zc blue",
    // or the numbers, "zr 255 zb 0".
    std::string ZoneColourSetting(const clQuestion& q, const QuestionTrace& trace) const {
        const std::string_view section = Span(trace.flagsTag, NextTagByte(trace.flagsTag));
        const std::size_t zc = section.find(kZoneColourWord);
        const char* named = nullptr;
        if (zc != std::string_view::npos) {
            // The parse takes the last name of its list found after zc.
            for (const ZoneColourName& name : ZoneColourNames()) {
                if (section.find(name.word, zc) != std::string_view::npos) named = name.word;
            }
        }
        if (named != nullptr) return std::string(kZoneColourWord) + " " + named;
        const short components[3] = {q.ReturnZR(), q.ReturnZG(), q.ReturnZB()};
        std::string text;
        for (int c = 0; c < 3; ++c) {
            if (components[c] == -1) continue;
            if (!text.empty()) text += " ";
            text += std::string(kZoneComponentWords[c]) + " " + std::to_string(components[c]);
        }
        return text;
    }

    // The flag word `word` in the flags section, else the flags tag.
    std::int64_t FlagWordAt(const QuestionTrace& trace, const char* word) const {
        const std::string_view section = Span(trace.flagsTag, NextTagByte(trace.flagsTag));
        const std::size_t at = section.find(word);
        return trace.flagsTag + (at == std::string_view::npos ? 0 : static_cast<std::int64_t>(at));
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
    bool keepContents_;
};

}  // namespace

FileCheck CheckQuestionFile(const std::string& path, PictureLibrary& pictures, bool keepContents) {
    FileCheck result;
    result.path = path;
    QuestionFileChecker(path, pictures, result, keepContents).Run();
    return result;
}
