#include "kit/TextLayout.h"

#include <pango/pangocairo.h>

#include <climits>
#include <cmath>

namespace kit {
namespace {

// Pango's objects belong to the thread that made them, so every thread gets
// its own font map and measuring context, made when it first lays out text.
class ThreadFonts {
public:
    ThreadFonts() : fontMap_(pango_cairo_font_map_new()), measuring_(makeContext()) {}
    ~ThreadFonts() {
        g_object_unref(measuring_);
        g_object_unref(fontMap_);
    }
    ThreadFonts(const ThreadFonts&) = delete;
    ThreadFonts& operator=(const ThreadFonts&) = delete;

    PangoContext* measuringContext() const { return measuring_; }

    // Sizes must not depend on the display or the scale drawn at: no hinted
    // metrics, and glyphs placed at fractions of a pixel rather than rounded.
    PangoContext* makeContext() const {
        PangoContext* context = pango_font_map_create_context(fontMap_);
        cairo_font_options_t* options = cairo_font_options_create();
        cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
        cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
        cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
        pango_cairo_context_set_font_options(context, options);
        cairo_font_options_destroy(options);
        pango_context_set_round_glyph_positions(context, FALSE);
        pango_context_set_language(context, pango_language_from_string("en"));
        return context;
    }

private:
    PangoFontMap* fontMap_;
    PangoContext* measuring_;
};

ThreadFonts& threadFonts() {
    thread_local ThreadFonts fonts;
    return fonts;
}

PangoWeight pangoWeight(Font::Weight weight) {
    switch (weight) {
        case Font::Weight::regular:
            return PANGO_WEIGHT_NORMAL;
        case Font::Weight::medium:
            return PANGO_WEIGHT_MEDIUM;
        case Font::Weight::semibold:
            return PANGO_WEIGHT_SEMIBOLD;
        case Font::Weight::bold:
            return PANGO_WEIGHT_BOLD;
    }
    return PANGO_WEIGHT_NORMAL;
}

PangoAlignment pangoAlignment(TextLayout::Alignment alignment) {
    switch (alignment) {
        case TextLayout::Alignment::left:
            return PANGO_ALIGN_LEFT;
        case TextLayout::Alignment::center:
            return PANGO_ALIGN_CENTER;
        case TextLayout::Alignment::right:
            return PANGO_ALIGN_RIGHT;
    }
    return PANGO_ALIGN_LEFT;
}

int pangoUnits(double points) {
    if (!(points > 0)) return 0;
    return int(std::min(points, double(INT_MAX / PANGO_SCALE - 1)) * PANGO_SCALE);
}

double points(int pangoUnits) {
    return pangoUnits / double(PANGO_SCALE);
}

void setFont(PangoLayout* layout, const Font& font) {
    PangoFontDescription* description = pango_font_description_new();
    pango_font_description_set_family(description, font.family.c_str());
    // Absolute: one unit is one point at scale 1, whatever resolution pango assumes.
    pango_font_description_set_absolute_size(description, font.pointSize * PANGO_SCALE);
    pango_font_description_set_weight(description, pangoWeight(font.weight));
    pango_layout_set_font_description(layout, description);
    pango_font_description_free(description);
}

// Pango warns about and mangles bytes that are not UTF-8; names read from
// outside may hold some.
void setText(PangoLayout* layout, const std::string& text) {
    if (g_utf8_validate(text.data(), gssize(text.size()), nullptr)) {
        pango_layout_set_text(layout, text.data(), int(text.size()));
        return;
    }
    gchar* valid = g_utf8_make_valid(text.data(), gssize(text.size()));
    pango_layout_set_text(layout, valid, -1);
    g_free(valid);
}

}  // namespace

struct TextLayout::Native {
    explicit Native(PangoLayout* layout) : layout(layout) {}
    ~Native() { g_object_unref(layout); }
    Native(const Native&) = delete;
    Native& operator=(const Native&) = delete;

    static PangoLayout* make(const TextLayout& text, PangoContext* context);

    PangoLayout* layout;
};

PangoLayout* TextLayout::Native::make(const TextLayout& text, PangoContext* context) {
    PangoLayout* layout = pango_layout_new(context);
    setFont(layout, text.font_);
    setText(layout, text.text_);
    pango_layout_set_alignment(layout, pangoAlignment(text.alignment_));
    if (text.truncationWidth_) {
        pango_layout_set_width(layout, pangoUnits(*text.truncationWidth_));
        pango_layout_set_ellipsize(layout, PANGO_ELLIPSIZE_END);
        pango_layout_set_single_paragraph_mode(layout, TRUE);
        return layout;
    }
    if (text.wrapWidth_) {
        pango_layout_set_width(layout, pangoUnits(*text.wrapWidth_));
        pango_layout_set_wrap(layout, PANGO_WRAP_WORD_CHAR);
    }
    return layout;
}

TextLayout::TextLayout(std::string text, Font font)
    : text_(std::move(text)), font_(std::move(font)) {}

TextLayout::~TextLayout() = default;

TextLayout::TextLayout(const TextLayout& other)
    : text_(other.text_),
      font_(other.font_),
      wrapWidth_(other.wrapWidth_),
      truncationWidth_(other.truncationWidth_),
      alignment_(other.alignment_) {}

TextLayout& TextLayout::operator=(const TextLayout& other) {
    if (this == &other) return *this;
    text_ = other.text_;
    font_ = other.font_;
    wrapWidth_ = other.wrapWidth_;
    truncationWidth_ = other.truncationWidth_;
    alignment_ = other.alignment_;
    native_.reset();
    return *this;
}

TextLayout::TextLayout(TextLayout&&) noexcept = default;
TextLayout& TextLayout::operator=(TextLayout&&) noexcept = default;

void TextLayout::setWrapWidth(std::optional<double> width) {
    wrapWidth_ = width;
    native_.reset();
}

void TextLayout::setTruncationWidth(std::optional<double> width) {
    truncationWidth_ = width;
    native_.reset();
}

void TextLayout::setAlignment(Alignment alignment) {
    alignment_ = alignment;
    native_.reset();
}

void TextLayout::update() const {
    if (native_) return;
    native_ = std::make_unique<Native>(Native::make(*this, threadFonts().measuringContext()));
}

Size TextLayout::size() const {
    PangoRectangle logical;
    pango_layout_get_extents(static_cast<PangoLayout*>(nativeLayout()), nullptr, &logical);
    // Whole points, so frames built from text sizes stay on the point grid.
    return {std::ceil(points(logical.width)), std::ceil(points(logical.height))};
}

double TextLayout::firstBaseline() const {
    return points(pango_layout_get_baseline(static_cast<PangoLayout*>(nativeLayout())));
}

int TextLayout::lineCount() const {
    return pango_layout_get_line_count(static_cast<PangoLayout*>(nativeLayout()));
}

bool TextLayout::isTruncated() const {
    return pango_layout_is_ellipsized(static_cast<PangoLayout*>(nativeLayout()));
}

void* TextLayout::nativeLayout() const {
    update();
    return native_->layout;
}

void TextLayout::drawInNativeContext(void* nativeContext) const {
    auto* cr = static_cast<cairo_t*>(nativeContext);
    // A context of its own, matched to the target's transformation and
    // surface; the measuring one stays as it is for every other layout.
    PangoContext* context = threadFonts().makeContext();
    pango_cairo_update_context(cr, context);
    PangoLayout* layout = Native::make(*this, context);
    pango_cairo_show_layout(cr, layout);
    g_object_unref(layout);
    g_object_unref(context);
}

}  // namespace kit
