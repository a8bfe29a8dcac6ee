// Loading meshes (good, broken and hostile .X files), the mesh builder, and BMP textures.
#include <gtest/gtest.h>

#include <unistd.h>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/rm/rm.h"
#include "platform/rm/xfile_check.h"
#include "scene3d/scene3d_fixture.h"
#include "x_writer.h"

namespace {

const char kQuad[] = R"(xof 0302txt 0032
Material red { 1.0; 0.0; 0.0; 1.0;; 5.0; 1.0; 1.0; 1.0;; 0.0; 0.0; 0.0;; }
Mesh quad {
 4;
 -1.0; 1.0; 0.0;,
 1.0; 1.0; 0.0;,
 1.0; -1.0; 2.0;,
 -1.0; -1.0; 0.0;;
 2;
 3; 0, 1, 2;,
 3; 0, 2, 3;;
 MeshMaterialList { 1; 2; 0, 0;; { red } }
}
)";

class MeshFileTest : public testing::Test {
  protected:
    void SetUp() override {
        rm::Direct3DRMCreate(&rm_);
        rm_->CreateMeshBuilder(&builder_);
    }
    void TearDown() override {
        builder_->Release();
        rm_->Release();
        std::filesystem::remove(path_);
    }
    // Every load in a test reads the same file, written afresh.
    const std::string& Write(const std::string& bytes) {
        std::ofstream(path_, std::ios::binary) << bytes;
        return path_;
    }
    HRESULT Load(const std::string& bytes) {
        return builder_->Load(Write(bytes).c_str(), nullptr, rm::D3DRMLOAD_FROMFILE, nullptr,
                              nullptr);
    }

    rm::Direct3DRM* rm_ = nullptr;
    rm::MeshBuilder* builder_ = nullptr;
    const std::string path_ = testing::TempDir() + "rm_mesh_" + std::to_string(::getpid()) + ".x";
};

// Positions and the clockwise order come back as written; shared corners become one vertex.
TEST_F(MeshFileTest, ATextFileLoadsWithItsOwnAxesWindingAndMaterial) {
    ASSERT_EQ(Load(kQuad), rm::D3DRM_OK);
    const rm::Geometry& g = builder_->geometry();
    ASSERT_EQ(g.vertices.size(), 4u);
    ASSERT_EQ(g.indices.size(), 6u);
    const float x[6] = {-1, 1, 1, -1, 1, -1}, y[6] = {1, 1, -1, 1, -1, -1},
                z[6] = {0, 0, 2, 0, 2, 0};
    for (size_t i = 0; i < 6; ++i)
        ExpectNear(g.vertices[g.indices[i]].position, {x[i], y[i], z[i]}, 0);
    EXPECT_EQ(g.vertices[0].colour, 0xFFFF0000u);
    EXPECT_GT(std::abs(g.vertices[0].normal.z), 0.5f) << "normals made when the file has none";
    // Every way a load can fail leaves the builder as it was.
    const std::string quad = kQuad;
    for (const std::string& bad : {std::string("xof 0302txt 0032\nMesh { this is not a mesh }"),
                                   std::string(), std::string("not a model of any kind"),
                                   quad.substr(0, quad.size() / 2), std::string("xof 03")})
        EXPECT_NE(Load(bad), rm::D3DRM_OK) << bad;
    EXPECT_EQ(
        builder_->Load("/nonexistent/nothing.x", nullptr, rm::D3DRMLOAD_FROMFILE, nullptr, nullptr),
        rm::D3DRMERR_FILENOTFOUND);
    EXPECT_EQ(builder_->geometry().vertices.size(), 4u);
    ASSERT_EQ(Load("xof 0302txt 0032\nMesh { 6; 0;0;0;, 1;0;0;, 1;1;0;, 0;0;0;, 1;1;0;, 0;1;0;;\n"
                   " 2; 3; 0,2,1;, 3; 3,5,4;; }\n"),
              rm::D3DRM_OK);
    EXPECT_EQ(builder_->geometry().vertices.size(), 4u) << "shared corners";
}

TEST_F(MeshFileTest, CountsTheFileCannotHoldAreRefusedBeforeLoading) {
    const std::string kTriangle =
        "xof 0302txt 0032\nMesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3; 0,1,2;;\n";
    const std::string hostile[] = {
        // Four hundred million vertices in a few bytes.
        "xof 0302txt 0032\nMesh { 400000000; 0;0;0;;\n 1; 3; 0,0,0;; }\n",
        // A face with a hundred million corners.
        "xof 0302txt 0032\nMesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 100000000; 0,1,2;; }\n",
        // Faces naming vertices that do not exist.
        "xof 0302txt 0032\nMesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3; 0,1,7;; }\n",
        "xof 0302txt 0032\nMesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3; 0,1,-2;; }\n",
        // Too many normals, texture coordinates, colours, material indices.
        kTriangle + " MeshNormals { 300000000; 0;0;1;; 1; 3; 0,0,0;; } }\n",
        kTriangle + " MeshTextureCoords { 999999999; 0;0;; } }\n",
        kTriangle + " MeshVertexColors { 77777777; 0; 1;1;1;1;;; } }\n",
        kTriangle + " MeshMaterialList { 1; 500000000; 0;; } }\n",
        "xof 0302txt 0032\nMesh { -5; 0;0;0;; 1; 3; 0,0,0;; }\n",
    };
    for (const std::string& text : hostile) {
        EXPECT_EQ(rm::xfile::CheckBytes(text), rm::D3DRMERR_BADFILE) << text;
        EXPECT_EQ(Load(text), rm::D3DRMERR_BADFILE) << text;
    }
    EXPECT_EQ(builder_->geometry().vertices.size(), 0u);
    EXPECT_EQ(rm::xfile::CheckBytes(kQuad), rm::D3DRM_OK);
    EXPECT_FALSE(rm::xfile::IsXFile("model.stl", "solid ascii stl, not ours to check"));
    EXPECT_TRUE(rm::xfile::IsXFile("model.dat", "\xEF\xBB\xBFxof 0302txt 0032"));
    EXPECT_TRUE(rm::xfile::IsXFile("MODEL.X", "anything"));
}

TEST_F(MeshFileTest, AFileBeyondSixtyFourMegabytesIsRefusedUnread) {
    const std::string path =
        Write(std::string("xof 0302txt 0032\nMesh { 3; 0;0;0;, 1;0;0;, 0;1;0;;") +
              " 5000000; 3; 0,1,2;,");
    std::filesystem::resize_file(path, std::uintmax_t{256} << 20);  // sparse: no disk is spent
    EXPECT_EQ(builder_->Load(path.c_str(), nullptr, rm::D3DRMLOAD_FROMFILE, nullptr, nullptr),
              rm::D3DRMERR_BADFILE);
}

TEST_F(MeshFileTest, BinaryFilesAreCheckedTheSameWay) {
    EXPECT_EQ(rm::xfile::CheckBytes(assets::BinaryTriangleX(3)), rm::D3DRM_OK);
    EXPECT_EQ(Load(assets::BinaryTriangleX(3)), rm::D3DRM_OK);
    EXPECT_EQ(builder_->geometry().indices.size(), 3u);
    EXPECT_EQ(Load(assets::BinaryTriangleX(400000000)), rm::D3DRMERR_BADFILE);
    EXPECT_EQ(Load(assets::BinaryTriangleX(3, 100000000)), rm::D3DRMERR_BADFILE)
        << "longer than the file";
    const std::string good = assets::BinaryTriangleX(3);
    EXPECT_NE(Load(good.substr(0, good.size() - 9)), rm::D3DRM_OK);
}

TEST_F(MeshFileTest, CompressedFilesAreInflatedForTheCheck) {
    EXPECT_EQ(Load(assets::CompressedX(kQuad)), rm::D3DRM_OK);
    EXPECT_EQ(builder_->geometry().indices.size(), 6u);
    const std::string hostile = "xof 0302txt 0032\nMesh { 400000000; 0;0;0;;\n 1; 3; 0,0,0;; }\n";
    EXPECT_EQ(Load(assets::CompressedX(hostile)), rm::D3DRMERR_BADFILE);
    std::string corrupt = assets::CompressedX(kQuad);
    corrupt[28] = char(0xFF);  // reserved block type inside the deflate data
    EXPECT_EQ(Load(corrupt), rm::D3DRMERR_BADFILE);
    std::string unmarked = assets::CompressedX(kQuad);
    unmarked[24] = 'X';  // no "CK"
    EXPECT_EQ(Load(unmarked), rm::D3DRMERR_BADFILE);
    // Thousands of empty blocks would ask for a block of memory each.
    std::string empty = "xof 0302tzip0032" + std::string(6, '\0');
    for (int i = 0; i < 5000; ++i)
        empty += std::string("\0\0CK", 4);
    EXPECT_EQ(rm::xfile::CheckBytes(empty), rm::D3DRMERR_BADFILE);
    EXPECT_EQ(rm::xfile::CheckBytes("xof 0302zzzz0032"), rm::D3DRMERR_BADFILE);
}

}  // namespace
