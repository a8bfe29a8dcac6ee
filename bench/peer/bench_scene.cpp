// The maze-like scene of the benchmarks: written as data files, loaded through the 3D module.
#include "bench_scene.h"

#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "bmp_writer.h"
#include "platform/backend/headless/headless.h"
#include "scene3d/scene3d.h"
#include "shell/shell.h"

namespace bench {
namespace {

std::string directory;
rm::Frame* walls[180];
rm::Frame* ball = nullptr;

// A wall 16 wide and 16 high, seen from both sides.
std::string WallModel() {
    return "xof 0302txt 0032\nMesh {\n 4;\n -8;8;0;,\n 8;8;0;,\n 8;-8;0;,\n -8;-8;0;;\n"
           " 4;\n 3;0,1,2;,\n 3;0,2,3;,\n 3;0,2,1;,\n 3;0,3,2;;\n}\n";
}

// A ball of 8 by 16 quads, radius 6.
std::string BallModel() {
    constexpr int kRings = 8, kSegments = 16;
    std::ostringstream x;
    x << "xof 0302txt 0032\nMesh {\n " << (kRings + 1) * kSegments << ";\n";
    for (int r = 0; r <= kRings; ++r)
        for (int s = 0; s < kSegments; ++s) {
            const double a = M_PI * r / kRings, b = 2 * M_PI * s / kSegments;
            x << 6 * std::sin(a) * std::cos(b) << ";" << 6 * std::cos(a) << ";"
              << 6 * std::sin(a) * std::sin(b)
              << (r == kRings && s == kSegments - 1 ? ";;\n" : ";,\n");
        }
    x << " " << 2 * kRings * kSegments << ";\n";
    for (int r = 0; r < kRings; ++r)
        for (int s = 0; s < kSegments; ++s) {
            const int a = r * kSegments + s, b = r * kSegments + (s + 1) % kSegments;
            const int c = a + kSegments, d = b + kSegments;
            const bool last = r == kRings - 1 && s == kSegments - 1;
            x << " 3;" << a << "," << b << "," << d << ";,\n 3;" << a << "," << d << "," << c
              << (last ? ";;\n" : ";,\n");
        }
    x << "}\n";
    return x.str();
}

void WriteData() {
    directory =
        (std::filesystem::temp_directory_path() / ("kr-maze-bench-" + std::to_string(getpid())))
            .string();
    std::filesystem::create_directories(directory);
    std::ofstream(directory + "/SAMPLE8.X") << WallModel();
    std::ofstream(directory + "/ball.X") << BallModel();
    assets::Picture bricks(64, 64, {160, 80, 40});
    for (int y = 0; y < 64; y += 8)
        bricks.FillRect(0, y, 64, y + 1, {200, 200, 200});
    assets::WriteBmp(bricks, directory + "/BACK.BMP");
    assets::WriteBmp(assets::Picture(16, 16, {40, 40, 220}), directory + "/blue.BMP");
    headless::SetModulePath(directory + "/kirva");
}

// The game's placement of every wall, all standing, seen from its start cell.
void PlaceWalls() {
    for (int i = 0; i < 90; ++i) {
        const int r = i / 9, c = i % 9;
        kr3D::SetPosition(walls[i], float(16 * c), 0, float(8 - 16 * r));
        kr3D::RotateY(walls[i], c <= 0 ? -90.0f : 90.0f);
        const int row = i / 10, column = i % 10;
        kr3D::SetPosition(walls[90 + i], float(16 * column - 8), 0, float(-16 * row));
        kr3D::RotateY(walls[90 + i], row <= 1 ? 0.0f : 180.0f);
    }
}

void MazeInit() {
    krDraw::Screen(640, 480);
    kr3D::SetBackground(0, 0, 0);
    kr3D::CreateCamera(1, 0, 60, 480, 420);
    kr3D::SetCameraPosition(1, 8, 0, 8);
    kr3D::SetAmbient(0.7f);
    kr3D::CreateLight(1, 0.8f, 9);
    rm::Texture* back = kr3D::LoadTexture("BACK.BMP");
    kr3D::SetTexture(back, 0, 0, 1, 1);
    kr3D::LoadObject("SAMPLE8.X", 180, walls);
    rm::Texture* blue = kr3D::LoadTexture("blue.BMP");
    kr3D::SetTexture(blue, 1, 1, 1, 1);
    ball = kr3D::LoadObject("ball.X", 0, nullptr);
    kr3D::SetPosition(ball, 120, 0, -120);
    kr3D::ReleaseTexture(&back);
    kr3D::ReleaseTexture(&blue);
    PlaceWalls();
    krSystemState.scene = 1;
}

void Frame() {}

}  // namespace

void StartMazeScene() {
    headless::Install();
    headless::SetBoxEcho(false);
    // The game's pixels: 5-6-5 colour, as the peer draws too.
    headless::SetDesktop(640, 480, 16);
    krSystem::ResetForNextRun();
    WriteData();
    krSystem::RegisterClient(MazeInit, {{1, Frame}});
    krSystemState.fullScreen = 0;
    krSystem::StartUp(nullptr, "", SW_SHOWNORMAL);
    krSystemState.frameSeconds = 0.016666668f;
}

void StepMazeScene() {
    kr3D::RotateY(ball, 22.5f);
    kr3D::UpdateCamera();
}

rm::Viewport* MazeViewport() {
    return kr3D::cameras[0].viewport;
}

void StopMazeScene() {
    for (rm::Frame*& wall : walls)
        kr3D::DeleteObject(&wall);
    kr3D::DeleteObject(&ball);
    krSystem::Quit();
    while (krSystem::RunLoopPass()) {
    }
    std::filesystem::remove_all(directory);
}

}  // namespace bench
