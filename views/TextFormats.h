// Number texts of the views and data blocks, written into fixed buffers.
// Every host value passes a saturating conversion before it becomes an
// integer, and every text is cut to its buffer, terminator included.
#pragma once

#include <cstddef>

namespace quillon {

// Copies a narrow text into a wide buffer character by character (Latin-1
// bytes keep their code points). Returns the characters written, without
// the terminator; the result is always terminated when capacity > 0.
size_t widenText(const char* narrow, char16_t* wide, size_t capacity);

// Altitude cut toward zero to whole hundreds of feet: "FL%03d" from
// 18,000 ft up, "%dFT" below.
size_t formatAltitudeText(double altitudeFeet, char16_t* text, size_t capacity);
// Vertical speed cut toward zero to whole hundreds: signed "%+04dFT/M",
// or "----FT/M" while below 100 ft/min either way.
size_t formatVerticalSpeedText(double feetPerMinute, char16_t* text, size_t capacity);
// "%dKTS", cut toward zero.
size_t formatGroundSpeedText(double knots, char16_t* text, size_t capacity);
// The placeholder of the full block when the host hides speeds.
size_t formatHiddenGroundSpeedText(char16_t* text, size_t capacity);
// "%.1fNM".
size_t formatDistanceText(float distanceNm, char16_t* text, size_t capacity);
// "BRG%.0f" followed by the degree sign.
size_t formatBearingText(float bearingDeg, char16_t* text, size_t capacity);

// A ring label: "%.2f" when the value has a fractional part, otherwise its
// whole decimal digits. Long enough for any float written whole.
constexpr size_t kRingLabelCapacity = 48;
size_t formatRingLabel(float value, char16_t* text, size_t capacity);

}  // namespace quillon
