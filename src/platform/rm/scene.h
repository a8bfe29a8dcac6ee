#pragma once
// What rendering and picking share: the walk over a frame tree with world matrices, and the
// clipping and projection of one face into screen vertices.
#include <functional>
#include <vector>

#include "platform/rm/matrix.h"
#include "platform/rm/raster.h"

namespace rm {

// How a frame's visuals look when the frame (or a parent) gives the material.
struct Appearance {
    bool fromFrame;
    D3DCOLOR colour;
    Texture* texture;
};

struct VisitedFrame {
    const Frame* frame;
    Matrix world;
    const std::vector<Frame*>* path;  // root first, this frame last
    Appearance appearance;
    bool depthEnabled;
};

// Every frame from root down, parents before children, in the order they were added.
void WalkFrames(Frame* root, const std::function<void(const VisitedFrame&)>& visit);

// A corner in camera space with what the rasterizer interpolates.
struct CameraVertex {
    D3DVECTOR position;
    float r, g, b, u, v;
};

struct Camera {
    Matrix view;  // world to camera
    Viewport::Projection projection;
};

bool Finite(const D3DVECTOR& v);
// True when the face shows its front (clockwise on the screen) to the camera.
bool FacesCamera(const D3DVECTOR& a, const D3DVECTOR& b, const D3DVECTOR& c);
// The face cut to the front and back planes (and a guard band around the screen), projected.
// An empty result means nothing of it is visible, or a corner was not a finite number.
void ClipAndProject(const Camera& camera, const CameraVertex face[3],
                    std::vector<raster::Vertex>* out);
raster::Vertex Project(const Viewport::Projection& p, const CameraVertex& v);
Camera CameraOf(const Viewport& viewport);
// The target with its clip rectangle set to the part of rect that lies on it (maybe empty).
raster::Target ClipTo(const RECT& rect, const RenderTarget& target);

// Draws the scene that holds the viewport's camera into the target (already cleared).
void RenderScene(const Viewport& viewport, Device* device, const RenderTarget& target);

}  // namespace rm
