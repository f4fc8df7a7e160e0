#include "round/RoundMapping.h"

#include <algorithm>
#include <deque>
#include <random>
#include <unordered_map>

#include "round/QuestionOrder.h"

namespace {

constexpr int kStatusCorrect = 1;

// Matches of equal fingerprints that the alignment weighs at most; past it (a
// file of thousands of equal blocks, all shifted) it pairs them greedily.
constexpr std::size_t kMostMatchesWeighed = 1u << 22;

struct Pair {
    int saved;    // 0-based
    int current;  // 0-based
};

// A longest common subsequence of a[aFrom, aTo) and b[bFrom, bTo) by the
// method of Hunt and Szymanski: for each entry of `a`, its equals in `b`
// from the last to the first update the smallest end of a common
// subsequence of each length. Its time grows with the number of equal
// pairs, not with the product of the lengths, so an all-new file costs
// nothing and a moved block little.
void LongestCommon(const std::vector<std::uint64_t>& a, int aFrom, int aTo,
                   const std::vector<std::uint64_t>& b, int bFrom, int bTo,
                   std::vector<Pair>& out) {
    std::unordered_map<std::uint64_t, std::vector<int>> where;
    for (int j = bFrom; j < bTo; ++j) where[b[static_cast<std::size_t>(j)]].push_back(j);
    std::size_t matches = 0;
    for (int i = aFrom; i < aTo; ++i) {
        const auto it = where.find(a[static_cast<std::size_t>(i)]);
        if (it != where.end()) matches += it->second.size();
    }

    if (matches > kMostMatchesWeighed) {
        // Each entry takes the first equal after the last one paired.
        int next = bFrom;
        for (int i = aFrom; i < aTo; ++i) {
            const auto it = where.find(a[static_cast<std::size_t>(i)]);
            if (it == where.end()) continue;
            const auto j = std::lower_bound(it->second.begin(), it->second.end(), next);
            if (j == it->second.end()) continue;
            out.push_back({i, *j});
            next = *j + 1;
        }
        return;
    }

    struct Link {
        Pair pair;
        int previous;
    };
    std::vector<Link> links;
    std::vector<int> ends;      // ends[k]: smallest b index ending a common run of length k + 1
    std::vector<int> endLinks;  // the link of that run's last pair
    for (int i = aFrom; i < aTo; ++i) {
        const auto it = where.find(a[static_cast<std::size_t>(i)]);
        if (it == where.end()) continue;
        for (auto j = it->second.rbegin(); j != it->second.rend(); ++j) {
            const auto k = static_cast<std::size_t>(std::lower_bound(ends.begin(), ends.end(), *j) -
                                                    ends.begin());
            if (k < ends.size() && ends[k] <= *j) continue;
            links.push_back({{i, *j}, k > 0 ? endLinks[k - 1] : -1});
            const int link = static_cast<int>(links.size()) - 1;
            if (k == ends.size()) {
                ends.push_back(*j);
                endLinks.push_back(link);
            } else {
                ends[k] = *j;
                endLinks[k] = link;
            }
        }
    }
    const std::size_t first = out.size();
    for (int link = endLinks.empty() ? -1 : endLinks.back(); link >= 0;
         link = links[static_cast<std::size_t>(link)].previous) {
        out.push_back(links[static_cast<std::size_t>(link)].pair);
    }
    std::reverse(out.begin() + static_cast<std::ptrdiff_t>(first), out.end());
}

// A number drawn evenly from lo .. hi (lo <= hi).
int DrawBetween(std::mt19937& generator, int lo, int hi) {
    const auto span = static_cast<std::uint64_t>(hi - lo) + 1;
    constexpr std::uint64_t kRange = std::uint64_t{1} << 32;
    const std::uint64_t limit = kRange - kRange % span;
    for (;;) {
        const std::uint64_t r = static_cast<std::uint32_t>(generator());
        if (r < limit) return lo + static_cast<int>(r % span);
    }
}

std::string Questions(int count) {
    return std::to_string(count) + (count == 1 ? " question" : " questions");
}

}  // namespace

int RoundMapping::Count(EntryFate which) const {
    return static_cast<int>(std::count(fate.begin(), fate.end(), which));
}

bool RoundMapping::Unchanged() const {
    return added.empty() && Count(EntryFate::Same) == static_cast<int>(fate.size());
}

RoundMapping AlignFingerprints(const std::vector<std::uint64_t>& saved,
                               const std::vector<std::uint64_t>& current) {
    const int n = static_cast<int>(saved.size());
    const int m = static_cast<int>(current.size());
    RoundMapping mapping;
    mapping.fate.assign(saved.size(), EntryFate::Dropped);
    mapping.currentNo.assign(saved.size(), 0);

    // The common head and tail first: most edits leave both long, and they
    // are where equal blocks pair in file order.
    std::vector<Pair> pairs;
    int head = 0;
    while (head < n && head < m &&
           saved[static_cast<std::size_t>(head)] == current[static_cast<std::size_t>(head)]) {
        pairs.push_back({head, head});
        ++head;
    }
    int tail = 0;
    while (tail < n - head && tail < m - head &&
           saved[static_cast<std::size_t>(n - 1 - tail)] ==
               current[static_cast<std::size_t>(m - 1 - tail)]) {
        ++tail;
    }
    LongestCommon(saved, head, n - tail, current, head, m - tail, pairs);
    for (int t = tail; t > 0; --t) pairs.push_back({n - t, m - t});

    std::vector<int> currentOwner(current.size(), -1);  // the saved index paired with it
    auto pairUp = [&](int s, int c, EntryFate fate) {
        mapping.fate[static_cast<std::size_t>(s)] = fate;
        mapping.currentNo[static_cast<std::size_t>(s)] = c + 1;
        currentOwner[static_cast<std::size_t>(c)] = s;
    };
    for (const Pair& p : pairs) {
        pairUp(p.saved, p.current, p.saved == p.current ? EntryFate::Same : EntryFate::Moved);
    }

    // A question moved past others is left out of the common subsequence on
    // both sides: the same fingerprint unpaired on each side pairs up, one to
    // one in file order.
    std::unordered_map<std::uint64_t, std::deque<int>> loose;
    for (int c = 0; c < m; ++c) {
        if (currentOwner[static_cast<std::size_t>(c)] < 0) {
            loose[current[static_cast<std::size_t>(c)]].push_back(c);
        }
    }
    for (int s = 0; s < n; ++s) {
        if (mapping.currentNo[static_cast<std::size_t>(s)] != 0) continue;
        const auto it = loose.find(saved[static_cast<std::size_t>(s)]);
        if (it == loose.end() || it->second.empty()) continue;
        const int c = it->second.front();
        it->second.pop_front();
        pairUp(s, c, s == c ? EntryFate::Same : EntryFate::Moved);
    }

    // Between two paired stretches of the subsequence, equally many unpaired
    // entries on both sides, and only a few, are the same questions edited.
    pairs.push_back({n, m});  // the end closes the last stretch
    int savedFrom = 0;
    int currentFrom = 0;
    for (const Pair& p : pairs) {
        std::vector<int> savedLeft;
        std::vector<int> currentLeft;
        for (int s = savedFrom; s < p.saved; ++s) {
            if (mapping.currentNo[static_cast<std::size_t>(s)] == 0) savedLeft.push_back(s);
        }
        for (int c = currentFrom; c < p.current; ++c) {
            if (currentOwner[static_cast<std::size_t>(c)] < 0) currentLeft.push_back(c);
        }
        if (savedLeft.size() == currentLeft.size() && !savedLeft.empty() &&
            savedLeft.size() <= static_cast<std::size_t>(kMostEditedInPlace)) {
            for (std::size_t k = 0; k < savedLeft.size(); ++k) {
                pairUp(savedLeft[k], currentLeft[k], EntryFate::Changed);
            }
        }
        savedFrom = p.saved + 1;
        currentFrom = p.current + 1;
    }

    for (int c = 0; c < m; ++c) {
        if (currentOwner[static_cast<std::size_t>(c)] < 0) mapping.added.push_back(c + 1);
    }
    return mapping;
}

std::vector<OrderEntry> MapEntries(const std::vector<OrderEntry>& entries,
                                   const RoundMapping& mapping, std::uint32_t seed) {
    std::vector<OrderEntry> mapped;
    mapped.reserve(entries.size() + mapping.added.size());
    for (const OrderEntry& e : entries) {
        if (e.questionNo < 1 || e.questionNo > static_cast<int>(mapping.currentNo.size())) continue;
        const int now = mapping.currentNo[static_cast<std::size_t>(e.questionNo - 1)];
        if (now > 0) mapped.push_back({now, e.stat});
    }
    // The entries answered correctly that close the round.
    auto tailStart = static_cast<int>(mapped.size());
    while (tailStart > 0 &&
           mapped[static_cast<std::size_t>(tailStart - 1)].stat == kStatusCorrect) {
        --tailStart;
    }
    // The head stays the head when it waits for an answer.
    const int first = tailStart > 0 ? 1 : 0;
    std::mt19937 generator(seed);
    for (int questionNo : mapping.added) {
        const int at = DrawBetween(generator, first, tailStart);
        mapped.insert(mapped.begin() + at, OrderEntry{questionNo, 0});
        ++tailStart;
    }
    return mapped;
}

std::uint64_t FingerprintSum(const std::vector<std::uint64_t>& fingerprints) {
    std::uint64_t hash = 0xcbf29ce484222325ULL;
    for (std::uint64_t f : fingerprints) {
        for (char c : FingerprintText(f)) {
            hash ^= static_cast<unsigned char>(c);
            hash *= 0x100000001b3ULL;
        }
    }
    return hash;
}

std::string FingerprintText(std::uint64_t fingerprint) {
    constexpr char kDigits[] = "0123456789abcdef";
    std::string text(kFingerprintDigits, '0');
    for (int i = kFingerprintDigits - 1; i >= 0; --i, fingerprint >>= 4) {
        text[static_cast<std::size_t>(i)] = kDigits[fingerprint & 0xF];
    }
    return text;
}

std::optional<std::uint64_t> ReadFingerprint(std::string_view text) {
    if (text.size() < static_cast<std::size_t>(kFingerprintDigits)) return std::nullopt;
    std::uint64_t value = 0;
    for (int i = 0; i < kFingerprintDigits; ++i) {
        const char c = text[static_cast<std::size_t>(i)];
        int digit;
        if (c >= '0' && c <= '9') {
            digit = c - '0';
        } else if (c >= 'a' && c <= 'f') {
            digit = c - 'a' + 10;
        } else if (c >= 'A' && c <= 'F') {
            digit = c - 'A' + 10;
        } else {
            return std::nullopt;
        }
        value = value << 4 | static_cast<std::uint64_t>(digit);
    }
    return value;
}

std::string DescribeMapping(const RoundMapping& mapping) {
    const int added = static_cast<int>(mapping.added.size());
    const int removed = mapping.Count(EntryFate::Dropped);
    const int changed = mapping.Count(EntryFate::Changed);
    const int kept = mapping.Count(EntryFate::Same) + mapping.Count(EntryFate::Moved);
    std::string text = "The question file has changed since this round was saved: ";
    std::vector<std::string> parts;
    // The first part names the questions; the others follow it.
    auto part = [&parts](int count, const char* one, const char* many) {
        if (count == 0) return;
        const std::string number = parts.empty() ? Questions(count) : std::to_string(count);
        parts.push_back(number + (count == 1 ? one : many));
    };
    part(added, " is new", " are new");
    part(removed, " was removed", " were removed");
    part(changed, " was changed", " were changed");
    if (parts.empty()) {
        text += "its questions stand in another order.";
    } else {
        for (std::size_t i = 0; i < parts.size(); ++i) text += (i > 0 ? ", " : "") + parts[i];
        text += ".";
    }
    if (kept > 0) {
        text += parts.empty() ? " Your progress on all " + std::to_string(kept) + " is kept."
                              : " Your progress on the other " + std::to_string(kept) + " is kept.";
    } else if (changed > 0) {
        text += " Your progress on the changed ones is kept.";
    } else {
        text += " The round starts afresh.";
    }
    return text;
}
