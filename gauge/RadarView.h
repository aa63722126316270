// The shape every view of the gauge has, and what the gauge hands it for a
// frame. The gauge decides once per frame whether the surface shows the
// view's fixed part already (copied from its backdrop) or must have it
// drawn, then asks the view for its live part; the views implement this in
// views/ and know nothing of surfaces, backdrops or the host's table.
#pragma once

#include <cstdint>

#include "gauge/ViewOrigins.h"
#include "host/PanelCalls.h"
#include "render/ColourScheme.h"
#include "render/GdiPlusObjects.h"
#include "render/TextBlock.h"
#include "traffic/TrafficAdvisories.h"
#include "traffic/TrafficList.h"
#include "traffic/TrafficTrails.h"

namespace render {
class FrameBuffer;
}

namespace quillon {

class DrawingMemory;

constexpr int32_t kNoSelection = 99999;

struct PlotPosition {
    float x;
    float y;
};

// The pilots' options, each off (0) until a panel variable turns it on.
enum TrafficFilter : int32_t {
    kShowAllTraffic = 0,
    kAirborneOnly = 1,
    kNormalBand = 2,
    kAboveBand = 3,
    kBelowBand = 4,
};
struct PilotOptions {
    int32_t altitudeTags = 0;  // 1 draws relative-altitude tags
    int32_t filter = kShowAllTraffic;
    int32_t alerts = 0;  // 1 warns of the traffic that threatens the own aircraft
    int32_t alertMute = 0;  // 1 silences the voice of new advisories
    int32_t autoRange = 0;  // 1 widens the range to bring off-scale advisories in
    int32_t trails = 0;  // 1 draws where each aircraft has been
    int32_t dimming = 0;  // percent towards black, read in steps of 10 up to 90
};

// The mark of a range widened for the advisories, in the scheme's bright
// colour at the top left, under the data block's corner and outside every
// view's lines.
constexpr char16_t kAutoRangeMark[] = u"AUTO";
constexpr float kAutoRangeMarkX = 6.0f;
constexpr float kAutoRangeMarkY = 112.0f;

// The gauge's records a view writes while it draws: where each list slot
// was plotted, which slots it drew, and the selection it finds again.
struct ViewRecords {
    PlotPosition* plotPositions;
    int32_t* selectedIndex;
    const char* selectedAtcId;
    int32_t* selectedDrawn;
    float* selectedDistanceNm;
    float* selectedBearingDeg;
    uint8_t* shownTargets;  // per slot: drawn in this frame
};

// Everything a view's live part draws with, for one frame.
struct LiveFrame {
    render::Graphics& graphics;
    const render::ColourScheme& scheme;
    const PanelCalls& panel;
    TrafficList& traffic;
    DrawingMemory& memory;  // the tags' atlases
    ViewRecords records;
    PilotOptions options;
    // The classes of the list's aircraft while alerts are on; null while off.
    const TrafficAdvisories* advisories;
    float rangeNm;
    float scaleX;  // pixels per logical unit
    float scaleY;
    // The frame composed as memory, which the graphics draws on; null when
    // it draws on the surface.
    render::FrameBuffer* composed = nullptr;
    // The data block the gauge will draw over the view, laid out as in the
    // last frame, for the tags to keep clear of; null: none.
    const render::TextBlock* block = nullptr;
    // The auto range's mark is drawn over the view: tags keep clear of it.
    bool autoRangeMark = false;
    // Where the aircraft have been while trails are on; null while off.
    const TrafficTrails* trails = nullptr;
};

class RadarView {
public:
    // Where the view puts the own aircraft; the plot positions and clicks
    // are measured from there.
    virtual ViewOrigin origin() const = 0;
    // Whether the fixed part shows the range (its backdrop is then painted
    // again when the range changes).
    virtual bool fixedPartShowsRange() const = 0;
    // What never moves: rings, arcs, spokes or the grid's lines. Drawn with
    // the origin at origin(), on the surface or on its backdrop alike.
    virtual void drawFixedPart(render::Graphics& graphics, const render::ColourScheme& scheme,
                               float rangeNm) const = 0;
    // The sweep, the targets and the selection box, with the origin at
    // origin(), over the fixed part.
    virtual void drawLivePart(LiveFrame& frame) = 0;

protected:
    ~RadarView() = default;
};

// The selected aircraft as its data block shows it.
struct SelectedTarget {
    const TrafficTarget& target;
    float distanceNm;
    float bearingDeg;  // true
    bool limitedMode;
    int32_t displayMode;
};

class DataBlock {
public:
    // The block's texts in the logical space (drawn after the view's
    // container has closed), styled and placed; the gauge draws them.
    virtual void layOut(const render::ColourScheme& scheme, const SelectedTarget& selected,
                        render::TextBlock& block) const = 0;

protected:
    ~DataBlock() = default;
};

}  // namespace quillon
