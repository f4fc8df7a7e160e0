// Question pictures and zone bitmaps as the checker sees them: found with the
// program's own search beside the question file, decoded with the program's
// own decoding, and each distinct file decoded at most once per run.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

struct PictureInfo {
    enum class State { Missing, Unreadable, Decoded };
    State state = State::Missing;
    std::string path;  // where the search found it; empty when Missing
    bool jpeg = false;
    int width = 0;
    int height = 0;
    // Row by row from the top, 0x00RRGGBB; filled only when asked for.
    std::vector<std::uint32_t> pixels;
    bool hasPixels = false;
};

class PictureLibrary {
public:
    virtual ~PictureLibrary() = default;

    // The picture `name` as a question of `questionFile` names it. With
    // `wantPixels` the pixels are read too. The result stays valid for the
    // life of the library.
    const PictureInfo& Get(const std::string& questionFile, const std::string& name,
                           bool wantPixels);

    // How many files were decoded so far.
    int Decodes() const { return decodes_; }

protected:
    // The file the program would open for `name`; empty when it finds none.
    virtual std::string Find(const std::string& questionFile, const std::string& name) = 0;
    // Fills size, pixels (when asked) and the JPEG mark; false when the
    // program cannot decode the file.
    virtual bool Decode(const std::string& path, bool wantPixels, PictureInfo& info) = 0;

private:
    std::map<std::pair<std::string, std::string>, std::string> found_;
    std::map<std::string, std::unique_ptr<PictureInfo>> decoded_;
    PictureInfo missing_;
    int decodes_ = 0;
};

// The program's own picture search and decoding (the platform layer on
// Linux, the system on Windows). Opens no window.
std::unique_ptr<PictureLibrary> ProgramPictures();
