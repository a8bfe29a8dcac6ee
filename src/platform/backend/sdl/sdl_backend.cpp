#include "platform/backend/sdl/sdl_backend.h"

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>
#include <thread>
#include <utility>

#include "platform/backend/sdl/frame_pacer.h"
#include "platform/dd/dd.h"
#include "platform/win/events.h"
#include "platform/win/resources.h"

namespace sdl {

namespace {

// Boxes are not shown, only answered (for tests under a virtual display, where a real box would
// wait for a click nobody gives); the shell's line on standard error tells what they said.
bool QuietBoxes() {
    const char* quiet = std::getenv("KIRVA_QUIET_BOXES");
    return quiet != nullptr && quiet[0] != '\0' && quiet[0] != '0';
}

Uint32 SdlFormat(const pixels::Format& format) {
    if (format == pixels::kRgb565) return SDL_PIXELFORMAT_RGB565;
    if (format == pixels::kRgb555) return SDL_PIXELFORMAT_RGB555;
    return SDL_PIXELFORMAT_RGB888;
}

int64_t MonotonicMicros() {
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return std::chrono::duration_cast<std::chrono::microseconds>(now).count();
}

// The shell has written its own line about the box on standard error already.
int AnswerWithoutScreen(UINT type) {
    return (type & MB_TYPEMASK) == MB_YESNO ? IDNO : IDOK;
}

// Without a display SDL falls back to drivers that show nothing, and a program would run
// unseen. Unless SDL_VIDEODRIVER chooses, only the displays the environment names are tried.
bool ChooseVideoDrivers() {
    const char* chosen = std::getenv("SDL_VIDEODRIVER");
    if (chosen != nullptr && chosen[0] != '\0') return true;
    std::string drivers;
    for (const auto& [variable, driver] :
         {std::pair{"DISPLAY", "x11"}, {"WAYLAND_DISPLAY", "wayland"}}) {
        const char* value = std::getenv(variable);
        if (value == nullptr || value[0] == '\0') continue;
        if (!drivers.empty()) drivers += ',';
        drivers += driver;
    }
    if (drivers.empty()) return false;
    SDL_SetHint(SDL_HINT_VIDEODRIVER, drivers.c_str());
    return true;
}

class SdlBackend final : public backend::Backend {
  public:
    // The video subsystem is left to the end of the process: quitting it unloads the X
    // libraries, and what they still hold then can no longer be told from a leak of ours.
    ~SdlBackend() override {
        DestroyRenderer();
        if (window_ != nullptr) SDL_DestroyWindow(window_);
    }

    bool CreateWindow(const backend::WindowSpec& request) override {
        if (!StartVideo()) return false;
        Uint32 flags = SDL_WINDOW_HIDDEN;
        if (request.popup) flags |= SDL_WINDOW_FULLSCREEN_DESKTOP | SDL_WINDOW_BORDERLESS;
        window_ = SDL_CreateWindow(request.title, request.x, request.y, request.width,
                                   request.height, flags);
        popup_ = request.popup;
        // The renderer now: some drivers recreate the window for it, which must happen before
        // anybody sees the window.
        if (window_ != nullptr) CreateRenderer();
        return window_ != nullptr;
    }

    void SetIcon(const win::Resource& bitmap) override {
        if (window_ == nullptr) return;
        SDL_Surface* icon = SDL_LoadBMP_RW(SDL_RWFromConstMem(bitmap.data, int(bitmap.size)), 1);
        if (icon == nullptr) return;
        SDL_SetColorKey(icon, SDL_TRUE, SDL_MapRGB(icon->format, 0, 0, 0));
        SDL_SetWindowIcon(window_, icon);
        SDL_FreeSurface(icon);
    }

    void ShowWindow(bool visible) override {
        if (window_ == nullptr) return;
        if (visible) {
            SDL_ShowWindow(window_);
            SDL_RaiseWindow(window_);
        } else {
            SDL_HideWindow(window_);
        }
    }

    void SetTopmost() override {
        if (window_ != nullptr) SDL_SetWindowAlwaysOnTop(window_, SDL_TRUE);
    }

    void MinimizeWindow() override {
        if (window_ != nullptr) SDL_MinimizeWindow(window_);
    }

    void DestroyWindow() override {
        DestroyRenderer();
        if (window_ != nullptr) SDL_DestroyWindow(window_);
        window_ = nullptr;
    }

    void PumpEvents() override {
        if (!videoReady_) return;
        SDL_Event event;
        while (SDL_PollEvent(&event))
            Translate(event);
    }

    void WaitEvent() override {
        // A short timeout lets messages posted from other threads through.
        if (videoReady_) SDL_WaitEventTimeout(nullptr, 10);
    }

    uint32_t TickCount() override { return backend::RealTickCount(); }

    int MessageBox(const char* text, const char* caption, UINT type) override {
        if (QuietBoxes() || !StartVideo()) return AnswerWithoutScreen(type);
        const bool yesNo = (type & MB_TYPEMASK) == MB_YESNO;
        const SDL_MessageBoxButtonData okButton[] = {
            {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT | SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT,
             IDOK, "OK"}};
        const SDL_MessageBoxButtonData yesNoButtons[] = {
            {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, IDNO, "いいえ"},
            {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, IDYES, "はい"}};
        const Uint32 icon =
            (type & 0xF0) == MB_ICONQUESTION ? SDL_MESSAGEBOX_INFORMATION : SDL_MESSAGEBOX_WARNING;
        const SDL_MessageBoxData box{
            icon, window_, caption, text, yesNo ? 2 : 1, yesNo ? yesNoButtons : okButton, nullptr};
        int answer = 0;
        if (SDL_ShowMessageBox(&box, &answer) != 0) return AnswerWithoutScreen(type);
        return answer == IDYES || answer == IDNO || answer == IDOK ? answer : (yesNo ? IDNO : IDOK);
    }

    void Beep() override { std::cerr << '\a' << std::flush; }

    int DesktopWidth() override { return DesktopMode().w; }
    int DesktopHeight() override { return DesktopMode().h; }
    int DesktopBits() override {
        const int bits = int(SDL_BITSPERPIXEL(DesktopMode().format));
        return bits == 24 ? 32 : bits;  // a 24-bit X visual is 32 bits a pixel in memory
    }

    void ClientPosition(int& x, int& y) override {
        x = y = 0;
        if (window_ != nullptr) SDL_GetWindowPosition(window_, &x, &y);
    }

    void SetCursorVisible(bool visible) override {
        if (StartVideo()) SDL_ShowCursor(visible ? SDL_ENABLE : SDL_DISABLE);
    }

    bool CursorPosition(int& x, int& y) override {
        if (!StartVideo()) return false;
        SDL_GetGlobalMouseState(&x, &y);
        return true;
    }

    bool WarpCursor(int x, int y) override {
        return StartVideo() && SDL_WarpMouseGlobal(x, y) == 0;
    }

    bool ConfineCursor(const RECT* rect) override {
        if (window_ == nullptr) return false;
        SDL_SetWindowGrab(window_, rect != nullptr ? SDL_TRUE : SDL_FALSE);
        return true;
    }

    void Present(const pixels::View& picture) override {
        if (!PrepareTexture(picture)) return;
        SDL_UpdateTexture(texture_, nullptr, picture.data, picture.pitch);
        SDL_RenderClear(renderer_);
        SDL_RenderCopy(renderer_, texture_, nullptr, nullptr);
        WaitForRefresh();
        SDL_RenderPresent(renderer_);
    }

    void SetFramePacing(bool paced) override {
        paced_ = paced;
        if (renderer_ != nullptr) {
            SDL_RenderSetVSync(renderer_, paced ? 1 : 0);
            StartPacer();
        }
    }

    backend::JoystickAnswer ReadJoystick(unsigned index,
                                         backend::JoystickReading& reading) override {
        return sdl::ReadJoystick(index, reading);
    }
    bool RestartJoysticks() override { return sdl::RestartJoysticks(); }

    int64_t CalendarTime() override { return backend::RealCalendarTime(); }
    const char* ModulePath() override { return backend::ExecutablePath(); }

  private:
    // The picture's own format in a streaming texture; the logical size keeps its aspect and
    // letterboxes it, nearest sampling keeps its pixels sharp.
    bool PrepareTexture(const pixels::View& picture) {
        if (renderer_ == nullptr) return false;
        if (!sized_ && !popup_) {
            // A window's client area is the picture's size.
            SDL_SetWindowSize(window_, picture.width, picture.height);
            sized_ = true;
        }
        const Uint32 format = SdlFormat(picture.format);
        if (texture_ != nullptr && (textureWidth_ != picture.width ||
                                    textureHeight_ != picture.height || textureFormat_ != format)) {
            SDL_DestroyTexture(texture_);
            texture_ = nullptr;
        }
        if (texture_ == nullptr) {
            texture_ = SDL_CreateTexture(renderer_, format, SDL_TEXTUREACCESS_STREAMING,
                                         picture.width, picture.height);
            if (texture_ == nullptr) return false;
            textureWidth_ = picture.width;
            textureHeight_ = picture.height;
            textureFormat_ = format;
            SDL_RenderSetLogicalSize(renderer_, picture.width, picture.height);
        }
        return true;
    }

    void CreateRenderer() {
        SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "nearest");
        renderer_ = SDL_CreateRenderer(window_, -1, paced_ ? SDL_RENDERER_PRESENTVSYNC : 0);
        sized_ = false;
        if (renderer_ != nullptr) StartPacer();
    }

    // Full screen and in a window alike: the game's motion is counted in frames.
    void StartPacer() {
        SDL_RendererInfo info{};
        const bool vsync = SDL_GetRendererInfo(renderer_, &info) == 0 &&
                           (info.flags & SDL_RENDERER_PRESENTVSYNC) != 0;
        SDL_DisplayMode mode{};
        const int display = SDL_GetWindowDisplayIndex(window_);
        const int refresh =
            display >= 0 && SDL_GetCurrentDisplayMode(display, &mode) == 0 ? mode.refresh_rate : 0;
        pacer_.Start(paced_, vsync, refresh);
        if (pacer_.Timing()) SDL_RenderSetVSync(renderer_, 0);
    }

    void WaitForRefresh() {
        const bool timing = pacer_.Timing();
        const int64_t delay = pacer_.DelayBefore(MonotonicMicros());
        if (pacer_.Timing() != timing) SDL_RenderSetVSync(renderer_, 0);
        if (delay > 0) std::this_thread::sleep_for(std::chrono::microseconds(delay));
    }

    void DestroyRenderer() {
        if (texture_ != nullptr) SDL_DestroyTexture(texture_);
        if (renderer_ != nullptr) SDL_DestroyRenderer(renderer_);
        texture_ = nullptr;
        renderer_ = nullptr;
    }

    // The renderer lost its device: the display's surfaces are lost with it. (A reset of render
    // targets alone loses nothing: the picture is uploaded afresh at every presentation.)
    void LoseDisplay() {
        if (texture_ != nullptr) {
            SDL_DestroyTexture(texture_);
            texture_ = nullptr;
        }
        dd::LoseAllSurfaces();
    }

    // Tried once; a failure is told in one line.
    bool StartVideo() {
        if (videoTried_) return videoReady_;
        videoTried_ = true;
        videoReady_ = ChooseVideoDrivers() && SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
        if (!videoReady_) {
            const char* path = backend::ExecutablePath();
            const char* slash = std::strrchr(path, '/');
            std::cerr << (slash != nullptr ? slash + 1 : path) << ": no display could be opened\n";
        }
        return videoReady_;
    }

    SDL_DisplayMode DesktopMode() {
        SDL_DisplayMode mode{SDL_PIXELFORMAT_RGB888, 640, 480, 0, nullptr};
        if (StartVideo()) SDL_GetDesktopDisplayMode(0, &mode);
        return mode;
    }

    void Translate(const SDL_Event& event) {
        switch (event.type) {
            case SDL_KEYDOWN:
            case SDL_KEYUP:
                if (int key = VirtualKeyFromSdl(event.key.keysym.sym)) {
                    win::NotifyKey(key, event.type == SDL_KEYDOWN, event.key.repeat != 0);
                }
                break;
            case SDL_MOUSEMOTION:
                win::NotifyMouseMove(event.motion.x, event.motion.y);
                break;
            case SDL_MOUSEBUTTONDOWN:
            case SDL_MOUSEBUTTONUP:
                TranslateButton(event.button);
                break;
            case SDL_WINDOWEVENT:
                TranslateWindowEvent(event.window);
                break;
            case SDL_QUIT:
                win::NotifyCloseRequest();
                break;
            case SDL_RENDER_DEVICE_RESET:
                LoseDisplay();
                break;
            default:
                break;
        }
    }

    static void TranslateButton(const SDL_MouseButtonEvent& button) {
        if (button.button != SDL_BUTTON_LEFT && button.button != SDL_BUTTON_RIGHT) return;
        win::NotifyMouseMove(button.x, button.y);
        win::NotifyMouseButton(
            button.button == SDL_BUTTON_LEFT ? win::MouseButton::Left : win::MouseButton::Right,
            button.type == SDL_MOUSEBUTTONDOWN, button.clicks == 2);
    }

    static void TranslateWindowEvent(const SDL_WindowEvent& window) {
        switch (window.event) {
            case SDL_WINDOWEVENT_FOCUS_GAINED:
                win::NotifyActivation(true);
                break;
            case SDL_WINDOWEVENT_FOCUS_LOST:
                win::NotifyActivation(false);
                break;
            case SDL_WINDOWEVENT_MOVED:
                win::NotifyMoved(window.data1, window.data2);
                break;
            case SDL_WINDOWEVENT_CLOSE:
                win::NotifyCloseRequest();
                break;
            default:
                break;
        }
    }

    SDL_Window* window_ = nullptr;
    bool popup_ = false;
    bool sized_ = false;
    SDL_Renderer* renderer_ = nullptr;
    SDL_Texture* texture_ = nullptr;
    int textureWidth_ = 0, textureHeight_ = 0;
    Uint32 textureFormat_ = 0;
    bool videoTried_ = false, videoReady_ = false;
    bool paced_ = true;
    FramePacer pacer_;
};

}  // namespace

backend::Backend& Instance() {
    static SdlBackend instance;
    return instance;
}

}  // namespace sdl
