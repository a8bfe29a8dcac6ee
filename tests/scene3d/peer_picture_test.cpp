// The benchmarks' maze-like scene drawn by us and by the peer renderer on the system's
// software OpenGL: the comparison of their speeds means something only while the pictures agree.
#include <gtest/gtest.h>

#include "bench_scene.h"
#include "gl_peer.h"
#include "scene3d/scene3d.h"

namespace {

// The scene as the benchmarks see it, and turned to look along the walls and past their ends,
// where culling, depth order and thin far rows show.
class PeerPicture : public ::testing::TestWithParam<float> {};
INSTANTIATE_TEST_SUITE_P(Turns, PeerPicture, ::testing::Values(0.0f, 100.0f, 135.0f, 150.0f));

TEST_P(PeerPicture, TheMazeSceneAgreesWithThePeerOnNearlyEveryPixel) {
    bench::StartMazeScene();
    kr3D::RotateCameraY(1, GetParam());
    bench::StepMazeScene();
    kr3D::Render();
    const rm::Viewport& viewport = *bench::MazeViewport();
    const std::vector<uint16_t> ours = peer::RenderedPixels(viewport);
    peer::SceneData scene;
    ASSERT_TRUE(peer::SceneDataOf(viewport, *kr3DState.device, &scene));
    peer::GlPeer gl;
    const bool opened = gl.Open(scene);
    bench::StopMazeScene();
    if (!opened) GTEST_SKIP() << "no EGL display with OpenGL 3.3 core";
    gl.Draw();
    const peer::Agreement agreement = peer::Compare(ours, gl.Pixels());
    EXPECT_GE(double(agreement.same), 0.95 * double(agreement.total));
    EXPECT_GT(double(agreement.lit), 0.2 * double(agreement.total))
        << "walls fill much of the view";
}

}  // namespace
