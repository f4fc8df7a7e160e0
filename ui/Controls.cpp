#include "ui/Controls.h"

#include <algorithm>
#include <cstdint>
#include <string>

#include "ui/UiState.h"

namespace {

constexpr int kFontPoints = 12;
constexpr int kPointsPerInch = 72;
constexpr const char* kFirstFace = "Verdana";
constexpr const char* kSecondFace = "Times New Roman";
// The line height of the system font, for when the font cannot be measured.
constexpr int kFallbackLineHeight = 18;

struct Scheme {
    COLORREF background;
    COLORREF panel;
    COLORREF frame;
};
constexpr Scheme kNeutral{RGB(0, 0, 98), RGB(245, 245, 255), RGB(0, 0, 255)};
constexpr Scheme kCorrect{RGB(0, 98, 0), RGB(245, 255, 245), RGB(0, 255, 0)};
constexpr Scheme kWrong{RGB(98, 0, 0), RGB(255, 245, 245), RGB(255, 0, 0)};

HFONT MakeFont(int height, const char* face) {
    return CreateFontA(height, 0, 0, 0, FW_DONTCARE, FALSE, FALSE, FALSE, ANSI_CHARSET,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                       DEFAULT_PITCH | FF_DONTCARE, face);
}

void Replace(HBRUSH& slot, COLORREF color) {
    HBRUSH old = slot;
    slot = CreateSolidBrush(color);
    if (old != nullptr) DeleteObject(old);
}

}  // namespace

HWND CreateTextarea(char* text, int id, int x, int y, int width, int height, HWND parent,
                    HINSTANCE& instance) {
    return CreateWindowExA(
        0, "EDIT", text, WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_READONLY, x, y,
        width, height, parent, reinterpret_cast<HMENU>(static_cast<std::intptr_t>(id)), instance,
        nullptr);
}

HWND CreateTextbox(int id, int x, int y, int width, int height, HWND parent, HINSTANCE& instance) {
    return CreateWindowExA(
        0, "EDIT", "", WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN, x, y,
        width, height, parent, reinterpret_cast<HMENU>(static_cast<std::intptr_t>(id)), instance,
        nullptr);
}

int SetTextAreaFont(int id, HWND parent) {
    const int height = -MulDiv(kFontPoints, Ui().iDpi, kPointsPerInch);

    HFONT font = MakeFont(height, kFirstFace);
    if (font == nullptr) font = MakeFont(height, kSecondFace);
    if (font == nullptr) {
        MessageBoxA(parent, "Font creation failed!", "Error", MB_OK | MB_ICONWARNING);
        return 0;
    }
    HFONT previous = Ui().hTextAreaFont;
    Ui().hTextAreaFont = font;
    SendDlgItemMessageA(parent, id, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    if (previous != nullptr) DeleteObject(previous);
    return 0;
}

void SetColoursCorrect(int scheme) {
    const Scheme& colours = scheme == kSchemeCorrect ? kCorrect
                            : scheme == kSchemeWrong ? kWrong
                                                     : kNeutral;
    UiState& ui = Ui();
    Replace(ui.brBackground, colours.background);
    Replace(ui.brPanel, colours.panel);
    Replace(ui.brFrame, colours.frame);
}

void PutTextAreaText() {
    const UiState& ui = Ui();
    std::string shown;
    if (ui.TextAreaText) {
        for (const char* c = ui.TextAreaText.get(); *c != '\0'; ++c) {
            if (*c == '\n' && (c == ui.TextAreaText.get() || c[-1] != '\r')) shown += '\r';
            shown += *c;
        }
    }
    SetWindowTextA(ui.hwndTextArea, shown.c_str());
}

int TextLineHeight() {
    HDC screen = GetDC(nullptr);
    HGDIOBJ previous =
        Ui().hTextAreaFont != nullptr ? SelectObject(screen, Ui().hTextAreaFont) : nullptr;
    TEXTMETRICA metrics{};
    const bool known = GetTextMetricsA(screen, &metrics) != FALSE && metrics.tmHeight > 0;
    if (previous != nullptr) SelectObject(screen, previous);
    ReleaseDC(nullptr, screen);
    return known ? metrics.tmHeight + metrics.tmExternalLeading : kFallbackLineHeight;
}

void ScrollTextArea(int direction) {
    SendMessageA(Ui().hwndTextArea, WM_VSCROLL, direction < 0 ? SB_PAGEUP : SB_PAGEDOWN, 0);
}

void FrameControl(HDC dc, int x, int y, int width, int height, HBRUSH inner) {
    // Each border is one pixel at 96 DPI, made of as many one-pixel rings as
    // the DPI asks for.
    const int thickness = std::max(ScaleToDpi(1), 1);
    for (int ring = 1; ring <= 2 * thickness; ++ring) {
        RECT rect{x - ring, y - ring, x + width + ring, y + height + ring};
        FrameRect(dc, &rect, ring <= thickness ? inner : Ui().brFrame);
    }
}
