#include "scene3d/scene3d_fixture.h"

#include <fstream>
#include <sstream>

void Scene3DTest::SetUp() {
    DrawTest::SetUp();
    ASSERT_EQ(OpenDisplay(false), 1);
    kr3D::SetBackground(0, 0, 0);
    headless::ClearBoxes();
}

void Scene3DTest::WriteSquareModel(const std::string& name, float half) {
    std::ostringstream x;
    x << "xof 0302txt 0032\nMesh {\n 4;\n " << -half << ";" << half << ";0;,\n " << half << ";"
      << half << ";0;,\n " << half << ";" << -half << ";0;,\n " << -half << ";" << -half
      << ";0;;\n 2;\n 3;0,1,2;,\n 3;0,2,3;;\n}\n";
    std::ofstream(dataDirectory + "/" + name, std::ios::binary) << x.str();
}

rm::D3DVECTOR Scene3DTest::ScenePosition(rm::Frame* frame) {
    rm::D3DVECTOR p{};
    frame->GetPosition(kr3DState.scene, &p);
    return p;
}

rm::D3DVECTOR Scene3DTest::Direction(rm::Frame* frame) {
    rm::D3DVECTOR direction{}, up{};
    frame->GetOrientation(kr3DState.scene, &direction, &up);
    return direction;
}

void Scene3DTest::SixtyFramesASecond() {
    krSystemState.frameSeconds = 0.016666668f;
}

void ExpectNear(const rm::D3DVECTOR& actual, const rm::D3DVECTOR& expected, float tolerance) {
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
}
