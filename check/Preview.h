// quillfin-check --preview: a page per question file showing every question
// with its picture as the learner sees it after answering. Pictures are
// found as the program finds them, decoded with its own decoding and marked
// with its own zone marking; questions that show the same picture with the
// same zone, colour and marking share one PNG, made once per run.
#pragma once

#include <cstdint>
#include <map>
#include <ostream>
#include <set>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "check/Checker.h"
#include "check/PreviewPage.h"

class PictureLibrary;

// Pictures wider than this are scaled down to it, smoothly, after marking.
constexpr int kMaxPreviewWidth = 1600;

// A file on disk: its volume and its number on that volume.
using FileIdentity = std::pair<std::uint64_t, std::uint64_t>;

// What one preview shows: the picture file and, when a zone is marked on
// it, the zone file, its colour and the channels the marking lightens.
struct PreviewKey {
    std::string picture;
    std::string zone;  // empty: nothing is marked
    int colour[3] = {-1, -1, -1};
    bool lighten[3] = {false, false, false};  // red, green, blue

    bool operator<(const PreviewKey& other) const;
};

// The size a preview of a picture `width` pixels wide and `height` high is
// written at: its own, or kMaxPreviewWidth wide with the height scaled to
// match (rounded, at least 1).
void PreviewSize(int width, int height, int& previewWidth, int& previewHeight);

// Decodes the picture, marks the zone as the program marks it after an
// answer (an unreadable zone leaves the picture unmarked, as it does in the
// program), scales it down when it is wider than kMaxPreviewWidth and writes
// it as a PNG file at `path`. Fills the image's sizes and `marked`. False,
// with the reason in `error`, when the picture cannot be decoded or the file
// cannot be written.
bool RenderPreview(const PreviewKey& key, const std::string& path, PreviewImage& image,
                   std::string& error);

// The previews of one run, each distinct one written once into `folder`.
class PreviewSet {
public:
    // `kept`: the files a preview must not replace, as KeptFiles makes them.
    PreviewSet(std::string folder, std::set<FileIdentity> kept)
        : folder_(std::move(folder)), kept_(std::move(kept)) {}

    // The image a page shows for question `q` of `questionFile`: the PNG
    // already made for the same key, else a new one named `pngName`.
    PreviewImage ImageFor(const std::string& questionFile, const QuestionContent& q,
                          PictureLibrary& pictures, const std::string& pngName);

    // How many PNG files this set has written.
    int Written() const { return written_; }
    // Why the first PNG that could not be written was not; empty when all were.
    const std::string& FirstFailure() const { return firstFailure_; }

private:
    std::string folder_;
    std::set<FileIdentity> kept_;
    std::string firstFailure_;
    std::map<PreviewKey, PreviewImage> made_;
    int written_ = 0;
};

// The files of the quiz itself, which a preview written into their folder
// must not replace: the checked files and every picture and zone bitmap
// their questions use, each known by its volume and its number on it.
std::set<FileIdentity> KeptFiles(const std::vector<FileCheck>& checks, PictureLibrary& pictures);

// Makes `folder` and the folders above it that are missing. True when it
// is a folder afterwards.
bool MakeFolders(const std::string& folder);

// Writes the pages of `checks` (made with their contents kept) and their
// pictures into `folder`, created when missing; other files in it are left
// alone and files of the same names replaced, unless they belong to the quiz
// itself (KeptFiles), which are never replaced. A single question file gets
// index.html; several get a page each and an index.html that links them.
// False, with the reason in `error`, when the folder, a page or a picture
// cannot be written (the pages are written all the same where they can be).
bool WritePreview(const std::string& folder, const std::vector<FileCheck>& checks,
                  PictureLibrary& pictures, std::string& error);
