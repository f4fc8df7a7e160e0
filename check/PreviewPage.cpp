#include "check/PreviewPage.h"

#include <cstdio>

#include "check/Output.h"
#include "check/Report.h"
#include "questions/Question.h"
#include "questions/Tolerance.h"
#include "rules/Windows1252.h"

namespace {

constexpr char kReplacement[] = "\uFFFD";

constexpr char kStyle[] =
    "body{font-family:sans-serif;margin:1.5em;color:#222;background:#fafafa}"
    "h1{font-size:1.4em}h2{font-size:1.15em;margin:0 0 .4em}"
    ".where{font-weight:normal;color:#666;font-size:.85em;margin-left:.6em}"
    ".question{display:flex;flex-wrap:wrap;gap:1.5em;background:#fff;border:1px solid #ccc;"
    "padding:1em;margin:0 0 1em}"
    ".about{flex:1 1 22em;min-width:16em}"
    ".preview{flex:2 1 28em;margin:0}"
    ".preview img{max-width:100%;height:auto;border:1px solid #999}"
    ".caption,.none{color:#555;font-style:italic}"
    ".text{white-space:pre-wrap}"
    "dl{display:grid;grid-template-columns:max-content 1fr;gap:.2em 1em;margin:.6em 0}"
    "dt{font-weight:bold}dd{margin:0}dd ol{margin:0;padding-left:1.4em}"
    ".messages{padding-left:1.2em}.error{color:#a00000}.warning{color:#805000}"
    ".check{color:#666}.failed{color:#a00000;font-weight:bold}";

std::string Number(long long value) { return std::to_string(value); }

// The colour word that names exactly this colour, if one does.
const char* ColourWord(const int (&rgb)[3]) {
    for (const ZoneColourName& name : ZoneColourNames()) {
        if (name.r == rgb[0] && name.g == rgb[1] && name.b == rgb[2]) return name.word;
    }
    return nullptr;
}

std::string ZoneColourInWords(const int (&rgb)[3]) {
    std::string values;
    for (int c = 0; c < 3; ++c) {
        if (c > 0) values += ", ";
        values += rgb[c] == -1 ? std::string("any") : Number(rgb[c]);
    }
    const char* word = ColourWord(rgb);
    return "zone colour " + (word ? std::string(word) + " (" + values + ")" : "(" + values + ")");
}

std::string Listed(const std::vector<std::string>& items) {
    std::string out;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i > 0) out += i + 1 == items.size() ? " and " : ", ";
        out += items[i];
    }
    return out;
}

// How the marking recolours the zone: the lightened channels and the darkened ones.
std::string MarkingInWords(std::uint32_t flags) {
    std::vector<std::string> lighter, darker;
    const std::pair<std::uint32_t, const char*> channels[] = {{flagDisplayZoneRed, "red"},
                                                              {flagDisplayZoneGreen, "green"},
                                                              {flagDisplayZoneBlue, "blue"}};
    for (const auto& [flag, name] : channels) (flags & flag ? lighter : darker).push_back(name);
    std::string text = "zone marked with " + Listed(lighter) + " lightened";
    if (!darker.empty()) text += " and " + Listed(darker) + " darkened";
    return text;
}

std::string Paragraph(const char* cssClass, const std::string& html) {
    return std::string("<p class=\"") + cssClass + "\">" + html + "</p>\n";
}

std::string Head(const std::string& title) {
    return "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n<title>" +
           HtmlEscaped(title) + "</title>\n<style>" + kStyle + "</style>\n</head>\n<body>\n";
}

constexpr char kTail[] = "</body>\n</html>\n";

std::string MessageItem(const Problem& p) {
    const char* severity = p.severity == Severity::Error ? "error" : "warning";
    return std::string("<li class=\"") + severity + "\"><b>" + severity + "</b> line " +
           Number(p.line) + ", column " + Number(p.column) + ": " + HtmlEscaped(p.message) +
           " <span class=\"check\">[" + HtmlEscaped(p.check) + "]</span></li>\n";
}

std::string PictureHtml(const QuestionContent& q, const PreviewImage& image) {
    const std::string name =
        q.picture ? "picture &quot;" + LearnerHtml(*q.picture) + "&quot;" : std::string();
    if (!q.parsed)
        return "<div class=\"preview none\">No preview: the question is never shown.</div>\n";
    switch (image.kind) {
        case PreviewImage::Kind::NoPicture:
            return "<div class=\"preview none\">No picture: the question shows none.</div>\n";
        case PreviewImage::Kind::Missing:
            return "<div class=\"preview none\">No preview: " + name +
                   " cannot be found, so the learner sees the fallback picture.</div>\n";
        case PreviewImage::Kind::Undecodable:
            return "<div class=\"preview none\">No preview: " + name +
                   " cannot be decoded, so the learner sees the fallback picture.</div>\n";
        case PreviewImage::Kind::Unwritten:
            return "<div class=\"preview none\">No preview: it could not be written (" +
                   HtmlEscaped(image.reason) + ").</div>\n";
        case PreviewImage::Kind::Written:
            break;
    }
    std::string caption =
        image.marked ? "After the answer, with the answer zone marked" : "As the learner sees it";
    if (image.sourceWidth > image.width) {
        caption += " (scaled down from " + Number(image.sourceWidth) + " &times; " +
                   Number(image.sourceHeight) + " pixels)";
    }
    return "<div class=\"preview\"><img src=\"" + HtmlEscaped(image.file) + "\" width=\"" +
           Number(image.width) + "\" height=\"" + Number(image.height) + "\" alt=\"Preview of " +
           name + "\">\n<p class=\"caption\">" + caption + "</p></div>\n";
}

std::string QuestionHtml(const QuestionContent& q, const PreviewImage& image,
                         const std::vector<const Problem*>& messages) {
    std::string html = "<div class=\"question\" id=\"q" + Number(q.number) +
                       "\">\n<div class=\"about\">\n<h2>Question " + Number(q.number) +
                       "<span class=\"where\">line " + Number(q.line) + "</span></h2>\n";
    if (!q.parsed) {
        html += Paragraph("failed",
                          "The program cannot read this question: the learner sees &quot;Error in "
                          "file&quot;.");
    } else {
        html += q.text && !q.text->empty() ? Paragraph("text", LearnerHtml(*q.text))
                                           : Paragraph("none", "No question text.");
        html += "<dl>\n<dt>Answers</dt><dd>";
        if (q.answers.empty()) {
            html += q.zone ? "none: a click on the answer zone answers it" : "none";
        } else {
            html += "<ol>";
            for (const std::string& answer : q.answers)
                html += "<li class=\"text\">" + LearnerHtml(answer) + "</li>";
            html += "</ol>";
        }
        html += "</dd>\n<dt>Flags</dt><dd>";
        const std::vector<std::string> flags = FlagsInWords(q);
        std::string joined;
        for (const std::string& flag : flags) joined += (joined.empty() ? "" : "; ") + flag;
        html += flags.empty() ? std::string("none") : HtmlEscaped(joined);
        html += "</dd>\n";
        if (q.info)
            html += "<dt>Information</dt><dd class=\"text\">" + LearnerHtml(*q.info) + "</dd>\n";
        if (q.picture) html += "<dt>Picture</dt><dd>" + LearnerHtml(*q.picture) + "</dd>\n";
        if (q.zone) html += "<dt>Zone</dt><dd>" + LearnerHtml(*q.zone) + "</dd>\n";
        html += "</dl>\n";
    }
    if (!messages.empty()) {
        html += "<ul class=\"messages\">\n";
        for (const Problem* p : messages) html += MessageItem(*p);
        html += "</ul>\n";
    }
    html += "</div>\n" + PictureHtml(q, image) + "</div>\n";
    return html;
}

}  // namespace

std::string HtmlEscaped(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (char c : utf8) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            case '\'':
                out += "&#39;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

std::string LearnerHtml(std::string_view windows1252) {
    std::string utf8;
    utf8.reserve(windows1252.size());
    for (unsigned char c : windows1252) {
        const char32_t code = Windows1252ToUnicode(c);
        const bool control =
            (code < 0x20 && c != '\n' && c != '\r' && c != '\t') || (code >= 0x7F && code < 0xA0);
        if (control) {
            utf8 += kReplacement;
        } else {
            utf8 += Windows1252ToUtf8(std::string_view(reinterpret_cast<const char*>(&c), 1));
        }
    }
    return HtmlEscaped(utf8);
}

std::vector<std::string> FlagsInWords(const QuestionContent& q) {
    std::vector<std::string> words;
    if (q.flags & flagCaseSensitive) words.push_back("letter case must match");
    if (q.flags & flagAllAnswers)
        words.push_back("all " + Number(q.answersNeeded) + " answers needed, one per turn");
    if (q.flags & flagAcceptAccents) words.push_back("an answer without its accents counts");
    if (q.flags & flagAcceptTypos) {
        words.push_back("one typo counts in answers of " + Number(kTypoAcceptingLetters) +
                        " letters or more");
    }
    if (q.zone) {
        if (q.flags & flagDisplayZoneInQuestion) words.push_back("zone shown with the question");
        if (q.zoneColour[0] != -1 || q.zoneColour[1] != -1 || q.zoneColour[2] != -1) {
            words.push_back(ZoneColourInWords(q.zoneColour));
            words.push_back(MarkingInWords(q.flags));
        }
    }
    return words;
}

std::string QuestionFilePage(const FileCheck& check, const std::vector<PreviewImage>& images,
                             const std::string& indexPage) {
    const std::string name = CommandLineName(check.path);
    std::string html = Head("Preview of " + name);
    if (!indexPage.empty())
        html += "<p><a href=\"" + HtmlEscaped(indexPage) + "\">All files</a></p>\n";
    html += "<h1>Preview of " + HtmlEscaped(name) + "</h1>\n";
    html += Paragraph("summary", HtmlEscaped(SummaryOf(check)));

    std::vector<std::vector<const Problem*>> perQuestion(check.contents.size() + 1);
    for (const Problem& p : check.problems) {
        const auto n = static_cast<std::size_t>(p.question);
        perQuestion[n < perQuestion.size() ? n : 0].push_back(&p);
    }
    const long long hidden = check.Total() - static_cast<long long>(check.problems.size());
    if (!perQuestion[0].empty() || hidden > 0) {
        html += "<ul class=\"messages\">\n";
        for (const Problem* p : perQuestion[0]) html += MessageItem(*p);
        if (hidden > 0) html += "<li>" + Number(hidden) + " more problems not shown</li>\n";
        html += "</ul>\n";
    }
    for (std::size_t i = 0; i < check.contents.size(); ++i) {
        const QuestionContent& q = check.contents[i];
        const auto n = static_cast<std::size_t>(q.number);
        static const std::vector<const Problem*> none;
        html += QuestionHtml(q, i < images.size() ? images[i] : PreviewImage{},
                             n < perQuestion.size() ? perQuestion[n] : none);
    }
    return html + kTail;
}

std::string IndexPage(const std::vector<IndexEntry>& entries) {
    std::string html = Head("Quiz preview");
    html += "<h1>Quiz preview</h1>\n<ul>\n";
    for (const IndexEntry& entry : entries) {
        html += "<li>";
        html += entry.page.empty() ? HtmlEscaped(entry.name)
                                   : "<a href=\"" + HtmlEscaped(entry.page) + "\">" +
                                         HtmlEscaped(entry.name) + "</a>";
        html += ": " + HtmlEscaped(entry.summary) + "</li>\n";
    }
    return html + "</ul>\n" + kTail;
}
