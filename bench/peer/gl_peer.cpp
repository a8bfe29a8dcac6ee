// OpenGL through EGL on a surfaceless display: no window, no pixels leave the process.
#include "gl_peer.h"

#define GL_GLEXT_PROTOTYPES
#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <string>

namespace peer {
namespace {

constexpr int kMaxLights = 3;

// Ours: per-vertex intensity from the ambient level, each directed light and its highlight on
// the material, interpolated
// without perspective; texture coordinates affine or perspective-correct as the mesh asks.
const char* const kVertexShader = R"(#version 330 core
layout(location = 0) in vec3 position;
layout(location = 1) in vec3 normal;
layout(location = 2) in vec2 uv;
layout(location = 3) in mat4 world;  // per instance
uniform mat4 view;
uniform vec4 projection;  // x and y scales, z scale and offset
uniform vec3 eye;
uniform float ambient, power, specularGray;
uniform int lightCount;
uniform bool fromPoint[3];
uniform vec3 lightPosition[3], toLight[3];
uniform float lightGray[3];
noperspective out float intensity;
noperspective out vec2 affine;
out vec2 corrected;
void main() {
    vec4 placed = world * vec4(position, 1.0);
    vec3 camera = (view * placed).xyz;
    gl_Position = vec4(camera.x * projection.x, camera.y * projection.y,
                       camera.z * projection.z + projection.w, camera.z);
    vec3 n = mat3(world) * normal;
    n = length(n) > 0.0 ? normalize(n) : n;
    vec3 toEye = normalize(eye - placed.xyz);
    float diffuse = ambient, specular = 0.0;
    for (int i = 0; i < lightCount; ++i) {
        vec3 l = fromPoint[i] ? normalize(lightPosition[i] - world[3].xyz) : toLight[i];
        float facing = dot(n, l);
        if (facing <= 0.0) continue;
        diffuse += lightGray[i] * facing;
        if (power > 0.0)
            specular += lightGray[i] * pow(max(0.0, dot(n, normalize(l + toEye))), power);
    }
    intensity = clamp(diffuse + specular * specularGray, 0.0, 1.0) * 255.0;
    affine = uv;
    corrected = uv;
}
)";

// Ours: the intensity truncated, cut to the ramp's levels, scaling each texel channel, packed
// by dropping low bits. The ramp's integer quotients are exact in float at these sizes. Built
// with and without the decal key: a shader that may discard loses the early depth test.
const char* const kFragmentShader = R"(
noperspective in float intensity;
noperspective in vec2 affine;
in vec2 corrected;
uniform bool perspective;
uniform sampler2D texels;
uniform float top;  // the ramp's highest level
uniform uvec3 key;
out vec4 colour;
void main() {
    vec2 uv = perspective ? corrected : affine;
    uvec3 texel = uvec3(round(texture(texels, uv).rgb * 255.0));
#if DECAL
    if (texel == key) discard;
#endif
    float level = clamp(floor(intensity), 0.0, 255.0);
    float scale = top == 0.0 ? 255.0 : floor(floor((level * top + 127.0) / 255.0) * 255.0 / top);
    uvec3 c = (texel * (uint(scale) + 1u)) >> 8u;
    colour = vec4(vec3(c >> uvec3(3u, 2u, 3u)) / vec3(31.0, 63.0, 31.0), 1.0);
}
)";

GLuint Compile(GLenum kind, const char* source) {
    const GLuint shader = glCreateShader(kind);
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    return shader;
}

GLuint Link(bool decal) {
    const GLuint program = glCreateProgram();
    const std::string fragment =
        std::string("#version 330 core\n#define DECAL ") + (decal ? "1" : "0") + kFragmentShader;
    const GLuint shaders[] = {Compile(GL_VERTEX_SHADER, kVertexShader),
                              Compile(GL_FRAGMENT_SHADER, fragment.c_str())};
    for (GLuint shader : shaders)
        glAttachShader(program, shader);
    glLinkProgram(program);
    for (GLuint shader : shaders)
        glDeleteShader(shader);
    GLint linked = GL_FALSE;
    glGetProgramiv(program, GL_LINK_STATUS, &linked);
    if (linked == GL_TRUE) return program;
    glDeleteProgram(program);
    return 0;
}

struct UploadedMesh {
    GLuint array, buffers[2];
    GLsizei count;
};

// Neighbours in the nearest-first order that share geometry and look, drawn as instances of
// one draw: what an OpenGL program does with 180 copies of one wall.
struct Run {
    size_t first, count;
    const MeshDraw* draw;
};

bool SameLook(const MeshDraw& a, const MeshDraw& b) {
    return a.vertices == b.vertices && a.texture == b.texture && a.colour == b.colour &&
           a.perspective == b.perspective && a.power == b.power && a.specularGray == b.specularGray;
}

std::pair<const rm::Texture*, uint32_t> TextureKey(const MeshDraw& draw) {
    return {draw.texture, draw.texture != nullptr ? 0 : draw.colour};
}

// What the draws need of a texture, so that they need not read it again.
struct UploadedTexture {
    GLuint name;
    GLint width, height;
    bool decal;
    uint32_t key;
};

}  // namespace

struct GlPeer::Gl {
    EGLDisplay display = EGL_NO_DISPLAY;
    EGLContext context = EGL_NO_CONTEXT;
    GLuint framebuffer = 0, renderbuffers[2] = {0, 0}, programs[2] = {0, 0}, instances = 0;
    std::vector<Run> runs;
    std::map<const std::vector<float>*, UploadedMesh> meshes;
    // By texture, or by colour for the untextured.
    std::map<std::pair<const rm::Texture*, uint32_t>, UploadedTexture> textures;
    const SceneData* scene = nullptr;

    ~Gl() {
        if (context != EGL_NO_CONTEXT) {
            for (auto& [vertices, mesh] : meshes) {
                glDeleteVertexArrays(1, &mesh.array);
                glDeleteBuffers(2, mesh.buffers);
            }
            for (auto& [source, texture] : textures)
                glDeleteTextures(1, &texture.name);
            for (GLuint program : programs)
                glDeleteProgram(program);
            glDeleteBuffers(1, &instances);
            glDeleteRenderbuffers(2, renderbuffers);
            glDeleteFramebuffers(1, &framebuffer);
            eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
            eglDestroyContext(display, context);
        }
        // The display stays initialised: terminating it unloads the driver, whose caches
        // would then read as leaks of an unknown module.
    }

    bool Start() {
        // Read when the driver loads: software rendering, in the calling thread only.
        setenv("EGL_PLATFORM", "surfaceless", 1);
        setenv("LIBGL_ALWAYS_SOFTWARE", "1", 1);
        setenv("LP_NUM_THREADS", "0", 1);
        display =
            eglGetPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
        if (display == EGL_NO_DISPLAY) return false;
        if (eglInitialize(display, nullptr, nullptr) != EGL_TRUE) {
            display = EGL_NO_DISPLAY;
            return false;
        }
        if (eglBindAPI(EGL_OPENGL_API) != EGL_TRUE) return false;
        const EGLint contextWanted[] = {EGL_CONTEXT_MAJOR_VERSION,
                                        3,
                                        EGL_CONTEXT_MINOR_VERSION,
                                        3,
                                        EGL_CONTEXT_OPENGL_PROFILE_MASK,
                                        EGL_CONTEXT_OPENGL_CORE_PROFILE_BIT,
                                        EGL_NONE};
        // No surface, so no config: the framebuffer below holds the pixels.
        context = eglCreateContext(display, EGL_NO_CONFIG_KHR, EGL_NO_CONTEXT, contextWanted);
        if (context == EGL_NO_CONTEXT) return false;
        return eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, context) == EGL_TRUE;
    }

    bool MakeTarget(int32_t width, int32_t height) {
        glGenFramebuffers(1, &framebuffer);
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
        glGenRenderbuffers(2, renderbuffers);
        glBindRenderbuffer(GL_RENDERBUFFER, renderbuffers[0]);
        glRenderbufferStorage(GL_RENDERBUFFER, GL_RGB565, width, height);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER,
                                  renderbuffers[0]);
        glBindRenderbuffer(GL_RENDERBUFFER, renderbuffers[1]);
        glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT16, width, height);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER,
                                  renderbuffers[1]);
        glViewport(0, 0, width, height);
        return glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    }

    void Upload(const MeshDraw& draw) {
        if (meshes.contains(draw.vertices)) return;
        UploadedMesh mesh{0, {0, 0}, GLsizei(draw.indices->size())};
        glGenVertexArrays(1, &mesh.array);
        glBindVertexArray(mesh.array);
        glGenBuffers(2, mesh.buffers);
        glBindBuffer(GL_ARRAY_BUFFER, mesh.buffers[0]);
        glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(draw.vertices->size() * sizeof(float)),
                     draw.vertices->data(), GL_STATIC_DRAW);
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, mesh.buffers[1]);
        glBufferData(GL_ELEMENT_ARRAY_BUFFER, GLsizeiptr(draw.indices->size() * sizeof(uint32_t)),
                     draw.indices->data(), GL_STATIC_DRAW);
        constexpr GLsizei kStride = 8 * sizeof(float);
        const GLint sizes[] = {3, 3, 2};
        for (GLuint attribute = 0, offset = 0; attribute < 3;
             offset += GLuint(sizes[attribute++])) {
            glEnableVertexAttribArray(attribute);
            glVertexAttribPointer(attribute, sizes[attribute], GL_FLOAT, GL_FALSE, kStride,
                                  reinterpret_cast<const void*>(uintptr_t(offset * sizeof(float))));
        }
        glBindBuffer(GL_ARRAY_BUFFER, instances);
        for (GLuint column = 3; column < 7; ++column) {
            glEnableVertexAttribArray(column);
            glVertexAttribDivisor(column, 1);
        }
        meshes[draw.vertices] = mesh;
    }

    // A texture, or the base colour as a texture of one texel.
    void Upload(const MeshDraw& draw, const rm::Texture* source) {
        if (textures.contains(TextureKey(draw))) return;
        UploadedTexture texture{0, 1, 1, false, 0};
        if (source != nullptr)
            texture = {0, source->width(), source->height(),
                       source->GetDecalTransparency() != FALSE,
                       source->GetDecalTransparentColor() & 0xFFFFFF};
        glGenTextures(1, &texture.name);
        glBindTexture(GL_TEXTURE_2D, texture.name);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, texture.width, texture.height, 0, GL_BGRA,
                     GL_UNSIGNED_BYTE, source != nullptr ? source->texels().data() : &draw.colour);
        textures[TextureKey(draw)] = texture;
    }

    // Every mesh's world matrix in drawing order, and the runs that share a draw.
    void UploadInstances() {
        std::vector<float> worlds;
        for (const MeshDraw& draw : scene->meshes) {
            worlds.insert(worlds.end(), &draw.world[0][0], &draw.world[0][0] + 16);
            if (runs.empty() || !SameLook(*runs.back().draw, draw))
                runs.push_back({size_t(&draw - scene->meshes.data()), 0, &draw});
            ++runs.back().count;
        }
        glGenBuffers(1, &instances);
        glBindBuffer(GL_ARRAY_BUFFER, instances);
        glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(worlds.size() * sizeof(float)), worlds.data(),
                     GL_STATIC_DRAW);
    }

    static GLint At(GLuint program, const char* name) {
        return glGetUniformLocation(program, name);
    }

    void SetSceneUniforms(GLuint program) {
        const SceneData& s = *scene;
        const rm::Viewport::Projection& p = s.projection;
        const float k = p.scale * p.front / p.field;
        const float depth = p.back - p.front;
        glUseProgram(program);
        glUniformMatrix4fv(At(program, "view"), 1, GL_FALSE, &s.view[0][0]);
        glUniform4f(At(program, "projection"), k / (float(s.width) / 2), k / (float(s.height) / 2),
                    (p.back + p.front) / depth, -2 * p.front * p.back / depth);
        glUniform1f(At(program, "ambient"), s.ambientGray);
        glUniform3fv(At(program, "eye"), 1, s.eye);
        const int count = std::min<int>(kMaxLights, int(s.lights.size()));
        glUniform1i(At(program, "lightCount"), count);
        for (int i = 0; i < count; ++i) {
            const DirectedLight& l = s.lights[size_t(i)];
            const std::string index = "[" + std::to_string(i) + "]";
            glUniform1i(At(program, ("fromPoint" + index).c_str()), l.fromPoint);
            glUniform3fv(At(program, ("lightPosition" + index).c_str()), 1, l.position);
            glUniform3fv(At(program, ("toLight" + index).c_str()), 1, l.toLight);
            glUniform1f(At(program, ("lightGray" + index).c_str()), l.gray);
        }
        glUniform1f(At(program, "top"), s.shades > 0 ? float(s.shades - 1) : 0.0f);
        glUniform1i(At(program, "texels"), 0);
    }

    bool Open(const SceneData& s) {
        scene = &s;
        if (!Start() || int(s.lights.size()) > kMaxLights || !MakeTarget(s.width, s.height))
            return false;
        for (const bool decal : {false, true})
            if ((programs[decal] = Link(decal)) == 0) return false;
        UploadInstances();
        for (const MeshDraw& draw : s.meshes) {
            Upload(draw);
            Upload(draw, draw.texture);
        }
        for (GLuint program : programs)
            SetSceneUniforms(program);
        glEnable(GL_DEPTH_TEST);
        glDepthFunc(GL_LEQUAL);
        glEnable(GL_CULL_FACE);
        glFrontFace(GL_CW);
        glCullFace(GL_BACK);
        const uint32_t b = s.background;
        glClearColor(float(b >> 16 & 0xFF) / 255, float(b >> 8 & 0xFF) / 255, float(b & 0xFF) / 255,
                     1);
        glClearDepth(1);
        return glGetError() == GL_NO_ERROR;
    }

    void Draw() const {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glBindBuffer(GL_ARRAY_BUFFER, instances);
        for (const Run& run : runs) {
            const MeshDraw& draw = *run.draw;
            const UploadedTexture& t = textures.at(TextureKey(draw));
            const GLuint program = programs[t.decal];
            glUseProgram(program);
            glUniform1i(At(program, "perspective"), draw.perspective && draw.texture != nullptr);
            glUniform1f(At(program, "power"), draw.power);
            glUniform1f(At(program, "specularGray"), draw.specularGray);
            glUniform3ui(At(program, "key"), t.key >> 16 & 0xFF, t.key >> 8 & 0xFF, t.key & 0xFF);
            glBindTexture(GL_TEXTURE_2D, t.name);
            const UploadedMesh& mesh = meshes.at(draw.vertices);
            glBindVertexArray(mesh.array);
            for (GLuint column = 0; column < 4; ++column)
                glVertexAttribPointer(
                    3 + column, 4, GL_FLOAT, GL_FALSE, 16 * sizeof(float),
                    reinterpret_cast<const void*>((run.first * 16 + column * 4) * sizeof(float)));
            glDrawElementsInstanced(GL_TRIANGLES, mesh.count, GL_UNSIGNED_INT, nullptr,
                                    GLsizei(run.count));
        }
        glFinish();
    }
};

GlPeer::GlPeer() = default;
GlPeer::~GlPeer() = default;

bool GlPeer::Open(const SceneData& scene) {
    gl_ = std::make_unique<Gl>();
    if (gl_->Open(scene)) return true;
    gl_.reset();
    return false;
}

void GlPeer::Draw() {
    gl_->Draw();
}

std::vector<uint16_t> GlPeer::Pixels() const {
    const int32_t width = gl_->scene->width, height = gl_->scene->height;
    std::vector<uint16_t> bottomUp(size_t(width) * size_t(height));
    glPixelStorei(GL_PACK_ALIGNMENT, 2);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_SHORT_5_6_5, bottomUp.data());
    std::vector<uint16_t> topDown(bottomUp.size());
    for (int32_t y = 0; y < height; ++y)
        std::copy_n(bottomUp.begin() + ptrdiff_t(y) * width, width,
                    topDown.begin() + ptrdiff_t(height - 1 - y) * width);
    return topDown;
}

}  // namespace peer
