// The wall's bricks and the ball's stripes. Neither has a black texel: black is the transparent
// colour of the 3D picture.
#include "data_files.h"

namespace assets {

namespace {

// A small deterministic variation per brick.
int Shade(int brick) {
    return static_cast<int>((static_cast<unsigned>(brick) * 2654435761u >> 27) & 15) - 8;
}

uint8_t Channel(int value) {
    return static_cast<uint8_t>(value < 1 ? 1 : (value > 255 ? 255 : value));
}

}  // namespace

Picture MakeWallTexture() {
    constexpr int kSize = 128, kBrickWidth = 32, kBrickHeight = 16, kMortar = 2;
    Picture wall(kSize, kSize, Rgb{150, 146, 136});
    for (int row = 0; row < kSize / kBrickHeight; ++row) {
        const int offset = row % 2 == 0 ? 0 : kBrickWidth / 2;
        for (int column = -1; column < kSize / kBrickWidth; ++column) {
            const int left = column * kBrickWidth + offset;
            const int top = row * kBrickHeight;
            const int shade = Shade(row * 8 + column + 1);
            const Rgb brick{Channel(152 + 3 * shade), Channel(72 + 2 * shade), Channel(48 + shade)};
            wall.FillRect(left + kMortar, top + kMortar, left + kBrickWidth, top + kBrickHeight,
                          brick);
        }
    }
    return wall;
}

Picture MakeBallTexture() {
    constexpr int kSize = 64, kStripe = 8;
    Picture ball(kSize, kSize);
    for (int y = 0; y < kSize; ++y) {
        for (int x = 0; x < kSize; ++x) {
            const bool light = ((x / kStripe) + (y / kStripe)) % 2 == 0;
            ball.at(x, y) = light ? Rgb{110, 160, 255} : Rgb{24, 48, 170};
        }
    }
    return ball;
}

}  // namespace assets
