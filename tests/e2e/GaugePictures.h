// What the end-to-end picture tests share: the schemes' colours, the four
// gauges, where the pictures go, colour counts on a window's pixels by
// logical rectangle, and aircraft placed relative to the own one.
// The pictures go to $QUILLON_PICTURE_DIR (or the test's temporary folder).
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <sys/stat.h>

#include "sim/Geodesy.h"
#include "sim/Host.h"

namespace pictures {

struct SchemeColours {
    uint32_t background;
    uint32_t dim;
    uint32_t bright;
};
constexpr SchemeColours kGreen{0xff001400u, 0xff008200u, 0xff00ff00u};
constexpr SchemeColours kAmber{0xff1e0f00u, 0xff783c0au, 0xffffa046u};

struct Variant {
    const char* name;
    const char* slug;  // for file names
    SchemeColours colours;
    bool compactBlock;
};
constexpr Variant kVariants[] = {
    {"Circular Green", "circular-green", kGreen, true},
    {"Circular Amber", "circular-amber", kAmber, true},
    {"Rectangular Green", "rectangular-green", kGreen, false},
    {"Rectangular Amber", "rectangular-amber", kAmber, false},
};

inline std::string pictureDir() {
    const char* dir = std::getenv("QUILLON_PICTURE_DIR");
    std::string path = dir != nullptr && *dir != '\0' ? dir : ::testing::TempDir() + "quillon-pictures";
    ::mkdir(path.c_str(), 0755);
    return path + "/";
}

inline bool near(uint32_t argb, uint32_t wanted, int tolerance) {
    for (int shift = 0; shift <= 16; shift += 8) {
        const int a = static_cast<int>((argb >> shift) & 0xff);
        const int b = static_cast<int>((wanted >> shift) & 0xff);
        if (std::abs(a - b) > tolerance) return false;
    }
    return true;
}

// Pixels of the colour inside a logical rectangle of the window.
inline int countColour(const sim::Window& window, double left, double top, double right, double bottom,
                       uint32_t colour, int tolerance = 40) {
    const double toPixels = window.width() / 1000.0;
    int count = 0;
    for (int y = static_cast<int>(top * toPixels); y < static_cast<int>(bottom * toPixels); ++y)
        for (int x = static_cast<int>(left * toPixels); x < static_cast<int>(right * toPixels); ++x)
            count += near(window.pixel(x, y), colour, tolerance) ? 1 : 0;
    return count;
}

// Pixels of either target colour (dim or bright) inside a logical rectangle.
inline int countTargetInk(const sim::Window& window, double left, double top, double right, double bottom,
                          const SchemeColours& colours) {
    return countColour(window, left, top, right, bottom, colours.dim, 60) +
           countColour(window, left, top, right, bottom, colours.bright, 60);
}

// A range label centred on x = 500 hangs under the top of its ring or arc:
// ink left of the middle spoke below the anchor, none above it.
inline void expectRingLabelAt(const sim::Window& window, double top, const SchemeColours& colours) {
    EXPECT_GT(countColour(window, 470.0, top + 6.0, 496.0, top + 34.0, colours.dim), 4) << "label at " << top;
    EXPECT_EQ(countColour(window, 470.0, top - 24.0, 496.0, top - 8.0, colours.dim, 20), 0)
        << "above label at " << top;
}

// Whether a target's cross is drawn at a logical point: ink on its
// horizontal arm, right of the point, within the slack up or down.
inline bool crossAt(const sim::Window& window, double x, double y, const SchemeColours& colours,
                    double slack = 2.0) {
    return countTargetInk(window, x + 5.0, y - slack, x + 9.0, y + slack, colours) > 0;
}

// The selection box around a target: its left edge, below the cross's arm.
inline bool boxAround(const sim::Window& window, double x, double y, const SchemeColours& colours) {
    return countTargetInk(window, x - 27.0, y + 10.0, x - 23.0, y + 20.0, colours) > 0;
}

// The selected aircraft's data block, in the bright colour: two centred
// lines on the circular gauges, texts in the four corners on the others.
inline void expectDataBlockShown(const sim::Window& window, const Variant& variant) {
    const uint32_t bright = variant.colours.bright;
    if (variant.compactBlock) {
        EXPECT_GT(countColour(window, 380.0, 40.0, 620.0, 100.0, bright), 20);   // distance
        EXPECT_GT(countColour(window, 380.0, 900.0, 620.0, 960.0, bright), 20);  // altitude or speed
        EXPECT_EQ(countColour(window, 0.0, 0.0, 200.0, 40.0, bright), 0);
    } else {
        EXPECT_GT(countColour(window, 0.0, 0.0, 250.0, 96.0, bright), 20);         // vertical speed, altitude
        EXPECT_GT(countColour(window, 750.0, 0.0, 1000.0, 96.0, bright), 20);      // bearing, distance
        EXPECT_GT(countColour(window, 0.0, 904.0, 350.0, 1000.0, bright), 20);     // ids, airline, flight
        EXPECT_GT(countColour(window, 750.0, 952.0, 1000.0, 1000.0, bright), 20);  // ground speed
        EXPECT_EQ(countColour(window, 400.0, 20.0, 600.0, 40.0, bright), 0);
    }
}

// An aircraft at a distance and bearing relative to the own heading.
inline sim::Aircraft aircraftAt(const sim::Aircraft& own, double ownHeadingDeg, const std::string& atcId,
                                double distanceNm, double relativeDeg, double headingTrueDeg, double groundSpeedKt) {
    sim::Aircraft aircraft;
    aircraft.atcId = atcId;
    aircraft.label = atcId;
    aircraft.airline = "Lufthansa";
    aircraft.flightNumber = "456";
    const sim::LatLon at = sim::destination({own.latitudeDeg, own.longitudeDeg}, ownHeadingDeg + relativeDeg,
                                            distanceNm * sim::kMetresPerNauticalMile);
    aircraft.latitudeDeg = at.latitudeDeg;
    aircraft.longitudeDeg = at.longitudeDeg;
    aircraft.altitudeFt = 11000.0;
    aircraft.headingTrueDeg = headingTrueDeg;
    aircraft.groundSpeedKt = groundSpeedKt;
    aircraft.verticalSpeedFpm = 1500.0;
    return aircraft;
}

// A left click on the window at a logical point.
inline int32_t clickAt(sim::Host& host, sim::Window& window, double logicalX, double logicalY) {
    return host.click(window, static_cast<int>(logicalX * window.width() / 1000.0),
                      static_cast<int>(logicalY * window.height() / 1000.0));
}

}  // namespace pictures
