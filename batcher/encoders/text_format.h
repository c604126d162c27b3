#pragma once
// The flag words of the batcher's texts, beside the printf-style formatting.
#include "platform/text_format.h"

namespace corv {

// "Yes"/"No" and "On"/"Off" for a flag byte: any value but 0 counts as set.
inline const char* yesNo(unsigned char flag) {
    return flag ? "Yes" : "No";
}
inline const char* onOff(unsigned char flag) {
    return flag ? "On" : "Off";
}

} // namespace corv
