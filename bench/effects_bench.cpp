// The software effects on a 640 by 480 display of 16-bit pixels: alpha blends of a sprite and
// of the whole screen, a turned and zoomed sprite, and the in-place blur of the whole screen.
#include <benchmark/benchmark.h>

#include <kr/kr.h>

#include "headless_program.h"

namespace {

int32_t object = 0;

void OpenDisplay() {
    krDraw::Screen(640, 480);
    object = krDraw::CreateObject();
    // Something to blend: coloured boxes on the object and on the Back surface.
    krDraw::Box(0, 0, 640, 480, RGB(200, 90, 30), RGB(255, 255, 255), 3);
    krDraw::GrabScreen(object, 0, 0, 640, 480);
    krDraw::Box(0, 0, 640, 480, RGB(20, 90, 230), RGB(0, 0, 0), 5);
    krSystemState.scene = 1;
}

void EmptyFrame() {}

template <class Effect>
void Run(benchmark::State& state, Effect effect) {
    bench::StartHeadlessProgram(OpenDisplay, EmptyFrame);
    for (auto _ : state)
        benchmark::DoNotOptimize(effect());
    bench::QuitHeadlessProgram();
}

void BM_BlendAlpha64(benchmark::State& state) {
    Run(state, [] { return krDraw::BlendAlpha(300, 200, 0.4f, object, 0, 0, 64, 64); });
}

void BM_BlendAlphaFullScreen(benchmark::State& state) {
    Run(state, [] { return krDraw::BlendAlpha(0, 0, 0.4f, object, 0, 0, 640, 480); });
}

void BM_RotateZoom64(benchmark::State& state) {
    int32_t angle = 0;
    Run(state, [&angle] {
        angle = (angle + 7) % 360;
        return krDraw::RotateZoom(288, 208, 352, 272, angle, 1.3f, object, 0, 0, 64, 64);
    });
}

void BM_BlurFullScreen(benchmark::State& state) {
    Run(state, [] { return krDraw::Blur(0, 0, 640, 480); });
}

}  // namespace

BENCHMARK(BM_BlendAlpha64);
BENCHMARK(BM_BlendAlphaFullScreen)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RotateZoom64);
BENCHMARK(BM_BlurFullScreen)->Unit(benchmark::kMillisecond);
