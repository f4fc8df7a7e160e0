#include "check/Preview.h"

#include <set>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#endif

#include "check/Output.h"
#include "check/Pictures.h"
#include "check/Report.h"
#include "platform/DibRows.h"
#include "platform/PictureFile.h"
#include "platform/PngFile.h"
#include "platform/WinApi.h"
#include "platform/ZoneMarking.h"
#include "questions/Question.h"
#include "rules/FileSystem.h"

namespace {

constexpr char kIndexPage[] = "index";

// Frees a bitmap when it goes out of scope; the handle may be replaced meanwhile.
class OwnedBitmap {
public:
    explicit OwnedBitmap(HBITMAP bitmap) : bitmap_(bitmap) {}
    OwnedBitmap(const OwnedBitmap&) = delete;
    OwnedBitmap& operator=(const OwnedBitmap&) = delete;
    ~OwnedBitmap() {
        if (bitmap_ != nullptr) DeleteObject(bitmap_);
    }
    HBITMAP& Get() { return bitmap_; }

private:
    HBITMAP bitmap_;
};

// A file name's last part without its ending, reduced to letters, digits,
// '-' and '_' so that it can stand in a link as it is; "quiz" when nothing is left.
std::string SafeStem(const std::string& path) {
    std::string name = path.substr(path.find_last_of("/\\") + 1);
    const std::size_t dot = name.find_last_of('.');
    if (dot != std::string::npos && dot > 0) name.resize(dot);
    std::string stem;
    for (char c : name) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                           (c >= '0' && c <= '9') || c == '-' || c == '_';
        stem += plain ? c : '_';
    }
    return stem.empty() ? std::string("quiz") : stem;
}

std::string InFolder(const std::string& folder, const std::string& name) {
    if (folder.empty()) return name;
    const char last = folder.back();
    return last == '/' || last == '\\' ? folder + name : folder + "/" + name;
}

bool IdentityOf(const std::string& path, FileIdentity& identity) {
    FileStamp stamp;
    if (!StampOfName(path, stamp)) return false;
    identity = {stamp.volume, stamp.index};
    return true;
}

// True, with the reason in `error`, when `path` is one of the kept files.
bool Kept(const std::set<FileIdentity>& kept, const std::string& path, std::string& error) {
    FileIdentity identity;
    if (!IdentityOf(path, identity) || !kept.count(identity)) return false;
    error = "it would replace " + CommandLineName(path) + ", a file of the quiz itself";
    return true;
}

// Writes a page whole, in place of any file of its name, or not at all.
bool WriteTextFile(const std::set<FileIdentity>& kept, const std::string& path,
                   const std::string& text, std::string& error) {
    if (Kept(kept, path, error)) return false;
    if (ReplaceFileContent(path, text)) return true;
    error = "cannot write " + CommandLineName(path);
    return false;
}

bool IsSeparator(char c) {
#ifdef _WIN32
    return c == '/' || c == '\\';
#else
    return c == '/';
#endif
}

void MakeOneFolder(const std::string& folder) {
#ifdef _WIN32
    CreateDirectoryA(folder.c_str(), nullptr);
#else
    mkdir(folder.c_str(), 0777);
#endif
}

bool HasZoneColour(const QuestionContent& q) {
    return q.zoneColour[0] != -1 || q.zoneColour[1] != -1 || q.zoneColour[2] != -1;
}

}  // namespace

bool PreviewKey::operator<(const PreviewKey& other) const {
    return std::tie(picture, zone, colour[0], colour[1], colour[2], lighten[0], lighten[1],
                    lighten[2]) < std::tie(other.picture, other.zone, other.colour[0],
                                           other.colour[1], other.colour[2], other.lighten[0],
                                           other.lighten[1], other.lighten[2]);
}

void PreviewSize(int width, int height, int& previewWidth, int& previewHeight) {
    previewWidth = width;
    previewHeight = height;
    if (width <= kMaxPreviewWidth) return;
    previewWidth = kMaxPreviewWidth;
    const long long scaled =
        (static_cast<long long>(height) * kMaxPreviewWidth + width / 2) / width;
    previewHeight = static_cast<int>(scaled < 1 ? 1 : scaled);
}

bool RenderPreview(const PreviewKey& key, const std::string& path, PreviewImage& image,
                   std::string& error) {
    OwnedBitmap picture(LoadPictureFile(nullptr, key.picture.c_str()));
    if (picture.Get() == nullptr) {
        error = "the picture cannot be decoded";
        return false;
    }
    image.marked = false;
    if (!key.zone.empty()) {
        OwnedBitmap zone(LoadPictureFile(nullptr, key.zone.c_str()));
        const ZoneLight light{key.lighten[0], key.lighten[1], key.lighten[2]};
        image.marked = zone.Get() != nullptr &&
                       MarkZone(picture.Get(), zone.Get(),
                                ZoneColour(key.colour[0], key.colour[1], key.colour[2]), light);
    }
    PixelRows rows;
    if (!MakeDirect(picture.Get(), rows)) {
        error = "the picture's pixels cannot be read";
        return false;
    }
    int width = 0;
    int height = 0;
    PreviewSize(rows.width, rows.height, width, height);
    image.sourceWidth = rows.width;
    image.sourceHeight = rows.height;
    OwnedBitmap scaled(nullptr);
    if (width != rows.width) {
        scaled.Get() = ScaledCopy(picture.Get(), width, height);
        if (scaled.Get() == nullptr || !MakeDirect(scaled.Get(), rows)) {
            error = "not enough memory to scale the picture";
            return false;
        }
    }
    GdiFlush();
    const PixelPlane plane{rows.top, rows.stride, rows.width, rows.height, rows.bytesPerPixel};
    if (!WritePngFile(path.c_str(), plane, kPngFastLevel, error)) {
        error = "cannot write " + CommandLineName(path) + ": " + error;
        return false;
    }
    image.width = rows.width;
    image.height = rows.height;
    return true;
}

PreviewImage PreviewSet::ImageFor(const std::string& questionFile, const QuestionContent& q,
                                  PictureLibrary& pictures, const std::string& pngName) {
    PreviewImage image;
    if (!q.parsed || !q.picture) return image;
    const PictureInfo& picture = pictures.Get(questionFile, *q.picture);
    if (picture.state == PictureInfo::State::Missing) {
        image.kind = PreviewImage::Kind::Missing;
        return image;
    }
    if (picture.state == PictureInfo::State::Unreadable) {
        image.kind = PreviewImage::Kind::Undecodable;
        return image;
    }
    PreviewKey key;
    key.picture = picture.path;
    // After an answer the program marks the zone when the question names a
    // zone bitmap and sets a zone colour; a zone it cannot decode marks nothing.
    if (q.zone && HasZoneColour(q)) {
        const PictureInfo& zone = pictures.Get(questionFile, *q.zone);
        if (zone.state == PictureInfo::State::Decoded) {
            key.zone = zone.path;
            for (int c = 0; c < 3; ++c) key.colour[c] = q.zoneColour[c];
            key.lighten[0] = (q.flags & flagDisplayZoneRed) != 0;
            key.lighten[1] = (q.flags & flagDisplayZoneGreen) != 0;
            key.lighten[2] = (q.flags & flagDisplayZoneBlue) != 0;
        }
    }
    const auto made = made_.find(key);
    if (made != made_.end()) return made->second;

    image.kind = PreviewImage::Kind::Written;
    image.file = pngName;
    std::string error;
    const std::string path = InFolder(folder_, pngName);
    if (Kept(kept_, path, error)) {
        image = PreviewImage{};
        image.kind = PreviewImage::Kind::Unwritten;
        image.reason = error;
        if (firstFailure_.empty()) firstFailure_ = error;
    } else if (RenderPreview(key, path, image, error)) {
        ++written_;
    } else if (image.sourceWidth == 0) {
        // Decoded for the check, but not now: the file changed meanwhile or
        // memory ran out. Either way the learner would see the fallback.
        image = PreviewImage{};
        image.kind = PreviewImage::Kind::Undecodable;
    } else {
        image = PreviewImage{};
        image.kind = PreviewImage::Kind::Unwritten;
        image.reason = error;
        if (firstFailure_.empty()) firstFailure_ = error;
    }
    made_.emplace(std::move(key), image);
    return image;
}

bool MakeFolders(const std::string& folder) {
    if (folder.empty()) return false;
    // Each folder on the way, from the top; one that cannot be made shows in
    // the last test.
    for (std::size_t end = 1; end <= folder.size(); ++end) {
        if (end < folder.size() && !IsSeparator(folder[end])) continue;
        const std::string part = folder.substr(0, end);
        if (KindOf(part) == PathKind::Missing) MakeOneFolder(part);
    }
    return KindOf(folder) == PathKind::Folder;
}

std::set<FileIdentity> KeptFiles(const std::vector<FileCheck>& checks, PictureLibrary& pictures) {
    std::set<FileIdentity> kept;
    auto keep = [&kept](const std::string& path) {
        FileIdentity identity;
        if (IdentityOf(path, identity)) kept.insert(identity);
    };
    for (const FileCheck& check : checks) {
        keep(check.path);
        if (!check.questionFile.empty()) keep(check.questionFile);
        for (const QuestionContent& q : check.contents) {
            for (const auto* name : {&q.picture, &q.zone}) {
                if (!*name) continue;
                const PictureInfo& info = pictures.Get(check.path, **name);
                if (!info.path.empty()) keep(info.path);
            }
        }
    }
    return kept;
}

bool WritePreview(const std::string& folder, const std::vector<FileCheck>& checks,
                  PictureLibrary& pictures, std::string& error) {
    if (!MakeFolders(folder)) {
        error = "cannot make the folder " + CommandLineName(folder);
        return false;
    }
    int questionFiles = 0;
    bool allReadable = true;
    for (const FileCheck& check : checks) {
        if (check.roundFile) continue;
        ++questionFiles;
        allReadable = allReadable && check.readable;
    }
    const bool single = questionFiles == 1 && allReadable;

    const std::set<FileIdentity> kept = KeptFiles(checks, pictures);
    PreviewSet previews(folder, kept);
    std::set<std::string> stems = {kIndexPage};
    std::vector<IndexEntry> entries;
    for (const FileCheck& check : checks) {
        IndexEntry entry;
        entry.name = CommandLineName(check.path);
        if (!check.readable) {
            entry.summary = "cannot read it: " + CommandLineName(check.readError);
            entries.push_back(entry);
            continue;
        }
        entry.summary = (check.roundFile ? "round file, " : "") + SummaryOf(check);
        if (check.roundFile) {
            entries.push_back(entry);
            continue;
        }
        std::string stem = SafeStem(check.path);
        for (int n = 2; !stems.insert(stem).second; ++n)
            stem = SafeStem(check.path) + "-" + std::to_string(n);
        std::vector<PreviewImage> images;
        for (const QuestionContent& q : check.contents) {
            images.push_back(previews.ImageFor(check.path, q, pictures,
                                               stem + "-q" + std::to_string(q.number) + ".png"));
        }
        entry.page = (single ? std::string(kIndexPage) : stem) + ".html";
        const std::string page = QuestionFilePage(check, images, single ? "" : "index.html");
        if (!WriteTextFile(kept, InFolder(folder, entry.page), page, error)) return false;
        entries.push_back(entry);
    }
    if (!single && !WriteTextFile(kept, InFolder(folder, "index.html"), IndexPage(entries), error))
        return false;
    if (!previews.FirstFailure().empty()) {
        error = previews.FirstFailure();
        return false;
    }
    return true;
}
