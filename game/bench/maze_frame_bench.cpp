// One whole frame of the maze game with its presentation, on the headless backend.
#include <benchmark/benchmark.h>

#include "headless_program.h"
#include "maze_scene.h"

namespace {

void BM_MazeFrame(benchmark::State& state) {
    bench::StartHeadlessProgram(MazeInit, MazeFrame, KR_DATA_DIR "kirva");
    for (auto _ : state) {
        MazeFrame();
        headless::AdvanceClock(16);
    }
    bench::QuitHeadlessProgram();
    MazeRelease();
}
BENCHMARK(BM_MazeFrame)->Unit(benchmark::kMicrosecond);

}  // namespace
