// Lines, rectangles, polygons and curves with the context's pen and brush, and InvertRect.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "platform/gdi/raster.h"

namespace gdi {

namespace {

struct PointF {
    double x, y;
};

// Steps and deltas of 33 bits multiply to 66.
__extension__ using Wide = __int128;

int64_t FloorDiv(Wide numerator, Wide denominator) {
    const Wide quotient = numerator / denominator;
    return static_cast<int64_t>(quotient * denominator > numerator ? quotient - 1 : quotient);
}

// A one-pixel line without its end point. Each pixel is computed from its step number, so only
// the steps inside the mask are visited, however far away the ends lie.
void CosmeticSegment(Mask& mask, const Box& box, POINT from, POINT to) {
    const int64_t dx = int64_t{to.x} - from.x, dy = int64_t{to.y} - from.y;
    const bool xMajor = std::llabs(dx) >= std::llabs(dy);
    const int64_t steps = std::max(std::llabs(dx), std::llabs(dy));
    if (steps == 0) return;
    const int64_t start = xMajor ? from.x : from.y, minorStart = xMajor ? from.y : from.x;
    const int64_t direction = (xMajor ? dx : dy) > 0 ? 1 : -1, minorDelta = xMajor ? dy : dx;
    const int64_t low = xMajor ? box.left : box.top, high = xMajor ? box.right : box.bottom;
    // Steps whose major coordinate lies in [low, high).
    int64_t first = direction > 0 ? low - start : start - high + 1;
    int64_t last = direction > 0 ? high - start : start - low + 1;
    first = std::max<int64_t>(first, 0);
    last = std::min(last, steps);
    for (int64_t t = first; t < last; ++t) {
        const int64_t major = start + direction * t;
        const int64_t minor =
            minorStart + FloorDiv(Wide{2} * t * minorDelta + steps, Wide{2} * steps);
        const auto x = static_cast<int>(xMajor ? major : minor);
        const auto y = static_cast<int>(xMajor ? minor : major);
        mask.Ink(x, y);
    }
}

POINT Rounded(const PointF& point) {
    return {static_cast<LONG>(std::floor(point.x + 0.5)),
            static_cast<LONG>(std::floor(point.y + 0.5))};
}

void TracePath(cairo_t* cairo, const std::vector<PointF>& points, double offset, bool closed) {
    cairo_new_path(cairo);
    for (const PointF& point : points)
        cairo_line_to(cairo, point.x + offset, point.y + offset);
    if (closed) cairo_close_path(cairo);
}

// cairo's coordinates hold 24 bits of whole pixels: a wider pen is drawn this wide, which still
// covers a surface near its path, as the real width would.
int StrokeWidth(const Pen& pen) {
    return std::min(pen.width, 1 << 22);
}

// The pen's line through the points. A wide pen is centred on the pixels of the path: an even
// width covers width / 2 pixels on either side of it.
void Outline(Mask& mask, const Box& box, const Pen& pen, const std::vector<PointF>& points,
             bool closed) {
    if (pen.width <= 1) {
        mask.Flush();
        for (size_t i = 0; i + 1 < points.size(); ++i) {
            CosmeticSegment(mask, box, Rounded(points[i]), Rounded(points[i + 1]));
        }
        if (closed) CosmeticSegment(mask, box, Rounded(points.back()), Rounded(points.front()));
        return;
    }
    cairo_t* cairo = mask.Cairo();
    TracePath(cairo, points, pen.width % 2 == 1 ? 0.5 : 0.0, closed);
    cairo_set_line_width(cairo, StrokeWidth(pen));
    cairo_set_line_cap(cairo, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_join(cairo, CAIRO_LINE_JOIN_ROUND);
    cairo_set_source_rgba(cairo, 0, 0, 0, 1);
    cairo_stroke(cairo);
}

// The inside on pixel corners, so that pixel centres decide: right and bottom edges excluded.
void Fill(Mask& mask, const std::vector<PointF>& points, int fillMode) {
    cairo_t* cairo = mask.Cairo();
    TracePath(cairo, points, 0.0, true);
    cairo_set_fill_rule(cairo,
                        fillMode == WINDING ? CAIRO_FILL_RULE_WINDING : CAIRO_FILL_RULE_EVEN_ODD);
    cairo_set_source_rgba(cairo, 0, 0, 0, kLowAlpha);
    cairo_fill(cairo);
}

Box Bounds(const std::vector<PointF>& points, int64_t margin) {
    double left = points.front().x, right = left, top = points.front().y, bottom = top;
    for (const PointF& point : points) {
        left = std::min(left, point.x);
        right = std::max(right, point.x);
        top = std::min(top, point.y);
        bottom = std::max(bottom, point.y);
    }
    // Clamped first: the box is later cut to the surface.
    const auto edge = [](double value, int64_t by) {
        return static_cast<int>(std::clamp(value, -1e8, 1e8) + double(by));
    };
    return {edge(std::floor(left), -margin), edge(std::floor(top), -margin),
            edge(std::ceil(right), margin + 1), edge(std::ceil(bottom), margin + 1)};
}

void DrawShape(HDC dc, const std::vector<PointF>& points, bool closed, bool filled) {
    const Pen& pen = Selected<Pen>(dc, ObjectKind::Pen);
    const Box box = Intersect(Bounds(points, StrokeWidth(pen)), ViewBox(dc->view));
    Mask& mask = ScratchMask();
    if (!mask.Start(box)) return;
    const Shade brush = filled ? BrushShade(dc) : Shade{};
    if (brush.kind != Shade::Kind::None) Fill(mask, points, dc->polyFillMode);
    if (pen.style != PS_NULL) Outline(mask, box, pen, points, closed);
    Paint(dc->view, mask.Finish(), box, brush, PenShade(dc));
}

std::vector<PointF> ToPointsF(const POINT* points, int count) {
    std::vector<PointF> out;
    out.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i)
        out.push_back({double(points[i].x), double(points[i].y)});
    return out;
}

// The curves as a polyline, flattened by cairo.
std::vector<PointF> Flatten(const POINT* points, DWORD count) {
    static cairo_surface_t* const surface = cairo_image_surface_create(CAIRO_FORMAT_A8, 1, 1);
    cairo_t* cairo = cairo_create(surface);
    cairo_move_to(cairo, points[0].x, points[0].y);
    for (DWORD i = 1; i + 2 < count; i += 3) {
        cairo_curve_to(cairo, points[i].x, points[i].y, points[i + 1].x, points[i + 1].y,
                       points[i + 2].x, points[i + 2].y);
    }
    cairo_path_t* path = cairo_copy_path_flat(cairo);
    std::vector<PointF> out;
    for (int i = 0; i < path->num_data; i += path->data[i].header.length) {
        const cairo_path_data_t& point = path->data[i + 1];
        if (path->data[i].header.type != CAIRO_PATH_CLOSE_PATH) {
            out.push_back({point.point.x, point.point.y});
        }
    }
    cairo_path_destroy(path);
    cairo_destroy(cairo);
    return out;
}

// Pens up to this width draw a rectangle's corners square (wider ones round them off).
constexpr int kSquarePenWidth = 3;
// cairo's stroke fills a narrower hole inside the outline too.
constexpr int64_t kLeastHole = 2;

// The pixels of outer around inner, which lies inside it.
void PaintFrame(const pixels::View& view, const Box& outer, const Box& inner, const Shade& shade) {
    PaintArea(view, {outer.left, outer.top, outer.right, inner.top}, shade);
    PaintArea(view, {outer.left, inner.bottom, outer.right, outer.bottom}, shade);
    PaintArea(view, {outer.left, inner.top, inner.left, inner.bottom}, shade);
    PaintArea(view, {inner.right, inner.top, outer.right, inner.bottom}, shade);
}

// The rectangle whose outline runs through pixels l..r and t..b, written straight into the
// surface: the brush over [l, r) x [t, b) and the pen's square frame over it, the pixels the
// mask would give. False (nothing drawn) where the mask is needed: round corners of a wider pen,
// a narrow inside, or a rectangle not wholly on the surface (cairo's clipping adds pixels).
bool PaintSquareRectangle(HDC dc, int64_t l, int64_t t, int64_t r, int64_t b) {
    const Pen& pen = Selected<Pen>(dc, ObjectKind::Pen);
    const bool outlined = pen.style != PS_NULL;
    if (outlined && pen.width > kSquarePenWidth) return false;
    // A pen covers the pixels whose centres lie within half its width of the path (a thin one,
    // the path's own pixels); an odd width's path runs through pixel centres.
    const int width = outlined ? std::max(pen.width, 1) : 0;
    const int64_t before = width / 2, after = (width + 1) / 2;
    const pixels::View& view = dc->view;
    const int64_t least = outlined ? kLeastHole + width : 1;
    if (r - l < least || b - t < least || l - before < 0 || t - before < 0 ||
        r + after > view.width || b + after > view.height)
        return false;
    const auto box = [](int64_t left, int64_t top, int64_t right, int64_t bottom) {
        return Box{int(left), int(top), int(right), int(bottom)};
    };
    PaintArea(view, box(l, t, r, b), BrushShade(dc));
    if (outlined) {
        PaintFrame(view, box(l - before, t - before, r + after, b + after),
                   box(l + after, t + after, r - before, b - before), PenShade(dc));
    }
    return true;
}

bool Drawable(HDC dc) {
    return dc != nullptr && dc->kind != DCKind::Window;
}

}  // namespace

BOOL LineTo(HDC dc, int x, int y) {
    if (!Drawable(dc)) return FALSE;
    const PointF from{double(dc->position.x), double(dc->position.y)};
    dc->position = {x, y};
    DrawShape(dc, {from, {double(x), double(y)}}, false, false);
    return TRUE;
}

BOOL Rectangle(HDC dc, int left, int top, int right, int bottom) {
    if (!Drawable(dc)) return FALSE;
    if (right < left) std::swap(left, right);
    if (bottom < top) std::swap(top, bottom);
    const Pen& pen = Selected<Pen>(dc, ObjectKind::Pen);
    const int inside = pen.style == PS_INSIDEFRAME ? pen.width / 2 : 0;
    const int insideFar = pen.style == PS_INSIDEFRAME ? (pen.width - 1) / 2 : 0;
    // The outline runs through the last column and row inside the rectangle.
    const int64_t l = int64_t{left} + inside, t = int64_t{top} + inside;
    const int64_t r = int64_t{right} - insideFar - 1, b = int64_t{bottom} - insideFar - 1;
    if (PaintSquareRectangle(dc, l, t, r, b)) return TRUE;
    const double lf = double(l), tf = double(t), rf = double(r), bf = double(b);
    DrawShape(dc, {{lf, tf}, {rf, tf}, {rf, bf}, {lf, bf}}, true, true);
    return TRUE;
}

BOOL Polygon(HDC dc, const POINT* points, int count) {
    if (!Drawable(dc) || points == nullptr || count < 2) return FALSE;
    DrawShape(dc, ToPointsF(points, count), true, true);
    return TRUE;
}

BOOL PolyBezier(HDC dc, const POINT* points, DWORD count) {
    if (!Drawable(dc) || points == nullptr || count < 4 || count % 3 != 1) return FALSE;
    DrawShape(dc, Flatten(points, count), false, false);
    return TRUE;
}

BOOL InvertRect(HDC dc, const RECT* rect) {
    if (!Drawable(dc) || rect == nullptr) return FALSE;
    const pixels::View& view = dc->view;
    const Box area = Intersect({rect->left, rect->top, rect->right, rect->bottom}, ViewBox(view));
    const uint32_t colourBits = view.format.redMask | view.format.greenMask | view.format.blueMask;
    for (int y = area.top; y < area.bottom; ++y) {
        for (int x = area.left; x < area.right; ++x) {
            WritePixel(view, x, y, ReadPixel(view, x, y) ^ colourBits);
        }
    }
    return TRUE;
}

}  // namespace gdi
