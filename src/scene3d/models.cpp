// Models from files, textures from bitmaps, and the one-shot load settings.
#include <string>

#include "scene3d/scene3d.h"
#include "shell/shell.h"

namespace kr3D {

namespace {

LoadSettings ClearedSettings() {
    LoadSettings cleared{};
    cleared.scale = kNoScale;
    return cleared;
}

}  // namespace

LoadSettings loadSettings = ClearedSettings();

namespace {

constexpr size_t kPathSize = 256;

std::string PathOf(const char* fileName) {
    std::string path =
        std::string(krSystem::GetDataPath(0)) + (fileName != nullptr ? fileName : "");
    if (path.size() >= kPathSize) path.resize(kPathSize - 1);
    return path;
}

rm::D3DRMRENDERQUALITY QualityOfSettings() {
    if (loadSettings.wireframe != 0) return rm::D3DRMRENDER_WIREFRAME;
    if (loadSettings.flat != 0) return rm::D3DRMRENDER_FLAT;
    if (loadSettings.unlitFlat != 0) return rm::D3DRMRENDER_UNLITFLAT;
    return rm::D3DRMRENDER_GOURAUD;
}

// The frames first, as the caller's array or one kept here.
void CreateFrames(int32_t count, rm::Frame** frames, rm::Frame** single) {
    rm::Frame* parent = ModelParent();
    if (count <= 0) {
        kr3DState.retainedMode->CreateFrame(parent, single);
        return;
    }
    for (int32_t i = 0; i < count; ++i)
        kr3DState.retainedMode->CreateFrame(parent, &frames[i]);
}

// A zero width or height maps the whole extent to one texel row instead of dividing by zero.
float Extent(float low, float high) {
    return high - low > 0 ? high - low : 1.0f;
}

void MapTexture(rm::Mesh* mesh) {
    rm::D3DRMBOX box{};
    mesh->GetBox(&box);
    const float w = Extent(box.min.x, box.max.x), h = Extent(box.min.y, box.max.y);
    rm::Wrap* wrap = nullptr;
    if (loadSettings.cylindrical != 0) {
        kr3DState.retainedMode->CreateWrap(rm::D3DRMWRAP_CYLINDER, nullptr, 0, 0, 0, 0, 1, 0, 0, 0,
                                           1, 0, box.min.y / h, 1.0f, 1.0f / h, &wrap);
    } else {
        const auto tu = float(loadSettings.tilesU), tv = float(loadSettings.tilesV);
        kr3DState.retainedMode->CreateWrap(rm::D3DRMWRAP_FLAT, nullptr, 0, 0, 0, 0, 0, 1, 0, 1, 0,
                                           box.min.x / w * tu, box.min.y / h * tv, 1.0f / w * tu,
                                           1.0f / h * tv, &wrap);
    }
    if (wrap == nullptr) return;
    wrap->Apply(mesh);
    wrap->Release();
}

rm::Mesh* BuildMesh(rm::MeshBuilder* builder, rm::Material* material) {
    builder->SetMaterial(material);
    builder->SetQuality(QualityOfSettings());
    if (loadSettings.scale != kNoScale)
        builder->Scale(loadSettings.scale, loadSettings.scale, loadSettings.scale);
    if (loadSettings.frameMaterial == 0) {
        if (loadSettings.colourSet != 0)
            builder->SetColorRGB(loadSettings.red, loadSettings.green, loadSettings.blue);
        if (loadSettings.texture != nullptr) builder->SetTexture(loadSettings.texture);
    }
    if (loadSettings.texture != nullptr)
        builder->SetPerspective(loadSettings.perspective != 0 ? TRUE : FALSE);
    rm::Mesh* mesh = nullptr;
    builder->CreateMesh(&mesh);
    return mesh;
}

rm::Visual* ShadowOf(rm::Mesh* mesh) {
    const LightSlot* light = Light(loadSettings.shadowLight);
    if (loadSettings.shadowLight == 0 || light == nullptr || light->light == nullptr)
        return nullptr;
    rm::Visual* shadow = nullptr;
    kr3DState.retainedMode->CreateShadow(mesh, light->light, 0, 0, 0, 0, 1, 0, &shadow);
    return shadow;
}

void DressFrame(rm::Frame* frame, rm::Mesh* mesh, rm::Visual* shadow) {
    frame->AddVisual(mesh);
    if (shadow != nullptr) frame->AddVisual(shadow);
    frame->SetZbufferMode(rm::D3DRMZBUFFER_ENABLE);
}

void PutMaterialOnFrame(rm::Frame* frame) {
    frame->SetMaterialMode(rm::D3DRMMATERIAL_FROMFRAME);
    if (loadSettings.colourSet != 0)
        frame->SetColorRGB(loadSettings.red, loadSettings.green, loadSettings.blue);
    if (loadSettings.texture != nullptr) {
        frame->SetColorRGB(1, 1, 1);
        frame->SetTexture(loadSettings.texture);
    }
}

template <typename T>
void Drop(T* object) {
    if (object != nullptr) object->Release();
}

}  // namespace

void ClearLoadSettings() {
    // Colour, perspective, wrap kind and tiles keep their values; only the flags clear.
    loadSettings.wireframe = loadSettings.flat = loadSettings.unlitFlat = 0;
    loadSettings.colourSet = 0;
    loadSettings.scale = kNoScale;
    loadSettings.texture = nullptr;
    loadSettings.shadowLight = 0;
    loadSettings.parent = nullptr;
    loadSettings.frameMaterial = 0;
}

rm::Frame* ModelParent() {
    return loadSettings.parent != nullptr ? loadSettings.parent : kr3DState.scene;
}

rm::Frame* LoadObject(const char* fileName, int32_t count, rm::Frame** frames) {
    if (kr3DState.retainedMode == nullptr || (count > 0 && frames == nullptr)) {
        krSystem::ErrorBox("kr3D::LoadObject", "Xファイルを読み込めません");
        return nullptr;
    }
    const std::string path = PathOf(fileName);
    rm::Frame* single = nullptr;
    CreateFrames(count, frames, &single);
    rm::MeshBuilder* builder = nullptr;
    rm::Material* material = nullptr;
    kr3DState.retainedMode->CreateMeshBuilder(&builder);
    kr3DState.retainedMode->CreateMaterial(5.0f, &material);
    if (builder->Load(path.c_str(), nullptr, rm::D3DRMLOAD_FROMFILE, nullptr, nullptr) !=
        rm::D3DRM_OK) {
        material->Release();
        builder->Release();
        if (single != nullptr) single->Release();  // it stays in the scene, empty
        krSystem::FileErrorBox("kr3D::LoadObject", "Xファイルを読み込めません", path.c_str());
        return nullptr;
    }
    rm::Mesh* mesh = BuildMesh(builder, material);
    rm::Visual* shadow = ShadowOf(mesh);
    if (loadSettings.texture != nullptr) MapTexture(mesh);
    for (int32_t i = 0; i < (count > 0 ? count : 1); ++i)
        DressFrame(count > 0 ? frames[i] : single, mesh, shadow);
    Drop(shadow);
    Drop(mesh);
    Drop(material);
    Drop(builder);
    for (int32_t i = 0; i < (count > 0 ? count : 1) && loadSettings.frameMaterial != 0; ++i)
        PutMaterialOnFrame(count > 0 ? frames[i] : single);
    ClearLoadSettings();
    return count > 0 ? nullptr : single;
}

rm::Frame* CreateObject() {
    if (kr3DState.retainedMode == nullptr) return nullptr;
    rm::Frame* frame = nullptr;
    kr3DState.retainedMode->CreateFrame(kr3DState.scene, &frame);
    frame->SetZbufferMode(rm::D3DRMZBUFFER_ENABLE);
    return frame;
}

void DeleteObject(rm::Frame** frame) {
    if (frame == nullptr || *frame == nullptr) return;
    if (kr3DState.scene != nullptr) kr3DState.scene->DeleteChild(*frame);
    (*frame)->Release();
    *frame = nullptr;
}

rm::Texture* LoadTexture(const char* fileName) {
    constexpr const char* kOperation = "kr3D::LoadTexture";
    constexpr const char* kCannotLoad = "テクスチャーを読み込めません";
    if (kr3DState.retainedMode == nullptr) {
        krSystem::ErrorBox(kOperation, kCannotLoad);
        return nullptr;
    }
    rm::Texture* texture = nullptr;
    const std::string path = PathOf(fileName);
    if (kr3DState.retainedMode->LoadTexture(path.c_str(), &texture) != rm::D3DRM_OK) {
        krSystem::FileErrorBox(kOperation, kCannotLoad, path.c_str());
        return nullptr;
    }
    return texture;
}

void ReleaseTexture(rm::Texture** texture) {
    if (texture == nullptr || *texture == nullptr) return;
    (*texture)->Release();
    *texture = nullptr;
}

HRESULT ReloadTexture(const char* fileName, rm::Texture** texture) {
    if (texture == nullptr) return rm::D3DRMERR_BADVALUE;
    ReleaseTexture(texture);
    if (kr3DState.retainedMode == nullptr) return rm::D3DRMERR_BADOBJECT;
    return kr3DState.retainedMode->LoadTexture(PathOf(fileName).c_str(), texture);
}

void SetWireframe() {
    loadSettings.wireframe = 1;
}
void SetFlat() {
    loadSettings.flat = 1;
}
void SetUnlitFlat() {
    loadSettings.unlitFlat = 1;
}
void SetFrameMaterial() {
    loadSettings.frameMaterial = 1;
}

void SetColor(float red, float green, float blue) {
    loadSettings.colourSet = 1;
    loadSettings.red = red;
    loadSettings.green = green;
    loadSettings.blue = blue;
}

void SetScale(float scale) {
    loadSettings.scale = scale;
}

void SetTexture(rm::Texture* texture, int32_t perspective, int32_t cylindrical, int32_t tilesU,
                int32_t tilesV) {
    loadSettings.texture = texture;
    loadSettings.perspective = perspective;
    loadSettings.cylindrical = cylindrical;
    loadSettings.tilesU = tilesU;
    loadSettings.tilesV = tilesV;
}

void SetShadow(int32_t light) {
    loadSettings.shadowLight = light;
}
void SetParent(rm::Frame* parent) {
    loadSettings.parent = parent;
}

HRESULT SetTransparentColor(rm::Texture* texture, uint32_t colour) {
    if (texture == nullptr) return rm::D3DRMERR_BADOBJECT;
    texture->SetDecalTransparency(TRUE);
    return texture->SetDecalTransparentColor(colour);
}

HRESULT ClearTransparentColor(rm::Texture* texture) {
    if (texture == nullptr) return rm::D3DRMERR_BADOBJECT;
    return texture->SetDecalTransparency(FALSE);
}

HRESULT SetObjectColor(rm::Frame* frame, float red, float green, float blue) {
    if (frame == nullptr) return rm::D3DRMERR_BADOBJECT;
    return frame->SetColorRGB(red, green, blue);
}

HRESULT SetObjectTexture(rm::Frame* frame, rm::Texture* texture) {
    if (frame == nullptr) return rm::D3DRMERR_BADOBJECT;
    frame->SetColorRGB(1, 1, 1);
    return frame->SetTexture(texture);
}

HRESULT SetObjectGray(rm::Frame* frame, float level) {
    return SetObjectColor(frame, level, level, level);
}

HRESULT ClearObjectTexture(rm::Frame* frame) {
    if (frame == nullptr) return rm::D3DRMERR_BADOBJECT;
    return frame->SetTexture(nullptr);
}

}  // namespace kr3D
