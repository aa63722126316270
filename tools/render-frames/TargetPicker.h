// Finds where a view plots the scenario's aircraft, from the host's side
// (own position, heading and altitude as the module variables give them),
// so that the frame renderer can click a target the way a user would.
#pragma once

#include <string>

namespace sim {
class Host;
}

namespace quillon::frames {

struct PickedTarget {
    bool found = false;
    std::string atcId;
    double logicalX = 0.0;  // in the 1000 x 1000 logical space
    double logicalY = 0.0;
};

// The first aircraft of the scenario that the view of `radarMode` shows well
// inside the picture with no other aircraft close enough to confuse a click.
PickedTarget pickTarget(sim::Host& host, int radarMode, double rangeNm);

}  // namespace quillon::frames
