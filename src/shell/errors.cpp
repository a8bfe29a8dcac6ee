// The error dialog, the two message boxes and the data paths.
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdarg>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>

#include "draw/display.h"
#include "platform/win/win.h"
#include "shell/shell.h"

namespace krSystem {

namespace {

constexpr size_t kTextSize = 256;
constexpr const char* kErrorTitle = "エラー発生";
constexpr const char* kMessageTitle = "メッセージ";

// Paths get buffers that hold any path the system allows.
constexpr size_t kPathSize = PATH_MAX;

struct PathState {
    char dataPath[kPathSize];
    char lastDirectoryName[kPathSize];
    char dataRoot[kPathSize];
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
    {"再生できないWAVE形式です", "cannot play the sound's format"},
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

// Drops a UTF-8 character that a cut left incomplete at the end of the text.
void DropSplitCharacter(char* text) {
    const size_t length = std::strlen(text);
    size_t lead = length;
    while (lead > 0 && length - lead < 4 &&
           (static_cast<unsigned char>(text[lead - 1]) & 0xC0) == 0x80)
        --lead;
    if (lead == 0) return;
    const auto first = static_cast<unsigned char>(text[lead - 1]);
    const size_t needed = first >= 0xF0 ? 4 : first >= 0xE0 ? 3 : first >= 0xC0 ? 2 : 1;
    if (length - (lead - 1) < needed) text[lead - 1] = '\0';
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
    DropSplitCharacter(text);
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
    DropSplitCharacter(text);
    ShowGdiSurface();
    krSound::Beep();
    win::MessageBox(krSystemState.windowHandle, text, kErrorTitle,
                    MB_OK | MB_ICONEXCLAMATION | MB_SYSTEMMODAL);
    return 0;
}

// The directory of a path, with its trailing slash.
std::string DirectoryOf(const std::string& path) {
    return path.substr(0, path.rfind('/') + 1);
}

// Data files sit beside the program in its build folder; an installed program, with its data in
// share/<program name>/ beside its bin/ folder, has none beside it.
std::string LoadingFolder(const std::string& programPath) {
    const std::filesystem::path program(programPath);
    const std::filesystem::path prefix = program.parent_path().parent_path();
    const std::string installed = (prefix / "share" / program.filename()).string() + "/";
    std::error_code error;
    if (installed.size() < kPathSize && std::filesystem::is_directory(installed, error)) {
        return installed;
    }
    return DirectoryOf(programPath);
}

// The last directory name of a path that ends in a slash, with that slash; empty at the root.
void TakeLastDirectoryName(const char* directory) {
    paths.lastDirectoryName[0] = '\0';
    for (ptrdiff_t i = static_cast<ptrdiff_t>(std::strlen(directory)) - 2; i >= 0; --i) {
        if (directory[i] == '/') {
            std::snprintf(paths.lastDirectoryName, kPathSize, "%s", directory + i + 1);
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

std::string ProgramPath() {
    char path[kPathSize];
    if (win::GetModuleFileName(krSystemState.instanceHandle, path, kPathSize) == 0) return {};
    return path;
}

char* GetDataPath(int32_t useDataRoot) {
    const std::optional<std::string> folder = DataFolder(useDataRoot != 0);
    // Only the data root can make a folder too long for the buffer; no file can be opened there.
    const std::string& text = folder.value_or("");
    std::memcpy(paths.dataPath, text.c_str(), text.size() + 1);
    return paths.dataPath;
}

std::optional<std::string> DataFolder(bool useDataRoot) {
    const std::string program = ProgramPath();
    if (DirectoryOf(program).empty()) return std::nullopt;
    // The data-root file overrides the installed folder as it overrides the program's own.
    if (!useDataRoot || paths.dataRoot[0] == '\0') return LoadingFolder(program);
    TakeLastDirectoryName(DirectoryOf(program).c_str());
    std::string folder = std::string(paths.dataRoot) + "/" + paths.lastDirectoryName;
    if (folder.size() >= kPathSize) return std::nullopt;
    return folder;
}

void LoadDataRoot(const char* fileName) {
    paths.dataRoot[0] = '\0';
    char directory[kPathSize];
    if (win::GetWindowsDirectory(directory, kPathSize) == 0) return;
    std::string path = directory;
    if (path.size() > 1) path += '/';
    path += fileName != nullptr ? fileName : "";
    std::FILE* file = std::fopen(path.c_str(), "rt");
    if (file == nullptr) return;
    char line[kPathSize];
    const bool read = std::fgets(line, kPathSize, file) != nullptr;
    const bool whole = read && (std::strchr(line, '\n') != nullptr || std::feof(file));
    std::fclose(file);
    // An empty file, or a line too long for any path, is treated as no file.
    if (!whole) return;
    size_t length = std::strlen(line);
    if (length > 0 && line[length - 1] == '\n') line[--length] = '\0';
    if (length > 0 && line[length - 1] == '\r') line[--length] = '\0';  // written elsewhere
    if (length > 0 && line[length - 1] == '/') line[--length] = '\0';
    std::memcpy(paths.dataRoot, line, length + 1);
}

}  // namespace krSystem
