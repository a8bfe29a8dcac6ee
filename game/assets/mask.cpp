// The mask transition: every cell of the screen fills with a dark diamond that grows from the
// cell's centre until it covers the cell.
#include <cmath>

#include "data_files.h"

namespace assets {

namespace {

constexpr int kFrameWidth = 64, kFrameHeight = 48, kFrames = 10;
constexpr Rgb kCover{20, 24, 56};

// 0 at the cell's centre, 1 at the middle of its edges, 2 at its corners.
double DiamondDistance(int x, int y) {
    const double dx = std::fabs(x + 0.5 - kFrameWidth / 2.0) / (kFrameWidth / 2.0);
    const double dy = std::fabs(y + 0.5 - kFrameHeight / 2.0) / (kFrameHeight / 2.0);
    return dx + dy;
}

}  // namespace

Picture MakeMask() {
    Picture mask(kFrameWidth * kFrames, kFrameHeight);
    for (int frame = 0; frame < kFrames; ++frame) {
        const double reach = 2.0 * (frame + 1) / kFrames;
        for (int y = 0; y < kFrameHeight; ++y) {
            for (int x = 0; x < kFrameWidth; ++x) {
                if (DiamondDistance(x, y) <= reach) mask.at(frame * kFrameWidth + x, y) = kCover;
            }
        }
    }
    return mask;
}

}  // namespace assets
