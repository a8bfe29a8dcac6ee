#pragma once
// What a device context is: the window's (which only answers questions about the desktop) or
// one over pixel memory.
#include "platform/gdi/gdi.h"

namespace gdi {

struct DC {
    bool isWindow = false;
    pixels::View view{};
};

}  // namespace gdi
