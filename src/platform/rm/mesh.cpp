// Materials, textures, lights, meshes and the mesh builder's loading through assimp.
#include <assimp/postprocess.h>
#include <assimp/scene.h>
#include <algorithm>
#include <assimp/Importer.hpp>
#include <cmath>
#include <numbers>
#include <string>
#include <utility>
#include <vector>

#include "platform/pixels/bmp.h"
#include "platform/rm/matrix.h"
#include "platform/rm/xfile_check.h"

namespace rm {
namespace {

template <typename T>
void Hold(T*& slot, T* object) {
    if (object != nullptr) object->AddRef();
    if (slot != nullptr) slot->Release();
    slot = object;
}

HRESULT BoxOf(const Geometry& geometry, D3DRMBOX* box) {
    if (box == nullptr) return D3DRMERR_BADVALUE;
    if (geometry.vertices.empty()) {
        *box = {{0, 0, 0}, {0, 0, 0}};
        return D3DRM_OK;
    }
    D3DVECTOR low = geometry.vertices[0].position, high = low;
    for (const MeshVertex& v : geometry.vertices) {
        low = {std::min(low.x, v.position.x), std::min(low.y, v.position.y),
               std::min(low.z, v.position.z)};
        high = {std::max(high.x, v.position.x), std::max(high.y, v.position.y),
                std::max(high.z, v.position.z)};
    }
    *box = {low, high};
    return D3DRM_OK;
}

void Recolour(Geometry& geometry, D3DCOLOR colour) {
    for (MeshVertex& v : geometry.vertices)
        v.colour = colour;
}

D3DCOLOR DiffuseOf(const aiMaterial* material) {
    aiColor4D diffuse(1, 1, 1, 1);
    aiString name;
    // Faces without a material are white. The importer gives them a gray one of its own, which
    // unlike every material read from a file (even an unnamed one) has no name at all.
    if (material == nullptr || material->Get(AI_MATKEY_NAME, name) != AI_SUCCESS) return 0xFFFFFFFF;
    material->Get(AI_MATKEY_COLOR_DIFFUSE, diffuse);
    return ColourOf(diffuse.r, diffuse.g, diffuse.b);
}

D3DVECTOR Apply(const aiMatrix4x4& m, const aiVector3D& p, float w) {
    const aiVector3D r(m.a1 * p.x + m.a2 * p.y + m.a3 * p.z + m.a4 * w,
                       m.b1 * p.x + m.b2 * p.y + m.b3 * p.z + m.b4 * w,
                       m.c1 * p.x + m.c2 * p.y + m.c3 * p.z + m.c4 * w);
    return {r.x, r.y, r.z};
}

// One imported mesh appended to the geometry; false when a face names a missing vertex.
bool AppendMesh(const aiScene& scene, const aiMesh& mesh, const aiMatrix4x4& transform,
                Geometry* out) {
    const auto base = static_cast<uint32_t>(out->vertices.size());
    const D3DCOLOR colour =
        DiffuseOf(mesh.mMaterialIndex < scene.mNumMaterials ? scene.mMaterials[mesh.mMaterialIndex]
                                                            : nullptr);
    for (unsigned i = 0; i < mesh.mNumVertices; ++i) {
        MeshVertex v{Apply(transform, mesh.mVertices[i], 1), {0, 0, 0}, 0, 0, colour};
        if (mesh.mNormals != nullptr) v.normal = Normalize(Apply(transform, mesh.mNormals[i], 0));
        if (mesh.mTextureCoords[0] != nullptr) {
            v.u = mesh.mTextureCoords[0][i].x;
            v.v = mesh.mTextureCoords[0][i].y;
        }
        if (mesh.mColors[0] != nullptr) {
            const aiColor4D& c = mesh.mColors[0][i];
            v.colour = ColourOf(c.r, c.g, c.b);
        }
        out->vertices.push_back(v);
    }
    for (unsigned f = 0; f < mesh.mNumFaces; ++f) {
        const aiFace& face = mesh.mFaces[f];
        if (face.mNumIndices != 3) continue;  // points and lines have no area
        for (unsigned k = 0; k < 3; ++k) {
            if (face.mIndices[k] >= mesh.mNumVertices) return false;
            out->indices.push_back(base + face.mIndices[k]);
        }
    }
    return true;
}

// The node tree walked with a stack of our own: a file may nest its frames deeper than the
// thread's stack would allow a recursion to go.
bool AppendNodes(const aiScene& scene, Geometry* out) {
    std::vector<std::pair<const aiNode*, aiMatrix4x4>> pending{{scene.mRootNode, aiMatrix4x4()}};
    while (!pending.empty()) {
        const auto [node, parent] = pending.back();
        pending.pop_back();
        const aiMatrix4x4 transform = parent * node->mTransformation;
        for (unsigned i = 0; i < node->mNumMeshes; ++i) {
            if (node->mMeshes[i] >= scene.mNumMeshes) return false;
            if (!AppendMesh(scene, *scene.mMeshes[node->mMeshes[i]], transform, out)) return false;
        }
        // Children in reverse, so that they come off the stack in the file's order.
        for (unsigned i = node->mNumChildren; i > 0; --i)
            pending.emplace_back(node->mChildren[i - 1], transform);
    }
    return true;
}

// Every face names existing vertices, and the mesh's primitive kinds are those its faces have.
bool FacesAreSound(const aiScene& scene) {
    for (unsigned m = 0; m < scene.mNumMeshes; ++m) {
        const aiMesh& mesh = *scene.mMeshes[m];
        unsigned kinds = 0;
        for (unsigned f = 0; f < mesh.mNumFaces; ++f) {
            const aiFace& face = mesh.mFaces[f];
            if (face.mNumIndices == 0) return false;
            for (unsigned i = 0; i < face.mNumIndices; ++i)
                if (face.mIndices[i] >= mesh.mNumVertices) return false;
            kinds |= face.mNumIndices == 1   ? aiPrimitiveType_POINT
                     : face.mNumIndices == 2 ? aiPrimitiveType_LINE
                     : face.mNumIndices == 3 ? aiPrimitiveType_TRIANGLE
                                             : aiPrimitiveType_POLYGON;
        }
        if (kinds != mesh.mPrimitiveTypes) return false;
    }
    return true;
}

// The X files checked first and handed over from memory, so that the importer reads exactly the
// bytes that were checked; other formats as the importer finds them.
const aiScene* Import(Assimp::Importer& importer, const char* path, const std::string& bytes) {
    constexpr unsigned kSteps =
        aiProcess_ConvertToLeftHanded | aiProcess_JoinIdenticalVertices | aiProcess_Triangulate;
    if (!xfile::IsXFile(path, bytes)) return importer.ReadFile(path, kSteps);
    const std::string_view body = xfile::WithoutByteOrderMark(bytes);
    if (xfile::CheckBytes(body) != D3DRM_OK) return nullptr;
    // The importer's own steps assert on meshes whose faces it read wrong: they run only on
    // meshes that are checked first.
    const aiScene* scene = importer.ReadFileFromMemory(body.data(), body.size(), 0, "x");
    if (scene == nullptr || !FacesAreSound(*scene)) return nullptr;
    return importer.ApplyPostProcessing(kSteps);
}

// Vertices without normals take the average of their faces' normals.
void FillMissingNormals(Geometry* g) {
    std::vector<D3DVECTOR> sums(g->vertices.size(), D3DVECTOR{0, 0, 0});
    for (size_t i = 0; i + 2 < g->indices.size(); i += 3) {
        const D3DVECTOR a = g->vertices[g->indices[i]].position;
        const D3DVECTOR n = Cross(g->vertices[g->indices[i + 1]].position - a,
                                  g->vertices[g->indices[i + 2]].position - a);
        for (size_t k = 0; k < 3; ++k)
            sums[g->indices[i + k]] = sums[g->indices[i + k]] + n;
    }
    for (size_t i = 0; i < sums.size(); ++i)
        if (Length(g->vertices[i].normal) == 0) g->vertices[i].normal = Normalize(sums[i]);
}

}  // namespace

HRESULT Material::SetPower(float power) {
    return Keep(power_, power);
}
HRESULT Material::SetSpecular(float r, float g, float b) {
    return Keep(specular_, D3DVECTOR{r, g, b});
}
HRESULT Material::SetEmissive(float r, float g, float b) {
    return Keep(emissive_, D3DVECTOR{r, g, b});
}

Texture::Texture(int32_t width, int32_t height, std::vector<uint32_t> texels)
    : width_(width), height_(height), texels_(std::move(texels)) {}
HRESULT Texture::SetDecalTransparency(BOOL on) {
    return Keep(decal_, on);
}
HRESULT Texture::SetDecalTransparentColor(D3DCOLOR colour) {
    return Keep(key_, colour);
}
HRESULT Texture::SetShades(DWORD shades) {
    return Keep(shades_, shades);
}
HRESULT Texture::SetColors(DWORD colours) {
    return Keep(colours_, colours);
}

HRESULT Light::SetColorRGB(float r, float g, float b) {
    return Keep(colour_, D3DVECTOR{r, g, b});
}
HRESULT Light::SetConstantAttenuation(float value) {
    return Keep(constant_, value);
}
HRESULT Light::SetLinearAttenuation(float value) {
    return Keep(linear_, value);
}
HRESULT Light::SetQuadraticAttenuation(float value) {
    return Keep(quadratic_, value);
}
float Light::Attenuation(float distance) const {
    const float divisor = constant_ + distance * linear_ + distance * distance * quadratic_;
    return divisor <= 1 ? 1.0f : 1.0f / divisor;
}

Mesh::~Mesh() {
    Hold(texture_, static_cast<Texture*>(nullptr));
    Hold(material_, static_cast<Material*>(nullptr));
}
HRESULT Mesh::GetBox(D3DRMBOX* box) const {
    return BoxOf(geometry_, box);
}
HRESULT Mesh::SetGroupQuality(D3DRMRENDERQUALITY quality) {
    return Keep(quality_, quality);
}
HRESULT Mesh::SetGroupTexture(Texture* texture) {
    Hold(texture_, texture);
    return D3DRM_OK;
}
HRESULT Mesh::SetGroupMaterial(Material* material) {
    Hold(material_, material);
    return D3DRM_OK;
}
HRESULT Mesh::SetGroupColorRGB(float r, float g, float b) {
    Recolour(geometry_, ColourOf(r, g, b));
    return D3DRM_OK;
}
HRESULT Mesh::SetPerspective(BOOL on) {
    perspective_ = on != FALSE;
    return D3DRM_OK;
}

MeshBuilder::~MeshBuilder() {
    Hold(texture_, static_cast<Texture*>(nullptr));
    Hold(material_, static_cast<Material*>(nullptr));
}

HRESULT MeshBuilder::Load(const char* path, const char*, uint32_t options, void*, void*) {
    if (path == nullptr || options != D3DRMLOAD_FROMFILE) return D3DRMERR_BADVALUE;
    std::string bytes;
    const HRESULT read = xfile::ReadModelFile(path, &bytes);
    if (read != D3DRM_OK) return read;
    Assimp::Importer importer;
    const aiScene* scene = Import(importer, path, bytes);
    if (scene == nullptr || scene->mRootNode == nullptr) return D3DRMERR_BADFILE;
    Geometry loaded;
    if (!AppendNodes(*scene, &loaded)) return D3DRMERR_BADFILE;
    if (loaded.indices.empty()) return D3DRMERR_BADFILE;
    FillMissingNormals(&loaded);
    geometry_ = std::move(loaded);
    return D3DRM_OK;
}

HRESULT MeshBuilder::SetMaterial(Material* material) {
    Hold(material_, material);
    return D3DRM_OK;
}
HRESULT MeshBuilder::SetQuality(D3DRMRENDERQUALITY quality) {
    return Keep(quality_, quality);
}
HRESULT MeshBuilder::Scale(float sx, float sy, float sz) {
    for (MeshVertex& v : geometry_.vertices) {
        v.position = {v.position.x * sx, v.position.y * sy, v.position.z * sz};
        v.normal = Normalize({v.normal.x / sx, v.normal.y / sy, v.normal.z / sz});
    }
    return D3DRM_OK;
}
HRESULT MeshBuilder::SetColorRGB(float r, float g, float b) {
    Recolour(geometry_, ColourOf(r, g, b));
    return D3DRM_OK;
}
HRESULT MeshBuilder::SetTexture(Texture* texture) {
    Hold(texture_, texture);
    return D3DRM_OK;
}
HRESULT MeshBuilder::SetPerspective(BOOL on) {
    perspective_ = on != FALSE;
    return D3DRM_OK;
}
HRESULT MeshBuilder::GetBox(D3DRMBOX* box) const {
    return BoxOf(geometry_, box);
}

HRESULT MeshBuilder::CreateMesh(Mesh** mesh) const {
    if (mesh == nullptr) return D3DRMERR_BADVALUE;
    Mesh* made = new Mesh(geometry_);
    made->quality_ = quality_;
    made->perspective_ = perspective_;
    made->SetGroupTexture(texture_);
    made->SetGroupMaterial(material_);
    *mesh = made;
    return D3DRM_OK;
}

Wrap::Wrap(uint32_t type, Frame* reference, const Basis& basis, float ou, float ov, float su,
           float sv)
    : type_(type), reference_(reference), basis_(basis), ou_(ou), ov_(ov), su_(su), sv_(sv) {
    if (reference_ != nullptr) reference_->AddRef();
}

Wrap::~Wrap() {
    if (reference_ != nullptr) reference_->Release();
}

void Wrap::Map(const D3DVECTOR& point, float* u, float* v) const {
    const D3DVECTOR q = point - basis_.origin;
    const float x = Dot(q, basis_.x), y = Dot(q, basis_.y), z = Dot(q, basis_.z);
    if (type_ == D3DRMWRAP_CYLINDER) {
        // The angle is measured from the up axis toward +x, so u is 0 where the up vector points.
        double angle = std::atan2(double(x), double(y));
        if (angle < 0) angle += 2 * std::numbers::pi;
        *u = float(su_ * angle / (2 * std::numbers::pi)) - ou_;
        *v = sv_ * z - ov_;
        return;
    }
    *u = su_ * x - ou_;
    *v = sv_ * y - ov_;
}

HRESULT Wrap::Apply(Mesh* mesh) const {
    if (mesh == nullptr) return D3DRMERR_BADOBJECT;
    for (MeshVertex& vertex : mesh->geometry().vertices)
        Map(vertex.position, &vertex.u, &vertex.v);
    return D3DRM_OK;
}

Shadow::Shadow(Mesh* mesh, Light* light, const D3DVECTOR& point, const D3DVECTOR& normal)
    : mesh_(mesh), light_(light), point_(point), normal_(normal) {
    mesh_->AddRef();
    light_->AddRef();
}

Shadow::~Shadow() {
    mesh_->Release();
    light_->Release();
}

HRESULT Direct3DRM::LoadTexture(const char* path, Texture** texture) {
    if (path == nullptr || texture == nullptr) return D3DRMERR_BADVALUE;
    pixels::Picture picture;
    const pixels::BmpLoad loaded = pixels::LoadBmpFile(path, &picture);
    if (loaded == pixels::BmpLoad::kNotFound) return D3DRMERR_FILENOTFOUND;
    if (loaded != pixels::BmpLoad::kLoaded) return D3DRMERR_BADFILE;
    *texture = new Texture(picture.width, picture.height, std::move(picture.rgb));
    (*texture)->SetShades(textureShades_);
    (*texture)->SetColors(textureColours_);
    return D3DRM_OK;
}

}  // namespace rm
