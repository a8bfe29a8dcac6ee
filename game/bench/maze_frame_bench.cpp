// The maze game at frame 60 of the seed-1 replay, the view its speed is judged on: our render of
// the 3D view, the same scene drawn by the peer renderer when it is built, and whole frames with
// their presentation from there on, on the headless backend.
#include <benchmark/benchmark.h>

#include "maze_scene.h"
#include "platform/backend/headless/headless.h"
#include "replay.h"
#include "scene3d/scene3d.h"
#include "scene_data.h"
#ifdef KR_PEER
#include "gl_peer.h"
#endif

namespace {

constexpr int32_t kFrame = 60;

// The game started as `kirva-replay --seed 1` starts it and run to the end of frame 60; the
// options must live until replay::Finish.
bool StartReplay(replay::Options* options, benchmark::State& state) {
    options->seed = 1;
    options->dataDirectory = KR_DATA_DIR;
    const bool started = replay::Start(*options, kFrame);
    if (!started) state.SkipWithError("the replay quit before frame 60");
    return started;
}

rm::Viewport& View() {
    return *kr3D::cameras[0].viewport;
}

// What the view holds: the objects in its scene, the triangles of their meshes (what the peer is
// handed), the triangles we drew of them per render (facing the camera, in view), its size.
void CountScene(benchmark::State& state, uint32_t drawn) {
    peer::SceneData scene;
    if (state.iterations() == 0 || !peer::SceneDataOf(View(), *kr3DState.device, &scene)) return;
    size_t submitted = 0;
    for (const peer::MeshDraw& mesh : scene.meshes)
        submitted += mesh.indices->size() / 3;
    state.counters["objects"] = double(scene.meshes.size());
    state.counters["submitted"] = double(submitted);
    state.counters["drawn"] = double(drawn) / double(state.iterations());
    state.counters["width"] = scene.width;
    state.counters["height"] = scene.height;
}

void BM_MazeSceneRender(benchmark::State& state) {
    replay::Options options;
    if (!StartReplay(&options, state)) return;
    kr3D::CountPolygons();
    for (auto _ : state)
        kr3D::Render();
    CountScene(state, kr3D::CountPolygons());
    replay::Finish();
}
BENCHMARK(BM_MazeSceneRender)->Name("BM_MazeSceneRender/replay60")->Unit(benchmark::kMicrosecond);

#ifdef KR_PEER
// Clear, draws and the wait for the pixels, the scene read once.
void BM_PeerLlvmpipeMazeScene(benchmark::State& state) {
    replay::Options options;
    if (!StartReplay(&options, state)) return;
    peer::SceneData scene;
    peer::GlPeer gl;
    const bool ready = peer::SceneDataOf(View(), *kr3DState.device, &scene) && gl.Open(scene);
    replay::Finish();
    if (!ready) state.SkipWithError("no EGL display with OpenGL 3.3 core");
    for (auto _ : state)
        gl.Draw();
}
BENCHMARK(BM_PeerLlvmpipeMazeScene)
    ->Name("BM_PeerLlvmpipeMazeScene/replay60")
    ->Unit(benchmark::kMicrosecond);
#endif

// The frames after frame 60, the maze carved and the player standing: the view stays the same
// but for the turning ball.
void BM_MazeFrame(benchmark::State& state) {
    replay::Options options;
    if (!StartReplay(&options, state)) return;
    for (auto _ : state) {
        MazeFrame();
        headless::AdvanceClock(options.tick);
    }
    replay::Finish();
}
BENCHMARK(BM_MazeFrame)->Name("BM_MazeFrame/replay60")->Unit(benchmark::kMicrosecond);

}  // namespace
