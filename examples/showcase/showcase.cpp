// Draws every demonstration with the framework's public interface only; its pictures are drawn
// at start-up with the GDI calls and grabbed into objects.
#include "showcase.h"

#include <kr/kr.h>

#include <cstdio>
#include <iterator>

namespace showcase {

namespace {

constexpr int32_t kWidth = 640, kHeight = 480;
constexpr int32_t kSpriteWidth = 128, kSpriteHeight = 96;
constexpr int32_t kTileWidth = 64, kTileHeight = 48;
constexpr int32_t kFrameWait = 1;
constexpr int32_t kFrameMilliseconds = 33;

int32_t sprite = 0, tile = 0, page = 0, scenery = 0;
int32_t demo = 0, frame = 0;
bool finished = false;
char pictureName[64] = "";

void Caption(const char* text) {
    krFont::Begin(1, 20, 0, 1, 0, 0);
    krFont::SetColor(RGB(255, 255, 255), RGB(0, 0, 64), 0);
    krFont::Print(8, 452, text);
    krFont::End();
}

void DrawSpritePicture() {
    krDraw::Clear();
    krDraw::Box(8, 8, 72, 72, RGB(220, 40, 40), RGB(255, 255, 255), 3);
    const POINT diamond[] = {{96, 4}, {124, 48}, {96, 92}, {68, 48}};
    krDraw::Polygon(diamond, 4, RGB(40, 120, 255), RGB(250, 220, 40), 2, 1);
    krDraw::Line(4, 90, 124, 60, RGB(40, 230, 90), 5);
    krFont::Begin(1, 28, 0, 1, 0, 0);
    krFont::SetColor(RGB(255, 255, 0), RGB(0, 0, 0), 1);
    krFont::Print(20, 24, "KR");
    krFont::End();
    krDraw::GrabScreen(sprite, 0, 0, kSpriteWidth, kSpriteHeight);
}

void DrawTilePicture() {
    krDraw::Clear();
    krDraw::Box(0, 0, kTileWidth, kTileHeight, RGB(30, 60, 110), RGB(90, 140, 220), 2);
    krDraw::Box(20, 14, 44, 34, RGB(200, 200, 60), RGB(90, 140, 220), 1);
    krDraw::GrabScreen(tile, 0, 0, kTileWidth, kTileHeight);
}

void DrawPagePicture() {
    krDraw::Clear();
    krFont::Begin(1, 24, 0, 1, 0, 0);
    krFont::SetColor(RGB(255, 255, 255), RGB(0, 0, 0), 1);
    for (int32_t line = 0; line < 12; ++line) {
        char text[64];
        std::snprintf(text, sizeof text, "Overlay page, line %d", static_cast<int>(line + 1));
        krFont::Print(180, 30 + line * 36, text);
    }
    krFont::End();
    krDraw::GrabScreen(page, 0, 0, kWidth, kHeight);
}

// The scene behind the effects: coloured bands and boxes.
void Backdrop(int32_t shade) {
    for (int32_t band = 0; band < 8; ++band) {
        const auto level = static_cast<uint8_t>(band * 24 + shade);
        const auto blue = static_cast<uint8_t>(120 - band * 10);
        krDraw::Box(0, band * 60, kWidth, band * 60 + 60, RGB(level, 40, blue),
                    RGB(level, 40, blue), 1);
    }
    for (int32_t i = 0; i < 5; ++i)
        krDraw::Box(40 + i * 120, 80, 120 + i * 120, 160, RGB(230, 230, 230), RGB(0, 0, 0), 2);
}

void OtherBackdrop() {
    krDraw::Box(0, 0, kWidth, kHeight, RGB(20, 110, 60), RGB(20, 110, 60), 1);
    krDraw::Box(160, 120, 480, 360, RGB(250, 200, 60), RGB(255, 255, 255), 4);
}

void PutSpriteCentred() {
    krDraw::PutObject(256, 192, sprite, 0, 0, kSpriteWidth, kSpriteHeight);
}

using Draw = void (*)(int32_t frame);

struct Demo {
    const char* name;
    const char* caption;
    int32_t frames;
    Draw draw;
    int32_t kind;  // a transition or wipe kind
};

int32_t currentKind = 0;

void Transition(int32_t at) {
    if (at == 0) {
        Backdrop(0);
        PutSpriteCentred();
        krDraw::GrabScreen(krDraw::kScreenObject, 0, 0, kWidth, kHeight);
        krDrawPresentation.transitionKind = currentKind;
        krDrawPresentation.transitionLength = 10;
        krDraw::TransitionIn();
    }
    OtherBackdrop();
}

void Overlay(int32_t at) {
    if (at == 0) {
        krDrawPresentation.pageObject = page;
        krDrawPresentation.backgroundObject = tile;
        krDrawPresentation.pageHeight = kHeight;
        krDraw::ToggleOverlay();
    }
    Backdrop(0);
}

void Wave(int32_t) {
    Backdrop(0);
    krDraw::WaveObject(256, 192, 16, 1, 360.0f, sprite, 0, 0, kSpriteWidth, kSpriteHeight, false);
}

void WaveAlternating(int32_t) {
    Backdrop(0);
    krDraw::WaveObject(256, 192, 12, 2, 180.0f, sprite, 0, 0, kSpriteWidth, kSpriteHeight, true);
}

void Tiles(int32_t) {
    krDraw::ScrollTiles(60.0f, 40.0f, tile, 0, 0, kTileWidth, kTileHeight);
}

void WaveScroll(int32_t) {
    Backdrop(0);
    krDraw::WaveScrollObject(256, 192, 10, 1, 240.0f, 60.0f, sprite, 0, 0, kSpriteWidth,
                             kSpriteHeight);
}

void Band(int32_t) {
    Backdrop(0);
    krDraw::WaveBand(100, 380, 20, 2, 120.0f, 40.0f, tile, 0, 0, kTileWidth, kTileHeight);
}

void Blocks(int32_t at) {
    Backdrop(0);
    krDraw::BlockRows(256, 192, 2 + at / 6, sprite, 0, 0, kSpriteWidth, kSpriteHeight);
}

void Drum(int32_t) {
    Backdrop(0);
    krDraw::DrumObject(256, 192, 1, 40.0f, sprite, 0, 0, kSpriteWidth, kSpriteHeight);
}

// The wipe cuts only clipped blits, so the scene comes from an object onto black.
void Wipe(int32_t at) {
    if (at == 0) krDraw::StartWipe(currentKind > 9 ? 1 : 0, (currentKind - 1) % 9 + 1, 300.0f, 40);
    krDraw::UpdateWipe();
    krDraw::Clear();
    krDraw::PutObjectSolid(0, 0, scenery, 0, 0, kWidth, kHeight);
    PutSpriteCentred();
}

// Lets a running wipe finish; a closed clip is given back by an opening that ends at once.
void EndWipe() {
    while (krDraw::UpdateWipe() != 0) {
    }
    krDraw::StartWipe(0, 7, 1.0e6f, 0);
    while (krDraw::UpdateWipe() != 0) {
    }
}

template <int32_t (*Effect)(int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t)>
void Plain(int32_t) {
    Backdrop(0);
    Effect(256, 192, sprite, 0, 0, kSpriteWidth, kSpriteHeight);
}

void Alpha(int32_t at) {
    Backdrop(0);
    krDraw::BlendAlpha(256, 192, static_cast<float>(at % 24) / 23.0f, sprite, 0, 0, kSpriteWidth,
                       kSpriteHeight);
}

void Channels(int32_t) {
    Backdrop(0);
    krDraw::PutChannels(200, 192, 1, 0, 0, sprite, 0, 0, kSpriteWidth, kSpriteHeight);
    krDraw::PutChannels(340, 192, 0, 1, 1, sprite, 0, 0, kSpriteWidth, kSpriteHeight);
}

void Bright(int32_t at) {
    Backdrop(0);
    krDraw::PutBright(200, 192, 0.5f, sprite, 0, 0, kSpriteWidth, kSpriteHeight);
    krDraw::PutBrightRGB(340, 192, 1.0f, static_cast<float>(at) / 48.0f, 0.3f, sprite, 0, 0,
                         kSpriteWidth, kSpriteHeight);
}

void BlockBlur(int32_t at) {
    Backdrop(0);
    krDraw::PutBlur(256, 192, 1 + at / 4, sprite, 0, 0, kSpriteWidth, kSpriteHeight);
}

void Ripple(int32_t at) {
    Backdrop(0);
    krDraw::PutRipple(200, 120, 40, 6 + at / 8, 1, 1.5f, 0.2f, sprite, 0, 0, kSpriteWidth,
                      kSpriteHeight);
}

void Rotate(int32_t at) {
    Backdrop(0);
    krDraw::RotateObject(80, 160, 260, 340, at * 7, sprite, 0, 0, kSpriteWidth, kSpriteHeight);
    krDraw::RotateZoom(380, 160, 560, 340, -at * 5, 0.6f + static_cast<float>(at) / 40.0f, sprite,
                       0, 0, kSpriteWidth, kSpriteHeight);
}

void RotateTiled(int32_t at) {
    krDraw::RotateTile(0, 0, 320, 440, at * 3, sprite, 0, 0, kSpriteWidth, kSpriteHeight);
    krDraw::RotateZoomTile(320, 0, 640, 440, 360 - at * 3, 0.5f, sprite, 0, 0, kSpriteWidth,
                           kSpriteHeight);
}

void Plane(int32_t at) {
    krDraw::Clear();
    krDraw::RotatePlane(0, 200, 640, 440, at * 2, 4.0f, -0.014f, 4.0f, -0.014f, 1.0f, 0.8f, 0.6f,
                        tile, 0, 0, kTileWidth, kTileHeight);
}

void Fire(int32_t at) {
    if (at == 0) krDraw::Clear();
    for (int32_t x = 0; x < kWidth; x += 16) {
        const auto heat = static_cast<uint8_t>(crt::rand() % 256);
        krDraw::Box(x, 420, x + 16, 440, RGB(255, heat, 0), RGB(255, heat, 0), 1);
    }
    krDraw::BlurUpFade(0, 1, 1, 0, 200, kWidth, 240);
    krDraw::BlurUp(0, 200, 320, 240);
}

void Soften(int32_t at) {
    if (at == 0) {
        Backdrop(0);
        PutSpriteCentred();
    }
    krDraw::Blur(0, 0, 320, 440);
    krDraw::BlurFade(1, 0, 1, 320, 0, 320, 440);
}

void Zoom(int32_t) {
    Backdrop(0);
    PutSpriteCentred();
    krDraw::Zoom2x(40, 40, 100, 80, 0);
    krDraw::Zoom4x(420, 40, 50, 40, 1);
}

void Transitions(int32_t at) {
    Transition(at);
}

constexpr Demo kDemos[] = {
    {"transition-01", "Transition kind 1", 12, Transitions, 1},
    {"transition-02", "Transition kind 2", 12, Transitions, 2},
    {"transition-03", "Transition kind 3", 12, Transitions, 3},
    {"transition-04", "Transition kind 4", 12, Transitions, 4},
    {"transition-05", "Transition kind 5", 12, Transitions, 5},
    {"transition-06", "Transition kind 6", 12, Transitions, 6},
    {"transition-07", "Transition kind 7", 12, Transitions, 7},
    {"transition-08", "Transition kind 8", 12, Transitions, 8},
    {"transition-09", "Transition kind 9", 12, Transitions, 9},
    {"transition-10", "Transition kind 10", 12, Transitions, 10},
    {"transition-11", "Transition kind 11", 12, Transitions, 11},
    {"transition-12", "Transition kind 12", 12, Transitions, 12},
    {"overlay", "Overlay page over drifting tiles", 40, Overlay, 0},
    {"wave", "WaveObject", 40, Wave, 0},
    {"wave-alternating", "WaveObject, alternating rows", 40, WaveAlternating, 0},
    {"scroll-tiles", "ScrollTiles", 40, Tiles, 0},
    {"wave-scroll", "WaveScrollObject", 40, WaveScroll, 0},
    {"wave-band", "WaveBand", 40, Band, 0},
    {"block-rows", "BlockRows", 40, Blocks, 0},
    {"drum", "DrumObject", 40, Drum, 0},
    {"wipe-open-1", "Wipe opening, kind 1 (from the bottom)", 40, Wipe, 1},
    {"wipe-open-5", "Wipe opening, kind 5 (from the middle row)", 40, Wipe, 5},
    {"wipe-open-7", "Wipe opening, kind 7 (from the centre)", 40, Wipe, 7},
    {"wipe-open-8", "Wipe opening, kind 8 (band, then wider)", 40, Wipe, 8},
    {"wipe-close-4", "Wipe closing, kind 4 (right edge leftward)", 40, Wipe, 13},
    {"wipe-close-9", "Wipe closing, kind 9 (band, then narrower)", 40, Wipe, 18},
    {"blend-half", "BlendHalf", 40, Plain<krDraw::BlendHalf>, 0},
    {"blend-alpha", "BlendAlpha", 40, Alpha, 0},
    {"blend-add", "BlendAdd", 40, Plain<krDraw::BlendAdd>, 0},
    {"blend-subtract", "BlendSubtract", 40, Plain<krDraw::BlendSubtract>, 0},
    {"channels", "PutChannels: red only, green and blue", 40, Channels, 0},
    {"bright", "PutBright 0.5 and PutBrightRGB", 40, Bright, 0},
    {"block-blur", "PutBlur", 40, BlockBlur, 0},
    {"gray", "PutGray", 40, Plain<krDraw::PutGray>, 0},
    {"ripple", "PutRipple", 40, Ripple, 0},
    {"rotate", "RotateObject and RotateZoom", 40, Rotate, 0},
    {"rotate-tile", "RotateTile and RotateZoomTile", 40, RotateTiled, 0},
    {"rotate-plane", "RotatePlane", 40, Plane, 0},
    {"blur-up", "BlurUp and BlurUpFade", 40, Fire, 0},
    {"blur", "Blur and BlurFade", 40, Soften, 0},
    {"zoom", "Zoom2x and Zoom4x", 40, Zoom, 0},
};

void Start() {
    krDraw::Screen(kWidth, kHeight);
    sprite = krDraw::CreateObject();
    tile = krDraw::CreateObject();
    page = krDraw::CreateObject();
    DrawSpritePicture();
    DrawTilePicture();
    DrawPagePicture();
    scenery = krDraw::CreateObject();
    Backdrop(0);
    krDraw::GrabScreen(scenery, 0, 0, kWidth, kHeight);
    krSystem::SetWait(kFrameWait, kFrameMilliseconds);
    krSystemState.scene = 1;
}

void NextDemo(const Demo& ended) {
    if (krDrawPresentation.overlayShown != 0) krDraw::ToggleOverlay();
    if (ended.draw == Wipe) EndWipe();
    frame = 0;
    if (++demo < static_cast<int32_t>(std::size(kDemos))) return;
    finished = true;
    krSystemState.scene = krSceneClosing;
}

void Frame() {
    pictureName[0] = '\0';
    if (finished || krSystem::IsWaitOver(kFrameWait) == 0) return;
    krSystem::SetWait(kFrameWait, kFrameMilliseconds);
    const Demo& current = kDemos[demo];
    currentKind = current.kind;
    current.draw(frame);
    Caption(current.caption);
    krDraw::Flip();
    if (frame == current.frames / 2)
        std::snprintf(pictureName, sizeof pictureName, "%s", current.name);
    if (++frame >= current.frames) NextDemo(current);
}

}  // namespace

void Register() {
    krSystem::RegisterClient(Start, {{1, Frame}});
}

const char* PictureDue() {
    return pictureName[0] != '\0' ? pictureName : nullptr;
}

bool Finished() {
    return finished;
}

}  // namespace showcase
