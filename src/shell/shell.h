#pragma once
// The shell's own pieces that the framework's other modules and the tests use.
#include <kr/kr.h>

#include <optional>
#include <string>

namespace krSystem {

// The error box about a file: the box as ErrorBox shows it, and on standard error the file's
// path and why it did not load.
int32_t FileErrorBox(const char* operation, const char* message, const char* path);

// The executable's path; empty when the platform cannot give it whole.
std::string ProgramPath();

// The folder that GetDataPath names, with its trailing slash; none when the path is too long for
// any file.
std::optional<std::string> DataFolder(bool useDataRoot);

// The screenshot key set by SetScreenshotKey, as a key message or a key code; its press writes
// the picture to the pictures folder and says where on standard error.
bool IsScreenshotKey(const MSG& message);
bool IsScreenshotKey(WPARAM virtualKey);
void TakeScreenshot();

// The client size of a windowed program.
inline constexpr int32_t kWindowedWidth = 640;
inline constexpr int32_t kWindowedHeight = 480;

}  // namespace krSystem
