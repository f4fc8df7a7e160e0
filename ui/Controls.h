// The main window's two child controls, the text area's font and the three
// colour schemes. The text area is a read-only multi-line edit control that
// word-wraps its text and scrolls when it does not fit; the answer box is an
// edit control that keeps the Enter key. Both use the text area's font.
#pragma once

#include "platform/WinApi.h"

// The feedback states whose numbers select a colour scheme.
constexpr int kSchemeCorrect = 4;
constexpr int kSchemeWrong = 5;

HWND CreateTextarea(char* text, int id, int x, int y, int width, int height, HWND parent,
                    HINSTANCE& instance);
HWND CreateTextbox(int id, int x, int y, int width, int height, HWND parent, HINSTANCE& instance);

// Makes the text area's font (12 points of "Verdana", else "Times New Roman",
// at the window's DPI Ui().iDpi) and gives it to the child `id` of `parent`;
// reports "Font creation failed!" in a box when neither exists, the control
// then keeps the system font. Returns 0.
int SetTextAreaFont(int id, HWND parent);

// Replaces brBackground, brPanel and brFrame by the scheme `scheme` selects:
// kSchemeCorrect, kSchemeWrong, any other value the neutral one. The brushes
// replaced are released.
void SetColoursCorrect(int scheme);

// Puts Ui().TextAreaText (the empty text when it is absent) into the text
// area, each line feed as the carriage return and line feed the control
// breaks lines at.
void PutTextAreaText();

// The height in pixels of one line of the text area's font (of the system
// font when there is none).
int TextLineHeight();

// Scrolls the text area by a page: up when `direction` is negative, else down.
void ScrollTextArea(int direction);

// Draws two borders round the control at (x, y) of width x height on `dc`,
// each one pixel wide at 96 DPI and scaled to Ui().iDpi: the inner one with
// `inner`, the outer one with brFrame.
void FrameControl(HDC dc, int x, int y, int width, int height, HBRUSH inner);
