#include "analyser/ui/main_layout.h"

#include <algorithm>

namespace corv {

WindowSize atLeastMinimum(WindowSize window) {
    return {std::max(window.width, kMainMinWidth), std::max(window.height, kMainMinHeight)};
}

std::array<ControlPlace, 8> mainLayout(int w, int h) {
    return {{
        {MainControl::Add, w - 100, 10, 0, 0},
        {MainControl::Delete, w - 100, 45, 0, 0},
        {MainControl::ClearList, w - 100, 80, 0, 0},
        {MainControl::Analyse, w - 100, 115, 0, 0},
        {MainControl::Properties, w - 100, 150, 0, 0},
        {MainControl::Exit, 25, h - 30, 0, 0},
        {MainControl::Convert, w - 183, h - 30, 0, 0},
        {MainControl::FileList, 25, 10, w - 140, h - 60},
    }};
}

} // namespace corv
