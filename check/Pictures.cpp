#include "check/Pictures.h"

#include <algorithm>
#include <unordered_map>

const PictureInfo& PictureLibrary::Get(const std::string& questionFile, const std::string& name) {
    const auto key = std::make_pair(questionFile, name);
    auto found = found_.find(key);
    if (found == found_.end()) found = found_.emplace(key, Find(questionFile, name)).first;
    const std::string& path = found->second;
    if (path.empty()) return missing_;

    auto [entry, fresh] = decoded_.try_emplace(path);
    PictureInfo& info = entry->second;
    if (!fresh) return info;
    info.path = path;
    ++decodes_;
    info.state = Decode(path, info) ? PictureInfo::State::Decoded : PictureInfo::State::Unreadable;
    return info;
}

PictureLibrary::ZoneSummary& PictureLibrary::Summary(const PictureInfo& zone, int width, int height,
                                                     const ZoneColour* colour) {
    ZoneSummary& summary = zones_[ZoneKey{zone.path, width, height}];
    const std::pair<std::uint32_t, std::uint32_t> question =
        colour ? std::make_pair(colour->Mask(), colour->Wanted()) : std::make_pair(0u, 0u);
    const bool pass = !summary.scanned || (colour != nullptr && summary.readable &&
                                           !summary.complete && !summary.answers.count(question));
    if (!pass) return summary;

    // One pass over the pixels: the colours, counted on the first pass while
    // they are few, and the answer to the colour asked. Runs of one colour
    // are counted at once.
    const bool counting = !summary.scanned;
    std::unordered_map<std::uint32_t, std::uint64_t> counts;
    bool overflow = !counting;
    bool holds = false;
    ++decodes_;
    const bool readable = ReadRows(zone.path, width, height, [&](const std::uint32_t* row, int n) {
        if (n <= 0) return false;
        if (colour != nullptr && !holds) {
            holds = std::any_of(row, row + n, [&](std::uint32_t p) { return colour->Matches(p); });
        }
        if (!overflow) {
            std::uint32_t last = row[0];
            std::uint64_t run = 0;
            for (int x = 0; x < n; ++x) {
                if (row[x] == last) {
                    ++run;
                    continue;
                }
                counts[last] += run;
                last = row[x];
                run = 1;
            }
            if (run > 0) counts[last] += run;
            overflow = counts.size() > kMaxKeptColours;
        }
        // With the colours past counting, the pass goes on only for the answer.
        return !overflow || (colour != nullptr && !holds);
    });
    summary.scanned = true;
    if (counting) {
        summary.readable = readable;
        std::vector<std::pair<std::uint64_t, std::uint32_t>> ranked(counts.size());
        std::transform(counts.begin(), counts.end(), ranked.begin(),
                       [](const auto& entry) { return std::make_pair(entry.second, entry.first); });
        std::sort(ranked.begin(), ranked.end(), [](const auto& a, const auto& b) {
            return a.first != b.first ? a.first > b.first : a.second < b.second;
        });
        if (ranked.size() > kMaxKeptColours) ranked.resize(kMaxKeptColours);
        for (const auto& entry : ranked) summary.colours.push_back(entry.second);
        summary.complete = readable && !overflow;
    }
    if (colour != nullptr && readable) summary.answers[question] = holds;
    return summary;
}

bool PictureLibrary::ZoneHolds(const PictureInfo& zone, int width, int height,
                               const ZoneColour& colour) {
    if (colour.Never()) return false;
    ZoneSummary& summary = Summary(zone, width, height, &colour);
    if (!summary.readable) return false;
    if (summary.complete) {
        return std::any_of(summary.colours.begin(), summary.colours.end(),
                           [&](std::uint32_t pixel) { return colour.Matches(pixel); });
    }
    return summary.answers.at({colour.Mask(), colour.Wanted()});
}

std::vector<std::uint32_t> PictureLibrary::ZoneColours(const PictureInfo& zone, int width,
                                                       int height, std::size_t count, bool& more) {
    ZoneSummary& summary = Summary(zone, width, height, nullptr);
    more = !summary.complete || summary.colours.size() > count;
    const std::size_t shown = std::min(count, summary.colours.size());
    return std::vector<std::uint32_t>(summary.colours.begin(),
                                      summary.colours.begin() + static_cast<std::ptrdiff_t>(shown));
}
