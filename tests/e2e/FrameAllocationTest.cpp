// The module must not allocate while it draws: a gauge runs inside the
// simulator's frame, where a heap call can stall, and it keeps fixed storage
// for that reason. These tests drive the built module through the stand-in
// host and count, during 100 frames after a warm-up, the heap allocations
// that the module's own code makes, for every view and both data blocks.
//
// What is counted, exactly:
// - every call of malloc, calloc, realloc and of the global operator new and
//   new[] (plain and nothrow) in this program, attributed by its call stack:
//   the first frame outside this file's hooks and outside the language
//   runtime (libc, libm, libstdc++, libgcc_s, the loader) names who
//   allocated. Frames in Quillon.so make it the module's; an allocation that
//   the module causes through the runtime (a snprintf that needs the heap,
//   say) is therefore the module's too.
// - every GdipAlloc the module calls, and every GDI+ object it creates
//   (graphics, brush, pen, font family, font, string format, matrix, the
//   surfaces' backdrop bitmaps, the data blocks' pictures): calls made
//   directly from Quillon.so.
// Not counted: what libgdiplus and the libraries under it (cairo, pango,
// fontconfig, ...) allocate for their own work while drawing, and what the
// stand-in host allocates in the calls the module makes into it. Aligned
// allocations (posix_memalign, aligned_alloc, memalign) are not hooked; the
// module has no use for them.
#include <dlfcn.h>
#include <execinfo.h>
#include <link.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <new>
#include <ostream>
#include <string>

#include "render/GdiPlusTypes.h"
#include "sim/Host.h"

// A sanitizer brings its own allocator, which these hooks would bypass: under
// it the counting is left out and the tests say so.
#if defined(__SANITIZE_ADDRESS__)
#define QUILLON_ALLOCATOR_REPLACED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(memory_sanitizer)
#define QUILLON_ALLOCATOR_REPLACED 1
#endif
#endif

// The hooks live in their own section, so that the stack walk can step over them.
#define ALLOCATION_HOOK __attribute__((section("quillon_alloc_hooks"), noinline))
extern "C" char __start_quillon_alloc_hooks[];
extern "C" char __stop_quillon_alloc_hooks[];

extern "C" void* __libc_malloc(size_t size);
extern "C" void* __libc_calloc(size_t count, size_t size);
extern "C" void* __libc_realloc(void* pointer, size_t size);

namespace {

enum Owner { kModule, kHost, kGraphicsLibraries, kUnknown, kOwnerCount };

// Code ranges of the loaded objects, taken once before counting starts (the
// hooks must not allocate, so nothing here grows).
struct CodeRange {
    uintptr_t begin;
    uintptr_t end;
    int kind;  // an Owner, or kRuntime
};
constexpr int kRuntime = kOwnerCount;
constexpr int kMaxRanges = 256;
CodeRange ranges[kMaxRanges];
int rangeCount = 0;

struct Tally {
    long allocations[kOwnerCount] = {};
    long moduleGdipAllocs = 0;
    long moduleGdiObjects = 0;
    long moduleBitmaps = 0;
};

bool counting = false;
Tally tally;
thread_local bool insideHook = false;

bool endsWith(const char* path, const char* name) {
    const size_t n = std::strlen(path);
    const size_t m = std::strlen(name);
    return n >= m && std::strcmp(path + n - m, name) == 0;
}

bool isRuntime(const char* path) {
    const char* base = std::strrchr(path, '/');
    base = base != nullptr ? base + 1 : path;
    for (const char* prefix : {"libc.so", "libm.so", "libstdc++.so", "libgcc_s.so", "ld-linux", "linux-vdso"})
        if (std::strncmp(base, prefix, std::strlen(prefix)) == 0) return true;
    return false;
}

int classify(const char* path) {
    if (path == nullptr || path[0] == '\0') return kHost;  // the program itself: the stand-in host
    if (endsWith(path, "/Quillon.so")) return kModule;
    if (isRuntime(path)) return kRuntime;
    return kGraphicsLibraries;
}

int addRanges(dl_phdr_info* info, size_t, void*) {
    const int kind = classify(info->dlpi_name);
    for (int i = 0; i < info->dlpi_phnum && rangeCount < kMaxRanges; ++i) {
        const ElfW(Phdr)& segment = info->dlpi_phdr[i];
        if (segment.p_type != PT_LOAD || (segment.p_flags & PF_X) == 0) continue;
        const uintptr_t begin = info->dlpi_addr + segment.p_vaddr;
        ranges[rangeCount++] = CodeRange{begin, begin + segment.p_memsz, kind};
    }
    return 0;
}

int kindOf(uintptr_t address) {
    for (int i = 0; i < rangeCount; ++i)
        if (address >= ranges[i].begin && address < ranges[i].end) return ranges[i].kind;
    return kUnknown;
}

bool inHooks(uintptr_t address) {
    return address >= reinterpret_cast<uintptr_t>(__start_quillon_alloc_hooks) &&
           address < reinterpret_cast<uintptr_t>(__stop_quillon_alloc_hooks);
}

ALLOCATION_HOOK void noteAllocation() {
    if (!counting || insideHook) return;
    insideHook = true;
    void* frames[64];
    const int depth = backtrace(frames, 64);
    int owner = kUnknown;
    for (int i = 0; i < depth; ++i) {
        const uintptr_t address = reinterpret_cast<uintptr_t>(frames[i]) - 1;  // inside the call
        if (inHooks(address)) continue;
        const int kind = kindOf(address);
        if (kind == kRuntime) continue;
        owner = kind;
        break;
    }
    ++tally.allocations[owner];
    insideHook = false;
}

bool calledFromModule(void* returnAddress) {
    return kindOf(reinterpret_cast<uintptr_t>(returnAddress) - 1) == kModule;
}

void startCounting() {
    void* frames[4];
    backtrace(frames, 4);  // loads the unwinder now, not inside a hook
    rangeCount = 0;
    dl_iterate_phdr(addRanges, nullptr);
    tally = Tally{};
    counting = true;
}

Tally stopCounting() {
    counting = false;
    return tally;
}

template <typename Function>
Function nextDefinition(const char* name) {
    return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

}  // namespace

// ---- The heap ---------------------------------------------------------------
#if !defined(QUILLON_ALLOCATOR_REPLACED)

extern "C" ALLOCATION_HOOK void* malloc(size_t size) {
    noteAllocation();
    return __libc_malloc(size);
}

extern "C" ALLOCATION_HOOK void* calloc(size_t count, size_t size) {
    noteAllocation();
    return __libc_calloc(count, size);
}

extern "C" ALLOCATION_HOOK void* realloc(void* pointer, size_t size) {
    noteAllocation();
    return __libc_realloc(pointer, size);
}

ALLOCATION_HOOK void* operator new(size_t size) {
    void* memory = malloc(size == 0 ? 1 : size);
    if (memory == nullptr) throw std::bad_alloc();
    return memory;
}

ALLOCATION_HOOK void* operator new[](size_t size) {
    void* memory = malloc(size == 0 ? 1 : size);
    if (memory == nullptr) throw std::bad_alloc();
    return memory;
}

ALLOCATION_HOOK void* operator new(size_t size, const std::nothrow_t&) noexcept { return malloc(size == 0 ? 1 : size); }

ALLOCATION_HOOK void* operator new[](size_t size, const std::nothrow_t&) noexcept {
    return malloc(size == 0 ? 1 : size);
}

#endif  // !QUILLON_ALLOCATOR_REPLACED

// ---- GDI+ allocations and objects made by the module --------------------------

namespace {
void noteGdiObject(void* returnAddress) {
    if (counting && calledFromModule(returnAddress)) ++tally.moduleGdiObjects;
}
}  // namespace

#define COUNTED_GDIP_CREATE(name, params, args)                                                  \
    extern "C" gdip::GpStatus name params {                                                      \
        noteGdiObject(__builtin_return_address(0));                                              \
        static auto next = nextDefinition<gdip::GpStatus(*) params>(#name);                      \
        return next != nullptr ? next args : gdip::kGenericError;                                \
    }

extern "C" void* GdipAlloc(size_t size) {
    if (counting && calledFromModule(__builtin_return_address(0))) ++tally.moduleGdipAllocs;
    static auto next = nextDefinition<void* (*)(size_t)>("GdipAlloc");
    return next != nullptr ? next(size) : nullptr;
}

COUNTED_GDIP_CREATE(GdipCreateFromHDC, (void* hdc, gdip::GpGraphics** graphics), (hdc, graphics))
COUNTED_GDIP_CREATE(GdipCreateSolidFill, (gdip::ARGB colour, gdip::GpSolidFill** brush), (colour, brush))
COUNTED_GDIP_CREATE(GdipCloneBrush, (gdip::GpBrush * brush, gdip::GpBrush** clone), (brush, clone))
COUNTED_GDIP_CREATE(GdipCreatePen2, (gdip::GpBrush * brush, gdip::REAL width, gdip::INT unit, gdip::GpPen** pen),
                    (brush, width, unit, pen))
COUNTED_GDIP_CREATE(GdipCreateFontFamilyFromName,
                    (const gdip::WCHAR* name, gdip::GpFontCollection* collection, gdip::GpFontFamily** family),
                    (name, collection, family))
COUNTED_GDIP_CREATE(GdipGetGenericFontFamilySansSerif, (gdip::GpFontFamily * *family), (family))
COUNTED_GDIP_CREATE(GdipCreateFont,
                    (const gdip::GpFontFamily* family, gdip::REAL size, gdip::INT style, gdip::INT unit,
                     gdip::GpFont** font),
                    (family, size, style, unit, font))
COUNTED_GDIP_CREATE(GdipCreateStringFormat, (gdip::INT flags, gdip::LANGID language, gdip::GpStringFormat** format),
                    (flags, language, format))
COUNTED_GDIP_CREATE(GdipCreateMatrix, (gdip::GpMatrix * *matrix), (matrix))
COUNTED_GDIP_CREATE(GdipGetImageGraphicsContext, (gdip::GpImage * image, gdip::GpGraphics** graphics),
                    (image, graphics))

extern "C" gdip::GpStatus GdipCreateBitmapFromScan0(gdip::INT width, gdip::INT height, gdip::INT stride,
                                                    gdip::INT format, uint8_t* scan0, gdip::GpBitmap** bitmap) {
    if (counting && calledFromModule(__builtin_return_address(0))) ++tally.moduleBitmaps;
    noteGdiObject(__builtin_return_address(0));
    using Create = gdip::GpStatus (*)(gdip::INT, gdip::INT, gdip::INT, gdip::INT, uint8_t*, gdip::GpBitmap**);
    static auto next = nextDefinition<Create>("GdipCreateBitmapFromScan0");
    return next != nullptr ? next(width, height, stride, format, scan0, bitmap) : gdip::kGenericError;
}

// ---- The tests ----------------------------------------------------------------

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kOwnAltitudeFt = 8000.0;
constexpr int kWarmUpFrames = 40;  // more than two refreshes and a paint fade
constexpr int kCountedFrames = 100;

void placeAt(sim::Aircraft& aircraft, double distanceNm, double bearingDeg) {
    aircraft.latitudeDeg = distanceNm * std::cos(bearingDeg * kPi / 180.0) / 60.0;
    aircraft.longitudeDeg = distanceNm * std::sin(bearingDeg * kPi / 180.0) / 60.0;
}

// The own aircraft at the equator heading north; one aircraft dead ahead at
// half the range and the own altitude, to be selected; around it aircraft at
// every bearing (some in each view's sector), moving, climbing and
// descending, and a few on the ground.
sim::Scenario crowdedSky() {
    sim::Scenario scenario;
    scenario.name = "crowded sky";
    scenario.own.atcId = "OWN";
    scenario.own.altitudeFt = kOwnAltitudeFt;
    scenario.own.groundSpeedKt = 120.0;

    sim::Aircraft selected;
    selected.atcId = "PICKED";
    selected.airline = "QUILLAIR";
    selected.flightNumber = "4711";
    placeAt(selected, 20.0, 0.0);
    selected.altitudeFt = kOwnAltitudeFt;
    selected.groundSpeedKt = 120.0;
    selected.verticalSpeedFpm = 800.0;
    scenario.traffic.push_back(selected);

    for (int i = 0; i < 80; ++i) {
        sim::Aircraft aircraft;
        aircraft.atcId = "T" + std::to_string(i);
        aircraft.airline = i % 3 == 0 ? "" : "BENCH EXPRESS";
        aircraft.flightNumber = std::to_string(100 + i);
        placeAt(aircraft, 4.0 + (i * 7) % 34, (i * 37) % 360 + 0.5);
        aircraft.altitudeFt = i % 10 == 0 ? 0.0 : kOwnAltitudeFt + ((i * 530) % 6000) - 3000.0 + 250.0;
        aircraft.headingTrueDeg = (i * 53) % 360;
        aircraft.groundSpeedKt = i % 10 == 0 ? 0.0 : 150.0 + (i * 13) % 300;
        aircraft.verticalSpeedFpm = ((i * 370) % 4000) - 2000.0;
        scenario.traffic.push_back(aircraft);
    }
    return scenario;
}

// Pixels of the scheme's bright colour in the top tenth of the window, where
// both data blocks write the selected aircraft's distance.
int brightPixelsAtTheTop(const sim::Window& window) {
    constexpr uint32_t kGreenBright = 0xff00ff00u;
    int count = 0;
    for (int y = 0; y < window.height() / 10; ++y)
        for (int x = 0; x < window.width(); ++x) count += window.pixel(x, y) == kGreenBright ? 1 : 0;
    return count;
}

// Where each view plots the aircraft dead ahead at half the range.
void clickSelected(sim::Host& host, sim::Window& window, int mode) {
    const double logicalY = mode == 2 ? 500.0 - 475.0 / 2 : 500.0;
    host.click(window, window.width() / 2, static_cast<int>(logicalY * window.height() / 1000.0));
}

struct FrameCase {
    const char* gauge;
    int mode;
    bool pilotOptions = false;  // altitude tags and the normal-band filter
};

// gtest would otherwise print the case as raw bytes, padding included,
// which memcheck rightly reports as uninitialised reads.
void PrintTo(const FrameCase& c, std::ostream* out) {
    *out << c.gauge << ", mode " << c.mode << (c.pilotOptions ? ", tags, filter and trails" : "");
}

std::string describe(const Tally& t) {
    char text[200];
    std::snprintf(text, sizeof text, "module %ld, host %ld, graphics libraries %ld, unknown %ld; module GdipAlloc %ld, "
                  "GDI+ objects created by the module %ld",
                  t.allocations[kModule], t.allocations[kHost], t.allocations[kGraphicsLibraries],
                  t.allocations[kUnknown], t.moduleGdipAllocs, t.moduleGdiObjects);
    return text;
}

class FrameAllocations : public ::testing::TestWithParam<FrameCase> {
protected:
    void SetUp() override {
#if defined(QUILLON_ALLOCATOR_REPLACED)
        GTEST_SKIP() << "the sanitizer's allocator replaces the counting hooks";
#endif
        ASSERT_TRUE(host.loaded()) << host.error();
        host.calls().setEnabled(false);  // the host's own log would only add host allocations
        host.setScenario(crowdedSky());
    }
    sim::Host host{QUILLON_MODULE_PATH};
};

// The counter itself: it must see the module's allocations where the module
// does allocate, when a gauge and its colour scheme are made.
TEST(FrameAllocationCounter, SeesTheModuleAllocateWhenAGaugeIsMade) {
#if defined(QUILLON_ALLOCATOR_REPLACED)
    GTEST_SKIP() << "the sanitizer's allocator replaces the counting hooks";
#endif
    sim::Host host(QUILLON_MODULE_PATH);
    ASSERT_TRUE(host.loaded()) << host.error();
    host.calls().setEnabled(false);
    startCounting();
    sim::Window& window = host.openWindow("Rectangular Amber", 200, 200);
    host.frame();
    const Tally made = stopCounting();
    EXPECT_GT(made.allocations[kModule], 0) << describe(made);  // the gauge and its traffic list
    EXPECT_GT(made.moduleGdipAllocs, 0) << describe(made);      // the scheme's objects
    EXPECT_GT(made.moduleGdiObjects, 0) << describe(made);      // the surface's graphics, pens, fonts
    // The surface's backdrop, the frame composed over it and the targets' crosses.
    EXPECT_EQ(made.moduleBitmaps, 3) << describe(made);
    EXPECT_GT(made.allocations[kGraphicsLibraries] + made.allocations[kHost], 0) << describe(made);
    host.closeWindow(window);
}

TEST_P(FrameAllocations, HundredFramesAfterWarmUpAllocateNothingInTheModule) {
    const FrameCase& c = GetParam();
    sim::Window& window = host.openWindow(c.gauge, 300, 300);
    host.frame();  // registers the named variables
    host.setNamed("Radar Mode", c.mode);
    if (c.pilotOptions) {
        host.setNamed("Radar Altitude Tags", 1.0);
        host.setNamed("Radar Filter", 2.0);
        host.setNamed("Radar Trails", 1.0);
    }
    host.frames(3);
    clickSelected(host, window, c.mode);
    host.frames(kWarmUpFrames);

    startCounting();
    host.frames(kCountedFrames);
    const Tally counted = stopCounting();

    EXPECT_EQ(counted.allocations[kModule], 0) << describe(counted);
    EXPECT_EQ(counted.moduleGdipAllocs, 0) << describe(counted);
    EXPECT_EQ(counted.moduleGdiObjects, 0) << describe(counted);
    // The frames did draw: libgdiplus works on the heap for every picture.
    EXPECT_GT(counted.allocations[kGraphicsLibraries], 0) << describe(counted);
    // And the counted frames went through the data block: its distance text
    // goes when the selection does.
    const int withBlock = brightPixelsAtTheTop(window);
    host.click(window, 0, window.height() - 1);  // nothing there: no selection
    host.frame();
    EXPECT_GT(withBlock, brightPixelsAtTheTop(window) + 20);
}

// A new range or view paints the surface's backdrop again, in the bitmap it
// has: nothing is allocated or made for it.
TEST_F(FrameAllocations, RangeAndViewChangedInEveryFrameMakeNothingAfterWarmUp) {
    host.openWindow("Circular Amber", 300, 300);
    host.frame();
    auto changingFrames = [&](int count) {
        for (int frame = 0; frame < count; ++frame) {
            host.setNamed("Radar Range", 10.0 + frame % 7);
            host.setNamed("Radar Mode", 2 + frame % 3);
            host.frame();
        }
    };
    changingFrames(kWarmUpFrames);  // every view drawn once

    startCounting();
    changingFrames(kCountedFrames);
    const Tally counted = stopCounting();
    EXPECT_EQ(counted.allocations[kModule], 0) << describe(counted);
    EXPECT_EQ(counted.moduleGdipAllocs, 0) << describe(counted);
    EXPECT_EQ(counted.moduleGdiObjects, 0) << describe(counted);
}

// The counted frames copy the data block from a picture made when the
// selection came (in its second frame, the first drawing it directly): one
// bitmap for it then, none while the texts stay, and the block still shows.
TEST_F(FrameAllocations, TheDataBlockIsDrawnOnceIntoAPictureAndCopiedAfterwards) {
    sim::Window& window = host.openWindow("Rectangular Green", 300, 300);
    host.frame();
    host.setNamed("Radar Mode", 4);
    host.frames(3);
    clickSelected(host, window, 4);
    startCounting();
    host.frames(2);
    const Tally selected = stopCounting();
    EXPECT_EQ(selected.moduleBitmaps, 1) << describe(selected);

    startCounting();
    for (int frame = 0; frame < 10; ++frame) host.frame();
    const Tally copied = stopCounting();
    EXPECT_EQ(copied.moduleBitmaps, 0) << describe(copied);
    EXPECT_GT(brightPixelsAtTheTop(window), 20);
}

std::string caseName(const ::testing::TestParamInfo<FrameCase>& info) {
    static const char* const kViews[] = {"", "", "FullCircle", "ForwardArc", "Grid"};
    const bool compact = std::strncmp(info.param.gauge, "Circular", 8) == 0;
    return std::string(kViews[info.param.mode]) + (compact ? "CompactBlock" : "FullBlock") +
           (info.param.pilotOptions ? "TagsAndFilter" : "");
}

INSTANTIATE_TEST_SUITE_P(EveryViewAndBlock, FrameAllocations,
                         ::testing::Values(FrameCase{"Circular Green", 2}, FrameCase{"Circular Green", 3},
                                           FrameCase{"Circular Green", 4}, FrameCase{"Rectangular Green", 2},
                                           FrameCase{"Rectangular Green", 3}, FrameCase{"Rectangular Green", 4},
                                           FrameCase{"Circular Green", 2, true}, FrameCase{"Rectangular Green", 3, true},
                                           FrameCase{"Rectangular Green", 4, true}),
                         caseName);

}  // namespace
