#include "maze_scene.h"

#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <numbers>

#include "maze.h"

MazeSceneState mazeScene;

namespace {

constexpr int32_t kFramesPerCommand = 4;
constexpr float kTurnStep = 22.5f;
constexpr float kWalkStep = 4.0f;
constexpr float kCell = 16.0f;
constexpr float kBelowFloor = -16.0f;  // where removed walls go, out of the corridor

void ResetGame() {
    maze = MazeModel{};
    mazeScene = MazeSceneState{};
    mazeScene.playerY = -1;
    mazeScene.lastPlayerY = -1;
}

void LoadScene() {
    mazeScene.wallTexture = kr3D::LoadTexture("BACK.BMP");
    kr3D::SetTexture(mazeScene.wallTexture, 0, 0, 1, 1);
    kr3D::LoadObject("SAMPLE8.X", kWallFrames, mazeScene.wallFrames);
    for (int32_t i = 0; i < kWallFrames; ++i) {
        kr3D::SetPosition(mazeScene.wallFrames[i], float(8 * i), kBelowFloor, float(-8 * i));
    }
    mazeScene.ballTexture = kr3D::LoadTexture("blue.BMP");
    kr3D::SetTexture(mazeScene.ballTexture, 1, 1, 1, 1);
    mazeScene.ballModel = kr3D::LoadObject("ball.X", 0, nullptr);
    kr3D::SetPosition(mazeScene.ballModel, 120, 0, -120);
}

// One cell behind the centre of the player's cell, opposite the view direction.
void PlaceCameraBehindPlayer() {
    const double a = (double(mazeScene.heading) - 90.0) * std::numbers::pi * 2.0 / 360.0;
    mazeScene.cameraX = float(16 * mazeScene.playerX + 8 - int32_t(16.0 * std::cos(a)));
    mazeScene.cameraZ = float(16 * mazeScene.playerY + 8 - int32_t(16.0 * std::sin(a)));
}

void Turn(float degrees) {
    mazeScene.heading += degrees;
    kr3D::RotateCameraY(1, degrees);
    PlaceCameraBehindPlayer();
}

void AdvanceCommand() {
    if (mazeScene.moveFramesLeft <= 0) return;
    mazeScene.moveFramesLeft -= 1;
    if (mazeScene.moveCommand == VK_LEFT) Turn(-kTurnStep);
    if (mazeScene.moveCommand == VK_RIGHT) Turn(kTurnStep);
    if (mazeScene.moveCommand == VK_UP) {
        static constexpr float dx[4] = {0, 1, 0, -1};
        static constexpr float dz[4] = {-1, 0, 1, 0};
        mazeScene.cameraX += kWalkStep * dx[mazeScene.facing];
        mazeScene.cameraZ += kWalkStep * dz[mazeScene.facing];
    }
    kr3D::SetCameraPosition(1, mazeScene.cameraX, 0, mazeScene.cameraZ);
}

void StartCommand(int32_t command) {
    mazeScene.lastPlayerX = mazeScene.playerX;
    mazeScene.lastPlayerY = mazeScene.playerY;
    mazeScene.moveCommand = command;
    mazeScene.moveFramesLeft = kFramesPerCommand;
}

void TryStep() {
    mazeScene.lastPlayerX = mazeScene.playerX;
    mazeScene.lastPlayerY = mazeScene.playerY;
    if (WallAhead() != 0) return;
    static constexpr int32_t dx[4] = {0, 1, 0, -1};
    static constexpr int32_t dy[4] = {-1, 0, 1, 0};
    mazeScene.playerX += dx[mazeScene.facing];
    mazeScene.playerY += dy[mazeScene.facing];
    mazeScene.moveCommand = VK_UP;
    mazeScene.moveFramesLeft = kFramesPerCommand;
}

// 360 itself stays: only the next turn past it wraps.
void NormaliseHeading() {
    if (mazeScene.heading > 360.0f) mazeScene.heading -= 360.0f;
    if (mazeScene.heading < 0.0f) mazeScene.heading += 360.0f;
    mazeScene.facing = int32_t(mazeScene.heading / 90.0f) % 4;
}

// Later tests overwrite earlier ones: forward wins over right, right over left.
void TakeCommand() {
    const int32_t direction = krInput::GetDirection(0);
    const int32_t key = krSystemState.lastKey;
    NormaliseHeading();
    if (key == VK_LEFT || direction == 4) StartCommand(VK_LEFT);
    if (key == VK_RIGHT || direction == 6) StartCommand(VK_RIGHT);
    if (key == VK_UP || direction == 8) TryStep();
}

void DrawOverlay() {
    DrawBitmapText(487, 60, "KIRVA", 5, 0);
    krDraw::Box(500, 120, 600, 220, RGB(0, 0, 0), RGB(255, 255, 255), 2);
    const int32_t px = 12 * mazeScene.playerX + 502;
    const int32_t py = 12 * mazeScene.playerY + 220;
    krDraw::Box(px, py, px + 10, py + 10, RGB(255, 0, 0), RGB(0, 0, 0), 2);
    krDraw::ShowFps();
    kr3D::ShowPolygons();
}

// A removed wall goes below the floor; every wall faces the side the player stood on.
void PlaceWall(rm::Frame* frame, bool standing, int32_t mode, float x, float z, float turn) {
    if (!standing) {
        kr3D::SetPosition(frame, x, kBelowFloor, z);
        kr3D::RotateY(frame, turn + 180.0f);
        return;
    }
    if (mode == 0) kr3D::SetPosition(frame, x, 0, z);
    kr3D::RotateY(frame, turn);
}

}  // namespace

int8_t WallAhead() {
    const int32_t r = -mazeScene.playerY;
    const int32_t c = mazeScene.playerX + 1;
    switch (mazeScene.facing) {
        case 0:
            return maze.horizontalWall[10 * r + c];
        case 1:
            return maze.verticalWall[9 * r + c];
        case 2:
            return maze.horizontalWall[10 * (r - 1) + c];
        default:
            return maze.verticalWall[9 * r + c - 1];
    }
}

void PlaceWalls(int32_t mode) {
    for (int32_t i = 0; i < kMazeWalls; ++i) {
        const int32_t r = i / 9, c = i % 9;
        const float turn = mazeScene.lastPlayerX >= c ? -90.0f : 90.0f;
        PlaceWall(mazeScene.wallFrames[i], maze.verticalWall[i] > 0, mode, kCell * float(c),
                  8.0f - kCell * float(r), turn);
    }
    for (int32_t j = 0; j < kMazeWalls; ++j) {
        const int32_t r = j / 10, c = j % 10;
        const float turn = mazeScene.lastPlayerY >= -r ? 0.0f : 180.0f;
        PlaceWall(mazeScene.wallFrames[kMazeWalls + j], maze.horizontalWall[j] > 0, mode,
                  kCell * float(c) - 8.0f, -kCell * float(r), turn);
    }
}

void MazeInit() {
    ResetGame();
    krDraw::Screen(640, 480);
    krDraw::LoadMask("MASK.BMP");
    mazeScene.fontSprite = krDraw::LoadObject("ABC.BMP");
    kr3D::SetBackground(0, 0, 0);
    kr3D::CreateCamera(1, 0, 60, 480, 420);
    mazeScene.cameraX = 8.0f;
    mazeScene.cameraZ = 8.0f;
    kr3D::SetCameraPosition(1, 8.0f, 0, 8.0f);
    kr3D::SetAmbient(0.7f);
    kr3D::CreateLight(1, 0.8f, 9);
    LoadScene();
    krSystemState.scene = 1;
    krSystemState.lastScene = 0;
}

void MazeFrame() {
    if (krSystemState.sceneChanged == 1) MazeStep();
    krDraw::Clear();
    AdvanceCommand();
    kr3D::RotateY(mazeScene.ballModel, kTurnStep);
    kr3D::RotateX(mazeScene.ballModel, kTurnStep);
    kr3D::UpdateCamera();
    kr3D::Render();
    krDraw::Put3DSolid(0, 0, 0, 0, 640, 480);
    MazeStep();
    PlaceWalls(0);
    DrawOverlay();
    krDraw::Flip();
    if (mazeScene.moveFramesLeft == 0) TakeCommand();
}

void MazeRelease() {
    for (rm::Frame*& wall : mazeScene.wallFrames)
        kr3D::DeleteObject(&wall);
    kr3D::DeleteObject(&mazeScene.ballModel);
    kr3D::ReleaseTexture(&mazeScene.wallTexture);
    kr3D::ReleaseTexture(&mazeScene.ballTexture);
}

std::string MazeStateLine(int32_t frames) {
    int32_t removed = 0;
    for (int32_t wall = 0; wall < kMazeWalls; ++wall)
        removed += (maze.verticalWall[wall] == 0) + (maze.horizontalWall[wall] == 0);
    char line[400];
    std::snprintf(line, sizeof line,
                  "frames=%" PRId32 " mazeSteps=%" PRId32 " wallsRemoved=%" PRId32
                  " playerX=%" PRId32 " playerY=%" PRId32 " heading=%g facing=%" PRId32
                  " quitState=%" PRId32,
                  frames, maze.mazeSteps, removed, mazeScene.playerX, mazeScene.playerY,
                  double(mazeScene.heading), mazeScene.facing, krSystemState.quitState);
    return line;
}
