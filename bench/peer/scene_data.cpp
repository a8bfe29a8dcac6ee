// Reads a viewport's scene the way the renderer walks it, for another renderer to draw.
#include "scene_data.h"

#include <algorithm>
#include <map>

#include "draw/pixels16.h"
#include "platform/rm/matrix.h"
#include "platform/rm/scene.h"

namespace peer {
namespace {

// The mesh's vertices and indices flattened once, however many frames show it.
struct Flattened {
    const std::vector<float>* vertices;
    const std::vector<uint32_t>* indices;
};

Flattened Flatten(const rm::Mesh& mesh, SceneData* scene) {
    std::vector<float> vertices;
    for (const rm::MeshVertex& v : mesh.geometry().vertices)
        vertices.insert(vertices.end(), {v.position.x, v.position.y, v.position.z, v.normal.x,
                                         v.normal.y, v.normal.z, v.u, v.v});
    scene->vertexStore.push_back(std::move(vertices));
    scene->indexStore.push_back(mesh.geometry().indices);
    return {&scene->vertexStore.back(), &scene->indexStore.back()};
}

bool ReadLights(rm::Frame* root, SceneData* scene) {
    bool known = true;
    rm::WalkFrames(root, [&](const rm::VisitedFrame& f) {
        for (const rm::Light* light : f.frame->lights()) {
            const rm::D3DVECTOR c = light->colour();
            const float gray = (c.x + c.y + c.z) / 3;
            const rm::D3DVECTOR position = rm::Row(f.world, 3);
            const rm::D3DVECTOR toLight = rm::Normalize(rm::Row(f.world, 2)) * -1.0f;
            switch (light->GetType()) {
                case rm::D3DRMLIGHT_AMBIENT:
                    scene->ambientGray += gray;
                    break;
                case rm::D3DRMLIGHT_PARALLELPOINT:
                case rm::D3DRMLIGHT_DIRECTIONAL:
                    scene->lights.push_back({light->GetType() == rm::D3DRMLIGHT_PARALLELPOINT,
                                             {position.x, position.y, position.z},
                                             {toLight.x, toLight.y, toLight.z},
                                             gray});
                    break;
                default:
                    known = false;
            }
        }
    });
    return known;
}

// Meshes nearest first by their frame's origin, as the renderer orders them.
bool ReadMeshes(rm::Frame* root, const rm::Matrix& view, SceneData* scene) {
    struct Queued {
        float depth;
        MeshDraw draw;
    };
    std::vector<Queued> queued;
    std::map<const rm::Mesh*, Flattened> flattened;
    bool known = true;
    rm::WalkFrames(root, [&](const rm::VisitedFrame& f) {
        for (rm::Visual* visual : f.frame->visuals()) {
            const auto* mesh = dynamic_cast<const rm::Mesh*>(visual);
            if (mesh == nullptr || !f.depthEnabled ||
                mesh->GetGroupQuality() != rm::D3DRMRENDER_GOURAUD) {
                known = false;
                continue;
            }
            if (!flattened.contains(mesh)) flattened[mesh] = Flatten(*mesh, scene);
            const rm::Texture* texture =
                f.appearance.fromFrame ? f.appearance.texture : mesh->texture();
            const rm::D3DCOLOR colour = f.appearance.fromFrame
                                            ? f.appearance.colour
                                            : mesh->geometry().vertices.at(0).colour;
            const rm::Material* material = mesh->material();
            const rm::D3DVECTOR specular =
                material != nullptr ? material->specular() : rm::D3DVECTOR{0, 0, 0};
            MeshDraw draw{{},
                          flattened[mesh].vertices,
                          flattened[mesh].indices,
                          texture,
                          colour & 0xFFFFFF,
                          mesh->perspective(),
                          material != nullptr ? material->GetPower() : 0,
                          (specular.x + specular.y + specular.z) / 3};
            f.world.CopyTo(draw.world);
            queued.push_back({rm::TransformPoint(view, rm::Row(f.world, 3)).z, draw});
        }
    });
    std::stable_sort(queued.begin(), queued.end(),
                     [](const Queued& a, const Queued& b) { return a.depth < b.depth; });
    for (const Queued& q : queued)
        scene->meshes.push_back(q.draw);
    return known;
}

}  // namespace

bool SceneDataOf(const rm::Viewport& viewport, const rm::Device& device, SceneData* scene) {
    *scene = SceneData{};
    rm::Frame* camera = viewport.camera();
    if (camera == nullptr || device.GetColorModel() != rm::D3DCOLOR_MONO ||
        device.GetQuality() != rm::D3DRMRENDER_GOURAUD)
        return false;
    const rm::Camera c = rm::CameraOf(viewport);
    c.view.CopyTo(scene->view);
    const rm::D3DVECTOR eye = rm::Row(rm::WorldOf(camera), 3);
    scene->eye[0] = eye.x;
    scene->eye[1] = eye.y;
    scene->eye[2] = eye.z;
    scene->projection = c.projection;
    const RECT rect = viewport.rect();
    scene->width = rect.right - rect.left;
    scene->height = rect.bottom - rect.top;
    scene->shades = device.GetShades();
    scene->background = camera->GetSceneBackground() & 0xFFFFFF;
    rm::Frame* root = camera->Root();
    if (!ReadLights(root, scene) || !ReadMeshes(root, c.view, scene)) {
        *scene = SceneData{};
        return false;
    }
    return true;
}

std::vector<uint16_t> RenderedPixels(const rm::Viewport& viewport) {
    const RECT rect = viewport.rect();
    krDraw::pixels16::Locked locked;
    if (!krDraw::pixels16::Lock(krDraw::display.surface3D, locked)) return {};
    std::vector<uint16_t> pixels;
    for (int32_t y = rect.top; y < rect.bottom; ++y)
        pixels.insert(pixels.end(), locked.Row(y) + rect.left, locked.Row(y) + rect.right);
    krDraw::pixels16::Unlock(locked);
    return pixels;
}

Agreement Compare(const std::vector<uint16_t>& ours, const std::vector<uint16_t>& theirs) {
    Agreement agreement{0, 0, ours.size()};
    for (size_t i = 0; i < ours.size(); ++i) {
        agreement.same += ours.size() == theirs.size() && ours[i] == theirs[i];
        agreement.lit += ours[i] != 0;
    }
    return agreement;
}

}  // namespace peer
