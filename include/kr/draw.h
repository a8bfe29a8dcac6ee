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
void LoadMask(const char* name);
void LoadOverlay(const char* pageName, const char* backgroundName, int32_t pageHeight);
void ToggleOverlay();
void TransitionOut();
void TransitionIn();

}  // namespace krDraw
