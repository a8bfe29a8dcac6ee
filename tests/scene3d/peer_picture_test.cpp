// The benchmarks' maze-like scene drawn by us and by the peer renderer on the system's
// software OpenGL: the comparison of their speeds means something only while the pictures agree.
#include <gtest/gtest.h>

#include "bench_scene.h"
#include "draw/pixels16.h"
#include "gl_peer.h"
#include "scene3d/scene3d.h"

namespace {

// The viewport's pixels of the 3D surface, rows top down.
std::vector<uint16_t> OurPicture(const RECT& rect) {
    krDraw::pixels16::Locked locked;
    if (!krDraw::pixels16::Lock(krDraw::display.surface3D, locked)) return {};
    std::vector<uint16_t> pixels;
    for (int32_t y = rect.top; y < rect.bottom; ++y)
        pixels.insert(pixels.end(), locked.Row(y) + rect.left, locked.Row(y) + rect.right);
    krDraw::pixels16::Unlock(locked);
    return pixels;
}

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
    const std::vector<uint16_t> ours = OurPicture(viewport.rect());
    peer::SceneData scene;
    ASSERT_TRUE(peer::SceneDataOf(viewport, *kr3DState.device, &scene));
    peer::GlPeer gl;
    const bool opened = gl.Open(scene);
    bench::StopMazeScene();
    if (!opened) GTEST_SKIP() << "no EGL display with OpenGL 3.3 core";
    gl.Draw();
    const std::vector<uint16_t> theirs = gl.Pixels();
    ASSERT_EQ(ours.size(), theirs.size());
    size_t same = 0, lit = 0;
    for (size_t i = 0; i < ours.size(); ++i) {
        same += ours[i] == theirs[i];
        lit += ours[i] != 0;
    }
    EXPECT_GE(double(same), 0.95 * double(ours.size()));
    EXPECT_GT(double(lit), 0.2 * double(ours.size())) << "walls fill much of the view";
}

}  // namespace
