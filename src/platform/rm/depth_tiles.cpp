// Coarse depth per tile, for dropping hidden triangles whole.
#include <algorithm>
#include <cmath>

#include "platform/rm/raster.h"

namespace rm::raster {
namespace {

constexpr int32_t kTile = 16;
// Pixels of a triangle may lie this much nearer than its nearest corner by rounding.
constexpr int32_t kRoundingMargin = 2;

}  // namespace

DepthTiles::DepthTiles(const Target& target)
    : target_(target),
      columns_((target.colour.width + kTile - 1) / kTile),
      rows_((target.colour.height + kTile - 1) / kTile),
      farthest_(size_t(columns_) * size_t(rows_), uint16_t(0xFFFF)) {}

bool DepthTiles::TilesUnder(const Vertex* corners, size_t count, Tiles* tiles) const {
    if (target_.clipLeft >= target_.clipRight || target_.clipTop >= target_.clipBottom)
        return false;
    float left = corners[0].x, right = corners[0].x, top = corners[0].y, bottom = corners[0].y;
    for (size_t i = 1; i < count; ++i) {
        left = std::min(left, corners[i].x);
        right = std::max(right, corners[i].x);
        top = std::min(top, corners[i].y);
        bottom = std::max(bottom, corners[i].y);
    }
    // Pixels whose centres the polygon holds, within the clip rectangle.
    const auto clamp = [](float value, int32_t low, int32_t high) {
        return int32_t(std::clamp(value, float(low), float(high)));
    };
    const int32_t x0 = clamp(std::floor(left), target_.clipLeft, target_.clipRight - 1);
    const int32_t x1 = clamp(std::ceil(right), target_.clipLeft, target_.clipRight - 1);
    const int32_t y0 = clamp(std::floor(top), target_.clipTop, target_.clipBottom - 1);
    const int32_t y1 = clamp(std::ceil(bottom), target_.clipTop, target_.clipBottom - 1);
    if (x0 > x1 || y0 > y1) return false;
    *tiles = {x0 / kTile, y0 / kTile, x1 / kTile, y1 / kTile};
    return true;
}

bool DepthTiles::Hides(const Vertex* corners, size_t count, int32_t depthBias) const {
    Tiles tiles;
    if (count < 3 || !TilesUnder(corners, count, &tiles)) return false;
    float nearestZ = corners[0].z;
    for (size_t i = 1; i < count; ++i)
        nearestZ = std::min(nearestZ, corners[i].z);
    const int32_t nearest = int32_t(std::floor(std::clamp(nearestZ, 0.0f, 1.0f) * 65535.0f)) -
                            kRoundingMargin - depthBias;
    for (int32_t ty = tiles.top; ty <= tiles.bottom; ++ty)
        for (int32_t tx = tiles.left; tx <= tiles.right; ++tx)
            if (nearest <= farthest_[size_t(ty) * size_t(columns_) + size_t(tx)]) return false;
    return true;
}

void DepthTiles::Refresh(const Vertex* corners, size_t count) {
    Tiles tiles;
    if (count == 0 || target_.depth == nullptr || !TilesUnder(corners, count, &tiles)) return;
    for (int32_t ty = tiles.top; ty <= tiles.bottom; ++ty)
        for (int32_t tx = tiles.left; tx <= tiles.right; ++tx) {
            const int32_t x = tx * kTile, y = ty * kTile;
            farthest_[size_t(ty) * size_t(columns_) + size_t(tx)] =
                FarthestIn(target_.depth + y * target_.depthPitch + x, target_.depthPitch,
                           std::min(kTile, target_.colour.width - x),
                           std::min(kTile, target_.colour.height - y));
        }
}

}  // namespace rm::raster
