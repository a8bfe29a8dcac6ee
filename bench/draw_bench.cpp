// The display's costs per frame: 1000 keyed 32 by 32 sprites against SDL's blitter (with and
// without its run-length encoding), the clear and the presentation.
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "bmp_writer.h"
#include "draw/display.h"
#include "platform/backend/headless/headless.h"
#include "platform/win/resources.h"
#include "shell/shell.h"

namespace {

constexpr int kSprites = 1000;
constexpr int kSide = 32;

struct Position {
    int x, y;
};

// Positions that reach over every edge, the same on every run.
std::vector<Position> Positions() {
    std::mt19937 generator(1);
    std::uniform_int_distribution<int> x(-kSide / 2, 640 - kSide / 2);
    std::uniform_int_distribution<int> y(-kSide / 2, 480 - kSide / 2);
    std::vector<Position> positions(kSprites);
    for (Position& position : positions)
        position = {x(generator), y(generator)};
    return positions;
}

// A disc on black: the corners are the key.
assets::Picture Disc() {
    assets::Picture picture(kSide, kSide);
    for (int y = 0; y < kSide; ++y)
        for (int x = 0; x < kSide; ++x)
            if ((x - 16) * (x - 16) + (y - 16) * (y - 16) < 15 * 15)
                picture.at(x, y) = {static_cast<uint8_t>(8 * x), 200, static_cast<uint8_t>(8 * y)};
    return picture;
}

void OpenDisplay() {
    krDraw::Screen(640, 480);
    krSystemState.scene = 1;
}

void EmptyFrame() {}

// The program on the headless backend with its display open and the disc as object 2.
int32_t StartProgram() {
    static const std::vector<uint8_t> bytes = assets::EncodeBmp(Disc());
    static const win::Resource resource{"BENCHDISC", "BITMAP", bytes.data(), bytes.size()};
    static const bool registered = win::RegisterResources(&resource, 1);
    benchmark::DoNotOptimize(registered);
    headless::Install();
    headless::SetBoxEcho(false);
    krSystem::ResetForNextRun();
    krSystem::RegisterClient(OpenDisplay, {{1, EmptyFrame}});
    krSystem::StartUp(nullptr, "", SW_SHOWNORMAL);
    return krDraw::LoadObject("BENCHDISC");
}

void StopProgram() {
    krSystem::Quit();
    while (krSystem::RunLoopPass()) {
    }
}

void BM_PutObjectKeyed1000x32(benchmark::State& state) {
    const int32_t disc = StartProgram();
    const std::vector<Position> positions = Positions();
    for (auto _ : state) {
        for (const Position& at : positions)
            krDraw::PutObject(at.x, at.y, disc, 0, 0, kSide, kSide);
        benchmark::ClobberMemory();
    }
    StopProgram();
}
BENCHMARK(BM_PutObjectKeyed1000x32);

void SdlBlits(benchmark::State& state, bool runLengthEncoded) {
    SDL_Surface* target = SDL_CreateRGBSurfaceWithFormat(0, 640, 480, 16, SDL_PIXELFORMAT_RGB565);
    SDL_Surface* sprite =
        SDL_CreateRGBSurfaceWithFormat(0, kSide, kSide, 16, SDL_PIXELFORMAT_RGB565);
    const assets::Picture disc = Disc();
    auto* pixels = static_cast<uint16_t*>(sprite->pixels);
    for (int y = 0; y < kSide; ++y)
        for (int x = 0; x < kSide; ++x) {
            const assets::Rgb colour = disc.pixels[static_cast<size_t>(y * kSide + x)];
            pixels[y * sprite->pitch / 2 + x] =
                static_cast<uint16_t>(SDL_MapRGB(sprite->format, colour.r, colour.g, colour.b));
        }
    SDL_SetColorKey(sprite, SDL_TRUE, 0);
    SDL_SetSurfaceRLE(sprite, runLengthEncoded ? 1 : 0);
    const std::vector<Position> positions = Positions();
    for (auto _ : state) {
        for (const Position& at : positions) {
            SDL_Rect rect{at.x, at.y, kSide, kSide};
            SDL_BlitSurface(sprite, nullptr, target, &rect);
        }
        benchmark::ClobberMemory();
    }
    SDL_FreeSurface(sprite);
    SDL_FreeSurface(target);
}

void BM_SDLBlitKeyed1000x32(benchmark::State& state) {
    SdlBlits(state, false);
}
BENCHMARK(BM_SDLBlitKeyed1000x32);

void BM_SDLBlitKeyedRLE1000x32(benchmark::State& state) {
    SdlBlits(state, true);
}
BENCHMARK(BM_SDLBlitKeyedRLE1000x32);

void BM_Clear(benchmark::State& state) {
    StartProgram();
    for (auto _ : state) {
        krDraw::Clear();
        benchmark::ClobberMemory();
    }
    StopProgram();
}
BENCHMARK(BM_Clear);

// Argument 1: the headless display keeps each picture, as for a test; 0: as a benchmark run.
void BM_Flip(benchmark::State& state) {
    StartProgram();
    headless::KeepPictures(state.range(0) != 0);
    for (auto _ : state)
        krDraw::Flip();
    StopProgram();
}
BENCHMARK(BM_Flip)->Arg(1)->Arg(0);

}  // namespace
