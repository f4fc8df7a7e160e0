#include "ui/Crosshair.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "ui/Controls.h"
#include "ui/Picture.h"
#include "ui/Program.h"
#include "ui/UiState.h"

namespace {

constexpr const char* kZoneKeysHint = "Arrow keys move the cross on the picture; Enter answers.";

// The picture's one-pixel frame, as clicks are measured.
constexpr int kPictureFrame = 1;

// The crosshair's shape, in pixels from its centre at 96 DPI: arms from kArmGap to
// kArmEnd, a black core line inside a white band of kBandHalf each side,
// and a square ring of radius kRing in black between two white ones.
constexpr int kArmGap = 4;
constexpr int kArmEnd = 14;
constexpr int kBandHalf = 1;
constexpr int kRing = 7;

int InnerWidth() { return std::max(Ui().iPictureWidth - 2 * kPictureFrame, 0); }
int InnerHeight() { return std::max(Ui().iPictureHeight - 2 * kPictureFrame, 0); }

// Fills `area` clipped to `clip`.
void FillClipped(HDC dc, RECT area, const RECT& clip, HBRUSH brush) {
    area.left = std::max(area.left, clip.left);
    area.top = std::max(area.top, clip.top);
    area.right = std::min(area.right, clip.right);
    area.bottom = std::min(area.bottom, clip.bottom);
    if (area.left < area.right && area.top < area.bottom) FillRect(dc, &area, brush);
}

// A one-pixel square outline of radius r round (cx, cy).
void Ring(HDC dc, int cx, int cy, int r, const RECT& clip, HBRUSH brush) {
    FillClipped(dc, RECT{cx - r, cy - r, cx + r + 1, cy - r + 1}, clip, brush);
    FillClipped(dc, RECT{cx - r, cy + r, cx + r + 1, cy + r + 1}, clip, brush);
    FillClipped(dc, RECT{cx - r, cy - r, cx - r + 1, cy + r + 1}, clip, brush);
    FillClipped(dc, RECT{cx + r, cy - r, cx + r + 1, cy + r + 1}, clip, brush);
}

// Which sixteenth of the picture a fraction lies in, 1 to 16.
int Sixteenth(double fraction) {
    return std::clamp(static_cast<int>(fraction * kCrosshairCoarseSteps) + 1, 1,
                      kCrosshairCoarseSteps);
}

}  // namespace

double StepCrosshair(double fraction, int direction, int pixels, CrosshairStep step) {
    double moved = fraction;
    switch (step) {
        case CrosshairStep::Coarse:
            moved = fraction + static_cast<double>(direction) / kCrosshairCoarseSteps;
            break;
        case CrosshairStep::Fine:
            moved = fraction + static_cast<double>(direction) / kCrosshairFineSteps;
            break;
        case CrosshairStep::OnePixel:
            if (pixels < 2) return 0.5;
            moved =
                static_cast<double>(CrosshairPixel(fraction, pixels) + direction) / (pixels - 1);
            break;
    }
    return std::clamp(moved, 0.0, 1.0);
}

int CrosshairPixel(double fraction, int pixels) {
    if (pixels < 1) return 0;
    return std::clamp(static_cast<int>(std::lround(fraction * (pixels - 1))), 0, pixels - 1);
}

void CentreCrosshair() {
    Ui().dCrosshairX = 0.5;
    Ui().dCrosshairY = 0.5;
}

void BeginZoneQuestion() {
    UiState& ui = Ui();
    CentreCrosshair();
    if (ui.bZoneKeysHinted) return;
    ui.bZoneKeysHinted = true;
    std::string text = ui.TextAreaText ? ui.TextAreaText.get() : "";
    if (!text.empty()) text += '\n';
    text += kZoneKeysHint;
    ui.TextAreaText = CopyText(text);
    PutTextAreaText();
}

bool CrosshairKey(int virtualKey, bool shift, bool control) {
    UiState& ui = Ui();
    const CrosshairStep step = control ? CrosshairStep::OnePixel
                               : shift ? CrosshairStep::Fine
                                       : CrosshairStep::Coarse;
    switch (virtualKey) {
        case VK_LEFT:
            ui.dCrosshairX = StepCrosshair(ui.dCrosshairX, -1, InnerWidth(), step);
            return true;
        case VK_RIGHT:
            ui.dCrosshairX = StepCrosshair(ui.dCrosshairX, +1, InnerWidth(), step);
            return true;
        case VK_UP:
            ui.dCrosshairY = StepCrosshair(ui.dCrosshairY, -1, InnerHeight(), step);
            return true;
        case VK_DOWN:
            ui.dCrosshairY = StepCrosshair(ui.dCrosshairY, +1, InnerHeight(), step);
            return true;
        case VK_HOME:
            CentreCrosshair();
            return true;
        default:
            return false;
    }
}

void CrosshairPoint(int& x, int& y) {
    x = CrosshairPixel(Ui().dCrosshairX, InnerWidth());
    y = CrosshairPixel(Ui().dCrosshairY, InnerHeight());
}

void DrawCrosshair(HDC dc) {
    const UiState& ui = Ui();
    if (InnerWidth() < 1 || InnerHeight() < 1) return;
    const int left = ui.iPictureLeft + kPictureFrame;
    const int top = PictureTop() + kPictureFrame;
    const RECT clip{left, top, left + InnerWidth(), top + InnerHeight()};
    int x = 0;
    int y = 0;
    CrosshairPoint(x, y);
    const int cx = left + x;
    const int cy = top + y;
    HBRUSH white = ui.brWhite;
    HBRUSH black = ui.brBlack;
    const int armGap = ScaleToDpi(kArmGap);
    const int armEnd = ScaleToDpi(kArmEnd);
    const int bandHalf = ScaleToDpi(kBandHalf);
    const int ring = ScaleToDpi(kRing);
    // The black core line and ring, one pixel at 96 DPI.
    const int core = std::max(ScaleToDpi(1), 1);
    // White bands first, then the black lines and ring over them.
    for (int side : {-1, 1}) {
        const int from = side < 0 ? cx - armEnd : cx + armGap;
        const int to = side < 0 ? cx - armGap + 1 : cx + armEnd + 1;
        FillClipped(dc, RECT{from, cy - bandHalf, to, cy + bandHalf + 1}, clip, white);
        const int fromY = side < 0 ? cy - armEnd : cy + armGap;
        const int toY = side < 0 ? cy - armGap + 1 : cy + armEnd + 1;
        FillClipped(dc, RECT{cx - bandHalf, fromY, cx + bandHalf + 1, toY}, clip, white);
    }
    for (int r = ring - core; r < ring + 2 * core; ++r) Ring(dc, cx, cy, r, clip, white);
    for (int side : {-1, 1}) {
        const int from = side < 0 ? cx - armEnd : cx + armGap;
        const int to = side < 0 ? cx - armGap + 1 : cx + armEnd + 1;
        FillClipped(dc, RECT{from, cy, to, cy + core}, clip, black);
        const int fromY = side < 0 ? cy - armEnd : cy + armGap;
        const int toY = side < 0 ? cy - armGap + 1 : cy + armEnd + 1;
        FillClipped(dc, RECT{cx, fromY, cx + core, toY}, clip, black);
    }
    for (int r = ring; r < ring + core; ++r) Ring(dc, cx, cy, r, clip, black);
}

std::string CrosshairValue() {
    const UiState& ui = Ui();
    return "column " + std::to_string(Sixteenth(ui.dCrosshairX)) + " of " +
           std::to_string(kCrosshairCoarseSteps) + ", row " +
           std::to_string(Sixteenth(ui.dCrosshairY)) + " of " +
           std::to_string(kCrosshairCoarseSteps);
}
