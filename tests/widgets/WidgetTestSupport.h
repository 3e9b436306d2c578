// Test support for the widget tests: pixels read from a window's DC, PNGs
// of what a person would see, and a host dialog to put controls in.
#pragma once

#include <windows.h>

#include "classlib/ClassLib.h"

#include <functional>
#include <string>
#include <vector>

namespace widgettest {

// A copy of a window's client area (BitBlt from its window DC), 32-bit, top-down.
class Capture {
public:
    explicit Capture(HWND hwnd);
    int Width() const { return m_w; }
    int Height() const { return m_h; }
    // The colour at (x, y) of the client area, as a COLORREF; CLR_INVALID outside.
    COLORREF At(int x, int y) const;
    // Saves it as build/screenshots/<name>.png; false when it could not be written.
    bool SavePng(const std::string& name) const;

private:
    int m_w = 0, m_h = 0;
    std::vector<DWORD> m_px;   // 0x00RRGGBB
};

// Captures the window and saves it under build/screenshots/.
bool Screenshot(HWND hwnd, const std::string& name);

// Pumps this thread's messages until `done` holds or `ms` pass; returns `done()`.
bool PumpUntil(const std::function<bool()>& done, DWORD ms = 20000);
// Handles every message now in the queue (paints included).
void PumpPending();

// A plain top-level dialog built from an in-memory template, with a font,
// shown at (x, y) of the screen in the given client size.
HWND CreateHostDialog(int cx, int cy, int x = 40, int y = 40, const char* title = "widgets");

// The same as a class-library dialog, so that the controls put in it get
// their notifications reflected (owner drawing, colours, clicks).
class HostDialog : public CDialog {
public:
    ~HostDialog() override;
    explicit HostDialog(int cx = 300, int cy = 200, int x = 40, int y = 40, const char* title = "widgets");
    // Commands the dialog received, in order (id, code).
    std::vector<std::pair<UINT, UINT>> commands;
    // Messages of the WM_APP range it received.
    std::vector<MSG> appMessages;
    BOOL OnWndMsg(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
};

// The cursor put on (x, y) of the window's client area, and the window told so.
void HoverOver(CWnd& w, int x, int y);
// The cursor taken far from the window, and the window told so.
void MoveMouseAway(CWnd& w);

// Three components of a COLORREF, for messages.
std::string Rgb(COLORREF c);

} // namespace widgettest
