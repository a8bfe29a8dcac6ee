// The frame-rate line and the overlay text style.
#include "draw/frame_rate.h"

#include <kr/draw_gdi.h>
#include <kr/font.h>

#include <cstdarg>
#include <cstdio>

#include "platform/win/win.h"

namespace krDraw {

namespace {

constexpr int32_t kMostFrames = 999;
constexpr uint32_t kSampleMilliseconds = 2000;

void SampleIfDue() {
    if (win::GetTickCount() < frameRate.deadline) return;
    frameRate.current = static_cast<float>(frameRate.frames) / 2.0f;
    if (frameRate.current > frameRate.maximum) frameRate.maximum = frameRate.current;
    if (frameRate.current > 0.0f && frameRate.current < frameRate.minimum) {
        frameRate.minimum = frameRate.current;
    }
    frameRate.deadline = win::GetTickCount() + kSampleMilliseconds;
    frameRate.frames = 0;
}

// White on an opaque dark blue box, face 1 at 12 pixels.
void OverlayText(int32_t x, int32_t y, const char* text) {
    krFont::Begin(1, 12, 0, 0, 0, 0);
    krFont::SetColor(RGB(255, 255, 255), RGB(0, 0, 128), 0);
    krFont::Print(x, y, text);
    krFont::End();
}

}  // namespace

FrameRateState StartingFrameRate() {
    return {0, win::GetTickCount(), 0.0f, 0.0f, 99.9f, ""};
}

FrameRateState frameRate = StartingFrameRate();

void ShowFps() {
    SampleIfDue();
    if (++frameRate.frames > kMostFrames) frameRate.frames = kMostFrames;
    std::snprintf(frameRate.line, sizeof frameRate.line, "%3.1f fps ( max %3.1f / min %3.1f )",
                  static_cast<double>(frameRate.current), static_cast<double>(frameRate.maximum),
                  static_cast<double>(frameRate.minimum));
    OverlayText(0, 0, frameRate.line);
}

void ShowText(int32_t x, int32_t y, const char* text) {
    if (text != nullptr) OverlayText(x, y, text);
}

void ShowTextFormat(int32_t x, int32_t y, const char* format, ...) {
    if (format == nullptr) return;
    char text[256];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(text, sizeof text, format, arguments);
    va_end(arguments);
    OverlayText(x, y, text);
}

}  // namespace krDraw
