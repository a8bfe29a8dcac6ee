#pragma once
// The shell's own pieces that the framework's other modules and the tests use.
#include <kr/kr.h>

namespace krSystem {

// The error box about a file: the box as ErrorBox shows it, and on standard error the file's
// path and why it did not load.
int32_t FileErrorBox(const char* operation, const char* message, const char* path);

// The client size of a windowed program.
inline constexpr int32_t kWindowedWidth = 640;
inline constexpr int32_t kWindowedHeight = 480;

}  // namespace krSystem
