// Re-attaching a saved round to its question file after the file was edited.
// The round file keeps each question's fingerprint (clQuestion::Fingerprint);
// the saved fingerprints, in question-number order, are aligned with those of
// the file as it is now, as a diff aligns two sequences of lines, and every
// entry of the round takes the number its question has now. Pure functions of
// their inputs: the program's load and the checker's report use the same ones.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct OrderEntry;

// How the question of one saved entry stands in the file now.
enum class EntryFate {
    Same,     // the same text under the same number
    Moved,    // the same text under another number
    Changed,  // edited in place: the text differs, the place among the others is the same
    Dropped,  // no longer in the file
};

struct RoundMapping {
    // For saved question k (index k - 1): its fate and its number now (0 when dropped).
    std::vector<EntryFate> fate;
    std::vector<int> currentNo;
    // Questions of the file now that no saved entry stands for, in file order.
    std::vector<int> added;

    int Count(EntryFate which) const;
    // True when nothing moved, changed, went or came.
    bool Unchanged() const;
};

// Most questions on each side of a stretch that are taken as the same
// questions edited in place, when both sides hold equally many.
constexpr int kMostEditedInPlace = 3;

// Aligns `saved` (fingerprints of the saved questions 1 .. n) with `current`
// (the file's questions 1 .. m now) by a longest common subsequence, equal
// fingerprints paired one to one in file order. Between two paired stretches
// (or a stretch and either end), as many unpaired entries on both sides, and
// at most kMostEditedInPlace, pair in order as Changed; otherwise the saved
// ones there are Dropped and the current ones added.
RoundMapping AlignFingerprints(const std::vector<std::uint64_t>& saved,
                               const std::vector<std::uint64_t>& current);

// The round's entries as they stand after `mapping`: each kept entry, in its
// place and with its status, under its number now; dropped entries gone; the
// added questions unanswered (status 0) at places drawn from `seed` among the
// entries before the tail of those answered correctly, after the head, so
// that the question the round was saved on is asked first and answered
// questions stay at the end. Every entry must name a saved question 1 .. n.
std::vector<OrderEntry> MapEntries(const std::vector<OrderEntry>& entries,
                                   const RoundMapping& mapping, std::uint32_t seed);

// The sum over a file's fingerprints written after a round file's count:
// FNV-1a over the text of each fingerprint in order.
std::uint64_t FingerprintSum(const std::vector<std::uint64_t>& fingerprints);

// A fingerprint as a round file holds it: 16 lower-case hex digits.
std::string FingerprintText(std::uint64_t fingerprint);
constexpr int kFingerprintDigits = 16;
// The fingerprint whose digits `text` begins with, or nothing when fewer than
// 16 hex digits stand there (upper case is read too).
std::optional<std::uint64_t> ReadFingerprint(std::string_view text);

// One or two sentences for the learner on what the mapping did, such as
// "The question file has changed since this round was saved: 2 questions are
// new, 1 was removed. Your progress on the other 17 is kept."
std::string DescribeMapping(const RoundMapping& mapping);
