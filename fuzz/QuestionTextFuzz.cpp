// A fuzzed file content read as a question file's text: converted or taken
// as it is, every byte of the result maps back into the input, every '?'
// that stands for something lies within it, and a text read byte for byte
// is the input itself.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "rules/QuestionFileText.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view raw(reinterpret_cast<const char*>(data), size);
    const QuestionFileText text(raw);
    const auto length = static_cast<std::int64_t>(text.Bytes().size());
    const auto rawSize = static_cast<std::int64_t>(size);
    if (length > rawSize) std::abort();
    if (text.Encoding() == TextEncoding::Windows1252 && text.Bytes() != raw) std::abort();
    if (DetectEncoding(raw) != text.Encoding()) std::abort();

    std::int64_t previous = -1;
    for (const Replacement& r : text.Replacements()) {
        if (r.offset <= previous || r.offset >= length) std::abort();
        if (text.Bytes()[static_cast<std::size_t>(r.offset)] != '?') std::abort();
        if (r.sourceOffset < 0 || r.sourceLength < 1 || r.sourceOffset + r.sourceLength > rawSize)
            std::abort();
        if (text.SourceOffset(r.offset) != r.sourceOffset) std::abort();
        previous = r.offset;
    }

    const TextLocator at(text);
    std::int64_t lastSource = -1;
    for (std::int64_t i = 0; i <= length; i += 1 + i / 64) {
        const TextPosition p = at.Locate(i);
        if (p.line < 1 || p.column < 1 || p.sourceOffset <= lastSource || p.sourceOffset > rawSize)
            std::abort();
        lastSource = p.sourceOffset;
    }
    return 0;
}
