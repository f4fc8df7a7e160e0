// The pages of a quiz preview: one HTML page per question file, listing
// every question in file order with its texts as the learner sees them, its
// flags in words, its picture (or why there is none) and the checker's
// messages beside it; and an index that links the pages of several files.
// Pages are self-contained (pictures beside them, no scripts, no network)
// and every text on them is escaped.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "check/Checker.h"

// `utf8` with & < > " and ' written as character references.
std::string HtmlEscaped(std::string_view utf8);

// A question file's text as the learner is shown it, ready for a page:
// Windows-1252 in UTF-8 (the tag byte as U+00A4), escaped; control bytes other
// than line breaks and tabs, and the five bytes the code page leaves
// undefined, shown as the replacement sign.
std::string LearnerHtml(std::string_view windows1252);

// The flags of a question in words, one entry each; the zone's marking and
// colour only for a question with a zone. Empty when none matters.
std::vector<std::string> FlagsInWords(const QuestionContent& question);

// What a page shows in place of a question's picture.
struct PreviewImage {
    enum class Kind {
        NoPicture,    // the question names none
        Missing,      // the picture file is not found
        Undecodable,  // found, but the program cannot decode it
        Unwritten,    // decoded, but its preview could not be written
        Written,      // `file` holds it
    };
    Kind kind = Kind::NoPicture;
    std::string file;  // the PNG's name, beside the page
    int width = 0;     // of the PNG
    int height = 0;
    int sourceWidth = 0;  // of the picture it shows, when scaled down
    int sourceHeight = 0;
    bool marked = false;  // the answer zone is marked on it
    std::string reason;   // for Unwritten, in UTF-8
};

// The page of one question file. `images` has one entry per entry of
// `check.contents`; `indexPage` names the page to link back to, or is empty.
std::string QuestionFilePage(const FileCheck& check, const std::vector<PreviewImage>& images,
                             const std::string& indexPage);

// One line of the index: a checked file, its page (empty when it has none)
// and what to say of it.
struct IndexEntry {
    std::string name;     // the file's name, UTF-8
    std::string page;     // its page's file name, or empty
    std::string summary;  // UTF-8
};

std::string IndexPage(const std::vector<IndexEntry>& entries);
