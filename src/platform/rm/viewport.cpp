// Viewports: projection parameters, clearing, rendering, Transform and Pick.
#include <algorithm>
#include <cmath>
#include <map>

#include "platform/rm/scene.h"

namespace rm {

Viewport::Viewport(Device* device, Frame* camera, int32_t x, int32_t y, int32_t width,
                   int32_t height)
    : device_(device), camera_(camera), x_(x), y_(y), width_(width), height_(height) {
    device_->AddRef();
    camera_->AddRef();
    device_->AddViewport(this);
}

Viewport::~Viewport() {
    if (device_ != nullptr) {
        device_->RemoveViewport(this);
        device_->Release();
    }
    if (camera_ != nullptr) camera_->Release();
}

HRESULT Viewport::SetField(float field) {
    if (!(field > 0)) return D3DRMERR_BADVALUE;
    field_ = field;
    return D3DRM_OK;
}

// A front plane beyond the back plane is taken: the back plane is usually set next. Until then
// nothing lies between them and nothing is drawn.
HRESULT Viewport::SetFront(float front) {
    if (!(front > 0)) return D3DRMERR_BADVALUE;
    front_ = front;
    return D3DRM_OK;
}

HRESULT Viewport::SetBack(float back) {
    if (!(back > front_)) return D3DRMERR_BADVALUE;
    back_ = back;
    return D3DRM_OK;
}

HRESULT Viewport::SetCamera(Frame* camera) {
    if (camera == nullptr) return D3DRMERR_BADOBJECT;
    camera->AddRef();
    camera_->Release();
    camera_ = camera;
    return D3DRM_OK;
}

HRESULT Viewport::Configure(int32_t x, int32_t y, int32_t width, int32_t height) {
    if (width < 0 || height < 0) return D3DRMERR_BADVALUE;
    x_ = x;
    y_ = y;
    width_ = width;
    height_ = height;
    return D3DRM_OK;
}

HRESULT Viewport::ForceUpdate(int32_t left, int32_t top, int32_t right, int32_t bottom) {
    if (left > right || top > bottom) return D3DRMERR_BADVALUE;
    forced_.push_back({left, top, right, bottom});
    return D3DRM_OK;
}

RECT Viewport::rect() const {
    const auto end = [](int32_t start, int32_t size) {
        return int32_t(std::min<int64_t>(int64_t(start) + size, INT32_MAX));
    };
    return {x_, y_, end(x_, width_), end(y_, height_)};
}

Viewport::Projection Viewport::projection() const {
    const float scale = float(std::max(width_, height_)) / 2;
    return {scale, float(x_) + float(width_) / 2, float(y_) + float(height_) / 2, front_, back_,
            field_};
}

HRESULT Viewport::Transform(D3DRMVECTOR4D* screen, const D3DVECTOR* world) const {
    if (screen == nullptr || world == nullptr) return D3DRMERR_BADVALUE;
    const Projection p = projection();
    const D3DVECTOR c = TransformPoint(InverseAffine(WorldOf(camera_)), *world);
    // The projected point times w (= camera depth), so that nothing divides by zero here.
    const float k = p.scale * p.front / p.field;
    const float depthSpan = 1 - p.front / p.back;
    *screen = {p.centreX * c.z + c.x * k, p.centreY * c.z - c.y * k,
               depthSpan != 0 ? (c.z - p.front) / depthSpan : 0, c.z};
    return D3DRM_OK;
}

HRESULT Viewport::InverseTransform(D3DVECTOR* world, const D3DRMVECTOR4D* screen) const {
    if (screen == nullptr || world == nullptr) return D3DRMERR_BADVALUE;
    const Projection p = projection();
    const float k = p.scale * p.front / p.field;
    const D3DVECTOR c{(screen->x - p.centreX * screen->w) / k,
                      (p.centreY * screen->w - screen->y) / k, screen->w};
    *world = TransformPoint(WorldOf(camera_), c);
    return D3DRM_OK;
}

HRESULT Viewport::Clear(const RenderTarget& target) const {
    const D3DCOLOR background =
        camera_ != nullptr ? camera_->GetSceneBackground() : D3DCOLOR{0xFF000000};
    const raster::Target t = ClipTo(rect(), target);
    const COLORREF colour =
        RGB((background >> 16) & 0xFF, (background >> 8) & 0xFF, background & 0xFF);
    raster::Clear(t, pixels::Pack(target.colour.format, colour));
    return D3DRM_OK;
}

HRESULT Viewport::Render(const RenderTarget& target) {
    if (device_ == nullptr) return D3DRMERR_BADOBJECT;
    Clear(target);
    RenderScene(*this, device_, target);
    forced_.clear();
    return D3DRM_OK;
}

namespace {

// Where inside a projected triangle the point lies, as its depth; nothing when outside.
bool HitDepth(const raster::Vertex& a, const raster::Vertex& b, const raster::Vertex& c, double x,
              double y, double* depth) {
    const double area =
        (double(b.x) - a.x) * (double(c.y) - a.y) - (double(b.y) - a.y) * (double(c.x) - a.x);
    if (area == 0) return false;
    const double wb = ((x - a.x) * (double(c.y) - a.y) - (y - a.y) * (double(c.x) - a.x)) / area;
    const double wc = ((double(b.x) - a.x) * (y - a.y) - (double(b.y) - a.y) * (x - a.x)) / area;
    const double wa = 1 - wb - wc;
    if (wa < 0 || wb < 0 || wc < 0) return false;
    *depth = wa * a.z + wb * b.z + wc * c.z;
    return true;
}

}  // namespace

HRESULT Viewport::Pick(LONG x, LONG y, PickedArray** picks) const {
    if (picks == nullptr) return D3DRMERR_BADVALUE;
    if (camera_ == nullptr) return D3DRMERR_BADOBJECT;
    const Camera camera = CameraOf(*this);
    const double px = double(x) + 0.5, py = double(y) + 0.5;
    std::vector<std::pair<double, PickedArray::Pick>> hits;
    std::vector<raster::Vertex> polygon;
    WalkFrames(camera_->Root(), [&](const VisitedFrame& f) {
        const Matrix modelView = f.world * camera.view;
        for (Visual* visual : f.frame->visuals()) {
            const auto* mesh = dynamic_cast<const Mesh*>(visual);
            if (mesh == nullptr) continue;
            const Geometry& g = mesh->geometry();
            double nearest = 2;
            ULONG face = 0;
            for (size_t i = 0; i + 2 < g.indices.size(); i += 3) {
                CameraVertex corners[3];
                for (size_t k = 0; k < 3; ++k)
                    corners[k] = {TransformPoint(modelView, g.vertices[g.indices[i + k]].position),
                                  0,
                                  0,
                                  0,
                                  0,
                                  0};
                if (!FacesCamera(corners[0].position, corners[1].position, corners[2].position))
                    continue;
                ClipAndProject(camera, corners, &polygon);
                for (size_t k = 1; k + 1 < polygon.size(); ++k) {
                    double depth;
                    if (HitDepth(polygon[0], polygon[k], polygon[k + 1], px, py, &depth) &&
                        depth < nearest) {
                        nearest = depth;
                        face = ULONG(i / 3);
                    }
                }
            }
            if (nearest > 1) continue;
            visual->AddRef();
            for (Frame* frame : *f.path)
                frame->AddRef();
            hits.push_back(
                {nearest, {visual, *f.path, {face, 0, {float(px), float(py), float(nearest)}}}});
        }
    });
    std::stable_sort(hits.begin(), hits.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<PickedArray::Pick> sorted;
    for (auto& hit : hits)
        sorted.push_back(std::move(hit.second));
    *picks = new PickedArray(std::move(sorted));
    return D3DRM_OK;
}

PickedArray::PickedArray(std::vector<Pick> picks) : picks_(std::move(picks)) {}

PickedArray::~PickedArray() {
    for (Pick& pick : picks_) {
        pick.visual->Release();
        for (Frame* frame : pick.path)
            frame->Release();
    }
}

HRESULT PickedArray::GetPick(DWORD index, Visual** visual, FrameArray** frames,
                             D3DRMPICKDESC* desc) const {
    if (index >= picks_.size()) return D3DRMERR_BADVALUE;
    const Pick& pick = picks_[index];
    if (visual != nullptr) {
        pick.visual->AddRef();
        *visual = pick.visual;
    }
    if (frames != nullptr) {
        for (Frame* frame : pick.path)
            frame->AddRef();
        *frames = new FrameArray(pick.path);
    }
    if (desc != nullptr) *desc = pick.desc;
    return D3DRM_OK;
}

FrameArray::~FrameArray() {
    for (Frame* frame : frames_)
        frame->Release();
}

HRESULT FrameArray::GetElement(DWORD index, Frame** frame) const {
    if (frame == nullptr || index >= frames_.size()) return D3DRMERR_BADVALUE;
    frames_[index]->AddRef();
    *frame = frames_[index];
    return D3DRM_OK;
}

}  // namespace rm
