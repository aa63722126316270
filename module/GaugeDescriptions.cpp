// The exported records: ImportTable, which the host fills with its panel
// functions, and Linkage, which lists the four gauge descriptions.
#include "module/ElementListRoutines.h"
#include "module/GaugeCallbacks.h"
#include "render/VoiceCall.h"
#include "host/ExportedRecords.h"

namespace quillon {
namespace {

constexpr uint32_t kHeaderVersion = 800;
constexpr uint32_t kGaugeBitmap = 4096;
constexpr uint32_t kDefaultSize = 100;
constexpr int32_t kDesignSize = 100;  // the click area covers the whole gauge

// A gauge description with everything it points to, so that one variant's
// records can refer to each other from static storage.
struct GaugeDescription {
    host::GaugeHeader header;
    host::ImageElement* elementList[2];   // the background, then null
    host::ImageElement* drawingList[2];   // the drawing element, then null
    host::ImageElement background;
    host::ImageElement drawing;
    host::MouseArea mouseAreas[4];
};

constexpr host::MouseArea boundaryArea(uint32_t kind) {
    return host::MouseArea{kind, 0, 0, 0, 0, host::kCursorNone, 0, 0, 0, nullptr, nullptr};
}

constexpr host::ImageElement imageElement(host::GaugeHeader* header, host::ImageElement** next, uint32_t flags) {
    host::ImageElement element{};
    element.elementType = 0;  // static image
    element.bitmapId = kGaugeBitmap;
    element.header = header;
    element.nextElements = next;
    element.imageFlags = flags;
    return element;
}

constexpr GaugeDescription describe(GaugeDescription& self, const char* name, host::GaugeCallback callback,
                                    host::MouseFunction mouse) {
    GaugeDescription d{};
    d.header.headerVersion = kHeaderVersion;
    d.header.gaugeName = name;
    d.header.elementList = self.elementList;
    d.header.queryRoutine = elementQuery;
    d.header.installRoutine = elementInstall;
    d.header.initializeRoutine = elementInitialize;
    d.header.updateRoutine = elementUpdate;
    d.header.generateRoutine = elementGenerate;
    d.header.drawRoutine = elementDraw;
    d.header.killRoutine = elementKill;
    d.header.defaultSize = kDefaultSize;
    d.header.mouseAreas = self.mouseAreas;
    d.header.gaugeCallback = callback;

    d.elementList[0] = &self.background;
    d.drawingList[0] = &self.drawing;
    d.background = imageElement(&self.header, self.drawingList, host::kImageFlagsBackground);
    d.drawing = imageElement(&self.header, nullptr, host::kImageFlagsDrawing);

    d.mouseAreas[0] = boundaryArea(host::kMouseBeginParent);
    d.mouseAreas[1] = host::MouseArea{host::kMouseChild, 0,       0, kDesignSize, kDesignSize, host::kCursorHand,
                                      0,                 host::kMouseLeftSingle, 0, mouse,       nullptr};
    d.mouseAreas[2] = boundaryArea(host::kMouseEndParent);
    d.mouseAreas[3] = boundaryArea(host::kMouseEndOfList);
    return d;
}

GaugeDescription rectangularGreen =
    describe(rectangularGreen, "Rectangular Green", rectangularGreenCallback, rectangularGreenMouse);
GaugeDescription rectangularAmber =
    describe(rectangularAmber, "Rectangular Amber", rectangularAmberCallback, rectangularAmberMouse);
GaugeDescription circularGreen =
    describe(circularGreen, "Circular Green", circularGreenCallback, circularGreenMouse);
GaugeDescription circularAmber =
    describe(circularAmber, "Circular Amber", circularAmberCallback, circularAmberMouse);

// Module init and deinit, one routine: the module needs nothing at init;
// at deinit an advisories' voice may still be playing from the module's
// resources, which go with the module (at init none has played).
void HOST_API moduleInitOrDeinit() { render::stopVoiceStillPlaying(); }

}  // namespace
}  // namespace quillon

extern "C" {

host::ImportTable ImportTable = {
    {host::kImportPanelsId, nullptr},  // the host writes its panel-function table here
    {0, nullptr},
};

host::Linkage Linkage = {
    0x13,
    quillon::moduleInitOrDeinit,
    quillon::moduleInitOrDeinit,
    0,
    0,
    0x900,
    {&quillon::rectangularGreen.header, &quillon::rectangularAmber.header, &quillon::circularGreen.header,
     &quillon::circularAmber.header, nullptr},
};
}
