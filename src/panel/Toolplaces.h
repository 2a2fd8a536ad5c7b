#pragma once
// Where the main window and its tool windows open the first time, before a stored position (or
// a window manager) places them.
//
// The main window opens at its place with its first size grown to what its controls need, and
// both kept within the screen.
//
// Each tool window is placed when it is first shown, beside the main window as it is then: the
// Smith chart, Capacitors and traffic-log windows to its right by preference, the tuning, model
// and logging windows below it; failing that below or to the right, then to its left, each in a
// free place clear of the tool windows already open. Where the screen has no such room, the
// window goes over the main window's middle, between its tool bar and its status bar, cascading
// a title bar's height below and right of the windows open there. No first place covers the
// main window's menu bar, tool bar or status bar, nor the title bar of an open tool window; the
// open windows that stay on top leave the new one's title bar uncovered, or where the screen
// has no room for that, at least TitleShown pixels of it; each is on the screen. A window
// taller than the room between the main window's bars is given that room's height.
//
// A message box opened while another is open goes beside it, so that both can be read.

#include <vector>

struct SPlace {
    int Left = 0;
    int Top = 0;
    int Width = 0;
    int Height = 0;
    int Right() const { return Left + Width; }
    int Bottom() const { return Top + Height; }
    // True when the two share a pixel; places that only touch edge to edge do not.
    bool Intersects(const SPlace& other) const;
    bool operator==(const SPlace&) const = default;
};

namespace toolplaces {

enum Window { Smith, Caps, Tuning, Model, TrafficLog, Logging, Count };
constexpr int Gap = 8;            // pixels between two windows
constexpr int CascadeStep = 32;   // a title bar's height, and more
constexpr int DefaultTitleBar = 24; // a title bar's height where the frame does not tell it
constexpr int TitleShown = 120;     // of a title bar partly under a window that stays on top

// The main window's frame and the bands at its top (menu bar and tool bar) and bottom (status
// bar) that no tool window may cover, in pixels from the frame's edges, and the height of a
// window's title bar.
struct SMainFrame {
    SPlace Frame;
    int TopBars = 0;
    int BottomBars = 0;
    int TitleBar = DefaultTitleBar;
};

// A tool window that is open: its frame, and whether it stays on top of the others.
struct SOpenWindow {
    SPlace Frame;
    bool OnTop = false;
};

// The strip at the top of a window's frame that holds its title bar.
SPlace TitleStrip(const SPlace& frame, int titleBar);

// The first place of one window of a size (its Left and Top are not used) within the screen's
// free area, with the windows that are open now.
SPlace FirstPlace(Window window, const SMainFrame& main, const SPlace& size, bool onTop,
                  const std::vector<SOpenWindow>& open, const SPlace& screen);

// A window to be placed in turn with others: which it is, its frame's size (Left and Top not
// used), the least height its frame may have, and whether it stays on top of the others.
struct SToPlace {
    Window Which = Smith;
    SPlace Size;
    int MinHeight = 0;
    bool OnTop = false;
};

// The first places of windows shown one after the other, in that order: each where FirstPlace
// puts it, clear of the windows that were open before them and of those placed before it here.
// A window given less height than it has keeps at least its least height.
std::vector<SPlace> PlacesInTurn(const SMainFrame& main, const std::vector<SToPlace>& windows,
                                 std::vector<SOpenWindow> open, const SPlace& screen);

// Whether a window stays on top of the others, as the program creates it: all but the traffic
// log and the model window.
bool StaysOnTop(Window window);

// The main window's first frame: the wanted one grown to the needed size, no larger than the
// screen, and moved onto the screen where it would reach past it.
SPlace MainFirstPlace(const SPlace& wanted, int neededWidth, int neededHeight, const SPlace& screen);

// Where a message box of a size goes while another one is open: below it, else above it, else
// to its right or left, on the screen; where none of those fits, a title bar's height below and
// right of it.
SPlace BesideBox(const SPlace& open, const SPlace& size, const SPlace& screen);

} // namespace toolplaces
