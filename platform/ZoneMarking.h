// The answer zone on a question's picture: which pixels of a zone bitmap have
// the zone colour, and the marking that recolours the picture's pixels above
// them. Written against the Windows-API subset alone, so that the program and
// the checker of question files read a zone's pixels the same way; it reads
// no state of the program.
#pragma once

#include <cstdint>
#include <functional>

#include "platform/WinApi.h"

// The zone colour: each of red, green and blue a value 0 to 255, or -1 for
// any value. A value outside -1 to 255 is matched by no pixel.
class ZoneColour {
public:
    ZoneColour(int red, int green, int blue);

    // Whether `rgb` (0x00RRGGBB) has the zone colour.
    bool Matches(std::uint32_t rgb) const { return !never_ && (rgb & mask_) == wanted_; }
    // True when no pixel can have it.
    bool Never() const { return never_; }
    // The bits of a pixel the test compares, 0x00RRGGBB, and their wanted value.
    std::uint32_t Mask() const { return mask_; }
    std::uint32_t Wanted() const { return wanted_; }

private:
    std::uint32_t mask_ = 0;
    std::uint32_t wanted_ = 0;
    bool never_ = false;
};

// How the marking recolours each of red, green and blue of a marked pixel:
// lightened halfway to white (true) or darkened to three quarters (false).
struct ZoneLight {
    bool red = false;
    bool green = false;
    bool blue = false;
};

// Recolours every pixel of `picture` whose pixel in `zone` has the zone
// colour, over the area both bitmaps cover. Neither bitmap may be selected
// into a device context. A bitmap whose rows cannot be read directly (a
// palette, 16 bits, other channel masks) is replaced by a 32-bit copy, and
// the one it replaces is freed; the caller owns both afterwards. False when
// the rows of either cannot be read, leaving the picture unmarked.
bool MarkZone(HBITMAP& picture, HBITMAP& zone, const ZoneColour& colour, ZoneLight light);

// Calls visit(row, y) for each row y of the top-left width x height area of
// `bitmap` (clipped to its size), with the pixels as 0x00RRGGBB, read as the
// marking reads them; stops when visit returns false. `bitmap` may be
// replaced as by MarkZone. False when its rows cannot be read.
bool ReadZoneRows(HBITMAP& bitmap, int width, int height,
                  const std::function<bool(const std::uint32_t* row, int y)>& visit);
