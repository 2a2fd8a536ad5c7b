#pragma once
// The settings the Smith chart and Capacitors windows keep in their sections ("Smith",
// "Caps"): position and size, visibility, status bar and read-out mode, trail length, window
// style and trace colour. One routine for both directions; a loaded value out of its range
// keeps the current one, and a loaded position is pulled back onto the screen. A window that
// has no place of its own yet saves none.

#include "platform/Color.h"

#include <string>

class CRegistry;

class CChartSettings {
public:
    static constexpr int StyleNormal = 0;
    static constexpr int StyleStayOnTop = 3;
    static constexpr int ScreenMargin = 100; // pixels of the window kept on the screen

    int Top = 0;
    int Left = 0;
    // Top and Left are the window's own place: loaded from the settings, or given when it was
    // first shown. Without one no place is saved, and the window opens beside the main window.
    bool PlaceStored = false;
    int Width = 0;
    int Height = 0;
    bool Visible = false;
    bool StatusVisible = true;
    int StatusMode = 0;
    int Samples = 1;
    int Style = StyleStayOnTop;
    TColor Color = clBlue;

    // Keys "Top", "Left", "Width", "Height", "Visible", "Status", "StatusMode", "Samples",
    // "Style", "Color" of section; modeCount read-out modes are valid.
    void Exchange(CRegistry& store, const std::string& section, int modeCount, int screenWidth,
                  int screenHeight);
    // A loaded position: above the screen's size less the margin it is pulled back to that,
    // below 0 (a screen that is gone) to 0.
    static int PullBack(int value, int screenSize);
    // The window's title, or header + " - " + title when the header is not empty.
    static std::string Caption(const std::string& header, const std::string& title);
    // The title a window is given where the platform shows the program's caption after each
    // window's own: a leading "header - " that the program's caption begins with too is left
    // out, so that the header shows once ("Capacitors" beside "Bench A - Vantrel Orrery").
    static std::string BesideProgram(const std::string& caption, const std::string& programCaption);
};
