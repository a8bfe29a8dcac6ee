// A small client of an installed KIRVA, run headless: it writes a sprite, a sound and a model
// into the folder it is given, then loads and shows them with a line of text, and checks the
// presented picture. Exits 0 when everything was seen; says what was not on standard error.
#include <kr/kr.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

constexpr COLORREF kSpriteColour = RGB(255, 0, 0);
constexpr int32_t kSpriteX = 560, kSpriteY = 20, kSpriteSize = 16;
constexpr int32_t kTextX = 20, kTextY = 420;

struct Scene {
    int32_t sprite = 0;
    int32_t sound = 0;
    rm::Frame* model = nullptr;
} scene;

void Put16(std::string& bytes, uint32_t value) {
    bytes += char(value & 0xFF);
    bytes += char((value >> 8) & 0xFF);
}
void Put32(std::string& bytes, uint32_t value) {
    Put16(bytes, value & 0xFFFF);
    Put16(bytes, value >> 16);
}

bool Write(const std::string& path, const std::string& bytes) {
    std::ofstream file(path, std::ios::binary);
    file << bytes;
    return bool(file);
}

// A 16 by 16 picture in one colour, 24 bits per pixel.
std::string Sprite() {
    const uint32_t rowBytes = kSpriteSize * 3, imageBytes = rowBytes * kSpriteSize;
    std::string bytes = "BM";
    Put32(bytes, 54 + imageBytes);
    Put32(bytes, 0);
    Put32(bytes, 54);
    Put32(bytes, 40);
    Put32(bytes, kSpriteSize);
    Put32(bytes, kSpriteSize);
    Put16(bytes, 1);
    Put16(bytes, 24);
    for (int i = 0; i < 6; ++i)
        Put32(bytes, 0);
    for (uint32_t i = 0; i < kSpriteSize * kSpriteSize; ++i) {
        bytes += char(GetBValue(kSpriteColour));
        bytes += char(GetGValue(kSpriteColour));
        bytes += char(GetRValue(kSpriteColour));
    }
    return bytes;
}

// A tenth of a second of a square wave, 8-bit mono at 11025 Hz.
std::string Sound() {
    const uint32_t samples = 1102;
    std::string bytes = "RIFF";
    Put32(bytes, 36 + samples);
    bytes += "WAVEfmt ";
    Put32(bytes, 16);
    Put16(bytes, 1);
    Put16(bytes, 1);
    Put32(bytes, 11025);
    Put32(bytes, 11025);
    Put16(bytes, 1);
    Put16(bytes, 8);
    bytes += "data";
    Put32(bytes, samples);
    for (uint32_t i = 0; i < samples; ++i)
        bytes += char((i / 25) % 2 ? 0xC0 : 0x40);
    return bytes;
}

// A cube 20 units wide, each face two triangles facing out.
std::string Model() {
    return "xof 0302txt 0032\nMesh {\n 8;\n"
           " -10;-10;-10;, 10;-10;-10;, 10;10;-10;, -10;10;-10;,\n"
           " -10;-10;10;, 10;-10;10;, 10;10;10;, -10;10;10;;\n"
           " 12;\n"
           " 3;0,2,1;, 3;0,3,2;, 3;4,5,6;, 3;4,6,7;, 3;0,1,5;, 3;0,5,4;,\n"
           " 3;3,7,6;, 3;3,6,2;, 3;0,4,7;, 3;0,7,3;, 3;1,2,6;, 3;1,6,5;;\n}\n";
}

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
    if (!Write(folder + "/SPRITE.BMP", Sprite()) || !Write(folder + "/TONE.WAV", Sound()) ||
        !Write(folder + "/CUBE.X", Model())) {
        std::fprintf(stderr, "consumer: cannot write into %s\n", folder.c_str());
        return 1;
    }
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
