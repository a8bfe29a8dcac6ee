#pragma once
// What a renderer needs to draw a viewport's scene itself: the meshes nearest first with their
// world matrices, the camera, the lights and the ramp, read from the retained-mode objects.
#include <cstdint>
#include <deque>
#include <vector>

#include "platform/rm/rm.h"

namespace peer {

struct MeshDraw {
    float world[4][4];  // row vectors: p' = p·M
    // Per vertex: position x, y, z, normal x, y, z, texture u, v.
    const std::vector<float>* vertices;
    const std::vector<uint32_t>* indices;  // three per face, clockwise seen from the front
    const rm::Texture* texture;            // null: the base colour
    uint32_t colour;                       // 0x00RRGGBB, the ramp's base when untextured
    bool perspective;
    float power;         // of the specular highlight; 0 for none
    float specularGray;  // the material's specular colour's mean
};

// A light that reaches a surface from one direction: from a point seen from the mesh's origin
// (parallel point) or along a fixed direction.
struct DirectedLight {
    bool fromPoint;
    float position[3];  // world, for a point
    float toLight[3];   // world, for a direction
    float gray;         // the colour's mean
};

struct SceneData {
    std::vector<MeshDraw> meshes;  // nearest first
    float view[4][4];              // world to camera
    float eye[3];                  // the camera's world position
    rm::Viewport::Projection projection;
    int32_t width, height;  // the viewport's
    float ambientGray;
    std::vector<DirectedLight> lights;
    uint32_t shades;
    uint32_t background;  // 0x00RRGGBB
    // Mesh geometry flattened once per mesh, which the draws point into.
    std::deque<std::vector<float>> vertexStore;
    std::deque<std::vector<uint32_t>> indexStore;
};

// Only what the maze scene uses is read: Gouraud-lit ramp meshes, ambient,
// directional and parallel-point lights. False, with nothing filled, for anything else.
bool SceneDataOf(const rm::Viewport& viewport, const rm::Device& device, SceneData* scene);

// Our renderer's last picture of the viewport: the 3D surface's 5-6-5 pixels under its rectangle,
// rows top down; empty when the surface cannot be read.
std::vector<uint16_t> RenderedPixels(const rm::Viewport& viewport);

struct Agreement {
    size_t same;   // pixels equal in both pictures
    size_t lit;    // pixels not black in the first
    size_t total;  // pixels of the first
};
// Compares two pictures pixel by pixel; a picture of another size agrees on nothing.
Agreement Compare(const std::vector<uint16_t>& ours, const std::vector<uint16_t>& theirs);

}  // namespace peer
