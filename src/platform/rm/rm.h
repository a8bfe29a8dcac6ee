#pragma once
// Retained-mode 3D: a frame tree with meshes, lights and cameras, rendered by our own software
// rasterizer into a colour view with a 16-bit depth buffer. Left-handed axes: x right, y up,
// z into the screen; a camera looks along its frame's +z. Transforms multiply row vectors.
#include "platform/win/types.h"

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/pixels/pixels.h"

namespace dd {
class DirectDraw;
class Surface;
}  // namespace dd

namespace rm {

using ULONG = uint32_t;
using D3DVALUE = float;
using D3DCOLOR = uint32_t;  // 0xAARRGGBB
using D3DRMRENDERQUALITY = uint32_t;
using D3DCOLORMODEL = uint32_t;

struct D3DVECTOR {
    float x, y, z;
};
struct D3DRMVECTOR4D {
    float x, y, z, w;
};
using D3DRMMATRIX4D = float[4][4];
struct D3DRMBOX {
    D3DVECTOR min, max;
};

struct GUID {
    uint32_t Data1;
    uint16_t Data2, Data3;
    uint8_t Data4[8];
    friend bool operator==(const GUID&, const GUID&) = default;
};

// Result codes.
constexpr HRESULT MakeResult(uint32_t code) {
    return static_cast<HRESULT>(0x88760000u | code);
}
inline constexpr HRESULT D3DRM_OK = 0;
inline constexpr HRESULT D3DRMERR_BADOBJECT = MakeResult(781);
inline constexpr HRESULT D3DRMERR_BADTYPE = MakeResult(782);
inline constexpr HRESULT D3DRMERR_BADALLOC = MakeResult(783);
inline constexpr HRESULT D3DRMERR_NOTFOUND = MakeResult(785);
inline constexpr HRESULT D3DRMERR_FILENOTFOUND = MakeResult(787);
inline constexpr HRESULT D3DRMERR_BADFILE = MakeResult(788);
inline constexpr HRESULT D3DRMERR_BADDEVICE = MakeResult(789);
inline constexpr HRESULT D3DRMERR_BADVALUE = MakeResult(790);

inline constexpr uint32_t D3DRMCOMBINE_REPLACE = 0;
inline constexpr uint32_t D3DRMCOMBINE_BEFORE = 1;
inline constexpr uint32_t D3DRMCOMBINE_AFTER = 2;

inline constexpr uint32_t D3DRMCONSTRAIN_Z = 0;
inline constexpr uint32_t D3DRMCONSTRAIN_Y = 1;
inline constexpr uint32_t D3DRMCONSTRAIN_X = 2;

inline constexpr uint32_t D3DRMLIGHT_AMBIENT = 0;
inline constexpr uint32_t D3DRMLIGHT_POINT = 1;
inline constexpr uint32_t D3DRMLIGHT_SPOT = 2;
inline constexpr uint32_t D3DRMLIGHT_DIRECTIONAL = 3;
inline constexpr uint32_t D3DRMLIGHT_PARALLELPOINT = 4;

inline constexpr uint32_t D3DRMSHADE_FLAT = 0x00;
inline constexpr uint32_t D3DRMSHADE_GOURAUD = 0x01;
inline constexpr uint32_t D3DRMSHADE_PHONG = 0x02;
inline constexpr uint32_t D3DRMSHADE_MASK = 0x07;
inline constexpr uint32_t D3DRMLIGHT_OFF = 0x00;
inline constexpr uint32_t D3DRMLIGHT_ON = 0x08;
inline constexpr uint32_t D3DRMLIGHT_MASK = 0x38;
inline constexpr uint32_t D3DRMFILL_POINTS = 0x000;
inline constexpr uint32_t D3DRMFILL_WIREFRAME = 0x040;
inline constexpr uint32_t D3DRMFILL_SOLID = 0x080;
inline constexpr uint32_t D3DRMFILL_MASK = 0x1C0;
inline constexpr D3DRMRENDERQUALITY D3DRMRENDER_WIREFRAME = 0x40;
inline constexpr D3DRMRENDERQUALITY D3DRMRENDER_UNLITFLAT = 0x80;
inline constexpr D3DRMRENDERQUALITY D3DRMRENDER_FLAT = 0x88;
inline constexpr D3DRMRENDERQUALITY D3DRMRENDER_GOURAUD = 0x89;
inline constexpr D3DRMRENDERQUALITY D3DRMRENDER_PHONG = 0x8A;

inline constexpr uint32_t D3DRMWRAP_FLAT = 0;
inline constexpr uint32_t D3DRMWRAP_CYLINDER = 1;

inline constexpr uint32_t D3DRMZBUFFER_FROMPARENT = 0;
inline constexpr uint32_t D3DRMZBUFFER_ENABLE = 1;
inline constexpr uint32_t D3DRMZBUFFER_DISABLE = 2;

inline constexpr uint32_t D3DRMMATERIAL_FROMMESH = 0;
inline constexpr uint32_t D3DRMMATERIAL_FROMPARENT = 1;
inline constexpr uint32_t D3DRMMATERIAL_FROMFRAME = 2;

inline constexpr uint32_t D3DRMTEXTURE_NEAREST = 0;
inline constexpr uint32_t D3DRMLOAD_FROMFILE = 0;
inline constexpr uint32_t D3DRMPROJECT_PERSPECTIVE = 0;

inline constexpr D3DCOLORMODEL D3DCOLOR_MONO = 1;
inline constexpr D3DCOLORMODEL D3DCOLOR_RGB = 2;

inline constexpr DWORD DDBD_32 = 0x100;
inline constexpr DWORD DDBD_24 = 0x200;
inline constexpr DWORD DDBD_16 = 0x400;
inline constexpr DWORD DDBD_8 = 0x800;

inline constexpr HRESULT D3DENUMRET_CANCEL = 0;
inline constexpr HRESULT D3DENUMRET_OK = 1;

constexpr D3DCOLOR RGBA_MAKE(uint32_t r, uint32_t g, uint32_t b, uint32_t a) {
    return (a << 24) | (r << 16) | (g << 8) | b;
}

// Reference counting as the framework expects of released objects: Release at zero deletes.
class Object {
  public:
    Object(const Object&) = delete;
    Object& operator=(const Object&) = delete;
    ULONG AddRef() { return ++references_; }
    ULONG Release();

  protected:
    Object() = default;
    virtual ~Object() = default;

  private:
    ULONG references_ = 1;
};

class Frame;
class Light;
class Mesh;
class Texture;
class Material;
class Device;
class Direct3DRM;

// Anything a frame can show: a mesh or a shadow.
class Visual : public Object {};

class Material : public Object {
  public:
    explicit Material(float power) : power_(power) {}
    float GetPower() const { return power_; }
    HRESULT SetPower(float power);
    HRESULT SetSpecular(float r, float g, float b);
    HRESULT SetEmissive(float r, float g, float b);
    D3DVECTOR specular() const { return specular_; }
    D3DVECTOR emissive() const { return emissive_; }

  private:
    float power_;
    D3DVECTOR specular_{1, 1, 1};
    D3DVECTOR emissive_{0, 0, 0};
};

// 8-8-8 texels (0x00RRGGBB), rows top down.
class Texture : public Object {
  public:
    Texture(int32_t width, int32_t height, std::vector<uint32_t> texels);
    HRESULT SetDecalTransparency(BOOL on);
    HRESULT SetDecalTransparentColor(D3DCOLOR colour);
    BOOL GetDecalTransparency() const { return decal_; }
    D3DCOLOR GetDecalTransparentColor() const { return key_; }
    HRESULT SetShades(DWORD shades);
    HRESULT SetColors(DWORD colours);
    int32_t width() const { return width_; }
    int32_t height() const { return height_; }
    const std::vector<uint32_t>& texels() const { return texels_; }

  private:
    int32_t width_, height_;
    std::vector<uint32_t> texels_;
    BOOL decal_ = FALSE;
    D3DCOLOR key_ = 0;
    DWORD shades_ = 16, colours_ = 256;
};

struct MeshVertex {
    D3DVECTOR position;
    D3DVECTOR normal;
    float u, v;
    D3DCOLOR colour;
};

// The geometry both the builder and the mesh hold: triangles over shared vertices.
struct Geometry {
    std::vector<MeshVertex> vertices;
    std::vector<uint32_t> indices;  // three per face, clockwise seen from the front
};

class Mesh : public Visual {
  public:
    explicit Mesh(Geometry geometry) : geometry_(std::move(geometry)) {}
    ~Mesh() override;
    HRESULT GetBox(D3DRMBOX* box) const;
    HRESULT SetGroupQuality(D3DRMRENDERQUALITY quality);
    D3DRMRENDERQUALITY GetGroupQuality() const { return quality_; }
    HRESULT SetGroupTexture(Texture* texture);
    HRESULT SetGroupMaterial(Material* material);
    HRESULT SetGroupColorRGB(float r, float g, float b);
    HRESULT SetPerspective(BOOL on);

    const Geometry& geometry() const { return geometry_; }
    Geometry& geometry() { return geometry_; }
    Texture* texture() const { return texture_; }
    Material* material() const { return material_; }
    bool perspective() const { return perspective_; }

  private:
    friend class MeshBuilder;
    Geometry geometry_;
    D3DRMRENDERQUALITY quality_ = D3DRMRENDER_GOURAUD;
    Texture* texture_ = nullptr;
    Material* material_ = nullptr;
    bool perspective_ = false;
};

class MeshBuilder : public Object {
  public:
    ~MeshBuilder() override;
    // Any format the importer reads; .X text, binary and compressed. A file whose declared
    // counts it cannot hold, or whose faces name missing vertices, is D3DRMERR_BADFILE.
    HRESULT Load(const char* path, const char* objectName, uint32_t options, void* callback,
                 void* argument);
    HRESULT SetMaterial(Material* material);
    HRESULT SetQuality(D3DRMRENDERQUALITY quality);
    HRESULT Scale(float sx, float sy, float sz);
    HRESULT SetColorRGB(float r, float g, float b);
    HRESULT SetTexture(Texture* texture);
    HRESULT SetPerspective(BOOL on);
    HRESULT GetBox(D3DRMBOX* box) const;
    HRESULT CreateMesh(Mesh** mesh) const;
    // Geometry made in code instead of loaded.
    void SetGeometry(Geometry geometry) { geometry_ = std::move(geometry); }
    const Geometry& geometry() const { return geometry_; }

  private:
    Geometry geometry_;
    D3DRMRENDERQUALITY quality_ = D3DRMRENDER_GOURAUD;
    Texture* texture_ = nullptr;
    Material* material_ = nullptr;
    bool perspective_ = false;
};

class Light : public Object {
  public:
    Light(uint32_t type, float r, float g, float b) : type_(type), colour_{r, g, b} {}
    uint32_t GetType() const { return type_; }
    D3DVECTOR colour() const { return colour_; }
    HRESULT SetColorRGB(float r, float g, float b);
    HRESULT SetConstantAttenuation(float value);
    HRESULT SetLinearAttenuation(float value);
    HRESULT SetQuadraticAttenuation(float value);
    // 1 / (c + d·l + d²·q), at most 1.
    float Attenuation(float distance) const;

  private:
    uint32_t type_;
    D3DVECTOR colour_;
    float constant_ = 1, linear_ = 0, quadratic_ = 0;
};

class Wrap : public Object {
  public:
    struct Basis {
        D3DVECTOR origin, x, y, z;
    };
    Wrap(uint32_t type, Frame* reference, const Basis& basis, float ou, float ov, float su,
         float sv);
    ~Wrap() override;
    // Texture coordinates from the current vertex positions (in the reference frame's space,
    // or the mesh's own when there is none).
    HRESULT Apply(Mesh* mesh) const;
    // Texture coordinates of one point given in the wrap's reference space.
    void Map(const D3DVECTOR& point, float* u, float* v) const;

  private:
    uint32_t type_;
    Frame* reference_;
    Basis basis_;
    float ou_, ov_, su_, sv_;
};

// A mesh's silhouette projected from a light onto a plane, drawn flat and black.
class Shadow : public Visual {
  public:
    Shadow(Mesh* mesh, Light* light, const D3DVECTOR& point, const D3DVECTOR& normal);
    ~Shadow() override;
    Mesh* mesh() const { return mesh_; }
    Light* light() const { return light_; }
    D3DVECTOR point() const { return point_; }
    D3DVECTOR normal() const { return normal_; }

  private:
    Mesh* mesh_;
    Light* light_;
    D3DVECTOR point_, normal_;
};

class Frame : public Object {
  public:
    explicit Frame(Direct3DRM* owner);
    ~Frame() override;

    HRESULT AddChild(Frame* child);
    HRESULT DeleteChild(Frame* child);
    HRESULT GetParent(Frame** parent);  // adds a reference when there is one
    Frame* parent() const { return parent_; }
    const std::vector<Frame*>& children() const { return children_; }
    Frame* Root();

    HRESULT AddTransform(uint32_t combine, const D3DRMMATRIX4D matrix);
    HRESULT AddTranslation(uint32_t combine, float x, float y, float z);
    HRESULT AddRotation(uint32_t combine, float x, float y, float z, float theta);
    HRESULT AddScale(uint32_t combine, float sx, float sy, float sz);
    HRESULT GetTransform(D3DRMMATRIX4D matrix) const;
    // A null reference means the scene root's space (world).
    HRESULT SetPosition(Frame* reference, float x, float y, float z);
    HRESULT GetPosition(Frame* reference, D3DVECTOR* position) const;
    HRESULT SetOrientation(Frame* reference, float dx, float dy, float dz, float ux, float uy,
                           float uz);
    HRESULT GetOrientation(Frame* reference, D3DVECTOR* direction, D3DVECTOR* up) const;
    HRESULT LookAt(Frame* target, Frame* reference, uint32_t constraint);
    // Local point to world.
    HRESULT Transform(D3DVECTOR* world, const D3DVECTOR* local) const;
    HRESULT InverseTransform(D3DVECTOR* local, const D3DVECTOR* world) const;

    // Motion applied by Tick: velocity per tick unit, rotation in radians per tick unit.
    HRESULT SetVelocity(Frame* reference, float x, float y, float z, BOOL withRotation);
    HRESULT GetVelocity(Frame* reference, D3DVECTOR* velocity, BOOL withRotation) const;
    HRESULT SetRotation(Frame* reference, float x, float y, float z, float theta);
    void Move(float delta);

    HRESULT AddVisual(Visual* visual);
    HRESULT DeleteVisual(Visual* visual);
    const std::vector<Visual*>& visuals() const { return visuals_; }
    HRESULT AddLight(Light* light);
    HRESULT DeleteLight(Light* light);
    const std::vector<Light*>& lights() const { return lights_; }

    HRESULT SetZbufferMode(uint32_t mode);
    uint32_t GetZbufferMode() const { return zbufferMode_; }
    HRESULT SetMaterialMode(uint32_t mode);
    uint32_t GetMaterialMode() const { return materialMode_; }
    HRESULT SetColorRGB(float r, float g, float b);
    HRESULT SetColor(D3DCOLOR colour);
    D3DCOLOR GetColor() const { return colour_; }
    HRESULT SetTexture(Texture* texture);
    Texture* texture() const { return texture_; }

    HRESULT SetSceneBackgroundRGB(float r, float g, float b);
    HRESULT SetSceneBackground(D3DCOLOR colour);
    D3DCOLOR GetSceneBackground() const;

    // Local to world, through every parent.
    void WorldMatrix(float out[4][4]) const;
    void DetachOwner() { owner_ = nullptr; }

  private:
    void CombineLocal(uint32_t combine, const float m[4][4]);

    Direct3DRM* owner_;
    Frame* parent_ = nullptr;
    std::vector<Frame*> children_;
    std::vector<Visual*> visuals_;
    std::vector<Light*> lights_;
    float local_[4][4];
    D3DVECTOR velocity_{0, 0, 0};  // in the parent's space, or own axes with rotation
    bool velocityWithRotation_ = false;
    D3DVECTOR rotationAxis_{0, 0, 1};  // in the parent's space
    float rotationRate_ = 0;
    uint32_t zbufferMode_ = D3DRMZBUFFER_FROMPARENT;
    uint32_t materialMode_ = D3DRMMATERIAL_FROMMESH;
    D3DCOLOR colour_ = 0xFFFFFFFF;
    Texture* texture_ = nullptr;
    D3DCOLOR background_ = 0xFF000000;
};

// Where a device draws: the colour pixels and the 16-bit depth values of the same size. The
// display's 3D surface and Z buffer lock into it for each render.
struct RenderTarget {
    pixels::View colour;
    uint16_t* depth;
    int32_t depthPitch;  // in depth values
};
class TargetSource {
  public:
    virtual ~TargetSource() = default;
    virtual bool Lock(RenderTarget* target) = 0;
    virtual void Unlock() = 0;
};

class Viewport;

struct D3DRMPICKDESC {
    ULONG ulFaceIdx;
    LONG lGroupIdx;
    D3DVECTOR vPosition;  // screen x, screen y, depth
};

class FrameArray : public Object {
  public:
    explicit FrameArray(std::vector<Frame*> frames) : frames_(std::move(frames)) {}
    ~FrameArray() override;
    DWORD GetSize() const { return static_cast<DWORD>(frames_.size()); }
    HRESULT GetElement(DWORD index, Frame** frame) const;  // adds a reference

  private:
    std::vector<Frame*> frames_;
};

class PickedArray : public Object {
  public:
    struct Pick {
        Visual* visual;
        std::vector<Frame*> path;  // root first, holder last
        D3DRMPICKDESC desc;
    };
    explicit PickedArray(std::vector<Pick> picks);
    ~PickedArray() override;
    DWORD GetSize() const { return static_cast<DWORD>(picks_.size()); }
    HRESULT GetPick(DWORD index, Visual** visual, FrameArray** frames, D3DRMPICKDESC* desc) const;

  private:
    std::vector<Pick> picks_;
};

class Viewport : public Object {
  public:
    Viewport(Device* device, Frame* camera, int32_t x, int32_t y, int32_t width, int32_t height);
    ~Viewport() override;

    HRESULT SetField(float field);
    float GetField() const { return field_; }
    HRESULT SetFront(float front);
    float GetFront() const { return front_; }
    HRESULT SetBack(float back);
    float GetBack() const { return back_; }
    HRESULT SetCamera(Frame* camera);
    Frame* camera() const { return camera_; }
    HRESULT Configure(int32_t x, int32_t y, int32_t width, int32_t height);
    RECT rect() const;  // right and bottom saturate at the largest int32
    HRESULT ForceUpdate(int32_t left, int32_t top, int32_t right, int32_t bottom);
    const std::vector<RECT>& forcedRects() const { return forced_; }
    // World point to homogeneous screen coordinates (x/w, y/w in device pixels including the
    // viewport's offset; z/w from 0 at the front plane to 1 at the back; w the camera depth).
    HRESULT Transform(D3DRMVECTOR4D* screen, const D3DVECTOR* world) const;
    HRESULT InverseTransform(D3DVECTOR* world, const D3DRMVECTOR4D* screen) const;
    // Every visual under the pixel, nearest first.
    HRESULT Pick(LONG x, LONG y, PickedArray** picks) const;
    // Clears the rectangle to the scene's background and draws the scene.
    HRESULT Render(const RenderTarget& target);
    HRESULT Clear(const RenderTarget& target) const;
    void DetachDevice() { device_ = nullptr; }

    // Camera space to screen; shared with the renderer and the picker.
    struct Projection {
        float scale, centreX, centreY, front, back, field;
    };
    Projection projection() const;

  private:
    Device* device_;
    Frame* camera_;
    int32_t x_, y_, width_, height_;
    float field_ = 0.5f, front_ = 1.0f, back_ = 100.0f;
    std::vector<RECT> forced_;
};

class Device : public Object {
  public:
    Device(Direct3DRM* owner, TargetSource* source, int32_t width, int32_t height,
           D3DCOLORMODEL model);
    ~Device() override;

    HRESULT SetBufferCount(DWORD count);
    HRESULT SetQuality(D3DRMRENDERQUALITY quality);
    D3DRMRENDERQUALITY GetQuality() const { return quality_; }
    HRESULT SetShades(DWORD shades);
    DWORD GetShades() const { return shades_; }
    HRESULT SetDither(BOOL on);
    HRESULT SetTextureQuality(uint32_t quality);
    DWORD GetTrianglesDrawn() const { return triangles_; }
    D3DCOLORMODEL GetColorModel() const { return model_; }
    int32_t GetWidth() const { return width_; }
    int32_t GetHeight() const { return height_; }
    // Renders every viewport, in creation order.
    HRESULT Update();

    void AddViewport(Viewport* viewport) { viewports_.push_back(viewport); }
    void RemoveViewport(Viewport* viewport);
    void CountTriangles(DWORD count) { triangles_ += count; }
    void DetachOwner() { owner_ = nullptr; }
    // A source that lives and dies with the device.
    void Own(std::unique_ptr<TargetSource> source) {
        owned_ = std::move(source);
        source_ = owned_.get();
    }

  private:
    Direct3DRM* owner_;
    TargetSource* source_;
    std::unique_ptr<TargetSource> owned_;
    int32_t width_, height_;
    D3DCOLORMODEL model_;
    D3DRMRENDERQUALITY quality_ = D3DRMRENDER_FLAT;
    DWORD shades_ = 32;
    DWORD bufferCount_ = 1;
    BOOL dither_ = TRUE;
    uint32_t textureQuality_ = D3DRMTEXTURE_NEAREST;
    DWORD triangles_ = 0;
    std::vector<Viewport*> viewports_;
};

class Direct3DRM : public Object {
  public:
    ~Direct3DRM() override;
    HRESULT CreateFrame(Frame* parent, Frame** frame);
    HRESULT CreateMeshBuilder(MeshBuilder** builder);
    HRESULT CreateMaterial(float power, Material** material);
    HRESULT CreateLightRGB(uint32_t type, float r, float g, float b, Light** light);
    HRESULT CreateViewport(Device* device, Frame* camera, int32_t x, int32_t y, int32_t width,
                           int32_t height, Viewport** viewport);
    // The device draws through source, which must outlive it; the GUID chooses the colour model.
    HRESULT CreateDeviceFromTarget(const GUID* guid, TargetSource* source, int32_t width,
                                   int32_t height, Device** device);
    // A device on a display surface: it draws into the surface's pixels and into the depth
    // values of the Z buffer attached to it, or into depth memory of its own when none is.
    // Nothing is drawn while the surface is lost.
    HRESULT CreateDeviceFromSurface(const GUID* guid, dd::DirectDraw* directDraw,
                                    dd::Surface* surface, Device** device);
    HRESULT CreateWrap(uint32_t type, Frame* reference, float ox, float oy, float oz, float dx,
                       float dy, float dz, float ux, float uy, float uz, float ou, float ov,
                       float su, float sv, Wrap** wrap);
    HRESULT CreateShadow(Visual* visual, Light* light, float px, float py, float pz, float nx,
                         float ny, float nz, Visual** shadow);
    // A BMP file: 8-bit palettes and 16, 24 and 32-bit pixels.
    HRESULT LoadTexture(const char* path, Texture** texture);
    HRESULT SetDefaultTextureColors(DWORD colours);
    HRESULT SetDefaultTextureShades(DWORD shades);
    // Moves every moving frame by delta, then renders every device.
    HRESULT Tick(float delta);

    void Register(Frame* frame) { frames_.push_back(frame); }
    void Unregister(Frame* frame);
    void Register(Device* device) { devices_.push_back(device); }
    void Unregister(Device* device);

  private:
    friend HRESULT Direct3DRMCreate(Direct3DRM** rm);
    Direct3DRM() = default;
    std::vector<Frame*> frames_;
    std::vector<Device*> devices_;
    DWORD textureColours_ = 256, textureShades_ = 16;
};

HRESULT Direct3DRMCreate(Direct3DRM** rm);

// The device list that the framework's search walks.
struct D3DDEVICEDESC {
    DWORD dwSize;
    DWORD dwFlags;
    D3DCOLORMODEL dcmColorModel;
    DWORD dwDevCaps;
    DWORD dwDeviceRenderBitDepth;
    DWORD dwDeviceZBufferBitDepth;
};
using LPD3DENUMDEVICESCALLBACK = HRESULT (*)(GUID* guid, char* description, char* name,
                                             D3DDEVICEDESC* hardware, D3DDEVICEDESC* software,
                                             void* context);
// Two software devices: the RGB colour model, then the mono (ramp) model.
inline constexpr GUID IID_SoftwareRgbDevice{0x6B5A3D01, 0x4F2E, 0x11D0, {1, 2, 3, 4, 5, 6, 7, 8}};
inline constexpr GUID IID_SoftwareMonoDevice{0x6B5A3D02, 0x4F2E, 0x11D0, {1, 2, 3, 4, 5, 6, 7, 8}};
class Direct3D : public Object {
  public:
    HRESULT EnumDevices(LPD3DENUMDEVICESCALLBACK callback, void* context) const;
};
HRESULT Direct3DCreate(Direct3D** d3d);

}  // namespace rm
