#include "views/TagLayout.h"

#include <cmath>
#include <initializer_list>

#include "views/RingLabels.h"
#include "views/TextFormats.h"

namespace quillon {
namespace {

// The picture's logical space.
constexpr float kPictureSide = 1000.0f;
// The data block's large font against the tags' small one.
constexpr float kBlockFontRatio = 40.0f / 30.0f;
// Room kept around a fixed text, against the few pixels its ink may reach
// beyond an estimate of its extent.
constexpr float kMargin = 2.0f;
// Characters of a tag: the widest measured ("+99") stands for the widest
// character of the digits and signs the labels and the block write.
constexpr float kTagCharacters = 3.0f;

size_t lengthOf(const char16_t* text) {
    size_t length = 0;
    while (text != nullptr && text[length] != 0 && length < 64) ++length;
    return length;
}

float alignedStart(float anchor, float extent, int alignment) {
    if (alignment == gdip::kStringAlignmentCenter) return anchor - extent / 2;
    if (alignment == gdip::kStringAlignmentFar) return anchor - extent;
    return anchor;
}

int32_t hundredsOf(double relativeFeet) {
    int32_t hundreds = 0;
    altitudeTagHundreds(relativeFeet, hundreds);
    return hundreds;
}

}  // namespace

TagLayout& frameTagLayout() {
    static TagLayout layout;
    return layout;
}

void TagLayout::begin(const ViewOrigin& origin, const render::RectF& ink, float lineHeight) {
    origin_ = origin;
    const bool usable = std::isfinite(ink.X) && std::isfinite(ink.Y) && std::isfinite(ink.Width) &&
                        std::isfinite(ink.Height) && ink.Width >= 0.0f && ink.Height >= 0.0f;
    ink_ = usable ? ink : render::RectF{};
    lineHeight_ = std::isfinite(lineHeight) && lineHeight > 0.0f ? lineHeight : 0.0f;
    keptClearCount_ = 0;
    requestCount_ = 0;
    placedCount_ = 0;
}

void TagLayout::keepClear(const TextBox& box) {
    if (keptClearCount_ < kMaxKeptClear) keptClear_[keptClearCount_++] = box;
}

// A text of `length` characters in a font `size` times the tags', anchored
// at its centre and line top: where its ink lies, as a tag's would.
TextBox TagLayout::inkOf(size_t length, float size, float centreX, float top) const {
    const float width = ink_.Width / kTagCharacters * static_cast<float>(length) * size;
    return TextBox{centreX - width / 2 - kMargin, top + ink_.Y * size - kMargin, centreX + width / 2 + kMargin,
                   top + (ink_.Y + ink_.Height) * size + kMargin};
}

void TagLayout::keepClearOfRingLabels(float spacing, float rangeNm) {
    for (float ring = 1.0f; ring <= 4.0f; ring += 1.0f) {
        char16_t text[kRingLabelCapacity];
        const size_t length = formatRingLabel(ringLabelValue(ring, rangeNm), text, kRingLabelCapacity);
        keepClear(inkOf(length, 1.0f, 0.0f, -spacing * ring));
    }
}

void TagLayout::keepClearOfBlock(const render::TextBlock& block) {
    const float lineHeight = lineHeight_ * kBlockFontRatio;
    float ends[render::TextBlock::kMaxTexts] = {};
    for (int i = 0; i < block.count(); ++i) {
        const render::PlacedText& text = block.text(i);
        const size_t length = lengthOf(text.text);
        const float width = ink_.Width / kTagCharacters * static_cast<float>(length) * kBlockFontRatio;
        const bool follows = text.follows >= 0 && text.follows < i;
        const float left = follows ? ends[text.follows] : alignedStart(text.x, width, text.alignment);
        const float top = alignedStart(text.y, lineHeight, text.lineAlignment);
        ends[i] = left + width;
        keepClear(inkOf(length, kBlockFontRatio, left + width / 2 - origin_.x, top - origin_.y));
    }
}

void TagLayout::keepClearOfText(const char16_t* text, float x, float y) {
    // Letters run wider than the digits the estimate is made for: one more.
    const size_t length = lengthOf(text) + 1;
    const float width = ink_.Width / kTagCharacters * static_cast<float>(length);
    keepClear(inkOf(length, 1.0f, x + width / 2 - origin_.x, y - origin_.y));
}

void TagLayout::request(const TagRequest& tag) {
    if (requestCount_ < kMaxTags && std::isfinite(tag.x) && std::isfinite(tag.y) && !std::isnan(tag.relativeFeet))
        requests_[requestCount_++] = tag;
}

TextBox TagLayout::boxAt(float centreX, float textTop) const {
    return TextBox{centreX + ink_.X, textTop + ink_.Y, centreX + ink_.X + ink_.Width, textTop + ink_.Y + ink_.Height};
}

// Its middle on the picture: a tag at the edge may lose a little of its ink
// there, as the symbols do, and the test does not hang on the platform's
// measure of the text.
bool TagLayout::onThePicture(const TextBox& box) const {
    const float middleX = (box.left + box.right) / 2 + origin_.x;
    const float middleY = (box.top + box.bottom) / 2 + origin_.y;
    return middleX >= 0.0f && middleY >= 0.0f && middleX <= kPictureSide && middleY <= kPictureSide;
}

bool TagLayout::free(const TextBox& box) const {
    if (!onThePicture(box)) return false;
    for (int i = 0; i < keptClearCount_; ++i)
        if (box.overlaps(keptClear_[i])) return false;
    for (int i = 0; i < placedCount_; ++i)
        if (box.overlaps(placed_[i].box)) return false;
    return true;
}

bool TagLayout::place(const TagRequest& tag, int32_t hundreds, PlacedTag& placed) const {
    const float above = tag.y - kTagGap - lineHeight_;
    const float below = tag.y + kTagGap;
    const bool under = hundreds < 0;
    // Beside the symbol, clear of its arrow, level with it: only advisories go there.
    const float besideOffset = kArrowOffsetX + kTagGap / 3 + ink_.Width / 2;
    const struct {
        float centreX;
        float textTop;
    } places[] = {{tag.x, under ? below : above},
                  {tag.x, under ? above : below},
                  {tag.x + besideOffset, tag.y - lineHeight_ / 2},
                  {tag.x - besideOffset, tag.y - lineHeight_ / 2}};
    const int tried = tag.urgency == TagUrgency::kAdvisory ? 4 : 2;
    // Clear of everything; for an advisory at last anywhere on the picture,
    // else at its own place.
    for (const bool onlyOnThePicture : {false, true}) {
        if (onlyOnThePicture && tag.urgency != TagUrgency::kAdvisory) return false;
        for (int i = 0; i < tried; ++i) {
            const TextBox box = boxAt(places[i].centreX, places[i].textTop);
            if (onlyOnThePicture ? !onThePicture(box) : !free(box)) continue;
            placed = PlacedTag{box, places[i].centreX, places[i].textTop, hundreds, tag.urgency};
            return true;
        }
    }
    placed = PlacedTag{boxAt(places[0].centreX, places[0].textTop), places[0].centreX, places[0].textTop, hundreds,
                       tag.urgency};
    return true;
}

void TagLayout::placeAndDraw(render::Graphics& graphics, const TagStyle& style, const TagStyle& advisoryStyle) {
    placedCount_ = 0;
    for (const TagUrgency urgency : {TagUrgency::kAdvisory, TagUrgency::kProximate, TagUrgency::kOrdinary}) {
        for (int i = 0; i < requestCount_; ++i) {
            const TagRequest& tag = requests_[i];
            if (tag.urgency != urgency) continue;
            const int32_t hundreds = hundredsOf(tag.relativeFeet);
            const TagStyle& drawn = urgency == TagUrgency::kAdvisory ? advisoryStyle : style;
            PlacedTag placed{};
            if (place(tag, hundreds, placed)) {
                placed_[placedCount_++] = placed;
                drawTagText(graphics, drawn, tag.bright, placed.centreX, placed.textTop, hundreds);
            }
            // The arrow is no text: it stays beside its symbol whatever the tag's place.
            drawTagArrow(graphics, drawn, tag.bright, *tag.pen, tag.x, tag.y, tag.verticalSpeedFpm);
        }
    }
    requestCount_ = 0;
}

}  // namespace quillon
