#include "render/ColourScheme.h"

#include <cmath>

#include "render/SharedGdiObjects.h"

namespace render {
namespace {

constexpr float kDashPattern[2] = {2.0f, 2.0f};  // in pen widths: 4-unit dashes and gaps
constexpr float kSmallFontSize = 30.0f;
constexpr float kLargeFontSize = 40.0f;
constexpr float kLineSpacing = 1.2f;

// A pen coloured by the brush; none when the brush itself could not be had.
std::unique_ptr<Pen> penFrom(const SolidBrush* brush) {
    if (brush == nullptr) return nullptr;
    return std::unique_ptr<Pen>(new Pen(*brush, kSchemePenWidth, gdip::kUnitWorld));
}

// What a channel keeps at a step: the remaining share of its light, taken
// back to the gamma of the picture's values (about 2.2).
double channelShare(int step) { return std::pow(1.0 - step / static_cast<double>(kDimmingSteps), 1.0 / 2.2); }

}  // namespace

uint32_t dimmedColour(uint32_t argb, int step) {
    if (step <= 0) return argb;
    if (step >= kDimmingSteps) step = kDimmingSteps - 1;
    const double share = channelShare(step);
    uint32_t dimmed = argb & 0xff000000u;
    for (int shift = 0; shift <= 16; shift += 8) {
        const double channel = static_cast<double>((argb >> shift) & 0xffu) * share;
        dimmed |= static_cast<uint32_t>(channel + 0.5) << shift;
    }
    return dimmed;
}

SchemeColours dimmedColours(const SchemeColours& colours, int step) {
    return SchemeColours{dimmedColour(colours.background, step), dimmedColour(colours.dim, step),
                         dimmedColour(colours.bright, step)};
}

const Brush& advisoryBrushOf(const ColourScheme& scheme) {
    if (scheme.advisoryBrush != nullptr) return *scheme.advisoryBrush;
    return sharedBrush(SharedBrush::TrafficAdvisory);
}

const Pen& advisoryPenOf(const ColourScheme& scheme) {
    if (scheme.advisoryPen != nullptr) return *scheme.advisoryPen;
    return sharedPen(SharedBrush::TrafficAdvisory);
}

uint32_t advisoryColourOf(const ColourScheme& scheme) {
    return scheme.advisoryBrush != nullptr ? dimmedColour(kTrafficAdvisoryColour, scheme.dimmingStep)
                                           : kTrafficAdvisoryColour;
}

void createScheme(ColourScheme& scheme, const SchemeColours& undimmed, int dimmingStep) {
    const SchemeColours colours = dimmedColours(undimmed, dimmingStep);
    scheme.dimBrush.reset(new SolidBrush(colours.dim));
    scheme.brightBrush.reset(new SolidBrush(colours.bright));
    scheme.backgroundColour = colours.background;
    scheme.colours = colours;

    scheme.dashedPen = penFrom(scheme.dimBrush.get());
    if (scheme.dashedPen != nullptr) scheme.dashedPen->setDashPattern(kDashPattern, 2);
    scheme.dimPen = penFrom(scheme.dimBrush.get());
    scheme.brightPen = penFrom(scheme.brightBrush.get());

    scheme.smallFont = createFontWithFallback(u"Tahoma", kSmallFontSize, gdip::kFontStyleBold);
    scheme.largeFont = createFontWithFallback(u"Arial", kLargeFontSize, gdip::kFontStyleRegular);
    scheme.lineHeight = scheme.largeFont != nullptr ? scheme.largeFont->size() * kLineSpacing : 0.0f;
    scheme.dimmingStep = dimmingStep > 0 ? dimmingStep : 0;
    if (dimmingStep > 0) {
        scheme.advisoryBrush.reset(new SolidBrush(dimmedColour(kTrafficAdvisoryColour, dimmingStep)));
        scheme.advisoryPen = penFrom(scheme.advisoryBrush.get());
    }
}

uint32_t trailShade(const SchemeColours& colours, int age) {
    if (age < 0) age = 0;
    if (age >= kTrailShades) age = kTrailShades - 1;
    // Shares of the way to the background: 1/7 for the newest, 6/7 for the oldest.
    const uint32_t share = static_cast<uint32_t>(age + 1);
    const uint32_t whole = kTrailShades + 1;
    uint32_t shade = 0xff000000u;
    for (int shift = 0; shift <= 16; shift += 8) {
        const uint32_t from = (colours.dim >> shift) & 0xffu;
        const uint32_t to = (colours.background >> shift) & 0xffu;
        const uint32_t mixed = (from * (whole - share) + to * share + whole / 2) / whole;
        shade |= mixed << shift;
    }
    return shade;
}

void createTrailBrushes(ColourScheme& scheme) {
    for (int age = 0; age < kTrailShades; ++age)
        if (scheme.trailBrushes[age] == nullptr)
            scheme.trailBrushes[age].reset(new SolidBrush(trailShade(scheme.colours, age)));
}

std::unique_ptr<Font> createFontWithFallback(const char16_t* familyName, float emSize, int style) {
    std::unique_ptr<Font> font(new Font());
    if (font == nullptr) return nullptr;

    // The family looked up by name lives only for this call; the generic
    // one is shared and kept until the last gauge goes.
    FontFamily named(familyName);
    const FontFamily& family = named.valid() ? named : genericSansSerifFamily();
    if (!font->create(family, emSize, style, gdip::kUnitPoint)) {
        font->create(genericSansSerifFamily(), emSize, style, gdip::kUnitPoint);
    }
    return font;
}

void ColourScheme::release() {
    dimPen.reset();
    brightPen.reset();
    dashedPen.reset();
    dimBrush.reset();
    brightBrush.reset();
    largeFont.reset();
    smallFont.reset();
    for (std::unique_ptr<SolidBrush>& brush : trailBrushes) brush.reset();
    advisoryPen.reset();  // before the brush it was made from
    advisoryBrush.reset();
}

}  // namespace render
