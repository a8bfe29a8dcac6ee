// The presentation: the screen transitions, the overlay page over its drifting tiles, and the
// move of the Back surface to the screen by a page flip or one copy.
#include <algorithm>

#include "draw/display.h"
#include "platform/crt/crt.h"
#include "platform/pixels/png.h"

krDrawPresentationRecord krDrawPresentation;

namespace krDraw {

namespace {

constexpr int32_t kMaskSteps = 10;
constexpr int32_t kMaskCellWidth = 64, kMaskCellHeight = 48;
constexpr int32_t kMaskCells = 10;
constexpr int32_t kTileWidth = 64, kTileHeight = 48;
constexpr int32_t kTiles = 11;
constexpr float kTileDrift = 10.0f;
constexpr float kScrollSlow = 100.0f, kScrollFast = 300.0f;
// A flip that keeps failing for other reasons than loss is given up for this frame.
constexpr int kFlipAttempts = 100;

void DrawMaskFrame(int32_t step) {
    const int32_t left = (step - 1) * kMaskCellWidth;
    for (int32_t column = 0; column < kMaskCells; ++column)
        for (int32_t row = 0; row < kMaskCells; ++row)
            PutObject(column * kMaskCellWidth, row * kMaskCellHeight, krDrawPresentation.maskObject,
                      left, 0, left + kMaskCellWidth, kMaskCellHeight);
}

void PutSnapshot(int32_t x, int32_t y, int32_t left, int32_t top, int32_t right, int32_t bottom) {
    PutObjectSolid(x, y, kScreenObject, left, top, right, bottom);
}

// Kinds 3 and 4 shake each row or band sideways less and less as the run nears its end.
int32_t ShakeOffset(int32_t length, int32_t step) {
    const int32_t range = 2 * (length - step) + 2;
    if (range <= 0) return 0;  // a step past the length: no shake rather than a zero divisor
    return crt::rand() % range - (length - step + 1);
}

void DrawRowDissolve(int32_t step, int32_t length, bool shaken) {
    const int32_t width = krSystemState.screenWidth, height = krSystemState.screenHeight;
    for (int32_t y = 0; y < height; ++y) {
        if (y % step == 0) continue;
        PutSnapshot(shaken ? ShakeOffset(length, step) : 0, y, 0, y, width, y + 1);
    }
}

void DrawBands(int32_t step, int32_t length, bool shaken) {
    const int32_t width = krSystemState.screenWidth, height = krSystemState.screenHeight;
    for (int32_t y = 0; y < height; y += length)
        PutSnapshot(shaken ? ShakeOffset(length, step) : 0, y, 0, y, width, y + step + 1);
}

void DrawSnapshot(int32_t kind, int32_t step) {
    const int32_t width = krSystemState.screenWidth, height = krSystemState.screenHeight;
    const int32_t length = krDrawPresentation.transitionLength;
    if (length < 1) return;  // the kinds need a length of at least 1
    const int32_t k = length - step + 1;
    const int32_t halfWidth = width / 2, halfHeight = height / 2;
    switch (kind) {
        case 1:
        case 3:
            DrawRowDissolve(step, length, kind == 3);
            break;
        case 2:
        case 4:
            DrawBands(step, length, kind == 4);
            break;
        case 5:
            PutSnapshot(0, (-height / length) * k, 0, 0, width, height);
            break;
        case 6:
            PutSnapshot(0, (height / length) * k, 0, 0, width, height);
            break;
        case 7:
            PutSnapshot((-width / length) * k, 0, 0, 0, width, height);
            break;
        case 8:
            PutSnapshot((width / length) * k, 0, 0, 0, width, height);
            break;
        case 9:
            PutSnapshot(0, (-halfHeight / length) * k, 0, 0, width, halfHeight);
            PutSnapshot(0, halfHeight + (halfHeight / length) * k, 0, halfHeight, width, height);
            break;
        case 10:
            PutSnapshot((-halfWidth / length) * k, 0, 0, 0, halfWidth, height);
            PutSnapshot(halfWidth + (halfWidth / length) * k, 0, halfWidth, 0, width, height);
            break;
        case 11:
            PutSnapshot(0, 0, 0, 0, (width / length) * step, height);
            break;
        case 12:
            PutSnapshot((width / length) * k, 0, (width / length) * k, 0, width, height);
            break;
        default:
            break;
    }
}

void DrawTransition() {
    krDrawPresentationRecord& presentation = krDrawPresentation;
    const int32_t step = presentation.transitionStep;
    if (step == 0) return;
    if (presentation.transitionKind == 0) {
        DrawMaskFrame(step);
    } else if (presentation.transitionKind >= 1 && presentation.transitionKind <= 12) {
        DrawSnapshot(presentation.transitionKind, step);
    }
    presentation.transitionStep += presentation.transitionDirection;
    const int32_t next = presentation.transitionStep;
    const int32_t direction = presentation.transitionDirection;
    if ((direction == -1 && next < 1) || (direction == 1 && next > kMaskSteps)) {
        presentation.transitionStep = 0;
        presentation.transitionDirection = 0;
    }
}

void DrawTiles() {
    krDrawPresentationRecord& presentation = krDrawPresentation;
    const auto offsetX = static_cast<int32_t>(presentation.tileOffsetX);
    const auto offsetY = static_cast<int32_t>(presentation.tileOffsetY);
    for (int32_t column = 0; column < kTiles; ++column)
        for (int32_t row = 0; row < kTiles; ++row)
            PutObject(column * kTileWidth + offsetX, row * kTileHeight + offsetY,
                      presentation.backgroundObject, 0, 0, kTileWidth, kTileHeight);
    presentation.tileOffsetX -= krSystemState.frameSeconds * kTileDrift;
    presentation.tileOffsetY -= krSystemState.frameSeconds * kTileDrift;
    if (presentation.tileOffsetX <= -kTileWidth) presentation.tileOffsetX += kTileWidth;
    if (presentation.tileOffsetY <= -kTileHeight) presentation.tileOffsetY += kTileHeight;
}

float ScrollSpeed(int32_t key) {
    switch (key) {
        case VK_UP:
            return -kScrollSlow;
        case VK_LEFT:
            return -kScrollFast;
        case VK_DOWN:
            return kScrollSlow;
        case VK_RIGHT:
            return kScrollFast;
        default:
            return 0.0f;
    }
}

void DrawOverlay() {
    krDrawPresentationRecord& presentation = krDrawPresentation;
    if (presentation.overlayShown == 0) return;
    DrawTiles();
    const auto top = static_cast<int32_t>(presentation.scrollPosition);
    PutObject(clip.left, clip.top, presentation.pageObject, 0, top, clip.right - clip.left,
              top + clip.bottom - clip.top);
    presentation.scrollPosition +=
        krSystemState.frameSeconds * ScrollSpeed(krSystemState.overlayKey);
    if (presentation.scrollPosition < 0.0f) presentation.scrollPosition = 0.0f;
    const int32_t lowest = presentation.pageHeight - (clip.bottom - clip.top);
    if (static_cast<float>(lowest) < presentation.scrollPosition) {
        presentation.scrollPosition = static_cast<float>(lowest);
    }
}

void PresentByFlip() {
    for (int attempt = 0; attempt < kFlipAttempts; ++attempt) {
        const HRESULT result = display.front->Flip(nullptr, dd::DDFLIP_WAIT);
        if (result == dd::DD_OK) return;
        if (result == dd::DDERR_SURFACELOST) RestoreAll();
    }
}

void PresentByCopy() {
    const RECT whole{0, 0, krSystemState.screenWidth, krSystemState.screenHeight};
    if (display.front->BltFast(krSystemState.windowX, krSystemState.windowY, display.back, &whole,
                               dd::DDBLTFAST_WAIT) == dd::DDERR_SURFACELOST) {
        RestoreAll();
    }
}

}  // namespace

void Flip() {
    DrawTransition();
    DrawOverlay();
    if (display.front == nullptr || display.back == nullptr) return;
    if (krSystemState.fullScreen == 1 && display.accelerator == 1) {
        PresentByFlip();
    } else {
        PresentByCopy();
    }
}

bool ScreenPicture(pixels::View* picture) {
    if (display.front == nullptr) return false;
    *picture = display.front->Pixels();
    picture->width = std::min(picture->width, krSystemState.screenWidth);
    picture->height = std::min(picture->height, krSystemState.screenHeight);
    return picture->width > 0 && picture->height > 0;
}

int32_t WritePicture(const char* pngPath) {
    pixels::View picture{};
    if (pngPath == nullptr || !ScreenPicture(&picture)) return 0;
    return pixels::WritePng(picture, pngPath, false) == 0 ? 1 : 0;
}

void LoadMask(const char* name) {
    SetColorKey(RGB(0, 0, 0));
    krDrawPresentation.maskObject = LoadObject(name);
}

namespace {

// Object 0 is the Buffer object, which a failed load leaves as the number: load anew, never swap
// into it.
void LoadOrSwap(const char* name, int32_t& object) {
    if (object == 0) {
        object = LoadObject(name);
    } else {
        SwapObject(name, object);
    }
}

}  // namespace

void LoadOverlay(const char* pageName, const char* backgroundName, int32_t pageHeight) {
    krDrawPresentationRecord& presentation = krDrawPresentation;
    SetColorKey(RGB(0, 0, 0));
    LoadOrSwap(pageName, presentation.pageObject);
    LoadOrSwap(backgroundName, presentation.backgroundObject);
    presentation.scrollPosition = 0.0f;
    presentation.pageHeight = pageHeight;
}

void ToggleOverlay() {
    krDrawPresentationRecord& presentation = krDrawPresentation;
    if (presentation.overlayShown != 0) {
        presentation.overlayShown = 0;
    } else if (presentation.pageHeight != 0) {
        presentation.overlayShown = 1;
    }
}

void TransitionOut() {
    krDrawPresentation.transitionStep = 1;
    krDrawPresentation.transitionDirection = 1;
}

void TransitionIn() {
    krDrawPresentation.transitionStep = 10;
    krDrawPresentation.transitionDirection = -1;
}

}  // namespace krDraw
