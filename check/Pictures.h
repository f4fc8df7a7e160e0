// Question pictures and zone bitmaps as the checker sees them: found with the
// program's own search beside the question file, decoded with the program's
// own decoding, and each distinct file decoded once per run for its size. Of
// a zone only what later questions ask is kept: the colours it holds, or the
// answers already given, never its pixels, so that the memory a run needs
// does not grow with the number of zone files.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "platform/ZoneMarking.h"

struct PictureInfo {
    enum class State { Missing, Unreadable, Decoded };
    State state = State::Missing;
    std::string path;  // where the search found it; empty when Missing
    bool jpeg = false;
    int width = 0;
    int height = 0;
};

class PictureLibrary {
public:
    virtual ~PictureLibrary() = default;

    // The picture `name` as a question of `questionFile` names it. The result
    // stays valid for the life of the library: an entry, once made, is never
    // replaced.
    const PictureInfo& Get(const std::string& questionFile, const std::string& name);

    // Whether a pixel of the top-left width x height area of the decoded
    // zone has `colour`. False when the zone's pixels cannot be read.
    bool ZoneHolds(const PictureInfo& zone, int width, int height, const ZoneColour& colour);

    // The colours of that area, 0x00RRGGBB, the most frequent first, at most
    // `count` of them; `more` tells whether it holds others besides.
    std::vector<std::uint32_t> ZoneColours(const PictureInfo& zone, int width, int height,
                                           std::size_t count, bool& more);

    // How many times a file was decoded so far.
    int Decodes() const { return decodes_; }

    // Distinct colours kept of one zone area; a zone with more (a photo, or
    // a JPEG's blurred edges) keeps only the answers asked of it.
    static constexpr std::size_t kMaxKeptColours = 4096;

protected:
    // The file the program would open for `name`; empty when it finds none.
    virtual std::string Find(const std::string& questionFile, const std::string& name) = 0;
    // Fills the size and the JPEG mark; false when the program cannot decode the file.
    virtual bool Decode(const std::string& path, PictureInfo& info) = 0;
    // Decodes the file again and calls visit(row, count) for each row of its
    // top-left width x height area (clipped to its size; count pixels, each
    // 0x00RRGGBB), until visit returns false. False when the pixels cannot be read.
    virtual bool ReadRows(
        const std::string& path, int width, int height,
        const std::function<bool(const std::uint32_t* row, int count)>& visit) = 0;

private:
    // What is kept of one zone area.
    struct ZoneSummary {
        bool scanned = false;
        bool readable = false;
        bool complete = false;               // `colours` holds every colour of the area
        std::vector<std::uint32_t> colours;  // most frequent first
        std::map<std::pair<std::uint32_t, std::uint32_t>, bool> answers;  // mask, wanted
    };
    using ZoneKey = std::tuple<std::string, int, int>;
    ZoneSummary& Summary(const PictureInfo& zone, int width, int height, const ZoneColour* colour);

    std::map<std::pair<std::string, std::string>, std::string> found_;
    std::map<std::string, PictureInfo> decoded_;
    std::map<ZoneKey, ZoneSummary> zones_;
    PictureInfo missing_;
    int decodes_ = 0;
};

// The program's own picture search and decoding (the platform layer on
// Linux, the system on Windows). Opens no window.
std::unique_ptr<PictureLibrary> ProgramPictures();
