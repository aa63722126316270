#include "views/ViewFrame.h"

#include "gauge/DrawingMemory.h"
#include "render/PixelBlend.h"
#include "render/SharedGdiObjects.h"
#include "traffic/OwnShip.h"
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

// The own position is read once for every dot of the frame, and a
// composed frame's dots are stamped.
void setUpTrails(LiveFrame& frame, const ViewOrigin& origin, TargetFrame& targets, TrailStyle& trailStyle) {
    if (frame.trails == nullptr) return;
    const TrailFrame view = trailFrameFor(ownPosition(frame.panel), targets.headingDeg, targets.scale, frame.rangeNm);
    trailStyle = TrailStyle{frame.trails, view,     &frame.scheme, frame.composed,
                            origin.x,     origin.y, frame.scaleX,  frame.scaleY};
    if (frame.composed != nullptr &&
        render::makeDiscStamp(trailDotPixels(frame.scaleX, frame.scaleY), trailStyle.stampStorage))
        trailStyle.stamp = &trailStyle.stampStorage;
    for (int age = 0; age < render::kTrailShades; ++age)
        trailStyle.premultipliedShades[age] = render::premultiplied(render::trailShade(frame.scheme.colours, age));
    targets.trails = &trailStyle;
}

TargetProcedure scopeTargetProcedure(LiveFrame& frame, const ViewOrigin& origin, const TargetFrame& viewFrame,
                                     TagStyle& tagStyle, TrailStyle& trailStyle) {
    // The pilot's options; left off, the frame and the host calls are as without them.
    TargetFrame targets = viewFrame;
    targets.filter = frame.options.filter;
    targets.advisories = frame.advisories;
    targets.rangeNm = frame.rangeNm;
    const bool tags = frame.options.altitudeTags == 1;
    if (tags || filterUsesAltitude(targets.filter)) targets.ownAltitudeMetres = ownAltitudeMetres(frame.panel);
    if (tags) {
        const render::ColourScheme& scheme = frame.scheme;
        render::StringFormat& format = render::sharedStringFormat(render::SharedFormat::AltitudeTag);
        // Laying out a text, or stroking a small arrow with anti-aliasing,
        // costs the drawing library several times what copying a small
        // picture does: tags and arrows come from an atlas drawn once per
        // surface scale and scheme.
        const render::TextAtlas* atlas =
            frame.memory.textAtlas(altitudeTagAtlasContent(scheme, format), frame.scaleX, frame.scaleY);
        if (atlas != nullptr) frame.graphics.setInterpolationMode(gdip::kInterpolationModeNearestNeighbor);
        tagStyle = TagStyle{scheme.smallFont.get(), &format,       scheme.dimBrush.get(), scheme.brightBrush.get(),
                            frame.traffic.limitedMode() != 0, atlas, origin.x,              origin.y,
                            frame.composed};
        targets.tags = &tagStyle;
    }
    setUpTrails(frame, origin, targets, trailStyle);
    return TargetProcedure(frame.graphics, TargetPens{frame.scheme.dimPen.get(), frame.scheme.brightPen.get(),
                                                      &render::advisoryBrushOf(frame.scheme)},
                           frame.records, targets, render::sharedMatrix(render::SharedMatrix::ViewTarget),
                           render::sharedMatrix(render::SharedMatrix::ViewVector), crossStampFor(frame, origin));
}

}  // namespace quillon
