#include "rules/QuestionFileText.h"

#include <algorithm>
#include <bit>
#include <chrono>
#include <cstring>
#include <new>

#include "rules/FileReader.h"
#include "rules/FileSystem.h"
#include "rules/Windows1252.h"

namespace {

constexpr unsigned char kUtf8Mark[] = {0xEF, 0xBB, 0xBF};
constexpr char kReplacementByte = '?';

bool StartsWith(std::string_view raw, unsigned char a, unsigned char b) {
    return raw.size() >= 2 && static_cast<unsigned char>(raw[0]) == a &&
           static_cast<unsigned char>(raw[1]) == b;
}

bool HasUtf8Mark(std::string_view raw) {
    return raw.size() >= 3 && std::memcmp(raw.data(), kUtf8Mark, 3) == 0;
}

bool AllAscii(const unsigned char* p) {
    std::uint64_t word;
    std::memcpy(&word, p, sizeof(word));
    return (word & 0x8080808080808080ULL) == 0;
}

// The end of the run of ASCII bytes that starts at s[i].
std::size_t AsciiRunEnd(const unsigned char* s, std::size_t i, std::size_t n) {
    for (; i + 8 <= n; i += 8) {
        std::uint64_t word;
        std::memcpy(&word, s + i, sizeof(word));
        const std::uint64_t high = word & 0x8080808080808080ULL;
        if (high == 0) continue;
        if constexpr (std::endian::native == std::endian::little) {
            return i + static_cast<std::size_t>(std::countr_zero(high)) / 8;
        }
        break;
    }
    while (i < n && s[i] < 0x80) ++i;
    return i;
}

}  // namespace

TextEncoding DetectEncoding(std::string_view raw) {
    if (HasUtf8Mark(raw)) return TextEncoding::Utf8WithMark;
    if (StartsWith(raw, 0xFF, 0xFE)) return TextEncoding::Utf16Le;
    if (StartsWith(raw, 0xFE, 0xFF)) return TextEncoding::Utf16Be;
    const auto* s = reinterpret_cast<const unsigned char*>(raw.data());
    const std::size_t n = raw.size();
    bool multiByte = false;
    for (std::size_t i = 0; i < n;) {
        if (i + 8 <= n && AllAscii(s + i)) {
            i += 8;
        } else if (s[i] < 0x80) {
            ++i;
        } else {
            char32_t code = 0;
            const int length = DecodeUtf8(s, n, i, code);
            if (length < 0) return TextEncoding::Windows1252;
            multiByte = true;
            i += static_cast<std::size_t>(length);
        }
    }
    return multiByte ? TextEncoding::Utf8 : TextEncoding::Windows1252;
}

namespace {

// Builds a converted text character by character into a buffer as long as
// the longest possible result (one byte per source unit), noting the source
// offset of every kCheckpointStride-th byte.
class Converter {
public:
    Converter(std::string& bytes, std::vector<Replacement>& replacements,
              std::vector<std::int64_t>& checkpoints, std::size_t units)
        : bytes_(bytes), replacements_(replacements), checkpoints_(checkpoints) {
        bytes_.resize(units);
        out_ = bytes_.data();
    }

    // A character of one source unit at `source` that the code page holds
    // as it is.
    void Byte(char c, std::int64_t source) {
        if (size_ == next_) Checkpoint(source);
        out_[size_++] = c;
    }

    // ASCII bytes that stood at `source` on, one byte each.
    void Ascii(const unsigned char* run, std::size_t count, std::int64_t source) {
        while (next_ < size_ + count) {
            Checkpoint(source + static_cast<std::int64_t>(next_ - size_));
        }
        std::memcpy(out_ + size_, run, count);
        size_ += count;
    }

    // One character, or a bad unit (kBadUnit), that stood at `source` and
    // took `width` bytes of the file.
    void Put(char32_t code, std::int64_t source, int width) {
        if (size_ == next_) Checkpoint(source);
        int byte = static_cast<int>(code);
        if (code >= 0x80 && (code < 0xA0 || code > 0xFF)) {
            byte = code == Replacement::kBadUnit ? -1 : UnicodeToWindows1252(code);
        }
        if (byte < 0) {
            replacements_.push_back({static_cast<std::int64_t>(size_), source, width, code});
            byte = kReplacementByte;
        }
        out_[size_++] = static_cast<char>(byte);
    }

    void Finish() { bytes_.resize(size_); }

private:
    void Checkpoint(std::int64_t source) {
        checkpoints_.push_back(source);
        next_ += static_cast<std::size_t>(QuestionFileText::kCheckpointStride);
    }

    std::string& bytes_;
    std::vector<Replacement>& replacements_;
    std::vector<std::int64_t>& checkpoints_;
    char* out_ = nullptr;
    std::size_t size_ = 0;
    std::size_t next_ = 0;  // the next byte whose source offset is noted
};

}  // namespace

bool ConvertQuestionText(std::string_view raw, QuestionFileText& text) {
    TextEncoding encoding = TextEncoding::Utf8;
    if (HasUtf8Mark(raw)) {
        encoding = TextEncoding::Utf8WithMark;
    } else if (StartsWith(raw, 0xFF, 0xFE)) {
        encoding = TextEncoding::Utf16Le;
    } else if (StartsWith(raw, 0xFE, 0xFF)) {
        encoding = TextEncoding::Utf16Be;
    }

    std::string bytes;
    std::vector<Replacement> replacements;
    std::vector<std::int64_t> checkpoints;
    const auto* s = reinterpret_cast<const unsigned char*>(raw.data());
    const std::size_t n = raw.size();

    if (encoding == TextEncoding::Utf8 || encoding == TextEncoding::Utf8WithMark) {
        // Without a mark the file is UTF-8 only when all of it is valid and
        // it holds a multi-byte sequence: the first bad unit ends the attempt.
        const bool strict = encoding == TextEncoding::Utf8;
        const std::size_t start = strict ? 0 : 3;
        bool multiByte = false;
        Converter out(bytes, replacements, checkpoints, n - start);
        for (std::size_t i = start; i < n;) {
            const std::size_t run = AsciiRunEnd(s, i, n);
            if (run > i) {
                out.Ascii(s + i, run - i, static_cast<std::int64_t>(i));
                i = run;
                continue;
            }
            char32_t code = 0;
            int length = 0;
            if (s[i] >= 0xC2 && s[i] <= 0xDF && i + 1 < n && (s[i + 1] & 0xC0) == 0x80) {
                code = static_cast<char32_t>(((s[i] & 0x1F) << 6) | (s[i + 1] & 0x3F));
                length = 2;
            } else {
                length = DecodeUtf8(s, n, i, code);
            }
            if (length < 0 && strict) return false;
            multiByte = true;
            const int width = length < 0 ? -length : length;
            out.Put(length < 0 ? Replacement::kBadUnit : code, static_cast<std::int64_t>(i), width);
            i += static_cast<std::size_t>(width);
        }
        if (strict && !multiByte) return false;
        out.Finish();
    } else {
        const bool little = encoding == TextEncoding::Utf16Le;
        auto unitAt = [s, little](std::size_t i) -> char32_t {
            return little ? static_cast<char32_t>(s[i] | (s[i + 1] << 8))
                          : static_cast<char32_t>((s[i] << 8) | s[i + 1]);
        };
        Converter out(bytes, replacements, checkpoints, (n - 2) / 2 + 1);
        std::size_t i = 2;
        for (; i + 1 < n; i += 2) {
            const char32_t u = unitAt(i);
            const auto source = static_cast<std::int64_t>(i);
            if (u < 0x80) {
                out.Byte(static_cast<char>(u), source);
            } else if (u < 0xD800 || u > 0xDFFF) {
                out.Put(u, source, 2);
            } else if (u <= 0xDBFF && i + 3 < n && unitAt(i + 2) >= 0xDC00 &&
                       unitAt(i + 2) <= 0xDFFF) {
                const char32_t code = 0x10000 + ((u - 0xD800) << 10) + (unitAt(i + 2) - 0xDC00);
                out.Put(code, source, 4);
                i += 2;
            } else {
                out.Put(Replacement::kBadUnit, source, 2);  // a lone surrogate
            }
        }
        if (i < n) out.Put(Replacement::kBadUnit, static_cast<std::int64_t>(i), 1);
        out.Finish();
    }
    text.encoding_ = encoding;
    text.bytes_ = std::move(bytes);
    text.sourceSize_ = static_cast<std::int64_t>(n);
    text.checkpoints_ = std::move(checkpoints);
    text.replacements_ = std::move(replacements);
    return true;
}

QuestionFileText::QuestionFileText(std::string_view raw) {
    if (ConvertQuestionText(raw, *this)) return;
    bytes_.assign(raw.data(), raw.size());
    sourceSize_ = static_cast<std::int64_t>(raw.size());
}

int QuestionFileText::SourceWidth(std::int64_t offset) const {
    const auto byte = static_cast<unsigned char>(bytes_[static_cast<std::size_t>(offset)]);
    if (byte == static_cast<unsigned char>(kReplacementByte)) {
        auto at = std::lower_bound(
            replacements_.begin(), replacements_.end(), offset,
            [](const Replacement& r, std::int64_t value) { return r.offset < value; });
        if (at != replacements_.end() && at->offset == offset) return at->sourceLength;
    }
    if (encoding_ == TextEncoding::Utf16Le || encoding_ == TextEncoding::Utf16Be) return 2;
    const char32_t code = Windows1252ToUnicode(byte);
    return code < 0x80 ? 1 : code < 0x800 ? 2 : 3;
}

std::int64_t QuestionFileText::SourceOffset(std::int64_t offset) const {
    if (offset < 0) offset = 0;
    if (offset >= static_cast<std::int64_t>(bytes_.size())) return sourceSize_;
    if (checkpoints_.empty()) return offset;
    const std::int64_t k = offset / kCheckpointStride;
    std::int64_t source = checkpoints_[static_cast<std::size_t>(k)];
    for (std::int64_t at = k * kCheckpointStride; at < offset; ++at) source += SourceWidth(at);
    return source;
}

TextLocator::TextLocator(const QuestionFileText& text) : text_(text) {
    const std::string& bytes = text.Bytes();
    lineStarts_.push_back(0);
    for (const char* p = bytes.data(); p < bytes.data() + bytes.size(); ++p) {
        p = static_cast<const char*>(
            std::memchr(p, '\n', static_cast<std::size_t>(bytes.data() + bytes.size() - p)));
        if (!p) break;
        lineStarts_.push_back(p + 1 - bytes.data());
    }
}

TextPosition TextLocator::Locate(std::int64_t offset) const {
    offset = std::clamp<std::int64_t>(offset, 0, static_cast<std::int64_t>(text_.Bytes().size()));
    auto after = std::upper_bound(lineStarts_.begin(), lineStarts_.end(), offset);
    const auto line = static_cast<std::int64_t>(after - lineStarts_.begin());
    return {line, offset - *(after - 1) + 1, text_.SourceOffset(offset)};
}

namespace {

// What identifies one version of a file without reading it: its size, its
// modification and change times to the system's finest tick, and its identity
// (the inode and device, on Windows the file index and volume serial number).
struct FileKey {
    std::int64_t size = 0;
    std::int64_t modifiedNs = 0;
    std::int64_t changedNs = 0;
    std::uint64_t index = 0;
    std::uint64_t volume = 0;
    bool operator==(const FileKey&) const = default;
};

bool KeyOf(std::FILE* file, FileKey& key) {
    FileStamp stamp;
    if (!StampOfOpenFile(file, stamp)) return false;
    key = FileKey{stamp.size, stamp.modifiedNs, stamp.changedNs, stamp.index, stamp.volume};
    return true;
}

// How long after its last change a file's times may still be those of the
// next change: the file system's timestamps advance in ticks, a second or two
// where they carry no fraction of a second, a few milliseconds elsewhere.
std::int64_t SettleTimeNs(const FileKey& key) {
    constexpr std::int64_t kNsPerSecond = 1000000000;
    const bool coarse = key.modifiedNs % kNsPerSecond == 0 && key.changedNs % kNsPerSecond == 0;
    return coarse ? 3 * kNsPerSecond : kNsPerSecond / 10;
}

long long SystemNowNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

long long (*clockNow)() = nullptr;

long long NowNs() { return clockNow ? clockNow() : SystemNowNs(); }

std::uint64_t HashBytes(std::string_view data) {
    constexpr std::uint64_t kMul = 0x9E3779B97F4A7C15ULL;
    std::uint64_t h = kMul ^ data.size();
    const char* p = data.data();
    std::size_t n = data.size();
    auto mix = [&h](std::uint64_t w) {
        w *= 0xFF51AFD7ED558CCDULL;
        w ^= w >> 33;
        h = (h ^ w) * kMul;
        h ^= h >> 29;
    };
    for (; n >= 8; p += 8, n -= 8) {
        std::uint64_t w;
        std::memcpy(&w, p, 8);
        mix(w);
    }
    std::uint64_t tail = 0;
    std::memcpy(&tail, p, n);
    mix(tail ^ (static_cast<std::uint64_t>(n) << 56));
    return h;
}

// The whole file from its start, `expected` bytes long as far as is known;
// false when it is larger than kMaxConvertedFile or cannot be read.
bool ReadWhole(std::FILE* file, std::string& raw, std::int64_t expected) {
    if (std::fseek(file, 0, SEEK_SET) != 0) return false;
    constexpr std::size_t kBlock = 1 << 20;
    long long offset = 0;
    for (;;) {
        const std::size_t have = raw.size();
        if (static_cast<std::int64_t>(have) > kMaxConvertedFile) return false;
        // The expected size and one byte more, to see the end in one read.
        const std::size_t want =
            expected > static_cast<std::int64_t>(have) && expected <= kMaxConvertedFile
                ? static_cast<std::size_t>(expected) - have + 1
                : kBlock;
        raw.resize(have + want);
        const std::size_t got = ReadBlock(file, raw.data() + have, want, offset);
        raw.resize(have + got);
        if (got < want) return !std::ferror(file);  // the end, or an error
    }
}

struct CacheEntry {
    std::string name;
    FileKey key;
    std::uint64_t hash = 0;
    bool settled = false;                          // the key alone tells a later version apart
    std::shared_ptr<const QuestionFileText> text;  // null: read byte for byte
    unsigned long long lastUse = 0;
};

constexpr std::size_t kCacheEntries = 8;

struct Cache {
    std::vector<CacheEntry> entries;
    unsigned long long uses = 0;
    long long wholeReads = 0;
    std::size_t byteCap = kQuestionTextCacheBytes;
};

// Each thread keeps its own texts: the program reads on one thread, and
// writers of round files on several threads (each reads the question file
// for its fingerprints) never share an entry that another is changing.
Cache& TheCache() {
    thread_local Cache cache;
    return cache;
}

std::size_t BytesOf(const CacheEntry& entry) { return entry.text ? entry.text->Bytes().size() : 0; }

CacheEntry* Find(Cache& cache, const char* name) {
    for (CacheEntry& entry : cache.entries) {
        if (entry.name == name) return &entry;
    }
    return nullptr;
}

// Keeps `entry`, the text read last, and as many of the others, most recently
// used first, as the count and the byte cap allow. The newest text is kept even
// when it alone is over the cap: a file is read many times in a row, and
// converting it again for each read would cost more than the memory.
void Store(Cache& cache, CacheEntry entry) {
    std::erase_if(cache.entries,
                  [&entry](const CacheEntry& old) { return old.name == entry.name; });
    std::sort(cache.entries.begin(), cache.entries.end(),
              [](const CacheEntry& a, const CacheEntry& b) { return a.lastUse > b.lastUse; });
    std::size_t held = BytesOf(entry);
    std::size_t kept = 0;
    while (kept < cache.entries.size() && kept + 1 < kCacheEntries &&
           held + BytesOf(cache.entries[kept]) <= cache.byteCap) {
        held += BytesOf(cache.entries[kept]);
        ++kept;
    }
    cache.entries.resize(kept);
    cache.entries.push_back(std::move(entry));
}

void Forget(Cache& cache, const char* name) {
    std::erase_if(cache.entries, [name](const CacheEntry& entry) { return entry.name == name; });
}

std::shared_ptr<const QuestionFileText> Lookup(const char* fileName, std::FILE* file) {
    Cache& cache = TheCache();
    FileKey key;
    const bool keyed = KeyOf(file, key);
    if (keyed && key.size > kMaxConvertedFile) return nullptr;

    CacheEntry* entry = Find(cache, fileName);
    const bool sameKey = keyed && entry && entry->key == key;
    if (sameKey) entry->lastUse = ++cache.uses;
    if (sameKey && entry->settled) return entry->text;

    // Taken before the read: a change after it has later times than these
    // once they lie a settle time before it.
    const long long now = NowNs();
    std::string raw;
    if (!ReadWhole(file, raw, keyed ? key.size : 0)) return nullptr;
    ++cache.wholeReads;
    const bool settled =
        keyed && now - std::max(key.modifiedNs, key.changedNs) >= SettleTimeNs(key);
    // Only a text that is compared with the file later needs the hash.
    const std::uint64_t hash = sameKey || !settled ? HashBytes(raw) : 0;
    if (sameKey && entry->hash == hash && static_cast<std::int64_t>(raw.size()) == key.size) {
        entry->settled = settled;
        return entry->text;
    }

    std::shared_ptr<const QuestionFileText> text;
    auto converted = std::make_shared<QuestionFileText>();
    if (ConvertQuestionText(raw, *converted)) text = std::move(converted);
    // A file that changed while it was read is not kept.
    if (!keyed || static_cast<std::int64_t>(raw.size()) != key.size) {
        Forget(cache, fileName);
        return text;
    }
    Store(cache, CacheEntry{fileName, key, hash, settled, text, ++cache.uses});
    return text;
}

}  // namespace

std::shared_ptr<const QuestionFileText> ConvertedQuestionFile(const char* fileName,
                                                              std::FILE* file) {
    if (!fileName || !file) return nullptr;
    try {
        return Lookup(fileName, file);
    } catch (const std::bad_alloc&) {
        Forget(TheCache(), fileName);
        return nullptr;
    }
}

std::shared_ptr<const QuestionFileText> LoadQuestionText(const char* fileName) {
    FileHandle file = OpenFileAt(fileName, 0);
    if (!file) return nullptr;
    try {
        if (auto text = ConvertedQuestionFile(fileName, file.get())) return text;
        std::string raw;
        if (!ReadWhole(file.get(), raw, 0)) return nullptr;
        return std::make_shared<const QuestionFileText>(raw);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

void ClearQuestionTextCache() {
    Cache& cache = TheCache();
    cache.entries.clear();
    cache.wholeReads = 0;
}

QuestionTextCacheStats GetQuestionTextCacheStats() {
    const Cache& cache = TheCache();
    QuestionTextCacheStats stats;
    stats.entries = static_cast<int>(cache.entries.size());
    stats.wholeReads = cache.wholeReads;
    for (const CacheEntry& entry : cache.entries) {
        if (entry.text) stats.bytesHeld += entry.text->Bytes().size();
    }
    return stats;
}

void SetQuestionTextClockForTests(long long (*now)()) { clockNow = now; }

void SetQuestionTextCacheCapForTests(std::size_t bytes) { TheCache().byteCap = bytes; }

namespace {

struct Held {
    std::string name;
    std::shared_ptr<const QuestionFileText> text;
    std::uint64_t generation = 0;
};

// A hold is the holding thread's own, like the cache.
Held& TheHeld() {
    thread_local Held held;
    return held;
}

}  // namespace

HeldQuestionText::HeldQuestionText(const char* fileName,
                                   std::shared_ptr<const QuestionFileText> text) {
    Held& held = TheHeld();
    previousName_ = std::move(held.name);
    previousText_ = std::move(held.text);
    held.name = fileName ? fileName : "";
    held.text = fileName ? std::move(text) : nullptr;
    ++held.generation;
}

HeldQuestionText::~HeldQuestionText() {
    Held& held = TheHeld();
    held.name = std::move(previousName_);
    held.text = std::move(previousText_);
    ++held.generation;
}

std::shared_ptr<const QuestionFileText> HeldQuestionTextOf(const char* fileName,
                                                           std::uint64_t* generation) {
    const Held& held = TheHeld();
    if (!held.text || !fileName || held.name != fileName) return nullptr;
    if (generation) *generation = held.generation;
    return held.text;
}
