#include "check/Pictures.h"

const PictureInfo& PictureLibrary::Get(const std::string& questionFile, const std::string& name,
                                       bool wantPixels) {
    const auto key = std::make_pair(questionFile, name);
    auto found = found_.find(key);
    if (found == found_.end()) found = found_.emplace(key, Find(questionFile, name)).first;
    const std::string& path = found->second;
    if (path.empty()) return missing_;

    std::unique_ptr<PictureInfo>& info = decoded_[path];
    if (info && (info->hasPixels || !wantPixels || info->state != PictureInfo::State::Decoded)) {
        return *info;
    }
    info = std::make_unique<PictureInfo>();
    info->path = path;
    ++decodes_;
    info->state = Decode(path, wantPixels, *info) ? PictureInfo::State::Decoded
                                                  : PictureInfo::State::Unreadable;
    info->hasPixels = wantPixels && info->state == PictureInfo::State::Decoded;
    return *info;
}
