#pragma once
// The showcase's demonstrations: each runs for a number of frames under its caption.
#include <cstdint>

namespace showcase {

// Registers the client: scene 1 runs the demonstrations one after another, then closes.
void Register();
// After a frame: the file name (without extension) for the picture that frame is worth keeping
// as, or null. Cleared by the next frame.
const char* PictureDue();
bool Finished();

}  // namespace showcase
