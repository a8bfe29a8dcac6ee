// The 3D example: a ball wrapped in a brick texture spins in front of one camera, lit by the
// ambient light and one light from above and to the left. Escape ends it. "--frames N" ends it
// after N frames and checks the picture: the model covers part of the view, shows many shades,
// and has turned since ten frames before; the exit status says whether it did.
#include <kr/kr.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <vector>

namespace {

constexpr int32_t kWidth = 640, kHeight = 480;
constexpr int32_t kSampleStep = 4;  // every fourth pixel of every fourth row
constexpr int32_t kCompareFrames = 10;

struct ExampleState {
    rm::Frame* model = nullptr;
    rm::Texture* texture = nullptr;
    int32_t frames = 0;
    int32_t frameLimit = 0;  // 0: until Escape
    std::vector<uint32_t> earlierPicture;
    bool pictureGood = true;
};

ExampleState example;

void Init() {
    krDraw::Screen(kWidth, kHeight);
    kr3D::SetBackground(0, 0, 0);
    kr3D::CreateCamera(1, 0, 0, kWidth, kHeight);
    kr3D::SetCameraPosition(1, 0, 0, 20);  // the camera's z counts toward the viewer
    kr3D::SetAmbient(0.3f);
    kr3D::CreateLight(1, 0.9f, 7);  // from the upper left
    example.texture = kr3D::LoadTexture("BACK.BMP");
    // Wrapped around the ball like a label round a can, with perspective-correct sampling.
    kr3D::SetTexture(example.texture, 1, 1, 2, 1);
    example.model = kr3D::LoadObject("ball.X", 0, nullptr);
    kr3D::SetPosition(example.model, 0, 0, 0);

    krSystemState.scene = 1;
}

// The view, sampled on a coarse grid.
std::vector<uint32_t> SamplePicture() {
    std::vector<uint32_t> picture;
    for (int32_t y = 0; y < kHeight; y += kSampleStep) {
        for (int32_t x = 0; x < kWidth; x += kSampleStep) {
            int32_t r = 0, g = 0, b = 0;
            krDraw::GetPixel(x, y, &r, &g, &b);
            picture.push_back(uint32_t(r) << 16 | uint32_t(g) << 8 | uint32_t(b));
        }
    }
    return picture;
}

// A spinning, lit, textured model covers part of the view (neither nothing nor all of it), in
// many shades, and moves between two pictures.
bool CheckPicture(const std::vector<uint32_t>& earlier, const std::vector<uint32_t>& now) {
    size_t covered = 0, changed = 0;
    std::set<uint32_t> shades;
    for (size_t i = 0; i < now.size(); ++i) {
        if (now[i] != 0) {  // not the black background
            ++covered;
            shades.insert(now[i]);
        }
        if (now[i] != earlier[i]) ++changed;
    }
    const size_t percent = covered * 100 / now.size();
    std::printf("frames=%d covered=%zu%% shades=%zu changed=%zu\n", example.frames, percent,
                shades.size(), changed);
    return percent >= 5 && percent <= 70 && shades.size() >= 16 && changed >= covered / 20;
}

void Frame() {
    krDraw::Clear();
    kr3D::RotateY(example.model, 3.0f);
    kr3D::RotateX(example.model, 1.0f);
    kr3D::UpdateCamera();
    kr3D::Render();
    krDraw::Put3DSolid(0, 0, 0, 0, kWidth, kHeight);
    ++example.frames;
    if (example.frameLimit > 0 && example.frames == example.frameLimit - kCompareFrames) {
        example.earlierPicture = SamplePicture();
    }
    if (example.frameLimit > 0 && example.frames == example.frameLimit) {
        example.pictureGood = CheckPicture(example.earlierPicture, SamplePicture());
        krSystemState.scene = krSceneClosing;
    }
    krDraw::Flip();
}

}  // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--window") == 0) {
            krSystemState.fullScreen = 0;
        } else if (std::strcmp(argv[i], "--frames") == 0 && i + 1 < argc) {
            example.frameLimit = std::atoi(argv[++i]);
        }
    }
    if (example.frameLimit != 0 && example.frameLimit <= kCompareFrames) {
        std::fprintf(stderr, "kr-model-example: --frames needs more than %d\n", kCompareFrames);
        return 2;
    }
    krSystem::RegisterClient(Init, {{1, Frame}});
    krSystem::Run(argc, argv);
    kr3D::DeleteObject(&example.model);
    kr3D::ReleaseTexture(&example.texture);
    return example.pictureGood ? 0 : 1;
}
