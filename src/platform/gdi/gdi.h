#pragma once
// Device contexts that draw into pixel memory, memory bitmaps and the GDI calls the framework
// makes. A surface's GetDC makes a context over its locked pixels.
#include <kr/wintypes.h>

#include "platform/pixels/pixels.h"
#include "platform/win/win.h"

namespace gdi {

struct Object;  // bitmaps, pens, brushes, fonts
}  // namespace gdi
using HGDIOBJ = gdi::Object*;
using HBITMAP = gdi::Object*;
using HPEN = gdi::Object*;
using HBRUSH = gdi::Object*;
using HFONT = gdi::Object*;

namespace gdi {

// The window's context answers GetDeviceCaps for the desktop.
HDC GetDC(HWND window);
int ReleaseDC(HWND window, HDC dc);
int GetDeviceCaps(HDC dc, int index);

// A context over pixel memory that stays valid until DeleteSurfaceDC. It starts with the
// defaults of a fresh context: black pen, white brush, black text on an opaque white background.
HDC CreateSurfaceDC(const pixels::View& view);
void DeleteSurfaceDC(HDC dc);

COLORREF SetPixel(HDC dc, int x, int y, COLORREF colour);  // the colour set, or CLR_INVALID
COLORREF GetPixel(HDC dc, int x, int y);                   // CLR_INVALID outside
inline constexpr COLORREF CLR_INVALID = 0xFFFFFFFF;

// Bitmaps: from a BMP file (LR_LOADFROMFILE) or from a "BITMAP" resource of the program.
// Memory bitmaps hold 32-bit 8-8-8 pixels.
inline constexpr UINT IMAGE_BITMAP = 0;
inline constexpr UINT LR_LOADFROMFILE = 0x0010;
inline constexpr UINT LR_CREATEDIBSECTION = 0x2000;
HBITMAP LoadImage(HINSTANCE instance, const char* name, UINT type, int cx, int cy, UINT flags);

struct BITMAP {
    LONG bmType, bmWidth, bmHeight, bmWidthBytes;
    WORD bmPlanes, bmBitsPixel;
    void* bmBits;
};
// Bitmaps only: copies up to size bytes of the BITMAP record; the bytes copied, or 0.
int GetObject(HGDIOBJ object, int size, void* out);

HDC CreateCompatibleDC(HDC dc);
BOOL DeleteDC(HDC dc);
// Gives back the object of the same kind that was selected before, or null when the object
// cannot be selected (a bitmap into a context that is not a memory context).
HGDIOBJ SelectObject(HDC dc, HGDIOBJ object);
// Stock objects stay; an object still selected into a context is refused (FALSE).
BOOL DeleteObject(HGDIOBJ object);

inline constexpr DWORD SRCCOPY = 0x00CC0020;
// Nearest sampling; a negative extent mirrors. Only SRCCOPY.
BOOL StretchBlt(HDC destination, int x, int y, int width, int height, HDC source, int sourceX,
                int sourceY, int sourceWidth, int sourceHeight, DWORD rop);

}  // namespace gdi
