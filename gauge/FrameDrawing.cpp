#include "gauge/DrawingMemory.h"
#include "gauge/RadarGauge.h"

#include <cstring>

namespace quillon {
namespace {

// The logical space is 1000 units across. The product is taken in double and
// only then rounded to float: in float it comes out one step off for most sizes.
constexpr double kPixelsPerLogicalUnit = 0.001;

// The element the gauge paints: the header's first element's first follower.
host::ImageElement* drawingElementOf(const host::GaugeHeader* header) {
    if (header->elementList == nullptr) return nullptr;
    const host::ImageElement* background = header->elementList[0];
    if (background == nullptr || background->nextElements == nullptr) return nullptr;
    return background->nextElements[0];
}

// libgdiplus (cairo and pango beneath it) cannot draw at the scale of a
// surface wider or taller than GDI's 16-bit coordinate range: the surface's
// graphics object fails for good, and text that large breaks the fonts of
// the whole process. A surface reported that large is not redrawn until its
// size is drawable again; no real panel window comes near it.
constexpr int32_t kLargestDrawableSide = 32767;

bool drawableSize(int32_t width, int32_t height) {
    return width <= kLargestDrawableSide && width >= -kLargestDrawableSide && height <= kLargestDrawableSide &&
           height >= -kLargestDrawableSide;
}

// A view's drawing sits in a container with the origin at its own-ship centre.
gdip::GraphicsContainer openViewContainer(render::Graphics& graphics, const ViewOrigin& origin) {
    const gdip::GraphicsContainer container = graphics.beginContainer();
    graphics.translateWorldTransform(origin.x, origin.y);
    applyRenderingQualityTo(graphics);
    return container;
}

// A container that does not close would hold every later drawing of the
// graphics object: the object is given up, and made afresh where it is needed.
void closeViewContainer(render::Graphics& graphics, gdip::GraphicsContainer container) {
    if (!graphics.endContainer(container)) {
        graphics.release();
        return;
    }
    applyRenderingQualityTo(graphics);
}

}  // namespace

bool RadarGauge::ensureSessionAndScheme() {
    // Without a GDI+ session of its own the gauge must not touch GDI+ at all.
    if (gdiplusToken_ == 0) {
        if (!sessionRetry_.due()) return false;
        if (!startGdiPlusSession()) return false;
    }
    if (schemeCreated_ == 0 || schemeRetry_.due()) {
        const uint64_t failedBefore = render::failedGdiCalls();
        scheme_.release();
        createScheme();
        schemeCreated_ = 1;
        if (render::failedGdiCalls() != failedBefore || !scheme_.complete())
            schemeRetry_.failed();
        else
            schemeRetry_.succeeded();
    }
    return true;
}

// A new dimming step makes the scheme again in its colours; the backdrops
// and atlases, keyed by them, follow at their next use.
void RadarGauge::followDimming() {
    if (schemeCreated_ == 0 || scheme_.dimmingStep == dimmingStep()) return;
    schemeCreated_ = 0;
    ensureSessionAndScheme();
}

void RadarGauge::drawFrame(host::GaugeHeader* header) {
    const bool canDraw = ensureSessionAndScheme();
    if (header == nullptr) return;

    drawingElement_ = drawingElementOf(header);
    if (drawingElement_ != nullptr) {
        deviceContext_ = drawingElement_->deviceContext;
        if (const host::ImageRecord* image = drawingElement_->image) {
            surfaceWidth_ = image->width;
            surfaceHeight_ = image->height;
        }
    } else {
        deviceContext_ = nullptr;
    }

    syncVariables();
    if (canDraw) followDimming();
    const double clock = panel_.lookupModuleVariable(clockRecord_);

    if (deviceContext_ != nullptr && (!canDraw || !redrawSurface(clock))) return;
    if (drawingElement_ != nullptr) drawingElement_->imageFlags &= ~host::kImageFlagRedraw;
}

bool RadarGauge::redrawSurface(double clock) {
    if (!drawableSize(surfaceWidth_, surfaceHeight_)) return false;
    scaleX_ = static_cast<float>(surfaceWidth_ * kPixelsPerLogicalUnit);
    scaleY_ = static_cast<float>(surfaceHeight_ * kPixelsPerLogicalUnit);

    const uint64_t failedBefore = render::failedGdiCalls();
    SurfaceEntry* entry = surfaceEntryFor(deviceContext_);
    if (entry == nullptr) return false;  // no graphics object yet: try again next time
    if (entry->lastClock == clock) return false;

    entry->lastClock = clock;
    surfaceCache_.markDrawn(*entry);
    graphics_ = &entry->graphics;
    // Each surface keeps the scaling of its own size, whichever window was
    // drawn before it.
    if (entry->scaledWidth != surfaceWidth_ || entry->scaledHeight != surfaceHeight_) {
        graphics_->resetWorldTransform();
        graphics_->scaleWorldTransform(scaleX_, scaleY_);
        entry->scaledWidth = surfaceWidth_;
        entry->scaledHeight = surfaceHeight_;
    }
    startPicture();
    render::FrameBuffer* const composed = composing_;
    if (trafficList_ != nullptr) trafficList_->tickUpdate();
    classifyTraffic(clock);
    followTrails(clock);
    drawSelectedView();
    finishPicture(entry->graphics);
    followAutoRange(clock);
    publishSelection();
    // A failed call may have left the surface's transform off (a translation
    // whose container did not open): it is set afresh for the next frame.
    if (render::failedGdiCalls() != failedBefore) {
        entry->scaledWidth = 0;
        entry->scaledHeight = 0;
        if (composed != nullptr) {
            composed->forgetScale();
            composed->forgetPicture();
        }
    }
    return true;
}

SurfaceEntry* RadarGauge::surfaceEntryFor(host::DeviceContext deviceContext) {
    SurfaceEntry* known = surfaceCache_.find(deviceContext);
    if (known != nullptr && known->graphics.valid()) return known;
    if (known != nullptr) surfaceCache_.discard(*known);  // its graphics object was given up
    if (graphicsRetry_.waiting() && !graphicsRetry_.due()) return nullptr;

    SurfaceEntry& entry = surfaceCache_.claim(deviceContext);
    if (!entry.graphics.createFromDeviceContext(deviceContext)) {
        surfaceCache_.discard(entry);
        graphicsRetry_.failed();
        return nullptr;
    }
    graphicsRetry_.succeeded();
    entry.graphics.scaleWorldTransform(scaleX_, scaleY_);
    entry.scaledWidth = surfaceWidth_;
    entry.scaledHeight = surfaceHeight_;
    return &entry;
}

// The one place that decides whether the surface shows the view's fixed
// part already.
void RadarGauge::startPicture() {
    composing_ = nullptr;
    fixedPartShown_ = copyBackdrop();
    if (!fixedPartShown_) graphics_->clear(scheme_.backgroundColour);
}

// A picture composed off the surface goes onto it in one blit; should the
// host's device context refuse the blit, GDI+ copies it instead.
void RadarGauge::finishPicture(render::Graphics& surface) {
    if (composing_ == nullptr) return;
    if (!composing_->blitTo(deviceContext_)) composing_->drawOnto(surface);
    composing_ = nullptr;
    graphics_ = &surface;
}

// The backdrop's pixels copied as memory into the surface's frame buffer,
// on which the view then draws what moves.
bool RadarGauge::composeOffSurface(render::FrameBuffer* frame, const render::OffscreenBitmap& backdrop,
                                   uint64_t picture) {
    if (frame == nullptr || !frame->startFrom(backdrop, picture)) return false;
    graphics_ = &frame->graphics(scaleX_, scaleY_);
    composing_ = frame;
    return true;
}

// The backdrop replaces the clear and the view's fixed part, pixel for
// pixel; only a view that will draw gets one.
bool RadarGauge::copyBackdrop() {
    const RadarView* view = viewOf(displayMode_);
    // A scheme made while a call failed is not painted into a picture kept
    // for later frames: it is made again soon.
    if (view == nullptr || !viewHasItsResources() || schemeRetry_.waiting()) return false;
    // A range change leaves a fixed part that does not show the range as it is.
    const float shownRange = view->fixedPartShowsRange() ? shownRangeNm() : 0.0f;
    const BackdropContent content{displayMode_,   shownRange, surfaceWidth_, surfaceHeight_, scheme_.backgroundColour,
                                  scheme_.dimmingStep};
    DrawingMemory& memory = drawingMemory();
    const BackdropLease lease = memory.leaseBackdrop(this, deviceContext_, content);
    if (lease.bitmap == nullptr) return false;
    if (lease.repaint) {
        const uint64_t failedBefore = render::failedGdiCalls();
        paintBackdrop(*lease.bitmap, *view);
        // A call that failed left the picture short of something: it is
        // painted again next time rather than copied as it is for good.
        if (render::failedGdiCalls() == failedBefore) memory.markPainted(lease);
    }
    render::FrameBuffer* const frame = memory.frameBuffer(this, deviceContext_, surfaceWidth_, surfaceHeight_);
    if (composeOffSurface(frame, *lease.bitmap, memory.backdropPicture(lease))) return true;
    if (graphics_->drawBitmap(*lease.bitmap, 0, 0)) return true;
    // Not copied, or the surface's state did not come back: its scaling is
    // set afresh and the fixed part drawn directly.
    graphics_->resetWorldTransform();
    graphics_->scaleWorldTransform(scaleX_, scaleY_);
    return false;
}

// Drawn with the surface's own scaling and the same steps as on the surface.
void RadarGauge::paintBackdrop(render::OffscreenBitmap& backdrop, const RadarView& view) {
    render::Graphics& graphics = backdrop.graphics();
    graphics.resetWorldTransform();
    graphics.scaleWorldTransform(scaleX_, scaleY_);
    graphics.clear(scheme_.backgroundColour);
    const gdip::GraphicsContainer container = openViewContainer(graphics, view.origin());
    view.drawFixedPart(graphics, scheme_, shownRangeNm());
    closeViewContainer(graphics, container);
}

RadarView* RadarGauge::viewOf(int32_t displayMode) const {
    switch (displayMode) {
        case kFullCircleView: return parts_.fullCircle;
        case kForwardArcView: return parts_.forwardArc;
        case kGridView: return parts_.grid;
        default: return nullptr;
    }
}

void RadarGauge::drawSelectedView() {
    switch (displayMode_) {
        case kFullCircleView: drawFullCircleView(); break;
        case kForwardArcView: drawForwardArcView(); break;
        case kGridView: drawGridView(); break;
        default:  // any other mode shows the cleared surface only
            selectedDrawn_ = 0;
            beginShownTargets();
            break;
    }
}

// The three view operations keep their places in the table; each hands its
// frame to its view.
void RadarGauge::drawFullCircleView() {
    if (parts_.fullCircle != nullptr) drawView(*parts_.fullCircle);
}

void RadarGauge::drawForwardArcView() {
    if (parts_.forwardArc != nullptr) drawView(*parts_.forwardArc);
}

void RadarGauge::drawGridView() {
    if (parts_.grid != nullptr) drawView(*parts_.grid);
}

void RadarGauge::drawView(RadarView& view) {
    if (!viewCanDraw()) return;
    render::Graphics& graphics = *graphics_;
    const gdip::GraphicsContainer container = openViewContainer(graphics, view.origin());
    const float range = shownRangeNm();
    if (!fixedPartShown_) view.drawFixedPart(graphics, scheme_, range);

    beginShownTargets();
    selectedDrawn_ = 0;
    const ViewRecords records{plotPositions_,        &selectedIndex_,       selectedAtcId_, &selectedDrawn_,
                              &selectedDistanceNm_, &selectedBearingDeg_, shownTargets_};
    LiveFrame frame{graphics, scheme_, panel_,    *trafficList_, drawingMemory(), records, options_,
                    alertsOn() ? advisories_ : nullptr,   range,    scaleX_,       scaleY_, composing_};
    render::TextBlock block;
    if ((options_.altitudeTags == 1 || alertsOn()) && layOutLastDataBlock(block)) frame.block = &block;
    frame.autoRangeMark = autoRangeNm_ > rangeNm_;
    frame.trails = trailsOn() ? trails_ : nullptr;
    view.drawLivePart(frame);

    closeViewContainer(graphics, container);
    if (frame.autoRangeMark) drawAutoRangeMark();
    drawDataBlock();
}

// The selected aircraft's block as the last frame drew it: the tags keep
// clear of where it will be (its texts change by a character at most).
bool RadarGauge::layOutLastDataBlock(render::TextBlock& block) const {
    if (parts_.dataBlock == nullptr || trafficList_ == nullptr || selectedAtcId_[0] == '\0') return false;
    const TrafficTarget* target = trafficList_->item(selectedIndex_);
    if (target == nullptr) return false;
    const SelectedTarget selected{*target, selectedDistanceNm_, selectedBearingDeg_, trafficList_->limitedMode() != 0,
                                  displayMode_};
    parts_.dataBlock->layOut(scheme_, selected, block);
    return true;
}

// The block of the selected aircraft, when the view drew it in this frame.
void RadarGauge::drawDataBlock() {
    if (parts_.dataBlock == nullptr || selectedDrawn_ == 0 || graphics_ == nullptr || !graphics_->valid() ||
        trafficList_ == nullptr)
        return;
    if (!scheme_.largeFont || !scheme_.brightBrush) return;
    const TrafficTarget* target = trafficList_->item(selectedIndex_);
    if (target == nullptr) return;
    const SelectedTarget selected{*target, selectedDistanceNm_, selectedBearingDeg_, trafficList_->limitedMode() != 0,
                                  displayMode_};
    render::TextBlock block;
    parts_.dataBlock->layOut(scheme_, selected, block);
    // Copied from the surface's picture of the block where there is one; a
    // scheme made while a call failed is not drawn into a kept picture.
    const render::TextBlockPicture* picture =
        schemeRetry_.waiting()
            ? nullptr
            : drawingMemory().blockTexts(this, deviceContext_, *graphics_, block, scaleX_, scaleY_);
    if (picture != nullptr)
        picture->draw(*graphics_, surfaceWidth_, surfaceHeight_, composing_);
    else
        render::drawTextBlock(*graphics_, block);
}

bool RadarGauge::viewCanDraw() {
    if (graphics_ != nullptr && trafficList_ != nullptr && scheme_.complete()) return true;
    selectedDrawn_ = 0;  // nothing drawn, so no data block either
    beginShownTargets();  // and nothing to click on
    return false;
}

void RadarGauge::beginShownTargets() {
    std::memset(shownTargets_, 0, sizeof shownTargets_);
    shownMode_ = displayMode_;
}

bool RadarGauge::targetShown(int index) const {
    return index >= 0 && index < TrafficList::kSlots && shownMode_ == displayMode_ && shownTargets_[index] != 0;
}

void RadarGauge::applyRenderingQuality() {
    if (graphics_ != nullptr) applyRenderingQualityTo(*graphics_);
}

void applyRenderingQualityTo(render::Graphics& graphics) {
    graphics.setSmoothingMode(gdip::kSmoothingModeAntiAlias);
    graphics.setTextRenderingHint(gdip::kTextRenderingHintClearTypeGridFit);
}

}  // namespace quillon
