#include "views/ViewFrame.h"

#include "gauge/DrawingMemory.h"
#include "render/PixelBlend.h"
#include "render/SharedGdiObjects.h"
#include "traffic/OwnShip.h"
#include "views/TagLayout.h"
#include "views/TrafficFilter.h"

namespace quillon {

HeadingAndClock lookUpHeadingThenClock(const PanelCalls& panel) {
    host::ModuleVariableRecord heading = moduleVariable(host::kVarOwnHeading);
    host::ModuleVariableRecord clock = moduleVariable(host::kVarClock);
    const double headingDeg = panel.lookupModuleVariable(heading);
    return HeadingAndClock{headingDeg, panel.lookupModuleVariable(clock)};
}

double ownAltitudeMetres(const PanelCalls& panel) {
    host::ModuleVariableRecord altitude = moduleVariable(host::kVarOwnAltitudeMetres);
    return panel.lookupModuleVariable(altitude);
}

int firstListedTarget(const TrafficList& list) { return list.limitedMode() != 0 ? 0 : 1; }

CrossStamp crossStampFor(LiveFrame& frame, const ViewOrigin& origin) {
    const render::ColourScheme& scheme = frame.scheme;
    if (frame.composed == nullptr || !scheme.dimPen || !scheme.brightPen) return CrossStamp{};
    const render::CrossAtlasContent content{{scheme.dimPen.get(), scheme.brightPen.get()},
                                            {scheme.colours.dim, scheme.colours.bright},
                                            render::kSchemePenWidth,
                                            kCrossArm};
    return CrossStamp{&frame.memory, content, frame.scaleX, frame.scaleY, frame.composed, origin.x, origin.y};
}

namespace {

// Laying out a text, or stroking a small arrow with anti-aliasing, costs the
// drawing library several times what copying a small picture does: tags and
// arrows come from an atlas drawn once per surface scale and scheme.
TagStyle tagStyleOf(LiveFrame& frame, const ViewOrigin& origin, const render::TextAtlasContent& content,
                    const render::Brush* dim, const render::Brush* bright, const render::Pen* arrowPen) {
    const render::TextAtlas* atlas = frame.memory.textAtlas(content, frame.scaleX, frame.scaleY);
    if (atlas != nullptr) frame.graphics.setInterpolationMode(gdip::kInterpolationModeNearestNeighbor);
    TagStyle style{content.font, content.format, dim, bright, frame.traffic.limitedMode() != 0, atlas, origin.x,
                   origin.y, frame.composed};
    style.arrowPen = arrowPen;
    return style;
}

// Where the tags' ink lies, from the atlas; else their measured line.
render::RectF tagInk(LiveFrame& frame, const TagStyle& style, float& lineHeight) {
    if (style.atlas != nullptr) {
        lineHeight = style.atlas->lineHeight();
        return style.atlas->inkAround();
    }
    const render::RectF bounds = frame.graphics.measureText(u"+99", -1, *style.font, 0.0f, 0.0f);
    lineHeight = bounds.Height;
    return render::RectF{-bounds.Width / 2, 0.0f, bounds.Width, bounds.Height};
}

}  // namespace

bool prepareFrameTags(LiveFrame& frame, const ViewOrigin& origin, FrameTags& tags) {
    tags.every = frame.options.altitudeTags == 1;
    tags.any = tags.every || frame.advisories != nullptr;
    TagLayout& layout = frameTagLayout();
    if (!tags.any) {
        layout.begin(origin, render::RectF{}, 0.0f);  // nothing placed in this frame
        return false;
    }
    const render::ColourScheme& scheme = frame.scheme;
    render::StringFormat& format = render::sharedStringFormat(render::SharedFormat::AltitudeTag);
    tags.ordinary = tagStyleOf(frame, origin, altitudeTagAtlasContent(scheme, format), scheme.dimBrush.get(),
                               scheme.brightBrush.get(), nullptr);
    if (frame.advisories != nullptr) {
        const render::Brush* yellow = &render::advisoryBrushOf(scheme);
        tags.advisory = tagStyleOf(frame, origin, advisoryTagAtlasContent(scheme, format), yellow, yellow,
                                   &render::advisoryPenOf(scheme));
    }
    float lineHeight = 0.0f;
    const render::RectF ink = tagInk(frame, tags.ordinary, lineHeight);
    layout.begin(origin, ink, lineHeight);
    if (frame.block != nullptr) layout.keepClearOfBlock(*frame.block);
    if (frame.autoRangeMark) layout.keepClearOfText(kAutoRangeMark, kAutoRangeMarkX, kAutoRangeMarkY);
    return true;
}

void finishFrameTags(LiveFrame& frame, const FrameTags& tags) {
    if (tags.any) frameTagLayout().placeAndDraw(frame.graphics, tags.ordinary, tags.advisory);
}

// The own position is read once for every dot of the frame, and a
// composed frame's dots are stamped.
void setUpTrails(LiveFrame& frame, const ViewOrigin& origin, TargetFrame& targets, TrailStyle& trailStyle) {
    if (frame.trails == nullptr) return;
    const TrailFrame view = trailFrameFor(ownPosition(frame.panel), targets.headingDeg, targets.scale, frame.rangeNm);
    trailStyle.trails = frame.trails;
    trailStyle.view = view;
    trailStyle.scheme = &frame.scheme;
    trailStyle.composed = frame.composed;
    trailStyle.originX = origin.x;
    trailStyle.originY = origin.y;
    trailStyle.scaleX = frame.scaleX;
    trailStyle.scaleY = frame.scaleY;
    if (frame.composed != nullptr &&
        render::makeDiscStamp(trailDotPixels(frame.scaleX, frame.scaleY), trailStyle.stampStorage))
        trailStyle.stamp = &trailStyle.stampStorage;
    for (int age = 0; age < render::kTrailShades; ++age)
        trailStyle.premultipliedShades[age] = render::premultiplied(render::trailShade(frame.scheme.colours, age));
    targets.trails = &trailStyle;
}

TargetProcedure scopeTargetProcedure(LiveFrame& frame, const ViewOrigin& origin, const TargetFrame& viewFrame,
                                     FrameTags& tags, TrailStyle& trailStyle) {
    // The pilot's options; left off, the frame and the host calls are as without them.
    TargetFrame targets = viewFrame;
    targets.filter = frame.options.filter;
    targets.advisories = frame.advisories;
    targets.rangeNm = frame.rangeNm;
    if (prepareFrameTags(frame, origin, tags)) {
        targets.tags = &tags.ordinary;
        targets.everyTag = tags.every;
    }
    if (targets.tags != nullptr || filterUsesAltitude(targets.filter))
        targets.ownAltitudeMetres = ownAltitudeMetres(frame.panel);
    setUpTrails(frame, origin, targets, trailStyle);
    return TargetProcedure(frame.graphics, TargetPens{frame.scheme.dimPen.get(), frame.scheme.brightPen.get(),
                                                      &render::advisoryBrushOf(frame.scheme)},
                           frame.records, targets, render::sharedMatrix(render::SharedMatrix::ViewTarget),
                           render::sharedMatrix(render::SharedMatrix::ViewVector), crossStampFor(frame, origin));
}

}  // namespace quillon
