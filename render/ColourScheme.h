// The drawing resources of a gauge: background colour, two brushes, three
// pens made from them, two fonts and the text line height.
#pragma once

#include <memory>

#include "render/GdiPlusObjects.h"

namespace render {

struct SchemeColours {
    uint32_t background;
    uint32_t dim;
    uint32_t bright;
};

// Width of the scheme's pens, in world units.
constexpr float kSchemePenWidth = 2.0f;

constexpr SchemeColours kGreenColours{0xff001400u, 0xff008200u, 0xff00ff00u};
constexpr SchemeColours kAmberColours{0xff1e0f00u, 0xff783c0au, 0xffffa046u};

// Dimming, in steps of a tenth up to nine tenths: each colour's light taken
// towards black by that share (in linear light, so that what was legible
// keeps its contrast against what lies around it). Step 0 leaves a colour
// as it is, to the bit.
constexpr int kDimmingSteps = 10;
uint32_t dimmedColour(uint32_t argb, int step);
SchemeColours dimmedColours(const SchemeColours& colours, int step);

// The trails' dots, newest first: from the dim colour towards the
// background, each a step further, the oldest faintest.
constexpr int kTrailShades = 6;
uint32_t trailShade(const SchemeColours& colours, int age);

struct ColourScheme {
    uint32_t backgroundColour = 0xff000000u;
    std::unique_ptr<Pen> dimPen;
    std::unique_ptr<Pen> brightPen;
    std::unique_ptr<Pen> dashedPen;
    std::unique_ptr<SolidBrush> dimBrush;
    std::unique_ptr<SolidBrush> brightBrush;
    std::unique_ptr<Font> largeFont;
    std::unique_ptr<Font> smallFont;
    float lineHeight = 0.0f;
    SchemeColours colours{};  // what the brushes were made with
    // Made only once trails are asked for (createTrailBrushes).
    std::unique_ptr<SolidBrush> trailBrushes[kTrailShades];
    // The dimming the colours were made at; a dimmed scheme's advisories
    // have a brush of their own (the shared one is at full brightness).
    int dimmingStep = 0;
    std::unique_ptr<SolidBrush> advisoryBrush;
    std::unique_ptr<Pen> advisoryPen;

    bool created() const { return dimBrush != nullptr; }
    // Every object is there (an allocation may have failed).
    bool complete() const {
        return dimPen && brightPen && dashedPen && dimBrush && brightBrush && largeFont && smallFont;
    }
    // Deletes the pens, brushes and fonts (before GDI+ shuts down).
    void release();
};

// Fills the scheme in the fixed order: brushes, background, dashed, dim and
// bright pens, small then large font, line height; dimmed, then the
// advisories' brush.
void createScheme(ColourScheme& scheme, const SchemeColours& colours, int dimmingStep = 0);
// The brush advisories are filled with in the scheme's dimming, the pen
// their tags' arrows are stroked with, and the colour of both.
const Brush& advisoryBrushOf(const ColourScheme& scheme);
const Pen& advisoryPenOf(const ColourScheme& scheme);
uint32_t advisoryColourOf(const ColourScheme& scheme);

// The trails' brushes, in trailShade's colours, unless they are there.
void createTrailBrushes(ColourScheme& scheme);

// The font of the named family at the size and style, falling back to the
// generic sans-serif family when the name or the font cannot be had.
std::unique_ptr<Font> createFontWithFallback(const char16_t* familyName, float emSize, int style);

}  // namespace render
