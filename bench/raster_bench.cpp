// Speed of our software rasterizer.
#include <benchmark/benchmark.h>

#include <vector>

#include "platform/rm/raster.h"

namespace {

constexpr int32_t kWidth = 640, kHeight = 480;

// Two Gouraud triangles with depth covering a 640 by 480, 5-6-5 target.
void BM_RasterGouraudZFullScreen(benchmark::State& state) {
    std::vector<uint16_t> colour(size_t(kWidth) * kHeight), depth(size_t(kWidth) * kHeight, 0xFFFF);
    const rm::raster::Target target{
        {reinterpret_cast<uint8_t*>(colour.data()), kWidth * 2, kWidth, kHeight, pixels::kRgb565},
        depth.data(),
        kWidth,
        0,
        0,
        kWidth,
        kHeight};
    using V = rm::raster::Vertex;
    const V topLeft{0, 0, 0.2f, 1, 255, 0, 0, 0, 0}, topRight{kWidth, 0, 0.4f, 1, 0, 255, 0, 0, 0};
    const V bottomLeft{0, kHeight, 0.6f, 1, 0, 0, 255, 0, 0};
    const V bottomRight{kWidth, kHeight, 0.8f, 1, 255, 255, 255, 0, 0};
    const rm::raster::State gouraud;
    for (auto _ : state) {
        rm::raster::DrawTriangle(target, gouraud, topLeft, topRight, bottomRight);
        rm::raster::DrawTriangle(target, gouraud, topLeft, bottomRight, bottomLeft);
        benchmark::DoNotOptimize(colour.data());
    }
    state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
    state.counters["pixels_per_second"] = benchmark::Counter(
        double(state.iterations()) * kWidth * kHeight, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_RasterGouraudZFullScreen);

}  // namespace
