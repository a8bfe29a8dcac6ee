#include "platform/rm/scene.h"

#include <algorithm>
#include <cmath>

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

bool Finite(const D3DVECTOR& v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

bool FacesCamera(const D3DVECTOR& a, const D3DVECTOR& b, const D3DVECTOR& c) {
    return Dot(Cross(b - a, c - a), a) < 0;
}

raster::Vertex Project(const Viewport::Projection& p, const CameraVertex& v) {
    // Callers clip z to [front, back] and front > 0, so nothing here divides by zero.
    const double z = v.position.z;
    const double k = double(p.scale) * p.front / (z * p.field);
    return {float(p.centreX + v.position.x * k),
            float(p.centreY - v.position.y * k),
            float((1 - p.front / z) / (1 - double(p.front) / p.back)),
            float(1 / z),
            v.r,
            v.g,
            v.b,
            v.u,
            v.v};
}

void ClipAndProject(const Camera& camera, const CameraVertex face[3],
                    std::vector<raster::Vertex>* out) {
    const Viewport::Projection& p = camera.projection;
    out->clear();
    if (!std::all_of(face, face + 3, [](const CameraVertex& v) { return Finite(v.position); }))
        return;
    const float front = p.front, back = p.back;
    if (!(back > front)) return;  // nothing lies between the planes
    std::vector<CameraVertex> polygon(face, face + 3);
    const float guard = kGuardBand * p.field / p.front;  // x/z at the screen's larger edge, widened
    ClipPolygon(&polygon, [front](D3DVECTOR v) { return v.z - front; });
    ClipPolygon(&polygon, [back](D3DVECTOR v) { return back - v.z; });
    // A cut far from its corners can round past the plane it was cut at.
    for (CameraVertex& v : polygon)
        v.position.z = std::clamp(v.position.z, front, back);
    ClipPolygon(&polygon, [guard](D3DVECTOR v) { return guard * v.z - v.x; });
    ClipPolygon(&polygon, [guard](D3DVECTOR v) { return guard * v.z + v.x; });
    ClipPolygon(&polygon, [guard](D3DVECTOR v) { return guard * v.z - v.y; });
    ClipPolygon(&polygon, [guard](D3DVECTOR v) { return guard * v.z + v.y; });
    if (polygon.size() < 3) return;
    for (const CameraVertex& v : polygon)
        out->push_back(Project(p, v));
    if (!std::all_of(out->begin(), out->end(), raster::Drawable)) out->clear();
}

raster::Target ClipTo(const RECT& rect, const RenderTarget& target) {
    const int32_t left = std::max<int32_t>(0, rect.left), top = std::max<int32_t>(0, rect.top);
    // An empty rectangle keeps right >= left so that nothing downstream walks backwards.
    return {target.colour,
            target.depth,
            target.depthPitch,
            left,
            top,
            std::max(left, std::min<int32_t>(target.colour.width, rect.right)),
            std::max(top, std::min<int32_t>(target.colour.height, rect.bottom))};
}

}  // namespace rm
