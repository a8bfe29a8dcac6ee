#pragma once
// The peer our renderer is measured against: the same scene data drawn with OpenGL 3.3 core on
// the system's software rasterizer (llvmpipe, through EGL without a window, one thread), into
// 5-6-5 colour and 16-bit depth, with our lighting, ramp and texel rules in its shaders.
#include <cstdint>
#include <memory>
#include <vector>

#include "scene_data.h"

namespace peer {

class GlPeer {
  public:
    GlPeer();
    ~GlPeer();
    GlPeer(const GlPeer&) = delete;
    GlPeer& operator=(const GlPeer&) = delete;

    // Starts OpenGL and uploads the scene; false when the system has no EGL display, no
    // OpenGL 3.3 core context or no 5-6-5 renderbuffer. The scene data must outlive the peer;
    // the retained-mode objects it was read from need not.
    bool Open(const SceneData& scene);
    // Clears, draws every mesh nearest first and waits for the pixels.
    void Draw();
    // The viewport's 5-6-5 pixels, rows top down.
    std::vector<uint16_t> Pixels() const;

  private:
    struct Gl;
    std::unique_ptr<Gl> gl_;
};

}  // namespace peer
