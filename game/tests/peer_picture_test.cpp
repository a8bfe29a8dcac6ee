// The game's own view at frame 60 of the seed-1 replay, the view its speed benchmarks time, drawn
// by us and by the peer renderer on the system's software OpenGL: their times compare the same
// work only while the pictures agree.
#include <gtest/gtest.h>

#include "gl_peer.h"
#include "replay.h"
#include "scene3d/scene3d.h"

namespace {

TEST(MazePeerPicture, FrameSixtyOfTheSeedOneReplayAgreesWithThePeerOnNearlyEveryPixel) {
    replay::Options options;
    options.dataDirectory = KR_DATA_DIR;
    ASSERT_TRUE(replay::Start(options, 60));
    kr3D::Render();
    const rm::Viewport& viewport = *kr3D::cameras[0].viewport;
    const std::vector<uint16_t> ours = peer::RenderedPixels(viewport);
    peer::SceneData scene;
    const bool read = peer::SceneDataOf(viewport, *kr3DState.device, &scene);
    peer::GlPeer gl;
    const bool opened = read && gl.Open(scene);
    EXPECT_TRUE(replay::Finish().quitNormally);
    ASSERT_TRUE(read);
    if (!opened) GTEST_SKIP() << "no EGL display with OpenGL 3.3 core";
    gl.Draw();
    const peer::Agreement agreement = peer::Compare(ours, gl.Pixels());
    EXPECT_EQ(agreement.total, 480u * 360u);
    EXPECT_GE(double(agreement.same), 0.95 * double(agreement.total));
    EXPECT_GT(double(agreement.lit), 0.5 * double(agreement.total)) << "walls fill the view";
}

}  // namespace
