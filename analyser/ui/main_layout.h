#pragma once
// Where the main window's controls go when the window is moved or sized:
// the buttons keep their distances from the right and bottom edges, the list
// takes the rest, and the window never gets smaller than 300 by 236 pixels.
#include <array>

namespace corv {

inline constexpr int kMainMinWidth = 300;
inline constexpr int kMainMinHeight = 236;

struct WindowSize {
    int width;
    int height;
};

// The size the window must be given, or its own when it is large enough.
WindowSize atLeastMinimum(WindowSize window);

enum class MainControl { Add, Delete, ClearList, Analyse, Properties, Exit, Convert, FileList };

struct ControlPlace {
    MainControl control;
    int left;
    int top;
    int width; // only the list is sized; 0 for the buttons, which keep theirs
    int height;
};

// For a client area of width W and height H.
std::array<ControlPlace, 8> mainLayout(int clientWidth, int clientHeight);

} // namespace corv
