// The public calls of <kr/headless.h>, over the headless backend.
#include <kr/headless.h>

#include "platform/backend/headless/headless.h"
#include "platform/backend/headless/headless_audio.h"
#include "platform/dd/dd.h"

namespace krHeadless {

void Install(uint32_t clockStart) {
    headless::Install(clockStart);
    headless::CloseOnStopSignals();
    headless::UseManualAudio();
}

void SetProgramPath(const char* path) {
    headless::SetModulePath(path);
}

void SetBoxEcho(bool echo) {
    headless::SetBoxEcho(echo);
}

void SetClock(uint32_t milliseconds) {
    headless::SetClock(milliseconds);
}

void AdvanceClock(uint32_t milliseconds) {
    headless::AdvanceClock(milliseconds);
}

uint32_t Clock() {
    return headless::Clock();
}

void PressKey(int32_t virtualKey) {
    headless::PressKey(virtualKey);
}

void ReleaseKey(int32_t virtualKey) {
    headless::ReleaseKey(virtualKey);
}

void LoseSurfaces() {
    dd::LoseAllSurfaces();
}

int32_t PresentCount() {
    return headless::PresentCount();
}

void KeepPictures(bool keep) {
    headless::KeepPictures(keep);
}

double LastPresentSeconds() {
    return headless::LastPresentSeconds();
}

bool WritePicture(const char* pngPath) {
    return headless::WritePicturePng(pngPath);
}

COLORREF PictureColour(int32_t x, int32_t y) {
    const headless::Picture& picture = headless::LastPicture();
    if (x < 0 || y < 0 || x >= picture.width || y >= picture.height) return RGB(0, 0, 0);
    return picture.At(x, y);
}

}  // namespace krHeadless
