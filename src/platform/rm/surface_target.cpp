// The device's adapter to the display's surfaces.
#include "platform/dd/dd.h"
#include "platform/rm/rm.h"

namespace rm {
namespace {

class SurfaceTarget : public TargetSource {
  public:
    SurfaceTarget(dd::Surface* colour, dd::Surface* depth) : colour_(colour), depth_(depth) {
        colour_->AddRef();
        const pixels::View view = colour_->Pixels();
        if (depth_ == nullptr) ownDepth_.resize(size_t(view.width) * size_t(view.height));
    }
    ~SurfaceTarget() override {
        colour_->Release();
        if (depth_ != nullptr) depth_->Release();
    }
    bool Lock(RenderTarget* target) override {
        if (colour_->IsLost() != dd::DD_OK) return false;
        const pixels::View view = colour_->Pixels();
        *target = {view, ownDepth_.data(), view.width};
        if (depth_ != nullptr) {
            if (depth_->IsLost() != dd::DD_OK) return false;
            const dd::DepthView depth = depth_->Depth();
            *target = {view, depth.data, depth.pitch};
        }
        return true;
    }
    void Unlock() override {}

  private:
    dd::Surface* colour_;
    dd::Surface* depth_;  // held: the attached Z buffer
    std::vector<uint16_t> ownDepth_;
};

}  // namespace

HRESULT Direct3DRM::CreateDeviceFromSurface(const GUID* guid, dd::DirectDraw*, dd::Surface* surface,
                                            Device** device) {
    if (surface == nullptr) return D3DRMERR_BADOBJECT;
    if (device == nullptr) return D3DRMERR_BADVALUE;
    const dd::DDSCAPS zbuffer{dd::DDSCAPS_ZBUFFER};
    dd::Surface* depth = nullptr;
    surface->GetAttachedSurface(&zbuffer, &depth);
    const dd::DepthView depthView = depth != nullptr ? depth->Depth() : dd::DepthView{};
    const pixels::View view = surface->Pixels();
    if (depth != nullptr && (depthView.width != view.width || depthView.height != view.height)) {
        depth->Release();
        return D3DRMERR_BADVALUE;
    }
    auto target = std::make_unique<SurfaceTarget>(surface, depth);
    const HRESULT made =
        CreateDeviceFromTarget(guid, target.get(), view.width, view.height, device);
    if (made == D3DRM_OK) (*device)->Own(std::move(target));
    return made;
}

}  // namespace rm
