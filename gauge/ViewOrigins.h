// Where each view puts the own aircraft in the 1000 x 1000 logical space,
// and how far its picture reaches from there: the one place these numbers
// live, for the views, the hit test and the tools that explain a picture.
#pragma once

#include <cstdint>

namespace quillon {

enum DisplayMode : int32_t {
    kFullCircleView = 2,
    kForwardArcView = 3,
    kGridView = 4,
};

struct ViewOrigin {
    float x;
    float y;
};

constexpr ViewOrigin kFullCircleOrigin{500.0f, 500.0f};
constexpr ViewOrigin kForwardArcOrigin{500.0f, 975.0f};
constexpr ViewOrigin kGridOrigin{500.0f, 500.0f};

// Logical units from the origin to the outer ring (full circle) and the
// outer arc (forward arc): the selected range is drawn there.
constexpr float kFullCircleRadius = 475.0f;
constexpr float kForwardArcRadius = 950.0f;

// The origin of the mode's view; false for a mode that draws no view.
inline bool viewOriginOf(int32_t displayMode, ViewOrigin& origin) {
    switch (displayMode) {
        case kFullCircleView: origin = kFullCircleOrigin; return true;
        case kForwardArcView: origin = kForwardArcOrigin; return true;
        case kGridView: origin = kGridOrigin; return true;
        default: return false;
    }
}

}  // namespace quillon
