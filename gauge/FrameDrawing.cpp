#include "gauge/RadarGauge.h"
#include "gauge/BackdropCache.h"
#include "views/FixedParts.h"
#include "host/PanelCalls.h"

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

}  // namespace

void RadarGauge::drawFrame(host::GaugeHeader* header) {
    if (schemeCreated_ == 0) {
        createScheme();
        schemeCreated_ = 1;
    }
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
    static host::ModuleVariableRecord clockRecord = moduleVariable(host::kVarClock);
    const double clock = lookupModuleVariable(clockRecord);

    if (deviceContext_ != nullptr && !redrawSurface(clock)) return;
    if (drawingElement_ != nullptr) drawingElement_->imageFlags &= ~host::kImageFlagRedraw;
}

bool RadarGauge::redrawSurface(double clock) {
    if (!drawableSize(surfaceWidth_, surfaceHeight_)) return false;
    scaleX_ = static_cast<float>(surfaceWidth_ * kPixelsPerLogicalUnit);
    scaleY_ = static_cast<float>(surfaceHeight_ * kPixelsPerLogicalUnit);

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
    if (trafficList_ != nullptr) trafficList_->tickUpdate();
    drawSelectedView();
    finishPicture(entry->graphics);
    publishSelection();
    return true;
}

SurfaceEntry* RadarGauge::surfaceEntryFor(host::DeviceContext deviceContext) {
    if (SurfaceEntry* known = surfaceCache_.find(deviceContext)) return known;

    SurfaceEntry& entry = surfaceCache_.claim(deviceContext);
    if (!entry.graphics.createFromDeviceContext(deviceContext)) {
        surfaceCache_.discard(entry);
        return nullptr;
    }
    entry.graphics.scaleWorldTransform(scaleX_, scaleY_);
    entry.scaledWidth = surfaceWidth_;
    entry.scaledHeight = surfaceHeight_;
    return &entry;
}

void RadarGauge::startPicture() {
    composing_ = nullptr;
    fixedPartShown_ = copyBackdrop();
    if (!fixedPartShown_) graphics_->clear(scheme_.backgroundColour);
}

// A picture composed off the surface goes onto it in one blit; should the
// host's device context refuse the blit, GDI+ copies it instead.
void RadarGauge::finishPicture(render::Graphics& surface) {
    if (composing_ == nullptr) return;
    if (!composing_->blitTo(deviceContext_)) {
        surface.resetWorldTransform();
        composing_->drawOnto(surface);
        surface.scaleWorldTransform(scaleX_, scaleY_);
    }
    composing_ = nullptr;
    graphics_ = &surface;
}

// The backdrop's pixels copied into the surface's frame buffer as memory; the
// views then draw on the frame buffer.
bool RadarGauge::composeOffSurface(render::FrameBuffer* frame, const render::Backdrop& backdrop) {
    if (frame == nullptr || !frame->copyPixelsFrom(backdrop)) return false;
    render::Graphics& graphics = frame->graphics();
    graphics.resetWorldTransform();
    graphics.scaleWorldTransform(scaleX_, scaleY_);
    graphics_ = &graphics;
    composing_ = frame;
    return true;
}

// The backdrop replaces the clear and the view's unchanging drawing, pixel
// for pixel; only a view that will draw gets one.
bool RadarGauge::copyBackdrop() {
    if (!isView(displayMode_) || !viewHasItsResources()) return false;
    // A range change leaves a fixed part that does not show the range as it is.
    const float shownRange = fixedPartShowsRange(displayMode_) ? rangeNm_ : 0.0f;
    const BackdropContent content{displayMode_, shownRange, surfaceWidth_, surfaceHeight_, scheme_.backgroundColour};
    const BackdropLease lease = backdropCache().lease(this, deviceContext_, content);
    if (lease.backdrop == nullptr) return false;
    if (lease.repaint) paintBackdrop(*lease.backdrop);
    if (composeOffSurface(lease.frame, *lease.backdrop)) return true;
    // One bitmap pixel to one surface pixel: the copy goes in pixels.
    graphics_->resetWorldTransform();
    graphics_->drawBackdrop(*lease.backdrop, 0, 0);
    graphics_->scaleWorldTransform(scaleX_, scaleY_);
    return true;
}

// Drawn with the surface's own scaling and the same steps as on the surface.
void RadarGauge::paintBackdrop(render::Backdrop& backdrop) {
    render::Graphics& graphics = backdrop.graphics();
    graphics.resetWorldTransform();
    graphics.scaleWorldTransform(scaleX_, scaleY_);
    graphics.clear(scheme_.backgroundColour);
    drawFixedPart(displayMode_, graphics, scheme_, rangeNm_);
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

void RadarGauge::applyRenderingQuality() {
    if (graphics_ != nullptr) applyRenderingQualityTo(*graphics_);
}

void applyRenderingQualityTo(render::Graphics& graphics) {
    graphics.setSmoothingMode(gdip::kSmoothingModeAntiAlias);
    graphics.setTextRenderingHint(gdip::kTextRenderingHintClearTypeGridFit);
}

}  // namespace quillon
