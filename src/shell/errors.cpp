// The error dialog, the two message boxes and the data paths.
#include <cctype>
#include <cerrno>
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

// The framework's box texts in English, for the line on standard error.
struct EnglishText {
    const char* message;
    const char* english;
};
constexpr EnglishText kEnglish[] = {
    {"BMPファイルを読み込めません", "cannot load picture"},
    {"Xファイルを読み込めません", "cannot load model"},
    {"テクスチャーを読み込めません", "cannot load texture"},
    {"WAVEリソースが見つかりません", "cannot load sound"},
    {"ファイル名またはリソース名が長すぎます", "file or resource name too long"},
    {"オブジェクト数が多すぎます", "too many objects"},
    {"スプライトを作成できません", "cannot create a sprite"},
    {"ウェイトNoが範囲外です", "wait number out of range"},
    {"ライトNoが範囲外です", "light number out of range"},
    {"ライト方向が異常です", "light direction is not valid"},
    {"カメラNoが範囲外です", "camera number out of range"},
    {"Direct3Dが使用できません", "no 3D device"},
    {"サウンドバッファが生成できません", "cannot create a sound buffer"},
    {"DirectDrawが使用できません", "no display device"},
    {"フルスクリーン化できません", "cannot take the full screen"},
    {"解像度が変更できません", "cannot change the display mode"},
    {"スプライト(Front)が生成できません", "cannot create the front surface"},
    {"スプライト(Back)が取得できません", "cannot get the back surface"},
    {"スプライト(Buffer)が生成できません", "cannot create the buffer surface"},
    {"スプライト(Screen)が生成できません", "cannot create the screen surface"},
    {"ピクセル情報が取得できません", "cannot read the pixel format"},
    {"スプライト(3D)が生成できません", "cannot create the 3D surface"},
    {"スプライト(Z Buffer)が生成できません", "cannot create the depth buffer"},
    {"スプライト(Z Buffer)に接続できません", "cannot attach the depth buffer"},
};

// A client's own text stays as it is.
const char* English(const char* message) {
    for (const EnglishText& text : kEnglish) {
        if (std::strcmp(text.message, message) == 0) return text.english;
    }
    return message;
}

// Why a file did not load, as far as the file system tells.
std::string FileProblem(const char* path) {
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(path, error);
    if (status.type() == std::filesystem::file_type::not_found) return "no such file";
    if (std::filesystem::is_directory(status)) return "is a folder";
    if (std::FILE* file = std::fopen(path, "rb")) {
        std::fclose(file);
        return "not in a form it can read";
    }
    std::string reason = std::strerror(errno);
    if (!reason.empty()) reason[0] = static_cast<char>(std::tolower(reason[0]));
    return reason;
}

// One line on standard error for every box, so that somebody at a terminal sees it too.
void WriteLine(const std::string& text) {
    std::fprintf(stderr, "%s: %s\n", program_invocation_short_name, text.c_str());
}

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
    WriteLine(text);
    Append(text, kTextSize, "\r\n");
    ShowGdiSurface();
    return win::MessageBox(krSystemState.windowHandle, text, kMessageTitle, style);
}

int32_t ShowErrorBox(const char* operation, const char* message) {
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
    WriteLine(std::string(operation) + ": " + English(message));
    return ShowErrorBox(operation, message);
}

int32_t FileErrorBox(const char* operation, const char* message, const char* path) {
    WriteLine(std::string(English(message)) + " \"" + path + "\": " + FileProblem(path));
    return ShowErrorBox(operation, message);
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
