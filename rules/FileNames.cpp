#include "rules/FileNames.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <string_view>
#include <vector>

#include "rules/Windows1252.h"

namespace {

bool IsSeparator(char c) { return c == '/' || c == '\\'; }

bool IsDriveLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// Folders whose entries one search may read: a path of many folders that
// each hold several matches cannot make it read without end.
constexpr int kMaxFolderReads = 256;

bool Exists(const std::string& path) { return KindOf(path) != PathKind::Missing; }

bool IsFolder(const std::string& path) { return KindOf(path) == PathKind::Folder; }

// A name's readings as Windows-1252 text: its own bytes, and its UTF-8
// characters in that code page when it is UTF-8 with other than ASCII.
std::vector<std::string> Readings(std::string_view name) {
    std::vector<std::string> readings{std::string(name)};
    std::string converted;
    if (Utf8ToWindows1252(name, converted) && converted != name) {
        readings.push_back(std::move(converted));
    }
    return readings;
}

std::string Folded(std::string text) {
    for (char& c : text) c = static_cast<char>(FoldWindows1252Case(static_cast<unsigned char>(c)));
    return text;
}

// How well an entry on disk matches the wanted part of a name: 0 the same
// bytes, 1 the same letters, 2 equal up to case, -1 no match.
class PartMatcher {
public:
    explicit PartMatcher(std::string_view wanted) : wanted_(wanted), wantedAscii_(IsAscii(wanted)) {
        for (std::string& reading : Readings(wanted)) {
            folded_.push_back(Folded(reading));
            readings_.push_back(std::move(reading));
        }
    }

    int Rank(std::string_view entry) const {
        if (entry == wanted_) return 0;
        if (IsAscii(entry) && wantedAscii_) return EqualIgnoringAsciiCase(entry, wanted_) ? 2 : -1;
        int best = -1;
        for (const std::string& reading : Readings(entry)) {
            for (std::size_t i = 0; i < readings_.size(); ++i) {
                if (reading == readings_[i]) return 1;
                if (best < 0 && reading.size() == folded_[i].size() &&
                    Folded(reading) == folded_[i])
                    best = 2;
            }
        }
        return best;
    }

private:
    static bool IsAscii(std::string_view text) {
        for (char c : text) {
            if (static_cast<unsigned char>(c) >= 0x80) return false;
        }
        return true;
    }

    static bool EqualIgnoringAsciiCase(std::string_view a, std::string_view b) {
        if (a.size() != b.size()) return false;
        for (std::size_t i = 0; i < a.size(); ++i) {
            if (FoldWindows1252Case(static_cast<unsigned char>(a[i])) !=
                FoldWindows1252Case(static_cast<unsigned char>(b[i])))
                return false;
        }
        return true;
    }

    std::string_view wanted_;
    bool wantedAscii_;
    std::vector<std::string> readings_;
    std::vector<std::string> folded_;
};

std::string Join(const std::string& folder, const std::string& part) {
    if (folder.empty()) return part;
    if (folder.back() == '/') return folder + part;
    return folder + "/" + part;
}

// The entries of `folder` other than `skip` that match `part`, best first.
std::vector<std::string> Matches(const std::string& folder, const std::string& part,
                                 const std::string& skip, int& folderReads) {
    std::vector<std::pair<int, std::string>> found;
    if (folderReads >= kMaxFolderReads) return {};
    ++folderReads;
    std::vector<std::string> entries;
    if (!ListFolder(folder, entries)) return {};
    const PartMatcher matcher(part);
    for (std::string& name : entries) {
        if (name == skip) continue;
        const int rank = matcher.Rank(name);
        if (rank >= 0) found.emplace_back(rank, std::move(name));
    }
    std::sort(found.begin(), found.end());  // by rank, then byte order
    std::vector<std::string> names;
    names.reserve(found.size());
    for (auto& [rank, name] : found) names.push_back(std::move(name));
    return names;
}

// The path of parts[index...] below `folder`, which exists; empty when none.
std::string Walk(const std::string& folder, const std::vector<std::string>& parts,
                 std::size_t index, int& folderReads) {
    if (index == parts.size()) return folder;
    const std::string& part = parts[index];
    const bool last = index + 1 == parts.size();
    auto follow = [&](const std::string& path) -> std::string {
        if (last) return path;
        if (!IsFolder(path)) return std::string();
        return Walk(path, parts, index + 1, folderReads);
    };
    const std::string exact = Join(folder, part);
    const bool exactExists = Exists(exact);
    if (exactExists) {
        if (std::string found = follow(exact); !found.empty()) return found;
    }
    if (part == "." || part == "..") return std::string();
    for (const std::string& name : Matches(folder, part, exactExists ? part : "", folderReads)) {
        if (std::string found = follow(Join(folder, name)); !found.empty()) return found;
    }
    return std::string();
}

}  // namespace

std::string FindWindowsName(const char* name) {
    if (name == nullptr || *name == '\0') return std::string();
    const std::string given(name);
    if (Exists(given)) return given;
    if (SystemFindsWindowsNames()) return std::string();
    std::vector<std::string> parts;
    std::string part;
    for (char c : given) {
        if (IsSeparator(c)) {
            if (!part.empty()) parts.push_back(std::move(part));
            part.clear();
        } else {
            part.push_back(c);
        }
    }
    if (!part.empty()) parts.push_back(std::move(part));
    if (parts.empty()) return std::string();
    int folderReads = 0;
    return Walk(IsSeparator(given.front()) ? "/" : "", parts, 0, folderReads);
}

bool IsRegularFileName(const std::string& name) { return KindOf(name) == PathKind::RegularFile; }

std::string FileVersion(const std::string& name) {
    FileStamp stamp;
    if (!StampOfName(name, stamp) || !stamp.regular) return std::string();
    const unsigned long long parts[] = {static_cast<unsigned long long>(stamp.size),
                                        static_cast<unsigned long long>(stamp.modifiedNs),
                                        static_cast<unsigned long long>(stamp.changedNs),
                                        stamp.index, stamp.volume};
    std::string version;
    for (unsigned long long part : parts) version += std::to_string(part) + ':';
    return version;
}

bool IsRootedName(const std::string& name) {
    if (name.empty()) return false;
    if (IsSeparator(name[0])) return true;
    return name.size() >= 2 && IsDriveLetter(name[0]) && name[1] == ':';
}

bool IsSameFile(const std::string& a, const std::string& b) {
    FileStamp first;
    FileStamp second;
    return StampOfName(a, first) && StampOfName(b, second) && first.volume == second.volume &&
           first.index == second.index;
}

bool ReplaceFileContent(const std::string& target, const std::string& content) {
    const std::string folder = FolderOf(target);
    constexpr int kAttempts = 100;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        const std::string temp = folder + ".quillfin-save-" + std::to_string(attempt) + ".tmp";
        std::FILE* f = CreateNewFile(temp);
        if (!f) {
            if (errno == EEXIST) continue;
            return false;
        }
        const bool written = std::fwrite(content.data(), 1, content.size(), f) == content.size();
        // The data is on the disk before the new name replaces the old file.
        bool ok = CloseOnDisk(f) && written;
        if (ok) ok = MoveFileOver(temp, target);
        if (!ok) RemoveFileName(temp);
        return ok;
    }
    return false;
}
