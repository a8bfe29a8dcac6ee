#pragma once
// Pictures written as PNG files (through cairo), 8 bits a channel whatever their format.
#include <string>

#include "platform/pixels/pixels.h"

namespace pixels {

// 0 when written, else the errno of the failure; with mustBeNew, a file that exists already
// is left alone and answers EEXIST.
int WritePng(const View& picture, const std::string& path, bool mustBeNew);

}  // namespace pixels
