// The models in the text X format: positions, faces, one normal and one texture coordinate per
// position, and a white material. The axes are left-handed (x right, y up, z away from the
// viewer) and a face's front is the side from which its corners run clockwise.
#include <array>
#include <cmath>
#include <cstdio>
#include <numbers>
#include <vector>

#include "data_files.h"

namespace assets {

namespace {

struct Vec3 {
    double x, y, z;
};
struct TexCoord {
    double u, v;
};
using Face = std::array<int, 3>;

struct Mesh {
    std::vector<Vec3> positions;
    std::vector<Vec3> normals;        // one per position
    std::vector<TexCoord> texCoords;  // one per position
    std::vector<Face> faces;
};

Vec3 Minus(const Vec3& a, const Vec3& b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
Vec3 Cross(const Vec3& a, const Vec3& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
double Dot(const Vec3& a, const Vec3& b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

// The side a face's front looks to: with clockwise fronts in left-handed axes, the cross
// product of its first two edges.
Vec3 FrontDirection(const Mesh& mesh, const Face& face) {
    const Vec3& a = mesh.positions[face[0]];
    return Cross(Minus(mesh.positions[face[1]], a), Minus(mesh.positions[face[2]], a));
}

std::string Number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.6f", std::fabs(value) < 5e-7 ? 0.0 : value);
    return text;
}

// Items separated by ",\n" and closed by ";\n", as the format's arrays are.
template <typename Items, typename Write>
void WriteArray(std::string& out, const Items& items, const char* indent, Write write) {
    out += indent + std::to_string(items.size()) + ";\n";
    for (size_t i = 0; i < items.size(); ++i) {
        out += indent;
        write(items[i]);
        out += i + 1 < items.size() ? ",\n" : ";\n";
    }
}

std::string ToXText(const char* name, const Mesh& mesh) {
    std::string out = "xof 0302txt 0032\n\nMesh " + std::string(name) + " {\n";
    auto vector = [&](const Vec3& v) {
        out += Number(v.x) + ";" + Number(v.y) + ";" + Number(v.z) + ";";
    };
    auto face = [&](const Face& f) {
        out += "3;" + std::to_string(f[0]) + "," + std::to_string(f[1]) + "," +
               std::to_string(f[2]) + ";";
    };
    WriteArray(out, mesh.positions, " ", vector);
    WriteArray(out, mesh.faces, " ", face);
    out += " MeshNormals {\n";
    WriteArray(out, mesh.normals, "  ", vector);
    WriteArray(out, mesh.faces, "  ", face);
    out += " }\n MeshTextureCoords {\n";
    WriteArray(out, mesh.texCoords, "  ",
               [&](const TexCoord& t) { out += Number(t.u) + ";" + Number(t.v) + ";"; });
    out += " }\n MeshMaterialList {\n  1;\n";
    WriteArray(out, std::vector<int>(mesh.faces.size(), 0), "  ",
               [&](int material) { out += std::to_string(material); });
    out.insert(out.size() - 1, ";");  // the face list ends its member too
    out +=
        "  Material {\n   1.000000;1.000000;1.000000;1.000000;;\n   0.000000;\n"
        "   0.000000;0.000000;0.000000;;\n   0.000000;0.000000;0.000000;;\n  }\n }\n}\n";
    return out;
}

}  // namespace

std::string MakePanelModel() {
    constexpr double kHalf = 8.0;
    Mesh panel;
    panel.positions = {
        {-kHalf, kHalf, 0}, {kHalf, kHalf, 0}, {kHalf, -kHalf, 0}, {-kHalf, -kHalf, 0}};
    panel.normals.assign(4, Vec3{0, 0, -1});
    panel.texCoords = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    // Top left, top right, bottom right: clockwise as seen from -z.
    panel.faces = {{0, 1, 2}, {0, 2, 3}};
    return ToXText("Panel", panel);
}

std::string MakeBallModel() {
    constexpr double kRadius = 4.0;
    constexpr int kSlices = 16, kStacks = 10;
    Mesh ball;
    for (int stack = 0; stack <= kStacks; ++stack) {
        const double theta = std::numbers::pi * stack / kStacks;
        for (int slice = 0; slice <= kSlices; ++slice) {
            const double phi = 2 * std::numbers::pi * slice / kSlices;
            const Vec3 normal{std::sin(theta) * std::cos(phi), std::cos(theta),
                              std::sin(theta) * std::sin(phi)};
            ball.normals.push_back(normal);
            ball.positions.push_back({kRadius * normal.x, kRadius * normal.y, kRadius * normal.z});
            ball.texCoords.push_back({double(slice) / kSlices, double(stack) / kStacks});
        }
    }
    auto corner = [](int stack, int slice) { return stack * (kSlices + 1) + slice; };
    for (int stack = 0; stack < kStacks; ++stack) {
        for (int slice = 0; slice < kSlices; ++slice) {
            const int a = corner(stack, slice), b = corner(stack, slice + 1);
            const int c = corner(stack + 1, slice + 1), d = corner(stack + 1, slice);
            // The quads at the poles have two corners in one point: one triangle each.
            if (stack > 0) ball.faces.push_back({a, b, c});
            if (stack < kStacks - 1) ball.faces.push_back({a, c, d});
        }
    }
    // Every front outward: toward the face's centre seen from the sphere's.
    for (Face& face : ball.faces) {
        const Vec3& a = ball.positions[face[0]];
        const Vec3& b = ball.positions[face[1]];
        const Vec3& c = ball.positions[face[2]];
        const Vec3 centre{a.x + b.x + c.x, a.y + b.y + c.y, a.z + b.z + c.z};
        if (Dot(FrontDirection(ball, face), centre) < 0) std::swap(face[1], face[2]);
    }
    return ToXText("Ball", ball);
}

}  // namespace assets
