// Fonts and text through pango. A font's face (pango description, metrics, a reusable layout)
// is shared by every font of the same description, and the coverage of recent TextOut strings
// is kept, so a line drawn every frame costs only its painting.
// Our headers first: glib defines TRUE and FALSE as macros.
#include "platform/gdi/raster.h"

#include <pango/pangocairo.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <list>
#include <memory>
#include <numbers>
#include <string>

namespace gdi {

namespace {

constexpr int kDefaultCellHeight = 16;
constexpr size_t kCachedFaces = 32;
constexpr size_t kCachedTexts = 16;
constexpr double kReferenceSize = 1000.0;
// Larger heights are drawn at this size: a glyph is rasterised whole before it is cut.
constexpr LONG kLargestHeight = 1024;

std::string FamilyFor(const LOGFONT& font) {
    const std::string name(font.lfFaceName, strnlen(font.lfFaceName, sizeof font.lfFaceName));
    if (name == "標準ゴシック" || name.empty()) return "IPAGothic";
    if (name == "標準明朝") return "IPAMincho";
    return name + ",IPAGothic";
}

struct FontKey {
    std::string family;
    LONG height, escapement, weight;
    bool italic, underline;

    friend bool operator==(const FontKey&, const FontKey&) = default;
};

FontKey KeyFor(const LOGFONT& font) {
    const LONG weight = font.lfWeight == FW_DONTCARE ? FW_NORMAL : font.lfWeight;
    return {FamilyFor(font),    font.lfHeight,
            font.lfEscapement,  std::clamp(weight, 100, 1000),
            font.lfItalic != 0, font.lfUnderline != 0};
}

// What TextOut draws for one string at one place on a surface of one size: the background box
// at the low level and the glyphs at the high level, cut to the surface.
struct TextImage {
    Face* face;
    std::string text;
    POINT at;
    Box surface;
    Mask mask;
    Coverage coverage;
};

std::string ValidUtf8(const char* text, size_t length) {
    if (g_utf8_validate(text, static_cast<gssize>(length), nullptr)) return {text, length};
    gchar* valid = g_utf8_make_valid(text, static_cast<gssize>(length));
    std::string out(valid);
    g_free(valid);
    return out;
}

}  // namespace

struct Face {
    Face(PangoContext* context, const FontKey& fontKey);
    ~Face();
    Face(const Face&) = delete;
    Face& operator=(const Face&) = delete;

    PangoLayout* NewLayout() const;

    FontKey key;
    PangoContext* context;
    PangoFontDescription* description;
    PangoLayout* line;  // TextOut's single-line layout
    int cellHeight = 0, ascent = 0;
    double angle;  // radians, counter-clockwise on the screen
    int users = 0;
};

namespace {

class TextSystem {
  public:
    TextSystem() {
        context_ = pango_font_map_create_context(pango_cairo_font_map_get_default());
        cairo_font_options_t* options = cairo_font_options_create();
        cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_NONE);
        cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_ON);
        pango_cairo_context_set_font_options(context_, options);
        cairo_font_options_destroy(options);
    }
    TextSystem(const TextSystem&) = delete;
    TextSystem& operator=(const TextSystem&) = delete;

    Face* FaceFor(const LOGFONT& font);
    const TextImage& ImageFor(Face& face, const std::string& text, POINT at, const Box& surface);

  private:
    void ForgetUnusedFaces();
    void Render(TextImage& image);

    PangoContext* context_;
    std::list<std::unique_ptr<Face>> faces_;
    std::list<TextImage> texts_;  // most recent first
};

// Never destroyed: fonts in static storage may outlive any order of destruction.
TextSystem& Text() {
    static TextSystem& system = *new TextSystem;
    return system;
}

Face* TextSystem::FaceFor(const LOGFONT& font) {
    const FontKey key = KeyFor(font);
    const auto found =
        std::find_if(faces_.begin(), faces_.end(),
                     [&](const std::unique_ptr<Face>& face) { return face->key == key; });
    if (found != faces_.end()) return found->get();
    if (faces_.size() >= kCachedFaces) ForgetUnusedFaces();
    faces_.push_front(std::make_unique<Face>(context_, key));
    return faces_.front().get();
}

void TextSystem::ForgetUnusedFaces() {
    const auto unused = [](const std::unique_ptr<Face>& face) { return face->users == 0; };
    texts_.remove_if([](const TextImage& image) { return image.face->users == 0; });
    faces_.remove_if(unused);
}

const TextImage& TextSystem::ImageFor(Face& face, const std::string& text, POINT at,
                                      const Box& surface) {
    const auto found = std::find_if(texts_.begin(), texts_.end(), [&](const TextImage& image) {
        return image.face == &face && image.at.x == at.x && image.at.y == at.y &&
               image.surface.right == surface.right && image.surface.bottom == surface.bottom &&
               image.text == text;
    });
    if (found != texts_.end()) {
        texts_.splice(texts_.begin(), texts_, found);
        return texts_.front();
    }
    if (texts_.size() >= kCachedTexts) texts_.pop_back();
    // The mask cannot move, so the image is made in place and filled in.
    TextImage& image = texts_.emplace_front();
    image.face = &face;
    image.text = text;
    image.at = at;
    image.surface = surface;
    Render(image);
    return image;
}

// Where a point of the text's own frame (x along the baseline, y down) lands on the surface.
void Turn(double angle, double& x, double& y) {
    const double u = x, v = y;
    x = u * std::cos(angle) + v * std::sin(angle);
    y = -u * std::sin(angle) + v * std::cos(angle);
}

// The text's box in its own frame with room for overhanging glyphs (measuring the ink costs
// more than clearing a larger mask), turned and placed at the text's position.
Box TextBounds(const Face& face, const PangoRectangle& logical, double glyphTop, POINT at) {
    const double margin = face.cellHeight / 2.0 + 1;
    const double top = std::min(0.0, glyphTop) - margin;
    const double bottom = std::max<double>(face.cellHeight, glyphTop + logical.height) + margin;
    double left = 1e18, upper = 1e18, right = -1e18, lower = -1e18;
    for (double cornerX : {-margin, logical.width + margin}) {
        for (double cornerY : {top, bottom}) {
            double x = cornerX, y = cornerY;
            Turn(face.angle, x, y);
            left = std::min(left, x);
            upper = std::min(upper, y);
            right = std::max(right, x);
            lower = std::max(lower, y);
        }
    }
    const auto place = [](double offset, LONG origin) {
        return static_cast<int>(std::clamp(origin + offset, -1e9, 1e9));
    };
    return {place(std::floor(left) - 1, at.x), place(std::floor(upper) - 1, at.y),
            place(std::ceil(right) + 1, at.x), place(std::ceil(lower) + 1, at.y)};
}

void TextSystem::Render(TextImage& image) {
    Face& face = *image.face;
    pango_layout_set_text(face.line, image.text.data(), static_cast<int>(image.text.size()));
    PangoRectangle logical;
    pango_layout_get_pixel_extents(face.line, nullptr, &logical);
    const double glyphTop = face.ascent - pango_layout_get_baseline(face.line) / PANGO_SCALE;
    const Box box = TextBounds(face, logical, glyphTop, image.at);
    if (!image.mask.Start(Intersect(box, image.surface))) {
        image.coverage = image.mask.Finish();
        return;
    }
    cairo_t* cairo = image.mask.Cairo();
    cairo_translate(cairo, image.at.x, image.at.y);
    cairo_rotate(cairo, -face.angle);
    cairo_rectangle(cairo, 0, 0, logical.width, face.cellHeight);
    cairo_set_source_rgba(cairo, 0, 0, 0, kLowAlpha);
    cairo_fill(cairo);
    cairo_set_source_rgba(cairo, 0, 0, 0, 1);
    cairo_move_to(cairo, 0, glyphTop);
    pango_cairo_show_layout(cairo, face.line);
    image.coverage = image.mask.Finish();
}

Shade BackgroundShade(HDC dc) {
    if (dc->backgroundMode != OPAQUE) return {};
    return SolidShade(dc->view.format, dc->backgroundColour);
}

bool Drawable(HDC dc) {
    return dc != nullptr && dc->kind != DCKind::Window;
}

// Without DT_NOPREFIX an ampersand underlines the next character and "&&" is one ampersand.
std::string StripPrefixes(const std::string& text, PangoAttrList* attributes) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '&' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        ++i;
        if (text[i] != '&') {
            const char* next = g_utf8_next_char(text.c_str() + i);
            PangoAttribute* underline = pango_attr_underline_new(PANGO_UNDERLINE_SINGLE);
            underline->start_index = static_cast<guint>(out.size());
            underline->end_index = static_cast<guint>(out.size() + (next - (text.c_str() + i)));
            pango_attr_list_insert(attributes, underline);
        }
        out += text[i];
    }
    return out;
}

struct Lines {
    int count = 0;
    int widest = 0;
};

Lines Measure(PangoLayout* layout) {
    Lines lines{pango_layout_get_line_count(layout), 0};
    for (int i = 0; i < lines.count; ++i) {
        PangoRectangle logical;
        pango_layout_line_get_pixel_extents(pango_layout_get_line_readonly(layout, i), nullptr,
                                            &logical);
        lines.widest = std::max(lines.widest, logical.width);
    }
    return lines;
}

int LineLeft(const RECT& rect, int width, UINT format) {
    if ((format & DT_RIGHT) != 0) return rect.right - width;
    if ((format & DT_CENTER) != 0) return rect.left + (rect.right - rect.left - width) / 2;
    return rect.left;
}

// Each line on its own background box, one cell high, into the scratch mask.
void DrawLines(HDC dc, const Face& face, PangoLayout* layout, const RECT& rect, UINT format,
               const Lines& lines) {
    const Box clip = (format & DT_NOCLIP) != 0 ? ViewBox(dc->view)
                                               : Box{rect.left, rect.top, rect.right, rect.bottom};
    // Glyphs may overhang their boxes a little: one cell above and below the text is enough.
    const int textBottom = rect.top + (lines.count + 1) * face.cellHeight;
    const Box box = Intersect(Intersect(clip, ViewBox(dc->view)),
                              {clip.left, rect.top - face.cellHeight, clip.right, textBottom});
    Mask& mask = ScratchMask();
    if (!mask.Start(box)) return;
    cairo_t* cairo = mask.Cairo();
    for (int i = 0; i < lines.count; ++i) {
        PangoLayoutLine* line = pango_layout_get_line_readonly(layout, i);
        PangoRectangle logical;
        pango_layout_line_get_pixel_extents(line, nullptr, &logical);
        const int left = LineLeft(rect, logical.width, format);
        const int top = rect.top + i * face.cellHeight;
        cairo_rectangle(cairo, left, top, logical.width, face.cellHeight);
        cairo_set_source_rgba(cairo, 0, 0, 0, kLowAlpha);
        cairo_fill(cairo);
        cairo_move_to(cairo, left - logical.x, top + face.ascent);
        cairo_set_source_rgba(cairo, 0, 0, 0, 1);
        pango_cairo_show_layout_line(cairo, line);
    }
    Paint(dc->view, mask.Finish(), clip, BackgroundShade(dc),
          SolidShade(dc->view.format, dc->textColour));
}

// The text laid out for a box: prefixes taken out unless DT_NOPREFIX, wrapped at words to the
// box's width with DT_WORDBREAK.
PangoLayout* BoxLayout(const Face& face, std::string content, const RECT& rect, UINT format) {
    PangoLayout* layout = face.NewLayout();
    PangoAttrList* attributes = pango_attr_list_copy(pango_layout_get_attributes(layout));
    if (attributes == nullptr) attributes = pango_attr_list_new();
    if ((format & DT_NOPREFIX) == 0) content = StripPrefixes(content, attributes);
    pango_layout_set_attributes(layout, attributes);
    pango_attr_list_unref(attributes);
    pango_layout_set_text(layout, content.data(), static_cast<int>(content.size()));
    if ((format & DT_WORDBREAK) != 0) {
        // pango measures in 1/1024 pixel in an int: a wider box wraps at the widest it holds.
        const int64_t width =
            std::clamp<int64_t>(int64_t{rect.right} - rect.left, 0, INT32_MAX / PANGO_SCALE);
        pango_layout_set_width(layout, static_cast<int>(width) * PANGO_SCALE);
        pango_layout_set_wrap(layout, PANGO_WRAP_WORD);
    }
    return layout;
}

}  // namespace

Face::Face(PangoContext* pangoContext, const FontKey& fontKey)
    : key(fontKey),
      context(pangoContext),
      description(pango_font_description_new()),
      angle(fontKey.escapement * std::numbers::pi / 1800.0) {
    pango_font_description_set_family(description, key.family.c_str());
    pango_font_description_set_weight(description, static_cast<PangoWeight>(key.weight));
    pango_font_description_set_style(description,
                                     key.italic ? PANGO_STYLE_ITALIC : PANGO_STYLE_NORMAL);
    // Sizes scale with the face's ascent and descent, measured once at a large size.
    pango_font_description_set_absolute_size(description, kReferenceSize * PANGO_SCALE);
    PangoFontMetrics* metrics = pango_context_get_metrics(context, description, nullptr);
    const double ascentShare =
        pango_font_metrics_get_ascent(metrics) / (kReferenceSize * PANGO_SCALE);
    const double descentShare =
        pango_font_metrics_get_descent(metrics) / (kReferenceSize * PANGO_SCALE);
    pango_font_metrics_unref(metrics);
    const LONG height = key.height == 0 ? kDefaultCellHeight
                                        : std::clamp(key.height, -kLargestHeight, kLargestHeight);
    // A positive height is the cell (ascent + descent), a negative one the em.
    const double em = height > 0 ? height / (ascentShare + descentShare) : -height;
    cellHeight =
        height > 0 ? height : static_cast<int>(std::lround(em * (ascentShare + descentShare)));
    ascent = static_cast<int>(std::lround(em * ascentShare));
    pango_font_description_set_absolute_size(description, em * PANGO_SCALE);
    line = NewLayout();
    pango_layout_set_single_paragraph_mode(line, TRUE);
}

Face::~Face() {
    g_object_unref(line);
    pango_font_description_free(description);
}

PangoLayout* Face::NewLayout() const {
    PangoLayout* layout = pango_layout_new(context);
    pango_layout_set_font_description(layout, description);
    if (key.underline) {
        PangoAttrList* attributes = pango_attr_list_new();
        pango_attr_list_insert(attributes, pango_attr_underline_new(PANGO_UNDERLINE_SINGLE));
        pango_layout_set_attributes(layout, attributes);
        pango_attr_list_unref(attributes);
    }
    return layout;
}

Font::Font(const LOGFONT& fontDescription, bool isStock)
    : Object(ObjectKind::Font, isStock), description(fontDescription) {}

Font::~Font() {
    if (face != nullptr) --face->users;
}

// Faces are found at the first text, so contexts used only for pixels never start pango.
Face& Font::Resolved() {
    if (face == nullptr) {
        face = Text().FaceFor(description);
        ++face->users;
    }
    return *face;
}

HFONT CreateFontIndirect(const LOGFONT* font) {
    if (font == nullptr) return nullptr;
    return new Font(*font);
}

BOOL TextOut(HDC dc, int x, int y, const char* text, int length) {
    if (!Drawable(dc) || text == nullptr || length < 0) return FALSE;
    if (length == 0) return TRUE;
    Face& face = Selected<Font>(dc, ObjectKind::Font).Resolved();
    const TextImage& image = Text().ImageFor(face, ValidUtf8(text, static_cast<size_t>(length)),
                                             {x, y}, ViewBox(dc->view));
    Paint(dc->view, image.coverage, ViewBox(dc->view), BackgroundShade(dc),
          SolidShade(dc->view.format, dc->textColour));
    return TRUE;
}

int DrawText(HDC dc, const char* text, int length, RECT* rect, UINT format) {
    if (!Drawable(dc) || text == nullptr || rect == nullptr) return 0;
    const size_t bytes = length < 0 ? std::strlen(text) : static_cast<size_t>(length);
    const Face& face = Selected<Font>(dc, ObjectKind::Font).Resolved();
    if (bytes == 0) {
        // Nothing to draw, but an empty text still takes one line.
        if ((format & DT_CALCRECT) != 0)
            *rect = {rect->left, rect->top, rect->left, rect->top + face.cellHeight};
        return face.cellHeight;
    }
    PangoLayout* layout = BoxLayout(face, ValidUtf8(text, bytes), *rect, format);
    const Lines lines = Measure(layout);
    const int height = lines.count * face.cellHeight;
    if ((format & DT_CALCRECT) != 0) {
        rect->right = rect->left + lines.widest;
        rect->bottom = rect->top + height;
    } else {
        DrawLines(dc, face, layout, *rect, format, lines);
    }
    g_object_unref(layout);
    return height;
}

}  // namespace gdi
