#include "platform/gdi/raster.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace gdi {

namespace {

constexpr std::array<std::array<uint8_t, 8>, 6> kHatches{{
    {0x00, 0x00, 0x00, 0xFF, 0x00, 0x00, 0x00, 0x00},  // horizontal
    {0x08, 0x08, 0x08, 0x08, 0x08, 0x08, 0x08, 0x08},  // vertical
    {0x80, 0x40, 0x20, 0x10, 0x08, 0x04, 0x02, 0x01},  // forward diagonal
    {0x01, 0x02, 0x04, 0x08, 0x10, 0x20, 0x40, 0x80},  // backward diagonal
    {0x08, 0x08, 0x08, 0xFF, 0x08, 0x08, 0x08, 0x08},  // cross
    {0x81, 0x42, 0x24, 0x18, 0x18, 0x24, 0x42, 0x81},  // diagonal cross
}};

// The value a shade gives pixel (x, y), or false when the pixel stays as it is.
bool ShadeAt(const Shade& shade, int x, int y, uint32_t& value) {
    switch (shade.kind) {
        case Shade::Kind::None:
            return false;
        case Shade::Kind::Solid:
            value = shade.value;
            return true;
        case Shade::Kind::Pattern:
            break;
    }
    if (((shade.pattern[y & 7] >> (7 - (x & 7))) & 1) != 0) {
        value = shade.value;
        return true;
    }
    value = shade.gap;
    return shade.fillGaps;
}

void Store(uint8_t* at, uint16_t value) {
    std::memcpy(at, &value, sizeof value);
}
void Store(uint8_t* at, uint32_t value) {
    std::memcpy(at, &value, sizeof value);
}

template <class Pixel>
void PaintPatternRows(const pixels::View& view, const Coverage& coverage, const Box& area,
                      const Shade& low, const Shade& high) {
    for (int y = area.top; y < area.bottom; ++y) {
        const uint8_t* levels = coverage.data + (y - coverage.box.top) * coverage.stride;
        uint8_t* row = view.Row(y);
        for (int x = area.left; x < area.right; ++x) {
            const uint8_t level = levels[x - coverage.box.left];
            if (level == 0) continue;
            uint32_t value;
            if (!ShadeAt(level >= kHighThreshold ? high : low, x, y, value)) continue;
            Store(row + x * static_cast<int>(sizeof(Pixel)), static_cast<Pixel>(value));
        }
    }
}

// The common case, kept apart for speed: each level has one value or none.
template <class Pixel>
void PaintSolidRows(const pixels::View& view, const Coverage& coverage, const Box& area,
                    const Shade& low, const Shade& high) {
    const bool paintLow = low.kind == Shade::Kind::Solid;
    const bool paintHigh = high.kind == Shade::Kind::Solid;
    const auto lowValue = static_cast<Pixel>(low.value);
    const auto highValue = static_cast<Pixel>(high.value);
    for (int y = area.top; y < area.bottom; ++y) {
        const uint8_t* levels =
            coverage.data + (y - coverage.box.top) * coverage.stride - coverage.box.left;
        uint8_t* row = view.Row(y);
        for (int x = area.left; x < area.right; ++x) {
            const uint8_t level = levels[x];
            uint8_t* at = row + x * static_cast<int>(sizeof(Pixel));
            if (level >= kHighThreshold) {
                if (paintHigh) Store(at, highValue);
            } else if (level != 0 && paintLow) {
                Store(at, lowValue);
            }
        }
    }
}

template <class Pixel>
void PaintRows(const pixels::View& view, const Coverage& coverage, const Box& area,
               const Shade& low, const Shade& high) {
    if (low.kind == Shade::Kind::Pattern || high.kind == Shade::Kind::Pattern) {
        PaintPatternRows<Pixel>(view, coverage, area, low, high);
    } else {
        PaintSolidRows<Pixel>(view, coverage, area, low, high);
    }
}

template <class Pixel>
void PaintAreaRows(const pixels::View& view, const Box& area, const Shade& shade) {
    const auto solid = static_cast<Pixel>(shade.value);
    for (int y = area.top; y < area.bottom; ++y) {
        uint8_t* row = view.Row(y) + area.left * static_cast<int>(sizeof(Pixel));
        if (shade.kind == Shade::Kind::Solid) {
            for (int x = area.left; x < area.right; ++x, row += sizeof(Pixel))
                Store(row, solid);
            continue;
        }
        for (int x = area.left; x < area.right; ++x, row += sizeof(Pixel)) {
            uint32_t value;
            if (ShadeAt(shade, x, y, value)) Store(row, static_cast<Pixel>(value));
        }
    }
}

}  // namespace

void PaintArea(const pixels::View& view, const Box& area, const Shade& shade) {
    const Box inside = Intersect(area, ViewBox(view));
    if (inside.Empty() || shade.kind == Shade::Kind::None) return;
    if (view.format.bitsPerPixel == 16) {
        PaintAreaRows<uint16_t>(view, inside, shade);
    } else {
        PaintAreaRows<uint32_t>(view, inside, shade);
    }
}

Box Intersect(const Box& a, const Box& b) {
    return {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
            std::min(a.bottom, b.bottom)};
}

Shade SolidShade(const pixels::Format& format, COLORREF colour) {
    return {Shade::Kind::Solid, pixels::Pack(format, colour)};
}

Shade PenShade(HDC dc) {
    const Pen& pen = Selected<Pen>(dc, ObjectKind::Pen);
    if (pen.style == PS_NULL) return {};
    return SolidShade(dc->view.format, pen.colour);
}

Shade BrushShade(HDC dc) {
    const Brush& brush = Selected<Brush>(dc, ObjectKind::Brush);
    if (brush.style == BS_NULL) return {};
    Shade shade = SolidShade(dc->view.format, brush.colour);
    if (brush.style == BS_HATCHED) {
        shade.kind = Shade::Kind::Pattern;
        shade.pattern = kHatches[static_cast<size_t>(brush.hatch)].data();
        shade.gap = pixels::Pack(dc->view.format, dc->backgroundColour);
        shade.fillGaps = dc->backgroundMode == OPAQUE;
    }
    return shade;
}

void Paint(const pixels::View& view, const Coverage& coverage, const Box& clip, const Shade& low,
           const Shade& high) {
    const Box area = Intersect(Intersect(coverage.box, clip), ViewBox(view));
    if (area.Empty()) return;
    if (view.format.bitsPerPixel == 16) {
        PaintRows<uint16_t>(view, coverage, area, low, high);
    } else {
        PaintRows<uint32_t>(view, coverage, area, low, high);
    }
}

Mask::~Mask() {
    EndCairo();
}

void Mask::EndCairo() {
    if (cairo_ != nullptr) cairo_destroy(cairo_);
    if (surface_ != nullptr) cairo_surface_destroy(surface_);
    cairo_ = nullptr;
    surface_ = nullptr;
}

bool Mask::Start(const Box& box) {
    EndCairo();
    box_ = box;
    if (box.Empty()) return false;
    const int width = box.right - box.left, height = box.bottom - box.top;
    stride_ = cairo_format_stride_for_width(CAIRO_FORMAT_A8, width);
    const auto bytes = static_cast<size_t>(stride_) * static_cast<size_t>(height);
    if (data_.size() < bytes) data_.resize(bytes);
    std::memset(data_.data(), 0, bytes);
    surface_ =
        cairo_image_surface_create_for_data(data_.data(), CAIRO_FORMAT_A8, width, height, stride_);
    cairo_ = cairo_create(surface_);
    cairo_set_antialias(cairo_, CAIRO_ANTIALIAS_NONE);
    cairo_translate(cairo_, -box.left, -box.top);
    return true;
}

void Mask::Ink(int x, int y) {
    if (x < box_.left || y < box_.top || x >= box_.right || y >= box_.bottom) return;
    data_[static_cast<size_t>((y - box_.top) * stride_ + (x - box_.left))] = kHighLevel;
}

Coverage Mask::Finish() {
    if (surface_ != nullptr) cairo_surface_flush(surface_);
    EndCairo();
    return {data_.data(), stride_, box_};
}

Mask& ScratchMask() {
    static Mask mask;
    return mask;
}

}  // namespace gdi
