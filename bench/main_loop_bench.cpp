// The shell's own cost per frame: one pass of the main loop running an empty scene.
#include <benchmark/benchmark.h>

#include "headless_program.h"

namespace {

void EmptyFrame() {}
void StartScene() {
    krSystemState.scene = 1;
}

void BM_LoopPassEmptyFrame(benchmark::State& state) {
    bench::StartHeadlessProgram(StartScene, EmptyFrame);
    for (auto _ : state) {
        headless::AdvanceClock(16);
        benchmark::DoNotOptimize(krSystem::RunLoopPass());
    }
    bench::QuitHeadlessProgram();
}
BENCHMARK(BM_LoopPassEmptyFrame);

}  // namespace
