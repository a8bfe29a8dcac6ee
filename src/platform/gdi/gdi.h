#pragma once
// Device contexts that draw into pixel memory, memory bitmaps and the GDI calls the framework
// makes. A surface's GetDC makes a context over its locked pixels.
#include "platform/win/types.h"

#include "platform/pixels/pixels.h"
#include "platform/win/win.h"

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

// Pens: width 0 is one pixel; round caps and joins. Only solid, null and inside-frame pens.
inline constexpr int PS_SOLID = 0;
inline constexpr int PS_NULL = 5;
inline constexpr int PS_INSIDEFRAME = 6;
HPEN CreatePen(int style, int width, COLORREF colour);

// Brushes. Hatches are 8 by 8 patterns anchored at the surface's origin.
inline constexpr UINT BS_SOLID = 0;
inline constexpr UINT BS_NULL = 1;
inline constexpr UINT BS_HATCHED = 2;
inline constexpr int HS_HORIZONTAL = 0;
inline constexpr int HS_VERTICAL = 1;
inline constexpr int HS_FDIAGONAL = 2;
inline constexpr int HS_BDIAGONAL = 3;
inline constexpr int HS_CROSS = 4;
inline constexpr int HS_DIAGCROSS = 5;
struct LOGBRUSH {
    UINT lbStyle;
    COLORREF lbColor;
    uintptr_t lbHatch;
};
HBRUSH CreateBrushIndirect(const LOGBRUSH* brush);
HBRUSH CreateSolidBrush(COLORREF colour);
HBRUSH CreateHatchBrush(int hatch, COLORREF colour);

inline constexpr int WHITE_BRUSH = 0;
inline constexpr int BLACK_BRUSH = 4;
inline constexpr int NULL_BRUSH = 5;
inline constexpr int WHITE_PEN = 6;
inline constexpr int BLACK_PEN = 7;
inline constexpr int NULL_PEN = 8;
inline constexpr int SYSTEM_FONT = 13;
inline constexpr int DEFAULT_GUI_FONT = 17;
HGDIOBJ GetStockObject(int index);

// Context state.
inline constexpr int TRANSPARENT = 1;
inline constexpr int OPAQUE = 2;
inline constexpr int ALTERNATE = 1;
inline constexpr int WINDING = 2;
COLORREF SetTextColor(HDC dc, COLORREF colour);  // each gives the previous value
COLORREF SetBkColor(HDC dc, COLORREF colour);
int SetBkMode(HDC dc, int mode);
int SetPolyFillMode(HDC dc, int mode);

// Shapes, with the right and bottom edges excluded and the end point of a line not drawn.
BOOL MoveToEx(HDC dc, int x, int y, POINT* previous);
BOOL LineTo(HDC dc, int x, int y);
BOOL Rectangle(HDC dc, int left, int top, int right, int bottom);
BOOL Polygon(HDC dc, const POINT* points, int count);
BOOL PolyBezier(HDC dc, const POINT* points, DWORD count);  // count is 1 + 3 per curve
BOOL InvertRect(HDC dc, const RECT* rect);                  // NOT of the colour bits

// Fonts. Text is UTF-8; a face name holds up to 31 bytes. Face "標準ゴシック" is IPAGothic,
// "標準明朝" IPAMincho, and an empty name a Japanese-capable default.
inline constexpr LONG FW_DONTCARE = 0;
inline constexpr LONG FW_NORMAL = 400;
inline constexpr LONG FW_BOLD = 700;
inline constexpr BYTE SHIFTJIS_CHARSET = 128;
struct LOGFONT {
    LONG lfHeight;  // > 0 cell height, < 0 character height, 0 default; in pixels
    LONG lfWidth;
    LONG lfEscapement;  // tenths of a degree, counter-clockwise
    LONG lfOrientation;
    LONG lfWeight;
    BYTE lfItalic, lfUnderline, lfStrikeOut, lfCharSet;
    BYTE lfOutPrecision, lfClipPrecision, lfQuality, lfPitchAndFamily;
    char lfFaceName[32];
};
static_assert(sizeof(LOGFONT) == 60);
HFONT CreateFontIndirect(const LOGFONT* font);

// (x, y) is the top-left corner of the text's cell; length counts bytes. An opaque background
// fills the text's advance width by the cell height.
BOOL TextOut(HDC dc, int x, int y, const char* text, int length);

inline constexpr UINT DT_LEFT = 0x0000;
inline constexpr UINT DT_CENTER = 0x0001;
inline constexpr UINT DT_RIGHT = 0x0002;
inline constexpr UINT DT_WORDBREAK = 0x0010;
inline constexpr UINT DT_NOCLIP = 0x0100;
inline constexpr UINT DT_CALCRECT = 0x0400;
inline constexpr UINT DT_NOPREFIX = 0x0800;
// Length -1 means zero-terminated. The height of the text, or 0.
int DrawText(HDC dc, const char* text, int length, RECT* rect, UINT format);

}  // namespace gdi
