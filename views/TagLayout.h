// Where a frame's altitude tags go, so that no text lies over another: the
// view asks for a tag at each target's symbol, and once every target is
// drawn the tags are placed, the most urgent first (advisories, then
// proximate traffic, then the rest, each in list order), and drawn. A tag
// sits above its symbol when the aircraft is level or above, below it when
// below; where that place is taken (a ring label, the data block, a tag
// placed before it, or off the picture) it moves to the other side, and
// where both are taken it gives way. An advisory's tag never gives way: it
// tries beside its symbol as well, and is drawn at its own place at last.
#pragma once

#include <cstddef>
#include <cstdint>

#include "gauge/RadarView.h"
#include "traffic/TrafficList.h"
#include "views/AltitudeTags.h"

namespace quillon {

// A text's extent in the view's space (origin at the own aircraft).
struct TextBox {
    float left;
    float top;
    float right;
    float bottom;
    bool overlaps(const TextBox& other) const {
        return left < other.right && other.left < right && top < other.bottom && other.top < bottom;
    }
};

enum class TagUrgency : uint8_t { kOrdinary = 0, kProximate = 1, kAdvisory = 2 };

struct TagRequest {
    float x;  // the symbol's centre
    float y;
    double relativeFeet;
    double verticalSpeedFpm;
    const render::Pen* pen;  // the symbol's
    bool bright;
    TagUrgency urgency;
};

// A tag as placed: its box, and the top of its text.
struct PlacedTag {
    TextBox box;
    float centreX;
    float textTop;
    int32_t hundreds;
    TagUrgency urgency;
};

class TagLayout {
public:
    static constexpr int kMaxTags = TrafficList::kSlots;
    static constexpr int kMaxKeptClear = 16;

    // A new frame of the view whose origin lies at `origin` of the logical
    // space; a tag's ink lies within `ink` around the centre and top of its
    // line, which is `lineHeight` high.
    void begin(const ViewOrigin& origin, const render::RectF& ink, float lineHeight);
    // The labels of four rings `spacing` apart, centred above the origin
    // with their tops on the rings, showing the range.
    void keepClearOfRingLabels(float spacing, float rangeNm);
    // The data block's texts (in the logical space, in the large font).
    void keepClearOfBlock(const render::TextBlock& block);
    // A text in the tags' font with the top left of its line at (x, y) of the logical space.
    void keepClearOfText(const char16_t* text, float x, float y);
    void request(const TagRequest& tag);
    // Places the tags asked for and draws them; the advisories' in their own style.
    void placeAndDraw(render::Graphics& graphics, const TagStyle& style, const TagStyle& advisoryStyle);

    // What the last frame placed, for tests and tools.
    int placedCount() const { return placedCount_; }
    const PlacedTag& placed(int index) const { return placed_[index]; }
    int keptClearCount() const { return keptClearCount_; }
    const TextBox& keptClear(int index) const { return keptClear_[index]; }

private:
    void keepClear(const TextBox& box);
    bool onThePicture(const TextBox& box) const;
    bool free(const TextBox& box) const;
    bool place(const TagRequest& tag, int32_t hundreds, PlacedTag& placed) const;
    TextBox boxAt(float centreX, float textTop) const;
    TextBox inkOf(size_t length, float size, float centreX, float top) const;

    ViewOrigin origin_{};
    render::RectF ink_{};
    float lineHeight_ = 0.0f;
    TextBox keptClear_[kMaxKeptClear];
    int keptClearCount_ = 0;
    TagRequest requests_[kMaxTags];
    int requestCount_ = 0;
    PlacedTag placed_[kMaxTags];
    int placedCount_ = 0;
};

// The one layout of the module: a frame's tags are placed within one view call.
TagLayout& frameTagLayout();

}  // namespace quillon
