// Lighting and drawing of meshes and shadows for one viewport.
#include <algorithm>
#include <cmath>
#include <optional>

#include "platform/rm/scene.h"

namespace rm {
namespace {

constexpr int32_t kShadowDepthBias = 4;

struct SceneLight {
    const Light* light;
    D3DVECTOR position;   // world
    D3DVECTOR direction;  // world, the light frame's +z
};

std::vector<SceneLight> CollectLights(Frame* root) {
    std::vector<SceneLight> lights;
    WalkFrames(root, [&](const VisitedFrame& f) {
        for (const Light* light : f.frame->lights())
            lights.push_back({light, Row(f.world, 3), Normalize(Row(f.world, 2))});
    });
    return lights;
}

struct Surface {
    D3DVECTOR position, normal;  // world
    D3DVECTOR objectOrigin;      // world origin of the frame holding the mesh
};

struct LightSums {
    D3DVECTOR diffuse{0, 0, 0};   // ambient included
    D3DVECTOR specular{0, 0, 0};  // before the material's specular colour
};

// Unit vector from the surface toward the light and the light's strength there.
bool Incoming(const SceneLight& l, const Surface& s, D3DVECTOR* toLight, float* strength) {
    *strength = 1;
    switch (l.light->GetType()) {
        case D3DRMLIGHT_DIRECTIONAL:
            *toLight = l.direction * -1.0f;
            return true;
        case D3DRMLIGHT_PARALLELPOINT:
            *toLight = Normalize(l.position - s.objectOrigin);
            return true;
        case D3DRMLIGHT_POINT:
        case D3DRMLIGHT_SPOT: {
            const D3DVECTOR offset = l.position - s.position;
            *toLight = Normalize(offset);
            *strength = l.light->Attenuation(Length(offset));
            return true;
        }
        default:
            return false;
    }
}

LightSums Gather(const std::vector<SceneLight>& lights, const Surface& s, D3DVECTOR eye,
                 float power) {
    LightSums sums;
    const D3DVECTOR toEye = Normalize(eye - s.position);
    for (const SceneLight& l : lights) {
        const D3DVECTOR colour = l.light->colour();
        if (l.light->GetType() == D3DRMLIGHT_AMBIENT) {
            sums.diffuse = sums.diffuse + colour;
            continue;
        }
        D3DVECTOR toLight;
        float strength;
        if (!Incoming(l, s, &toLight, &strength)) continue;
        const float diffuse = Dot(s.normal, toLight);
        if (diffuse <= 0) continue;
        sums.diffuse = sums.diffuse + colour * (diffuse * strength);
        if (power > 0) {
            const float highlight = std::max(0.0f, Dot(s.normal, Normalize(toLight + toEye)));
            sums.specular = sums.specular + colour * (std::pow(highlight, power) * strength);
        }
    }
    return sums;
}

D3DVECTOR Channels(D3DCOLOR colour) {
    return {float((colour >> 16) & 0xFF) / 255, float((colour >> 8) & 0xFF) / 255,
            float(colour & 0xFF) / 255};
}

float Gray(D3DVECTOR c) {
    return (c.x + c.y + c.z) / 3;
}

// What a material adds to the light sums.
struct Finish {
    float power;
    D3DVECTOR specular, emissive;
};

Finish FinishOf(const Material* material) {
    if (material == nullptr) return {0, {0, 0, 0}, {0, 0, 0}};
    return {material->GetPower(), material->specular(), material->emissive()};
}

struct Shaded {
    float r, g, b;  // 0..255; in the ramp model r is the intensity
};

Shaded Combine(const LightSums& sums, const Finish& finish, D3DCOLOR base, bool ramp) {
    if (ramp) {
        const float intensity = Gray(sums.diffuse) + Gray(sums.specular) * Gray(finish.specular);
        return {std::clamp(intensity, 0.0f, 1.0f) * 255, 0, 0};
    }
    const D3DVECTOR b = Channels(base);
    auto channel = [](float e, float diffuse, float colour, float specular, float specColour) {
        return std::clamp(e + colour * diffuse + specColour * specular, 0.0f, 1.0f) * 255;
    };
    return {channel(finish.emissive.x, sums.diffuse.x, b.x, sums.specular.x, finish.specular.x),
            channel(finish.emissive.y, sums.diffuse.y, b.y, sums.specular.y, finish.specular.y),
            channel(finish.emissive.z, sums.diffuse.z, b.z, sums.specular.z, finish.specular.z)};
}

Shaded Unlit(D3DCOLOR base, bool ramp) {
    if (ramp) return {255, 0, 0};
    const D3DVECTOR b = Channels(base);
    return {b.x * 255, b.y * 255, b.z * 255};
}

// The lesser of two qualities in each of shade, lighting and fill; points are drawn solid.
D3DRMRENDERQUALITY Lesser(D3DRMRENDERQUALITY a, D3DRMRENDERQUALITY b) {
    const uint32_t shade = std::min({a & D3DRMSHADE_MASK, b & D3DRMSHADE_MASK, D3DRMSHADE_GOURAUD});
    const uint32_t light = std::min(a & D3DRMLIGHT_MASK, b & D3DRMLIGHT_MASK);
    uint32_t fill = std::min(a & D3DRMFILL_MASK, b & D3DRMFILL_MASK);
    if (fill == D3DRMFILL_POINTS) fill = D3DRMFILL_SOLID;
    return shade | light | fill;
}

raster::Texture RasterTexture(const Texture& t) {
    return {t.texels().data(), t.width(), t.height(), t.GetDecalTransparency() != FALSE,
            t.GetDecalTransparentColor() & 0xFFFFFF};
}

class SceneRenderer {
  public:
    SceneRenderer(const Viewport& viewport, Device* device, const RenderTarget& target)
        : device_(device),
          camera_(CameraOf(viewport)),
          eye_(Row(WorldOf(viewport.camera()), 3)),
          lights_(CollectLights(viewport.camera()->Root())),
          ramp_(device->GetColorModel() == D3DCOLOR_MONO) {
        target_ = ClipTo(viewport.rect(), target);
        if (target.depth != nullptr) tiles_.emplace(target_);
    }

    // Meshes nearest first, so that the depth test turns hidden pixels away early; shadows
    // last, onto the surfaces they fall on.
    void Draw(Frame* root) {
        struct Queued {
            float depth;
            VisitedFrame frame;
            Visual* visual;
        };
        std::vector<Queued> meshes, shadows;
        WalkFrames(root, [&](const VisitedFrame& f) {
            const float depth = TransformPoint(camera_.view, Row(f.world, 3)).z;
            VisitedFrame kept = f;
            kept.path = nullptr;  // the walk's own, gone after it
            for (Visual* visual : f.frame->visuals())
                (dynamic_cast<Shadow*>(visual) != nullptr ? shadows : meshes)
                    .push_back({depth, kept, visual});
        });
        std::stable_sort(meshes.begin(), meshes.end(),
                         [](const Queued& a, const Queued& b) { return a.depth < b.depth; });
        for (const Queued& q : meshes)
            if (auto* mesh = dynamic_cast<Mesh*>(q.visual)) DrawMesh(q.frame, *mesh);
        for (const Queued& q : shadows)
            DrawShadow(q.frame, *static_cast<Shadow*>(q.visual));
    }

  private:
    struct FaceStyle {
        raster::State state;
        bool wireframe;
    };

    void DrawMesh(const VisitedFrame& f, const Mesh& mesh) {
        const D3DRMRENDERQUALITY quality = Lesser(device_->GetQuality(), mesh.GetGroupQuality());
        const Geometry& g = mesh.geometry();
        const Matrix modelView = f.world * camera_.view;
        const Texture* texture = f.appearance.fromFrame ? f.appearance.texture : mesh.texture();
        const raster::Texture rasterTexture =
            texture != nullptr ? RasterTexture(*texture) : raster::Texture{};
        FaceStyle style{BaseState(f), (quality & D3DRMFILL_MASK) == D3DRMFILL_WIREFRAME};
        style.state.texture = texture != nullptr ? &rasterTexture : nullptr;
        style.state.perspective = mesh.perspective();
        const Shading shading{quality, FinishOf(mesh.material()), f};
        std::vector<Shaded> vertexColours;
        if ((quality & D3DRMSHADE_MASK) == D3DRMSHADE_GOURAUD)
            for (const MeshVertex& v : g.vertices)
                vertexColours.push_back(Shade(shading, ColourOf(f, v), v.position, v.normal));
        drawn_.clear();
        for (size_t i = 0; i + 2 < g.indices.size(); i += 3) {
            const MeshVertex* corners[3] = {&g.vertices[g.indices[i]],
                                            &g.vertices[g.indices[i + 1]],
                                            &g.vertices[g.indices[i + 2]]};
            CameraVertex face[3];
            for (int k = 0; k < 3; ++k)
                face[k] = {TransformPoint(modelView, corners[k]->position),
                           0,
                           0,
                           0,
                           corners[k]->u,
                           corners[k]->v};
            if (!FacesCamera(face[0].position, face[1].position, face[2].position)) continue;
            ColourFace(shading, corners, vertexColours.empty() ? nullptr : &vertexColours,
                       g.indices.data() + i, face);
            style.state.rampBase = ColourOf(f, *corners[0]) & 0xFFFFFF;
            DrawFace(style, face);
        }
        if (tiles_ && !drawn_.empty()) tiles_->Refresh(drawn_.data(), drawn_.size());
    }

    struct Shading {
        D3DRMRENDERQUALITY quality;
        Finish finish;
        const VisitedFrame& frame;
    };

    static D3DCOLOR ColourOf(const VisitedFrame& f, const MeshVertex& v) {
        return f.appearance.fromFrame ? f.appearance.colour : v.colour;
    }

    Shaded Shade(const Shading& s, D3DCOLOR base, D3DVECTOR position, D3DVECTOR normal) const {
        if ((s.quality & D3DRMLIGHT_MASK) == D3DRMLIGHT_OFF) return Unlit(base, ramp_);
        const Surface surface{TransformPoint(s.frame.world, position),
                              Normalize(TransformDirection(s.frame.world, normal)),
                              Row(s.frame.world, 3)};
        return Combine(Gather(lights_, surface, eye_, s.finish.power), s.finish, base, ramp_);
    }

    void ColourFace(const Shading& s, const MeshVertex* const corners[3],
                    const std::vector<Shaded>* vertexColours, const uint32_t* indices,
                    CameraVertex face[3]) const {
        Shaded flat{};
        if (vertexColours == nullptr) {
            const D3DVECTOR centre =
                (corners[0]->position + corners[1]->position + corners[2]->position) * (1.0f / 3);
            const D3DVECTOR normal = Cross(corners[1]->position - corners[0]->position,
                                           corners[2]->position - corners[0]->position);
            flat = Shade(s, ColourOf(s.frame, *corners[0]), centre, Normalize(normal));
        }
        for (int k = 0; k < 3; ++k) {
            const Shaded c = vertexColours != nullptr ? (*vertexColours)[indices[k]] : flat;
            face[k].r = c.r;
            face[k].g = c.g;
            face[k].b = c.b;
        }
    }

    raster::State BaseState(const VisitedFrame& f) const {
        raster::State state;
        state.cull = false;  // faces were culled in camera space
        state.depthTest = state.depthWrite = f.depthEnabled;
        state.shades = ramp_ ? device_->GetShades() : 0;
        return state;
    }

    void DrawFace(const FaceStyle& style, const CameraVertex face[3]) {
        ClipAndProject(camera_, face, &polygon_);
        if (polygon_.empty()) return;
        device_->CountTriangles(1);
        const size_t n = polygon_.size();
        if (!style.wireframe && style.state.depthTest && tiles_ &&
            tiles_->Hides(polygon_.data(), n, style.state.depthBias))
            return;
        KeepDrawnBounds();
        for (size_t i = 0; i < n && style.wireframe; ++i)
            raster::DrawLine(target_, style.state, polygon_[i], polygon_[(i + 1) % n]);
        for (size_t i = 1; i + 1 < n && !style.wireframe; ++i)
            raster::DrawTriangle(target_, style.state, polygon_[0], polygon_[i], polygon_[i + 1]);
    }

    // The smallest rectangle around what a mesh drew, as two corners, for refreshing tiles.
    void KeepDrawnBounds() {
        for (const raster::Vertex& v : polygon_) {
            if (drawn_.empty()) drawn_ = {v, v};
            drawn_[0].x = std::min(drawn_[0].x, v.x);
            drawn_[0].y = std::min(drawn_[0].y, v.y);
            drawn_[1].x = std::max(drawn_[1].x, v.x);
            drawn_[1].y = std::max(drawn_[1].y, v.y);
        }
    }

    const SceneLight* Find(const Light* light) const {
        for (const SceneLight& l : lights_)
            if (l.light == light) return &l;
        return nullptr;
    }

    void DrawShadow(const VisitedFrame& f, const Shadow& shadow) {
        const SceneLight* light = Find(shadow.light());
        if (light == nullptr || light->light->GetType() == D3DRMLIGHT_AMBIENT) return;
        const Matrix toLocal = InverseAffine(f.world);
        // The light as a homogeneous point (or direction toward it) in the holder's space.
        D3DRMVECTOR4D l{0, 0, 0, 1};
        if (light->light->GetType() == D3DRMLIGHT_DIRECTIONAL) {
            const D3DVECTOR d = TransformDirection(toLocal, light->direction) * -1.0f;
            l = {d.x, d.y, d.z, 0};
        } else {
            const D3DVECTOR p = TransformPoint(toLocal, light->position);
            l = {p.x, p.y, p.z, 1};
        }
        const D3DVECTOR n = shadow.normal();
        const float planeW = -Dot(n, shadow.point());
        const float lightDot = n.x * l.x + n.y * l.y + n.z * l.z + planeW * l.w;
        const Matrix modelView = f.world * camera_.view;
        FaceStyle style{BaseState(f), false};
        style.state.depthBias = kShadowDepthBias;
        style.state.shades = 0;
        const Geometry& g = shadow.mesh()->geometry();
        for (size_t i = 0; i + 2 < g.indices.size(); i += 3) {
            CameraVertex face[3];
            bool onPlane = true;
            for (int k = 0; k < 3; ++k) {
                const D3DVECTOR p = g.vertices[g.indices[i + size_t(k)]].position;
                const float pointDot = Dot(n, p) + planeW;
                const float w = lightDot - l.w * pointDot;
                if (std::abs(w) < 1e-6f) onPlane = false;
                const D3DVECTOR projected{(lightDot * p.x - l.x * pointDot) / w,
                                          (lightDot * p.y - l.y * pointDot) / w,
                                          (lightDot * p.z - l.z * pointDot) / w};
                face[k] = {TransformPoint(modelView, projected), 0, 0, 0, 0, 0};
            }
            if (onPlane) DrawFace(style, face);
        }
    }

    Device* device_;
    Camera camera_;
    D3DVECTOR eye_;
    std::vector<SceneLight> lights_;
    bool ramp_;
    raster::Target target_;
    std::vector<raster::Vertex> polygon_;
    std::optional<raster::DepthTiles> tiles_;  // with a depth buffer only
    std::vector<raster::Vertex> drawn_;        // the current mesh's bounds
};

}  // namespace

Camera CameraOf(const Viewport& viewport) {
    return {InverseAffine(WorldOf(viewport.camera())), viewport.projection()};
}

void RenderScene(const Viewport& viewport, Device* device, const RenderTarget& target) {
    const raster::Target clipped = ClipTo(viewport.rect(), target);
    if (viewport.camera() == nullptr || clipped.clipLeft == clipped.clipRight ||
        clipped.clipTop == clipped.clipBottom)
        return;
    SceneRenderer renderer(viewport, device, target);
    renderer.Draw(viewport.camera()->Root());
}

}  // namespace rm
