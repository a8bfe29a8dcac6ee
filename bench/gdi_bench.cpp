// Device-context drawing at frame rate: the frame-rate line and the overlay's shapes.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include <kr/kr.h>

#include "headless_program.h"
#include "platform/gdi/gdi.h"

namespace {

struct Back {
    std::vector<uint8_t> memory = std::vector<uint8_t>(640 * 480 * 2);
    pixels::View view{memory.data(), 640 * 2, 640, 480, pixels::kRgb565};
};

gdi::LOGFONT Overlay() {
    gdi::LOGFONT font{};
    font.lfHeight = 12;
    font.lfWeight = gdi::FW_NORMAL;
    font.lfCharSet = gdi::SHIFTJIS_CHARSET;
    std::strcpy(font.lfFaceName, "標準ゴシック");
    return font;
}

// One text scope as the framework opens it every frame: context, font, colours, one line.
void TextScope(const pixels::View& view, const char* line) {
    HDC dc = gdi::CreateSurfaceDC(view);
    const gdi::LOGFONT description = Overlay();
    HFONT font = gdi::CreateFontIndirect(&description);
    HGDIOBJ previous = gdi::SelectObject(dc, font);
    gdi::SetTextColor(dc, RGB(255, 255, 255));
    gdi::SetBkColor(dc, RGB(0, 0, 128));
    gdi::TextOut(dc, 0, 0, line, static_cast<int>(std::strlen(line)));
    gdi::SelectObject(dc, previous);
    gdi::DeleteObject(font);
    gdi::DeleteSurfaceDC(dc);
}

void BM_GdiTextLine(benchmark::State& state) {
    Back back;
    for (auto _ : state)
        TextScope(back.view, "60.0 fps ( max 61.5 / min 59.5 ) 12345678");
}
BENCHMARK(BM_GdiTextLine);

// A new string every frame: layout and rendering without the cache.
void BM_GdiTextLineChanging(benchmark::State& state) {
    Back back;
    char line[64];
    int frame = 0;
    for (auto _ : state) {
        std::snprintf(line, sizeof line, "%d polygons ( %d polygons per second )", frame,
                      frame * 60);
        ++frame;
        TextScope(back.view, line);
    }
}
BENCHMARK(BM_GdiTextLineChanging);

void BM_GdiMapBox(benchmark::State& state) {
    Back back;
    for (auto _ : state) {
        HDC dc = gdi::CreateSurfaceDC(back.view);
        HBRUSH brush = gdi::CreateSolidBrush(RGB(0, 0, 0));
        HPEN pen = gdi::CreatePen(gdi::PS_SOLID, 2, RGB(255, 255, 255));
        HGDIOBJ oldBrush = gdi::SelectObject(dc, brush);
        HGDIOBJ oldPen = gdi::SelectObject(dc, pen);
        gdi::Rectangle(dc, 500, 120, 600, 220);
        gdi::SelectObject(dc, oldPen);
        gdi::DeleteObject(pen);
        gdi::SelectObject(dc, oldBrush);
        gdi::DeleteObject(brush);
        gdi::DeleteSurfaceDC(dc);
    }
}
BENCHMARK(BM_GdiMapBox);

void OpenDisplayAndStartSceneOne() {
    krDraw::Screen(640, 480);
    krSystemState.scene = 1;
}

void EmptyFrame() {}

// The frame-rate line through krFont onto the 640 by 480 5-6-5 Back surface.
void BM_ShowFps(benchmark::State& state) {
    bench::StartHeadlessProgram(OpenDisplayAndStartSceneOne, EmptyFrame);
    for (auto _ : state) {
        headless::AdvanceClock(16);
        krDraw::ShowFps();
    }
    bench::QuitHeadlessProgram();
}
BENCHMARK(BM_ShowFps);

}  // namespace
