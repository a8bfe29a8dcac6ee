#pragma once
// krDraw: the display and its surfaces, the sprite object table, clipped blits and fills, and
// the presentation with its screen transitions and overlay page.
#include <kr/wintypes.h>

#include <cstdint>

// The presentation's state. No operation sets the transition kind or length: a client writes
// them here (kind 0 is the mask transition; kinds 1 to 12 slide or cut the Screen object).
struct krDrawPresentationRecord {
    int32_t transitionKind;
    int32_t transitionLength;
    int32_t transitionStep;       // 0 while none runs, else the step drawn next
    int32_t transitionDirection;  // +1 forward, -1 backward, 0 none
    int32_t maskObject;
    int32_t overlayShown;
    int32_t pageObject;
    int32_t backgroundObject;
    int32_t pageHeight;
    float scrollPosition;
    float tileOffsetX, tileOffsetY;
};

extern krDrawPresentationRecord krDrawPresentation;

namespace krDraw {

// Object numbers: 0 the Buffer object, 1 the Screen object, 2 to 1023 a client's.
inline constexpr int32_t kObjectSlots = 1024;
inline constexpr int32_t kBufferObject = 0;
inline constexpr int32_t kScreenObject = 1;
// The colour-key setting that takes the key from an object's top-left pixel.
inline constexpr COLORREF kCornerKey = 0xFFFFFFFF;

// Display set-up.
int32_t Screen(int32_t width, int32_t height);
void Use32Bit();
void RestoreAll();
HRESULT GetBackDC();
HRESULT ReleaseBackDC();

// Sprite objects. Names are at most 30 bytes.
int32_t LoadObject(const char* name);
int32_t CreateObject();
int32_t SwapObject(const char* name, int32_t object);
void ReleaseObject(int32_t object);
void SetColorKey(COLORREF colour);
void UseCornerKey();
HRESULT SetObjectColorKey(int32_t object, COLORREF colour);
HRESULT SetObjectCornerKey(int32_t object);
HRESULT CopyColorKey(int32_t destination, int32_t source);

// Clipped blits onto the Back surface, fills and the presentation.
void SetClip(int32_t left, int32_t top, int32_t right, int32_t bottom);
void PutObject(int32_t x, int32_t y, int32_t object, int32_t left, int32_t top, int32_t right,
               int32_t bottom);
void PutObjectSolid(int32_t x, int32_t y, int32_t object, int32_t left, int32_t top, int32_t right,
                    int32_t bottom);
void Put3D(int32_t x, int32_t y, int32_t left, int32_t top, int32_t right, int32_t bottom);
void Put3DSolid(int32_t x, int32_t y, int32_t left, int32_t top, int32_t right, int32_t bottom);
void StretchObject(int32_t x, int32_t y, int32_t object, int32_t left, int32_t top, int32_t right,
                   int32_t bottom, int32_t width, int32_t height);
// Mode 0 as is, 1 left-right, 2 upside down, 3 both.
void MirrorObject(int32_t x, int32_t y, int32_t mode, int32_t object, int32_t left, int32_t top,
                  int32_t right, int32_t bottom);
void PutRows(int32_t x, int32_t y, int32_t spacing, int32_t object, int32_t left, int32_t top,
             int32_t right, int32_t bottom);
void ShakeObject(int32_t x, int32_t y, int32_t amplitude, int32_t object, int32_t left, int32_t top,
                 int32_t right, int32_t bottom);
void Clear();
void Clear3D();
void ClearRect(int32_t left, int32_t top, int32_t right, int32_t bottom);
void ClearWhite();
void ClearRectWhite(int32_t left, int32_t top, int32_t right, int32_t bottom);
void Flip();
// Writes the picture on the screen (the screen-sized picture last presented) as a PNG file; 1
// when written, 0 before the display is open or when the file cannot be written.
int32_t WritePicture(const char* pngPath);
void LoadMask(const char* name);
void LoadOverlay(const char* pageName, const char* backgroundName, int32_t pageHeight);
void ToggleOverlay();
void TransitionOut();
void TransitionIn();

// Row effects: an object drawn row by row, each effect animating its own phase and scroll by
// the frame time. Speeds are per second.
void WaveObject(int32_t x, int32_t y, int32_t amplitude, int32_t rowsPerDegree, float speed,
                int32_t object, int32_t l, int32_t t, int32_t r, int32_t b, bool alternate);
void ScrollTiles(float speedX, float speedY, int32_t object, int32_t l, int32_t t, int32_t r,
                 int32_t b);
void WaveScrollObject(int32_t x, int32_t y, int32_t amplitude, int32_t rowsPerDegree,
                      float waveSpeed, float scrollSpeed, int32_t object, int32_t l, int32_t t,
                      int32_t r, int32_t b);
void WaveBand(int32_t top, int32_t bottom, int32_t amplitude, int32_t rowsPerDegree,
              float waveSpeed, float scrollSpeed, int32_t object, int32_t l, int32_t t, int32_t r,
              int32_t b);
void BlockRows(int32_t x, int32_t y, int32_t blockHeight, int32_t object, int32_t l, int32_t t,
               int32_t r, int32_t b);
void DrumObject(int32_t x, int32_t y, int32_t direction, float speed, int32_t object, int32_t l,
                int32_t t, int32_t r, int32_t b);

// Clip wipes. StartWipe returns 0 while a wipe runs; kind 0 picks one of 1 to 9.
int32_t StartWipe(int32_t closing, int32_t kind, float speed, int32_t band);
void CloseClip();
int32_t UpdateWipe();
// The main loop's scene change: a running wipe gives the clip rectangle back and stops.
void RestoreClipOnSceneChange();

// Software pixel effects of an object onto the Back surface, 16-bit displays only (elsewhere
// they draw nothing and return 0). 1 after drawing or when nothing is left to draw, 0 when a
// lock fails. A black source pixel is transparent except in PutRipple.
int32_t BlendHalf(int32_t x, int32_t y, int32_t object, int32_t l, int32_t t, int32_t r, int32_t b);
int32_t BlendAlpha(int32_t x, int32_t y, float alpha, int32_t object, int32_t l, int32_t t,
                   int32_t r, int32_t b);
int32_t BlendAlphaRGB(int32_t x, int32_t y, float alphaRed, float alphaGreen, float alphaBlue,
                      int32_t object, int32_t l, int32_t t, int32_t r, int32_t b);
int32_t BlendAdd(int32_t x, int32_t y, int32_t object, int32_t l, int32_t t, int32_t r, int32_t b);
int32_t BlendSubtract(int32_t x, int32_t y, int32_t object, int32_t l, int32_t t, int32_t r,
                      int32_t b);
int32_t PutChannels(int32_t x, int32_t y, int32_t keepRed, int32_t keepGreen, int32_t keepBlue,
                    int32_t object, int32_t l, int32_t t, int32_t r, int32_t b);
int32_t PutBright(int32_t x, int32_t y, float factor, int32_t object, int32_t l, int32_t t,
                  int32_t r, int32_t b);
int32_t PutBrightRGB(int32_t x, int32_t y, float factorRed, float factorGreen, float factorBlue,
                     int32_t object, int32_t l, int32_t t, int32_t r, int32_t b);
int32_t PutBlur(int32_t x, int32_t y, int32_t blockSize, int32_t object, int32_t l, int32_t t,
                int32_t r, int32_t b);
int32_t PutGray(int32_t x, int32_t y, int32_t object, int32_t l, int32_t t, int32_t r, int32_t b);
int32_t PutRipple(int32_t x, int32_t y, int32_t height, int32_t frequency, int32_t step,
                  float scale, float slant, int32_t object, int32_t l, int32_t t, int32_t r,
                  int32_t b);
// Rotations into the destination rectangle about its centre; the angle in degrees.
int32_t RotateObject(int32_t left, int32_t top, int32_t right, int32_t bottom, int32_t angle,
                     int32_t object, int32_t l, int32_t t, int32_t r, int32_t b);
int32_t RotateTile(int32_t left, int32_t top, int32_t right, int32_t bottom, int32_t angle,
                   int32_t object, int32_t l, int32_t t, int32_t r, int32_t b);
int32_t RotateZoom(int32_t left, int32_t top, int32_t right, int32_t bottom, int32_t angle,
                   float zoom, int32_t object, int32_t l, int32_t t, int32_t r, int32_t b);
int32_t RotateZoomTile(int32_t left, int32_t top, int32_t right, int32_t bottom, int32_t angle,
                       float zoom, int32_t object, int32_t l, int32_t t, int32_t r, int32_t b);
int32_t RotatePlane(int32_t left, int32_t top, int32_t right, int32_t bottom, int32_t angle,
                    float zoomX, float zoomXStep, float zoomY, float zoomYStep, float factorRed,
                    float factorGreen, float factorBlue, int32_t object, int32_t l, int32_t t,
                    int32_t r, int32_t b);

// Blend effects on a rectangle of the Back surface (16-bit displays only, as above).
int32_t BlurUp(int32_t x, int32_t y, uint32_t width, uint32_t height);
int32_t BlurUpFade(int32_t darkenRed, int32_t darkenGreen, int32_t darkenBlue, int32_t x, int32_t y,
                   uint32_t width, uint32_t height);
int32_t Blur(int32_t x, int32_t y, uint32_t width, uint32_t height);
int32_t BlurFade(int32_t darkenRed, int32_t darkenGreen, int32_t darkenBlue, int32_t x, int32_t y,
                 uint32_t width, uint32_t height);
int32_t Zoom2x(int32_t x, int32_t y, uint32_t width, uint32_t height, int32_t mode);
int32_t Zoom4x(int32_t x, int32_t y, uint32_t width, uint32_t height, int32_t mode);

}  // namespace krDraw
