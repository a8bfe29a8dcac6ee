#pragma once
// A program with its display open (and so the 3D device made), a scene root, and a data
// directory for model and texture files that tests write.
#include <string>

#include "draw/draw_fixture.h"
#include "platform/rm/rm.h"
#include "scene3d/scene3d.h"

class Scene3DTest : public DrawTest {
  public:
    // A frame's position and direction relative to the scene root.
    static rm::D3DVECTOR ScenePosition(rm::Frame* frame);
    static rm::D3DVECTOR Direction(rm::Frame* frame);

  protected:
    void SetUp() override;

    // A .X text file in the data directory: a square of half size `half` in the z = 0 plane.
    void WriteSquareModel(const std::string& name, float half = 4);
    // Sets the frame time to 60 frames a second.
    static void SixtyFramesASecond();
};

void ExpectNear(const rm::D3DVECTOR& actual, const rm::D3DVECTOR& expected,
                float tolerance = 1e-3f);
