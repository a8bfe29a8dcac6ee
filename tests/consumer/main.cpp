// A small client of an installed KIRVA, run headless: it loads a sprite (16 by 16, red), a sound
// and a model (a cube 20 units wide) from the folder it is given, shows them with a line of text,
// and checks the presented picture. Exits 0 when everything was seen; says what was not on
// standard error.
#include <kr/kr.h>

#include <cstdio>
#include <string>

namespace {

constexpr int32_t kSpriteX = 560, kSpriteY = 20, kSpriteSize = 16;
constexpr int32_t kTextX = 20, kTextY = 420;

struct Scene {
    int32_t sprite = 0;
    int32_t sound = 0;
    rm::Frame* model = nullptr;
} scene;

void Init() {
    krDraw::Screen(640, 480);
    scene.sprite = krDraw::LoadObject("SPRITE.BMP");
    scene.sound = krSound::LoadObject("TONE.WAV", 1);
    krSound::Play(scene.sound, -1);  // a file that does not load shows a box
    kr3D::SetBackground(0, 0, 0);
    kr3D::CreateCamera(1, 0, 0, 640, 480);
    kr3D::SetAmbient(0.6f);
    kr3D::CreateLight(1, 0.8f, 9);
    scene.model = kr3D::LoadObject("CUBE.X", 0, nullptr);
    kr3D::SetPosition(scene.model, 0, 0, -40);  // the camera looks along -z
    krSystemState.scene = 1;
}

void Frame() {
    krDraw::Clear();
    kr3D::RotateY(scene.model, 20);
    kr3D::RotateX(scene.model, 20);
    kr3D::UpdateCamera();
    kr3D::Render();
    krDraw::Put3DSolid(0, 0, 0, 0, 640, 480);
    krDraw::PutObject(kSpriteX, kSpriteY, scene.sprite, 0, 0, kSpriteSize, kSpriteSize);
    krFont::Begin(1, 32, 0, 1, 0, 0);
    krFont::SetColor(RGB(255, 255, 255), RGB(0, 0, 0), 1);
    krFont::Print(kTextX, kTextY, "KIRVA");
    krFont::End();
    krDraw::Flip();
}

// How many pixels of the rectangle are not black.
int32_t LitPixels(int32_t left, int32_t top, int32_t right, int32_t bottom) {
    int32_t lit = 0;
    for (int32_t y = top; y < bottom; ++y)
        for (int32_t x = left; x < right; ++x)
            lit += krHeadless::PictureColour(x, y) != RGB(0, 0, 0);
    return lit;
}

bool Check(bool seen, const char* what) {
    if (!seen) std::fprintf(stderr, "consumer: %s\n", what);
    return seen;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: consumer FOLDER\n");
        return 2;
    }
    const std::string folder = argv[1];
    krHeadless::Install();
    krHeadless::SetProgramPath((folder + "/consumer").c_str());
    krSystem::RegisterClient(Init, {{1, Frame}});
    if (!krSystem::StartUp(nullptr, "", SW_SHOWNORMAL)) return 1;
    while (krHeadless::PresentCount() < 3 && krSystem::RunLoopPass())
        krHeadless::AdvanceClock(16);

    const COLORREF sprite = krHeadless::PictureColour(kSpriteX + 8, kSpriteY + 8);
    bool ok = Check(scene.sprite != 0 && GetRValue(sprite) > 200 && GetGValue(sprite) < 50,
                    "the sprite is not shown");
    ok &= Check(LitPixels(kTextX, kTextY, kTextX + 120, kTextY + 40) > 50, "no text is shown");
    ok &= Check(scene.model != nullptr && LitPixels(270, 190, 370, 290) > 2000,
                "the model is not shown");
    krSystem::Quit();
    while (krSystem::RunLoopPass()) {
    }
    return ok ? 0 : 1;
}
