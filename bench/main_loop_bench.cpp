// The shell's own cost per frame: one pass of the main loop running an empty scene.
#include <benchmark/benchmark.h>

#include "platform/backend/headless/headless.h"
#include "shell/shell.h"

namespace {

void EmptyFrame() {}
void StartScene() {
    krSystemState.scene = 1;
}

void BM_LoopPassEmptyFrame(benchmark::State& state) {
    headless::Install();
    headless::SetBoxEcho(false);
    krSystem::ResetForNextRun();
    krSystem::RegisterClient(StartScene, {{1, EmptyFrame}});
    krSystem::StartUp(nullptr, "", SW_SHOWNORMAL);
    for (auto _ : state) {
        headless::AdvanceClock(16);
        benchmark::DoNotOptimize(krSystem::RunLoopPass());
    }
    krSystem::Quit();
    while (krSystem::RunLoopPass()) {
    }
}
BENCHMARK(BM_LoopPassEmptyFrame);

}  // namespace
