#include "platform/rm/scene.h"
#include <algorithm>

namespace rm {
namespace {

// Faces are cut at four times the screen's extent, which keeps screen coordinates small.
constexpr float kGuardBand = 4.0f;

Appearance AppearanceOf(const Frame& frame, const Appearance& parent) {
    if (frame.GetMaterialMode() == D3DRMMATERIAL_FROMFRAME)
        return {true, frame.GetColor(), frame.texture()};
    if (frame.GetMaterialMode() == D3DRMMATERIAL_FROMPARENT) return parent;
    return {false, 0, nullptr};
}

bool DepthOf(const Frame& frame, bool parent) {
    if (frame.GetZbufferMode() == D3DRMZBUFFER_FROMPARENT) return parent;
    return frame.GetZbufferMode() == D3DRMZBUFFER_ENABLE;
}

void Walk(Frame* frame, const Matrix& parentWorld, const Appearance& parentAppearance,
          bool parentDepth, std::vector<Frame*>* path,
          const std::function<void(const VisitedFrame&)>& visit) {
    Matrix local;
    frame->GetTransform(local.m);
    path->push_back(frame);
    const VisitedFrame visited{frame, local * parentWorld, path,
                               AppearanceOf(*frame, parentAppearance),
                               DepthOf(*frame, parentDepth)};
    visit(visited);
    for (Frame* child : frame->children())
        Walk(child, visited.world, visited.appearance, visited.depthEnabled, path, visit);
    path->pop_back();
}

CameraVertex Lerp(const CameraVertex& a, const CameraVertex& b, float t) {
    auto mix = [t](float x, float y) { return x + (y - x) * t; };
    return {{mix(a.position.x, b.position.x), mix(a.position.y, b.position.y),
             mix(a.position.z, b.position.z)},
            mix(a.r, b.r),
            mix(a.g, b.g),
            mix(a.b, b.b),
            mix(a.u, b.u),
            mix(a.v, b.v)};
}

// One Sutherland-Hodgman pass: keeps the part where distance() >= 0.
template <typename Distance>
void ClipPolygon(std::vector<CameraVertex>* polygon, Distance distance) {
    // Most faces lie wholly inside: keep them as they are, without a new list.
    if (std::all_of(polygon->begin(), polygon->end(),
                    [&](const CameraVertex& v) { return distance(v.position) >= 0; }))
        return;
    std::vector<CameraVertex> kept;
    const size_t n = polygon->size();
    for (size_t i = 0; i < n; ++i) {
        const CameraVertex& a = (*polygon)[i];
        const CameraVertex& b = (*polygon)[(i + 1) % n];
        const float da = distance(a.position), db = distance(b.position);
        if (da >= 0) kept.push_back(a);
        if ((da >= 0) != (db >= 0)) kept.push_back(Lerp(a, b, da / (da - db)));
    }
    *polygon = std::move(kept);
}

}  // namespace

void WalkFrames(Frame* root, const std::function<void(const VisitedFrame&)>& visit) {
    std::vector<Frame*> path;
    Walk(root, Matrix::Identity(), {false, 0, nullptr}, true, &path, visit);
}

bool FacesCamera(const D3DVECTOR& a, const D3DVECTOR& b, const D3DVECTOR& c) {
    return Dot(Cross(b - a, c - a), a) < 0;
}

raster::Vertex Project(const Viewport::Projection& p, const CameraVertex& v) {
    const float z = v.position.z;
    const float k = p.scale * p.front / (z * p.field);
    return {p.centreX + v.position.x * k,
            p.centreY - v.position.y * k,
            (1 - p.front / z) / (1 - p.front / p.back),
            1 / z,
            v.r,
            v.g,
            v.b,
            v.u,
            v.v};
}

void ClipAndProject(const Camera& camera, const CameraVertex face[3],
                    std::vector<raster::Vertex>* out) {
    const Viewport::Projection& p = camera.projection;
    const float front = p.front, back = p.back;
    if (!(back > front)) return;  // nothing lies between the planes
    std::vector<CameraVertex> polygon(face, face + 3);
    const float guard = kGuardBand * p.field / p.front;  // x/z at the screen's larger edge, widened
    ClipPolygon(&polygon, [front](D3DVECTOR v) { return v.z - front; });
    ClipPolygon(&polygon, [back](D3DVECTOR v) { return back - v.z; });
    ClipPolygon(&polygon, [guard](D3DVECTOR v) { return guard * v.z - v.x; });
    ClipPolygon(&polygon, [guard](D3DVECTOR v) { return guard * v.z + v.x; });
    ClipPolygon(&polygon, [guard](D3DVECTOR v) { return guard * v.z - v.y; });
    ClipPolygon(&polygon, [guard](D3DVECTOR v) { return guard * v.z + v.y; });
    out->clear();
    if (polygon.size() < 3) return;
    for (const CameraVertex& v : polygon)
        out->push_back(Project(p, v));
}

}  // namespace rm
