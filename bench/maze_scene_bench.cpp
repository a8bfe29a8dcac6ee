// One render of the maze-like scene, and the same scene on the peer renderer when it is built.
// The game's own view at a replay's frame is timed beside its peer in the game's benchmarks.
#include <benchmark/benchmark.h>

#include "bench_scene.h"
#include "scene3d/scene3d.h"
#ifdef KR_PEER
#include "gl_peer.h"
#endif

namespace {

void BM_MazeSceneRender(benchmark::State& state) {
    bench::StartMazeScene();
    for (auto _ : state) {
        bench::StepMazeScene();
        kr3D::Render();
    }
    state.counters["triangles_per_frame"] =
        double(kr3D::CountPolygons()) / double(state.iterations());
    bench::StopMazeScene();
}
BENCHMARK(BM_MazeSceneRender)->Name("BM_MazeSceneRender/synthetic")->Unit(benchmark::kMicrosecond);

#ifdef KR_PEER
// Clear, draws and the wait for the pixels, the scene read once.
void BM_PeerLlvmpipeMazeScene(benchmark::State& state) {
    bench::StartMazeScene();
    bench::StepMazeScene();
    peer::SceneData scene;
    peer::GlPeer gl;
    const bool ready =
        peer::SceneDataOf(*bench::MazeViewport(), *kr3DState.device, &scene) && gl.Open(scene);
    if (!ready) state.SkipWithError("no EGL display with OpenGL 3.3 core");
    for (auto _ : state)
        gl.Draw();
    bench::StopMazeScene();
}
BENCHMARK(BM_PeerLlvmpipeMazeScene)
    ->Name("BM_PeerLlvmpipeMazeScene/synthetic")
    ->Unit(benchmark::kMicrosecond);
#endif

}  // namespace
