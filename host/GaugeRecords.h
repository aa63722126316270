// The host's gauge-interface records: what the module exports and what the
// host passes into its routines. Plain structs in the host's field order;
// the 32-bit build checks every published offset and size.
#pragma once

#include "host/HostTypes.h"

namespace host {

struct GaugeHeader;
struct ImageElement;
struct MouseArea;
struct ClickRecord;

// Routines of the module that the host calls.
using ElementListRoutine = int32_t(HOST_API*)();
using ElementListValueRoutine = int32_t(HOST_API*)(uintptr_t value);
using GaugeCallback = void(HOST_API*)(GaugeHeader* header, int32_t service, uint32_t extra);
using MouseFunction = int32_t(HOST_API*)(ClickRecord* click, uint32_t mouseFlags);
using ModuleRoutine = void(HOST_API*)();

// Service codes of the gauge callback.
enum ServiceCode : int32_t {
    kServiceDraw = 10,
    kServiceCreate = 14,
    kServiceDestroy = 15,
};

struct ImportTableEntry {
    uint32_t id;
    void* pointer;
};

// ImportTable: entry 1 receives the panel-function table, entry 2 ends it.
struct ImportTable {
    ImportTableEntry panels;
    ImportTableEntry end;
};

constexpr uint32_t kImportPanelsId = 0x0000000F;

struct Linkage {
    uint32_t moduleId;
    ModuleRoutine moduleInit;
    ModuleRoutine moduleDeinit;
    uint32_t moduleFlags;
    uint32_t moduleStatus;
    uint32_t moduleVersion;
    GaugeHeader* gauges[5];  // four gauges, then null
};

// The host owns every field after the gauge callback; the module's static
// record reserves a zeroed tail so that the host's writes stay inside it.
constexpr size_t kGaugeHeaderHostTailWords = 32;  // 128 bytes

struct GaugeHeader {
    uint32_t headerVersion;
    const char* gaugeName;
    ImageElement** elementList;
    ElementListRoutine queryRoutine;
    ElementListValueRoutine installRoutine;
    ElementListRoutine initializeRoutine;
    ElementListRoutine updateRoutine;
    ElementListValueRoutine generateRoutine;
    ElementListRoutine drawRoutine;
    ElementListRoutine killRoutine;
    void* reserved;
    uint32_t defaultSize;
    uint32_t hostFields[8];  // bytes 48-79
    MouseArea* mouseAreas;
    GaugeCallback gaugeCallback;
    uint32_t hostTail[kGaugeHeaderHostTailWords];
};

// The image record the host attaches to an element: the surface size.
struct ImageRecord {
    uint32_t hostField;
    int32_t width;
    int32_t height;
    uint32_t hostTail[13];
};

struct ImageElement {
    uint32_t elementType;
    uint32_t bitmapId;
    int32_t position[2];
    int32_t previousPosition[2];
    int32_t offset[2];
    GaugeHeader* header;
    ImageElement* previous;
    ImageElement** nextElements;
    void* failureRecords;
    uint32_t imageFlags;
    uint32_t hostFields1[2];  // bytes 52-59
    ImageRecord* image;
    uint32_t hostFields2[4];  // bytes 64-79
    DeviceContext deviceContext;
    uint32_t hostFields3[3];  // bytes 84-95
};

constexpr uint32_t kImageFlagsBackground = 0x01;
constexpr uint32_t kImageFlagsDrawing = 0x26;
constexpr uint32_t kImageFlagRedraw = 0x80000000u;

enum MouseAreaKind : uint32_t {
    kMouseEndOfList = 0,
    kMouseBeginParent = 1,
    kMouseChild = 2,
    kMouseEndParent = 3,
};

struct MouseArea {
    uint32_t kind;
    int32_t boxX;
    int32_t boxY;
    int32_t boxWidth;
    int32_t boxHeight;
    int32_t cursor;
    uint32_t helpId;
    uint32_t mouseFlags;
    uint32_t eventId;
    MouseFunction function;
    void* data;
};

constexpr int32_t kCursorNone = -1;
constexpr int32_t kCursorHand = 5;
constexpr uint32_t kMouseLeftSingle = 0x20000000u;

struct ClickRecord {
    int32_t x;
    int32_t y;
    uint32_t hostField;
    MouseArea* area;
};

#if QUILLON_HOST_LAYOUT_32
static_assert(sizeof(ImportTableEntry) == 8);
static_assert(sizeof(ImportTable) == 16);
static_assert(offsetof(Linkage, moduleId) == 0);
static_assert(offsetof(Linkage, moduleInit) == 4);
static_assert(offsetof(Linkage, moduleDeinit) == 8);
static_assert(offsetof(Linkage, moduleFlags) == 12);
static_assert(offsetof(Linkage, moduleStatus) == 16);
static_assert(offsetof(Linkage, moduleVersion) == 20);
static_assert(offsetof(Linkage, gauges) == 24);

static_assert(offsetof(GaugeHeader, headerVersion) == 0);
static_assert(offsetof(GaugeHeader, gaugeName) == 4);
static_assert(offsetof(GaugeHeader, elementList) == 8);
static_assert(offsetof(GaugeHeader, queryRoutine) == 12);
static_assert(offsetof(GaugeHeader, installRoutine) == 16);
static_assert(offsetof(GaugeHeader, initializeRoutine) == 20);
static_assert(offsetof(GaugeHeader, updateRoutine) == 24);
static_assert(offsetof(GaugeHeader, generateRoutine) == 28);
static_assert(offsetof(GaugeHeader, drawRoutine) == 32);
static_assert(offsetof(GaugeHeader, killRoutine) == 36);
static_assert(offsetof(GaugeHeader, reserved) == 40);
static_assert(offsetof(GaugeHeader, defaultSize) == 44);
static_assert(offsetof(GaugeHeader, hostFields) == 48);
static_assert(offsetof(GaugeHeader, mouseAreas) == 80);
static_assert(offsetof(GaugeHeader, gaugeCallback) == 84);
static_assert(sizeof(GaugeHeader) - offsetof(GaugeHeader, hostTail) >= 64);

static_assert(offsetof(ImageRecord, width) == 4);
static_assert(offsetof(ImageRecord, height) == 8);

static_assert(offsetof(ImageElement, elementType) == 0);
static_assert(offsetof(ImageElement, bitmapId) == 4);
static_assert(offsetof(ImageElement, position) == 8);
static_assert(offsetof(ImageElement, header) == 32);
static_assert(offsetof(ImageElement, previous) == 36);
static_assert(offsetof(ImageElement, nextElements) == 40);
static_assert(offsetof(ImageElement, failureRecords) == 44);
static_assert(offsetof(ImageElement, imageFlags) == 48);
static_assert(offsetof(ImageElement, image) == 60);
static_assert(offsetof(ImageElement, deviceContext) == 80);
static_assert(sizeof(ImageElement) == 96);

static_assert(offsetof(MouseArea, kind) == 0);
static_assert(offsetof(MouseArea, boxX) == 4);
static_assert(offsetof(MouseArea, boxWidth) == 12);
static_assert(offsetof(MouseArea, boxHeight) == 16);
static_assert(offsetof(MouseArea, cursor) == 20);
static_assert(offsetof(MouseArea, helpId) == 24);
static_assert(offsetof(MouseArea, mouseFlags) == 28);
static_assert(offsetof(MouseArea, eventId) == 32);
static_assert(offsetof(MouseArea, function) == 36);
static_assert(offsetof(MouseArea, data) == 40);
static_assert(sizeof(MouseArea) == 44);

static_assert(offsetof(ClickRecord, x) == 0);
static_assert(offsetof(ClickRecord, y) == 4);
static_assert(offsetof(ClickRecord, area) == 12);
#endif

}  // namespace host
