// The error dialog, the two message boxes and the data paths.
#include <cstdarg>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <string_view>

#include "draw/display.h"
#include "platform/win/win.h"
#include "shell/shell.h"

namespace krSystem {

namespace {

constexpr size_t kTextSize = 256;
constexpr const char* kErrorTitle = "エラー発生";
constexpr const char* kMessageTitle = "メッセージ";

struct PathState {
    char dataPath[kTextSize];
    char lastDirectoryName[kTextSize];
    char dataRoot[kTextSize];
};

PathState paths;

// Appends text, cutting at the buffer's end.
void Append(char* buffer, size_t size, const char* text) {
    const size_t used = std::strlen(buffer);
    if (used + 1 >= size) return;
    std::snprintf(buffer + used, size - used, "%s", text);
}

// A box must be seen over an exclusive full-screen display.
void ShowGdiSurface() {
    if (krDraw::display.directDraw != nullptr) krDraw::display.directDraw->FlipToGDISurface();
}

int ShowFormatted(UINT style, const char* format, va_list arguments) {
    char text[kTextSize];
    std::vsnprintf(text, kTextSize - 2, format, arguments);
    Append(text, kTextSize, "\r\n");
    ShowGdiSurface();
    return win::MessageBox(krSystemState.windowHandle, text, kMessageTitle, style);
}

// Cuts the path after its last slash, leaving the directory with its trailing slash.
void KeepDirectory(char* path) {
    for (size_t i = std::strlen(path); i > 0 && path[i - 1] != '/'; --i)
        path[i - 1] = '\0';
}

// An installed program lives in PREFIX/bin/ and its data in PREFIX/share/kirva/: found relative
// to the program, so that the installed prefix can be moved.
void UseInstalledDataFolder(char* directory) {
    constexpr std::string_view kBin = "/bin/", kShare = "../share/kirva/";
    const std::string_view path = directory;
    if (path.size() < kBin.size() || path.substr(path.size() - kBin.size()) != kBin) return;
    if (path.size() + kShare.size() >= kTextSize) return;
    const std::string installed = std::string(path) + std::string(kShare);
    std::error_code error;
    if (!std::filesystem::is_directory(installed, error)) return;
    std::memcpy(directory, installed.c_str(), installed.size() + 1);
}

// The last directory name of a path that ends in a slash, with that slash; empty at the root.
void TakeLastDirectoryName(const char* directory) {
    paths.lastDirectoryName[0] = '\0';
    for (ptrdiff_t i = static_cast<ptrdiff_t>(std::strlen(directory)) - 2; i >= 0; --i) {
        if (directory[i] == '/') {
            std::snprintf(paths.lastDirectoryName, kTextSize, "%s", directory + i + 1);
            return;
        }
    }
}

}  // namespace

int32_t ErrorBox(const char* operation, const char* message) {
    char text[kTextSize] = "";
    Append(text, kTextSize, operation);
    Append(text, kTextSize, " : ");
    Append(text, kTextSize, message);
    ShowGdiSurface();
    krSound::Beep();
    win::MessageBox(krSystemState.windowHandle, text, kErrorTitle,
                    MB_OK | MB_ICONEXCLAMATION | MB_SYSTEMMODAL);
    return 0;
}

int MessageBox(const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    const int result =
        ShowFormatted(MB_OK | MB_ICONEXCLAMATION | MB_SYSTEMMODAL, format, arguments);
    va_end(arguments);
    return result;
}

int32_t YesNoBox(const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    const int result =
        ShowFormatted(MB_YESNO | MB_ICONQUESTION | MB_SYSTEMMODAL, format, arguments);
    va_end(arguments);
    return result == IDYES ? 1 : 0;
}

char* GetDataPath(int32_t useDataRoot) {
    win::GetModuleFileName(krSystemState.instanceHandle, paths.dataPath, kTextSize);
    KeepDirectory(paths.dataPath);
    // The data-root file overrides the installed folder as it overrides the program's own.
    if (useDataRoot != 0 && paths.dataRoot[0] != '\0') {
        TakeLastDirectoryName(paths.dataPath);
        char path[kTextSize] = "";
        Append(path, kTextSize, paths.dataRoot);
        Append(path, kTextSize, "/");
        Append(path, kTextSize, paths.lastDirectoryName);
        std::memcpy(paths.dataPath, path, kTextSize);
    } else {
        UseInstalledDataFolder(paths.dataPath);
    }
    return paths.dataPath;
}

void LoadDataRoot(const char* fileName) {
    char path[kTextSize] = "";
    win::GetWindowsDirectory(path, kTextSize);
    if (std::strlen(path) > 1) Append(path, kTextSize, "/");
    Append(path, kTextSize, fileName);
    std::FILE* file = std::fopen(path, "rt");
    paths.dataRoot[0] = '\0';
    if (file == nullptr) return;
    char line[kTextSize];
    const bool read = std::fgets(line, kTextSize, file) != nullptr;
    std::fclose(file);
    if (!read) return;  // an empty file is treated as no file
    size_t length = std::strlen(line);
    if (length > 0 && line[length - 1] == '\n') line[--length] = '\0';
    if (length > 0 && line[length - 1] == '\r') line[--length] = '\0';  // written elsewhere
    if (length > 0 && line[length - 1] == '/') line[--length] = '\0';
    std::memcpy(paths.dataRoot, line, length + 1);
}

}  // namespace krSystem
