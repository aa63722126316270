#include "sim/GdiPlusSessionLayer.h"

#include <dlfcn.h>
#include <link.h>

#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#define LAYER_EXPORT extern "C" __attribute__((visibility("default")))

namespace sim::gdiplus_layer {
namespace {

using Status = int32_t;
constexpr Status kOk = 0;
constexpr Status kGenericError = 1;
constexpr Status kInvalidParameter = 2;
constexpr Status kUnsupportedGdiplusVersion = 17;

// ---- Failures -------------------------------------------------------------------

OnFailure onFailure = OnFailure::Abort;
int failureCount = 0;
char failureText[512] = "";

__attribute__((format(printf, 1, 2))) void fail(const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(failureText, sizeof failureText, format, arguments);
    va_end(arguments);
    ++failureCount;
    if (onFailure == OnFailure::Count) return;
    std::fprintf(stderr, "GDI+ session layer: %s\n", failureText);
    std::abort();
}

[[noreturn]] void misplaced(const char* what) {
    std::fprintf(stderr, "GDI+ session layer: %s\n", what);
    std::abort();
}

// ---- Whose call it is -----------------------------------------------------------

// The layer is loaded with the program, never opened later, so its
// thread-locals can take the quick model (no lookup call per access).
#define LAYER_THREAD_LOCAL thread_local __attribute__((tls_model("initial-exec")))

LAYER_THREAD_LOCAL int hostCallDepth = 0;
// Inside a call handed on to libgdiplus: what it calls meanwhile is its own,
// even when it reaches the layer through another interposer in the program.
LAYER_THREAD_LOCAL int forwardedDepth = 0;

struct Forwarded {
    Forwarded() { ++forwardedDepth; }
    ~Forwarded() { --forwardedDepth; }
};

struct CodeRange {
    uintptr_t begin;
    uintptr_t end;
};
constexpr int kMaxLibraryRanges = 8;
CodeRange libraryCode[kMaxLibraryRanges];
int libraryRangeCount = 0;

bool calledFromLibrary(const void* caller) {
    const auto address = reinterpret_cast<uintptr_t>(caller);
    for (int i = 0; i < libraryRangeCount; ++i)
        if (address >= libraryCode[i].begin && address < libraryCode[i].end) return true;
    return false;
}

int collectLibraryCode(dl_phdr_info* info, size_t, void* libraryPath) {
    if (info->dlpi_name == nullptr || std::strcmp(info->dlpi_name, static_cast<const char*>(libraryPath)) != 0)
        return 0;
    for (int i = 0; i < info->dlpi_phnum && libraryRangeCount < kMaxLibraryRanges; ++i) {
        const ElfW(Phdr)& segment = info->dlpi_phdr[i];
        if (segment.p_type != PT_LOAD || (segment.p_flags & PF_X) == 0) continue;
        const uintptr_t begin = info->dlpi_addr + segment.p_vaddr;
        libraryCode[libraryRangeCount++] = CodeRange{begin, begin + segment.p_memsz};
    }
    return 1;
}

// Runs when the program loads: the layer is useless behind libgdiplus, where
// nothing would ever call it, so it says so at once.
__attribute__((constructor)) void takePlaceInFrontOfLibgdiplus() {
    Dl_info first{};
    Dl_info own{};
    void* found = dlsym(RTLD_DEFAULT, "GdiplusShutdown");
    if (found == nullptr || dladdr(found, &first) == 0 ||
        dladdr(reinterpret_cast<void*>(&takePlaceInFrontOfLibgdiplus), &own) == 0 ||
        first.dli_fbase != own.dli_fbase)
        misplaced("another GdiplusShutdown comes first; link the layer ahead of libgdiplus and define no other");
    Dl_info library{};
    void* real = dlsym(RTLD_NEXT, "GdiplusShutdown");
    if (real == nullptr || dladdr(real, &library) == 0) misplaced("no libgdiplus behind the layer");
    dl_iterate_phdr(collectLibraryCode, const_cast<char*>(library.dli_fname));
}

template <typename Function>
Function following(const char* name) {
    void* found = dlsym(RTLD_NEXT, name);
    if (found == nullptr) misplaced("a GDI+ function is missing behind the layer");
    return reinterpret_cast<Function>(found);
}

// ---- Sessions -------------------------------------------------------------------

enum Owner { kHost, kModule, kOwners };

struct Session {
    uintptr_t token;  // 0: free
    Owner owner;
};
constexpr int kMaxSessions = 256;
Session sessions[kMaxSessions];
int openSessions[kOwners];
uintptr_t lastToken = 0x5e55000;
bool libraryStarted = false;

Session* sessionOf(uintptr_t token) {
    for (Session& session : sessions)
        if (session.token == token) return &session;
    return nullptr;
}

bool moduleHasNoSession() { return openSessions[kModule] == 0; }

// ---- The module's objects -------------------------------------------------------
// Open addressing with linear probing, kept at most half full, and backward
// shifting on removal so that a long run leaves no tombstones behind.

struct ObjectSlot {
    const void* handle;  // null: free
    const char* madeBy;
    int references;      // libgdiplus may hand out one object twice (a generic family)
};
constexpr size_t kObjectSlots = size_t{1} << 14;
constexpr size_t kSlotMask = kObjectSlots - 1;
constexpr int kMaxObjects = static_cast<int>(kObjectSlots / 2);
ObjectSlot objects[kObjectSlots];
int liveObjects = 0;

size_t homeOf(const void* handle) {
    uint64_t bits = reinterpret_cast<uintptr_t>(handle);
    bits ^= bits >> 17;
    bits *= 0x9E3779B97F4A7C15ull;
    return static_cast<size_t>(bits >> 40) & kSlotMask;
}

ObjectSlot* objectOf(const void* handle) {
    if (handle == nullptr) return nullptr;
    for (size_t i = homeOf(handle);; i = (i + 1) & kSlotMask) {
        if (objects[i].handle == handle) return &objects[i];
        if (objects[i].handle == nullptr) return nullptr;
    }
}

void remember(const void* handle, const char* madeBy) {
    if (ObjectSlot* known = objectOf(handle)) {
        ++known->references;
        return;
    }
    if (liveObjects >= kMaxObjects) {
        fail("the module holds more than %d GDI+ objects at once", kMaxObjects);
        return;
    }
    size_t i = homeOf(handle);
    while (objects[i].handle != nullptr) i = (i + 1) & kSlotMask;
    objects[i] = ObjectSlot{handle, madeBy, 1};
    ++liveObjects;
}

void forget(ObjectSlot* slot) {
    size_t hole = static_cast<size_t>(slot - objects);
    for (size_t next = (hole + 1) & kSlotMask; objects[next].handle != nullptr; next = (next + 1) & kSlotMask) {
        const size_t home = homeOf(objects[next].handle);
        // An entry whose home lies cyclically in (hole, next] must stay.
        const bool stays = hole <= next ? (hole < home && home <= next) : (hole < home || home <= next);
        if (stays) continue;
        objects[hole] = objects[next];
        hole = next;
    }
    objects[hole] = ObjectSlot{};
    --liveObjects;
}

const char* anyObjectMaker() {
    for (const ObjectSlot& slot : objects)
        if (slot.handle != nullptr) return slot.madeBy;
    return "?";
}

// ---- Faults and counting --------------------------------------------------------

bool counting = false;
FaultPlan plan;
int64_t callCount = 0;
int64_t functionCallCount = 0;  // of the plan's function, when it names one
const char* failedName = nullptr;
const void* failedCaller = nullptr;  // where in the module the failed call came from
int64_t callsSinceFailure = 0;

// The module's objects deleted last: a use of one is a use after its end
// (libgdiplus hands a new object the address of an old one now and then, so a
// creation takes its handle off the list).
struct Grave {
    const void* handle;
    const char* madeBy;
};
constexpr int kGraves = 64;
Grave graves[kGraves];
int nextGrave = 0;

void bury(const void* handle, const char* madeBy) {
    graves[nextGrave] = Grave{handle, madeBy};
    nextGrave = (nextGrave + 1) % kGraves;
}

const Grave* graveOf(const void* handle) {
    if (handle == nullptr) return nullptr;
    for (const Grave& grave : graves)
        if (grave.handle == handle) return &grave;
    return nullptr;
}

void unbury(const void* handle) {
    for (Grave& grave : graves)
        if (grave.handle == handle) grave = Grave{};
}

// ---- One call -------------------------------------------------------------------

// Whose call it is, worked out only when it matters: while the module has a
// session its uses need no look at all, which keeps a frame's thousands of
// calls cheap.
class Call {
public:
    Call(const char* name, const void* caller) : name_(name), caller_(caller) {}

    // Every pointer argument that is one of the module's objects is a use.
    template <typename... Arguments>
    void uses(Arguments... arguments) {
        if (moduleHasNoSession() && byModule()) (checkUse(arguments), ...);
    }
    // The first argument of a call on an object is that object: using one
    // that was deleted is a use after its end. (Other pointers may be texts,
    // results or pixel storage at an address a deleted object had.)
    template <typename First, typename... Arguments>
    void worksOn(First first, Arguments...) {
        if (counting && byModule()) checkAlive(first);
    }
    // The status the call is to fail with; kOk when it goes ahead.
    Status fault() {
        if (!counting || !byModule()) return kOk;
        ++callCount;
        if (failedName != nullptr) {
            if (caller_ != failedCaller || std::strcmp(failedName, name_) != 0) return kOk;
            ++callsSinceFailure;
            return plan.keepFailing ? plan.status : kOk;
        }
        if (plan.function != nullptr) {
            if (std::strcmp(plan.function, name_) != 0 || ++functionCallCount != plan.failCall) return kOk;
        } else if (callCount != plan.failCall) {
            return kOk;
        }
        failedName = name_;
        failedCaller = caller_;
        return plan.status;
    }
    void needsSession() {
        if (moduleHasNoSession() && byModule()) fail("the module called %s while it has no GDI+ session", name_);
    }
    // Whoever made it: a surface of the host's may take a deleted object's address.
    void made(const void* handle) {
        if (handle == nullptr) return;
        if (counting) unbury(handle);
        if (byModule()) remember(handle, name_);
    }
    void deletes(const void* handle) {
        ObjectSlot* slot = liveObjects > 0 ? objectOf(handle) : nullptr;
        if (slot == nullptr || !byModule()) return;
        if (moduleHasNoSession())
            fail("the module deleted a GDI+ object made by %s (%s) while it has no GDI+ session", slot->madeBy,
                 name_);
        if (--slot->references > 0) return;
        if (counting) bury(handle, slot->madeBy);
        forget(slot);
    }

private:
    template <typename T>
    void checkUse(T) {}
    template <typename T>
    void checkUse(T* pointer) {
        if (const ObjectSlot* slot = objectOf(pointer))
            fail("the module used a GDI+ object made by %s (%s) while it has no GDI+ session", slot->madeBy, name_);
    }
    template <typename T>
    void checkAlive(T) {}
    template <typename T>
    void checkAlive(T* pointer) {
        if (objectOf(pointer) != nullptr) return;
        if (const Grave* grave = graveOf(pointer))
            fail("the module used a GDI+ object made by %s after deleting it (%s)", grave->madeBy, name_);
    }

    bool byModule() const {
        return hostCallDepth == 0 && forwardedDepth == 0 && !calledFromLibrary(caller_);
    }

    const char* name_;
    const void* caller_;
};

}  // namespace

// ---- For hosts and tests --------------------------------------------------------

HostGdiPlusCalls::HostGdiPlusCalls() { ++hostCallDepth; }
HostGdiPlusCalls::~HostGdiPlusCalls() { --hostCallDepth; }

void setOnFailure(OnFailure action) { onFailure = action; }

bool restoreAppliesCompositing = true;
void setRestoreAppliesCompositing(bool applies) { restoreAppliesCompositing = applies; }

Figures figures() { return Figures{failureCount, openSessions[kModule], openSessions[kHost], liveObjects}; }

const char* lastFailure() { return failureText; }

void startCounting(const FaultPlan& faultPlan) {
    counting = true;
    callCount = 0;
    for (Grave& grave : graves) grave = Grave{};
    planFault(faultPlan);
}

void planFault(const FaultPlan& faultPlan) {
    plan = faultPlan;
    failedName = nullptr;
    failedCaller = nullptr;
    callsSinceFailure = 0;
    functionCallCount = 0;
}

void stopCounting() { counting = false; }

int64_t moduleCalls() { return callCount; }

const char* failedFunction() { return failedName; }

int64_t callsOfFailedFunctionSince() { return callsSinceFailure; }

namespace {

int32_t statusNamed(const char* text) {
    if (std::strcmp(text, "GenericError") == 0) return kStatusGenericError;
    if (std::strcmp(text, "InvalidParameter") == 0) return kStatusInvalidParameter;
    if (std::strcmp(text, "OutOfMemory") == 0) return kStatusOutOfMemory;
    const long number = std::strtol(text, nullptr, 10);
    return number > 0 ? static_cast<int32_t>(number) : kStatusOutOfMemory;
}

// A fault planned for the whole run of a program that knows nothing of it.
__attribute__((constructor)) void planFaultFromEnvironment() {
    const char* call = std::getenv("QUILLON_GDIPLUS_FAIL_CALL");
    if (call == nullptr || *call == '\0') return;
    FaultPlan fromEnvironment;
    fromEnvironment.failCall = std::strtoll(call, nullptr, 10);
    if (const char* status = std::getenv("QUILLON_GDIPLUS_FAIL_STATUS")) fromEnvironment.status = statusNamed(status);
    startCounting(fromEnvironment);
}

}  // namespace

}  // namespace sim::gdiplus_layer

// ---- The flat functions in front of libgdiplus ----------------------------------

using sim::gdiplus_layer::Status;
using namespace sim::gdiplus_layer;

LAYER_EXPORT Status GdiplusStartup(uintptr_t* token, const void* input, void* output) {
    static const auto next = following<Status (*)(uintptr_t*, const void*, void*)>("GdiplusStartup");
    if (token == nullptr || input == nullptr) return kInvalidParameter;
    *token = 0;
    // The input record opens with the version: 1, or 2 for GDI+ 1.1.
    const uint32_t version = *static_cast<const uint32_t*>(input);
    if (version != 1 && version != 2) return kUnsupportedGdiplusVersion;
    if (hostCallDepth == 0) {
        Call call("GdiplusStartup", __builtin_return_address(0));
        if (const Status status = call.fault(); status != kOk) return status;
    }
    if (!libraryStarted) {
        uintptr_t libraryToken = 0;
        Status status;
        {
            Forwarded forwarded;
            status = next(&libraryToken, input, output);
        }
        if (status != kOk) return status;
        libraryStarted = true;  // and never ended: see GdiplusShutdown
    }
    Session* free = sessionOf(0);
    if (free == nullptr) {
        fail("more than %d GDI+ sessions open at once", kMaxSessions);
        return kGenericError;
    }
    const Owner owner = hostCallDepth > 0 ? kHost : kModule;
    *free = Session{++lastToken, owner};
    ++openSessions[owner];
    *token = free->token;
    return kOk;
}

LAYER_EXPORT void GdiplusShutdown(uintptr_t token) {
    Session* session = token != 0 ? sessionOf(token) : nullptr;
    if (session == nullptr) {
        fail("GdiplusShutdown with token %#zx, which is no open GDI+ session", static_cast<size_t>(token));
        return;
    }
    const Owner owner = session->owner;
    *session = Session{};
    --openSessions[owner];
    if (owner == kModule && openSessions[kModule] == 0 && liveObjects > 0)
        fail("the module ended its last GDI+ session with %d of its GDI+ objects alive (one made by %s)",
             liveObjects, anyObjectMaker());
    // libgdiplus's own session is not ended: it serves the whole process, and
    // ending it once text was drawn aborts in fontconfig.
}

LAYER_EXPORT void* GdipAlloc(size_t size) {
    static const auto next = following<void* (*)(size_t)>("GdipAlloc");
    Call call("GdipAlloc", __builtin_return_address(0));
    call.needsSession();
    if (call.fault() != kOk) return nullptr;
    Forwarded forwarded;
    void* memory = next(size);
    if (counting) unbury(memory);
    return memory;
}

LAYER_EXPORT void GdipFree(void* memory) {
    static const auto next = following<void (*)(void*)>("GdipFree");
    Call call("GdipFree", __builtin_return_address(0));
    if (memory != nullptr) call.needsSession();
    Forwarded forwarded;
    next(memory);
}

// A call on the module's objects.
// `before` runs once the call is known not to fail, before it is handed on.
#define LAYER_USE_WITH(name, params, args, before)                    \
    LAYER_EXPORT Status name params {                                  \
        static const auto next = following<Status(*) params>(#name);  \
        Call call(#name, __builtin_return_address(0));                \
        call.uses args;                                                \
        call.worksOn args;                                             \
        if (const Status status = call.fault(); status != kOk)         \
            return status;                                             \
        before;                                                        \
        Forwarded forwarded;                                           \
        return next args;                                              \
    }
#define LAYER_USE(name, params, args) LAYER_USE_WITH(name, params, args, (void)0)

// ---- libgdiplus's pen set-up ------------------------------------------------------
//
// libgdiplus sets a pen up for the graphics' world transform only when the
// graphics strokes with another pen than its last one: a stroke with the
// same pen after the transform changed would keep the set-up of the old
// transform. After a change, the layer strokes a line of no length with a
// transparent pen of its own (no ink) before the graphics' next stroke, so
// that the stroke's pen is set up afresh. Gdiplus.dll needs no such help,
// and the module draws only what its picture needs.

namespace {

constexpr int kWatchedTransforms = 256;
void* transformChanged[kWatchedTransforms];
int transformChangedCount = 0;
bool tooManyChanged = false;  // then every stroke is preceded by the reset line

void noteTransformChanged(void* graphics) {
    for (int i = 0; i < transformChangedCount; ++i)
        if (transformChanged[i] == graphics) return;
    if (transformChangedCount < kWatchedTransforms) {
        transformChanged[transformChangedCount++] = graphics;
    } else {
        tooManyChanged = true;
    }
}

// True when the graphics was watched (and is no longer).
bool stopWatching(void* graphics) {
    for (int i = 0; i < transformChangedCount; ++i) {
        if (transformChanged[i] != graphics) continue;
        transformChanged[i] = transformChanged[--transformChangedCount];
        return true;
    }
    return false;
}

bool takeTransformChanged(void* graphics) { return stopWatching(graphics) || tooManyChanged; }

void* resetPen() {
    static void* pen = [] {
        static const auto create = following<Status (*)(uint32_t, float, int32_t, void**)>("GdipCreatePen1");
        void* made = nullptr;
        Forwarded forwarded;
        create(0x00000000u, 1.0f, 0 /* world units */, &made);
        return made;
    }();
    return pen;
}

// A graphics deleted is watched no longer (its handle may come back).
void forgetTransformChanged(void* graphics) { stopWatching(graphics); }

void freshenPenSetUp(void* graphics) {
    static const auto drawLine = following<Status (*)(void*, void*, float, float, float, float)>("GdipDrawLine");
    // libgdiplus's own strokes within a stroke are set up by it.
    if (forwardedDepth > 0 || graphics == nullptr || !takeTransformChanged(graphics)) return;
    void* pen = resetPen();
    if (pen == nullptr) return;
    Forwarded forwarded;
    drawLine(graphics, pen, 0.0f, 0.0f, 0.0f, 0.0f);
}

}  // namespace

// A call that changes the graphics' world transform, and a stroke with a pen.
#define LAYER_TRANSFORM(name, params, args) LAYER_USE_WITH(name, params, args, noteTransformChanged(graphics))
#define LAYER_STROKE(name, params, args) LAYER_USE_WITH(name, params, args, freshenPenSetUp(graphics))

// A call that makes an object, handed out through `out`.
#define LAYER_CREATE(name, params, args, out)                         \
    LAYER_EXPORT Status name params {                                  \
        static const auto next = following<Status(*) params>(#name);  \
        Call call(#name, __builtin_return_address(0));                \
        call.uses args;                                                \
        call.needsSession();                                           \
        Status status = call.fault();                                  \
        if (status != kOk) {                                           \
            if ((out) != nullptr) *(out) = nullptr;                    \
            return status;                                             \
        }                                                              \
        {                                                              \
            Forwarded forwarded;                                       \
            status = next args;                                        \
        }                                                              \
        if (status == kOk && (out) != nullptr) call.made(*(out));      \
        return status;                                                 \
    }

// A call that deletes `handle`.
#define LAYER_DELETE(name, params, args, handle)                       \
    LAYER_EXPORT Status name params {                                  \
        static const auto next = following<Status(*) params>(#name);  \
        Call call(#name, __builtin_return_address(0));                \
        const Status failed = call.fault();                            \
        call.deletes(handle);                                          \
        Forwarded forwarded;                                           \
        const Status status = next args;                               \
        return failed != kOk ? failed : status;                        \
    }

// Every flat function the module imports (tests check the list against
// Quillon.so). Handles are untyped here: only their addresses matter.
using Handle = void*;
using Text = const char16_t*;

LAYER_CREATE(GdipCreateFromHDC, (Handle hdc, Handle* graphics), (hdc, graphics), graphics)
LAYER_EXPORT Status GdipDeleteGraphics(Handle graphics) {
    static const auto next = following<Status (*)(Handle)>("GdipDeleteGraphics");
    Call call("GdipDeleteGraphics", __builtin_return_address(0));
    const Status failed = call.fault();
    call.deletes(graphics);
    forgetTransformChanged(graphics);
    Forwarded forwarded;
    const Status status = next(graphics);
    return failed != kOk ? failed : status;
}
LAYER_TRANSFORM(GdipScaleWorldTransform, (Handle graphics, float sx, float sy, int32_t order), (graphics, sx, sy, order))
LAYER_TRANSFORM(GdipTranslateWorldTransform, (Handle graphics, float dx, float dy, int32_t order), (graphics, dx, dy, order))
LAYER_TRANSFORM(GdipResetWorldTransform, (Handle graphics), (graphics))
LAYER_USE(GdipGraphicsClear, (Handle graphics, uint32_t colour), (graphics, colour))
LAYER_USE(GdipGetDpiY, (Handle graphics, float* dpi), (graphics, dpi))
LAYER_USE(GdipSetClipRectI, (Handle graphics, int32_t x, int32_t y, int32_t width, int32_t height, int32_t combineMode),
          (graphics, x, y, width, height, combineMode))
LAYER_USE(GdipResetClip, (Handle graphics), (graphics))
LAYER_USE(GdipSetSmoothingMode, (Handle graphics, int32_t mode), (graphics, mode))
LAYER_USE(GdipSetTextRenderingHint, (Handle graphics, int32_t hint), (graphics, hint))
LAYER_TRANSFORM(GdipBeginContainer2, (Handle graphics, uint32_t* state), (graphics, state))
LAYER_TRANSFORM(GdipEndContainer, (Handle graphics, uint32_t state), (graphics, state))
LAYER_USE(GdipSaveGraphics, (Handle graphics, uint32_t* state), (graphics, state))
// libgdiplus restores the compositing mode it records but leaves its
// drawing surface compositing as before the restore: the layer applies the
// restored mode again, as gdiplus.dll does.
LAYER_EXPORT Status GdipRestoreGraphics(Handle graphics, uint32_t state) {
    static const auto next = following<Status (*)(Handle, uint32_t)>("GdipRestoreGraphics");
    static const auto getMode = following<Status (*)(Handle, int32_t*)>("GdipGetCompositingMode");
    static const auto setMode = following<Status (*)(Handle, int32_t)>("GdipSetCompositingMode");
    Call call("GdipRestoreGraphics", __builtin_return_address(0));
    call.uses(graphics, state);
    call.worksOn(graphics, state);
    if (const Status status = call.fault(); status != kOk) return status;
    noteTransformChanged(graphics);
    Forwarded forwarded;
    const Status status = next(graphics, state);
    int32_t mode = 0;
    if (status == kOk && restoreAppliesCompositing && getMode(graphics, &mode) == kOk) setMode(graphics, mode);
    return status;
}

LAYER_CREATE(GdipCreateBitmapFromScan0,
             (int32_t width, int32_t height, int32_t stride, int32_t format, uint8_t* scan0, Handle* bitmap),
             (width, height, stride, format, scan0, bitmap), bitmap)
LAYER_CREATE(GdipGetImageGraphicsContext, (Handle image, Handle* graphics), (image, graphics), graphics)
LAYER_DELETE(GdipDisposeImage, (Handle image), (image), image)
LAYER_USE(GdipSetCompositingMode, (Handle graphics, int32_t mode), (graphics, mode))
LAYER_USE(GdipDrawImageRectI, (Handle graphics, Handle image, int32_t x, int32_t y, int32_t width, int32_t height),
          (graphics, image, x, y, width, height))

LAYER_STROKE(GdipDrawLine, (Handle graphics, Handle pen, float x1, float y1, float x2, float y2),
          (graphics, pen, x1, y1, x2, y2))
LAYER_STROKE(GdipDrawLines, (Handle graphics, Handle pen, const void* points, int32_t count),
          (graphics, pen, points, count))
LAYER_STROKE(GdipDrawEllipse, (Handle graphics, Handle pen, float x, float y, float width, float height),
          (graphics, pen, x, y, width, height))
// Windows' GDI+ (Wine's too) refuses an arc of no size where libgdiplus
// draws nothing and reports success: the module sees the refusal here too.
LAYER_USE_WITH(GdipDrawArc,
               (Handle graphics, Handle pen, float x, float y, float width, float height, float start, float sweep),
               (graphics, pen, x, y, width, height, start, sweep), {
                   if (!(width > 0.0f && height > 0.0f)) return kInvalidParameter;
                   freshenPenSetUp(graphics);
               })
LAYER_STROKE(GdipDrawRectangle, (Handle graphics, Handle pen, float x, float y, float width, float height),
          (graphics, pen, x, y, width, height))
LAYER_USE(GdipFillEllipse, (Handle graphics, Handle brush, float x, float y, float width, float height),
          (graphics, brush, x, y, width, height))
LAYER_USE(GdipFillPie,
          (Handle graphics, Handle brush, float x, float y, float width, float height, float start, float sweep),
          (graphics, brush, x, y, width, height, start, sweep))
LAYER_USE(GdipDrawString,
          (Handle graphics, Text text, int32_t length, Handle font, const void* layout, Handle format, Handle brush),
          (graphics, text, length, font, layout, format, brush))
LAYER_USE(GdipMeasureString,
          (Handle graphics, Text text, int32_t length, Handle font, const void* layout, Handle format, void* bounds,
           int32_t* fitted, int32_t* lines),
          (graphics, text, length, font, layout, format, bounds, fitted, lines))

LAYER_USE(GdipDrawImageRectRect,
          (Handle graphics, Handle image, float dstX, float dstY, float dstWidth, float dstHeight, float srcX,
           float srcY, float srcWidth, float srcHeight, int32_t srcUnit, const void* attributes, void* abort,
           void* abortData),
          (graphics, image, dstX, dstY, dstWidth, dstHeight, srcX, srcY, srcWidth, srcHeight, srcUnit, attributes,
           abort, abortData))
LAYER_USE(GdipSetInterpolationMode, (Handle graphics, int32_t mode), (graphics, mode))

LAYER_CREATE(GdipCreateSolidFill, (uint32_t colour, Handle* brush), (colour, brush), brush)
LAYER_CREATE(GdipCloneBrush, (Handle brush, Handle* clone), (brush, clone), clone)
LAYER_DELETE(GdipDeleteBrush, (Handle brush), (brush), brush)

LAYER_CREATE(GdipCreatePen2, (Handle brush, float width, int32_t unit, Handle* pen), (brush, width, unit, pen), pen)
LAYER_USE(GdipSetPenDashArray, (Handle pen, const float* dashes, int32_t count), (pen, dashes, count))
LAYER_DELETE(GdipDeletePen, (Handle pen), (pen), pen)

LAYER_CREATE(GdipCreateFontFamilyFromName, (Text name, Handle collection, Handle* family),
             (name, collection, family), family)
LAYER_CREATE(GdipGetGenericFontFamilySansSerif, (Handle* family), (family), family)
LAYER_DELETE(GdipDeleteFontFamily, (Handle family), (family), family)
LAYER_CREATE(GdipCreateFont, (Handle family, float size, int32_t style, int32_t unit, Handle* font),
             (family, size, style, unit, font), font)
LAYER_USE(GdipGetFontSize, (Handle font, float* size), (font, size))
LAYER_DELETE(GdipDeleteFont, (Handle font), (font), font)

LAYER_CREATE(GdipCreateStringFormat, (int32_t flags, uint16_t language, Handle* format), (flags, language, format),
             format)
LAYER_USE(GdipSetStringFormatAlign, (Handle format, int32_t align), (format, align))
LAYER_USE(GdipSetStringFormatLineAlign, (Handle format, int32_t align), (format, align))
LAYER_DELETE(GdipDeleteStringFormat, (Handle format), (format), format)

// ---- Paths of separate lines ------------------------------------------------------
//
// The module strokes a target's lines as one path: Windows' GDI+ sets every
// stroke up at a cost several times a short line's pixels. libgdiplus strokes
// a path of several lines through a general rasteriser, slower than its
// line's and a level off along the lines. For libgdiplus the layer strokes a
// path that it saw made of separate lines line by line, as the module would
// draw them one by one: the pictures of the Linux hosts stay those of lines.

namespace {

constexpr int kMostPathLines = 8;
constexpr int kPathsFollowed = 4;

struct LinePath {
    Handle path = nullptr;
    int lines = 0;
    bool onlyLines = true;    // every line a figure of its own, and nothing else
    bool figureOpen = false;  // a line now would join the one before
    float ends[kMostPathLines][4] = {};
};
LinePath linePaths[kPathsFollowed];

LinePath* linePathOf(Handle path) {
    for (LinePath& followed : linePaths)
        if (followed.path == path && path != nullptr) return &followed;
    return nullptr;
}

LinePath* followLinePath(Handle path) {
    if (LinePath* known = linePathOf(path)) return known;
    for (LinePath& free : linePaths) {
        if (free.path != nullptr) continue;
        free = LinePath{};
        free.path = path;
        return &free;
    }
    return nullptr;  // not followed: stroked by libgdiplus as it is
}

void forgetLinePath(Handle path) {
    if (LinePath* known = linePathOf(path)) *known = LinePath{};
}

void emptyLinePath(Handle path) {
    if (LinePath* known = linePathOf(path)) {
        known->lines = 0;
        known->onlyLines = true;
        known->figureOpen = false;
    }
}

void addPathLine(Handle path, float x1, float y1, float x2, float y2) {
    LinePath* followed = followLinePath(path);
    if (followed == nullptr) return;
    if (followed->figureOpen || followed->lines == kMostPathLines) {
        followed->onlyLines = false;
        return;
    }
    float* ends = followed->ends[followed->lines++];
    ends[0] = x1;
    ends[1] = y1;
    ends[2] = x2;
    ends[3] = y2;
    followed->figureOpen = true;
}

void startPathFigure(Handle path) {
    if (LinePath* followed = linePathOf(path)) followed->figureOpen = false;
}

// True when the path's lines were stroked one by one (their last failure in
// `status`); false: libgdiplus strokes the path itself.
bool strokedLineByLine(Handle graphics, Handle pen, Handle path, Status& status) {
    static const auto drawLine = following<Status (*)(Handle, Handle, float, float, float, float)>("GdipDrawLine");
    const LinePath* followed = linePathOf(path);
    if (followed == nullptr || !followed->onlyLines || followed->lines == 0) return false;
    Forwarded forwarded;
    status = kOk;
    for (int line = 0; line < followed->lines; ++line) {
        const float* ends = followed->ends[line];
        const Status drawn = drawLine(graphics, pen, ends[0], ends[1], ends[2], ends[3]);
        if (drawn != kOk) status = drawn;
    }
    return true;
}

}  // namespace

LAYER_CREATE(GdipCreatePath, (int32_t fillMode, Handle* path), (fillMode, path), path)
LAYER_USE_WITH(GdipResetPath, (Handle path), (path), emptyLinePath(path))
LAYER_USE_WITH(GdipStartPathFigure, (Handle path), (path), startPathFigure(path))
LAYER_USE_WITH(GdipAddPathLine, (Handle path, float x1, float y1, float x2, float y2), (path, x1, y1, x2, y2),
               addPathLine(path, x1, y1, x2, y2))
LAYER_USE_WITH(GdipDrawPath, (Handle graphics, Handle pen, Handle path), (graphics, pen, path), {
    freshenPenSetUp(graphics);
    if (Status status = kOk; strokedLineByLine(graphics, pen, path, status)) return status;
})
LAYER_DELETE(GdipDeletePath, (Handle path), (path), (forgetLinePath(path), path))

LAYER_CREATE(GdipCreateMatrix, (Handle* matrix), (matrix), matrix)
LAYER_USE(GdipSetMatrixElements, (Handle matrix, float m11, float m12, float m21, float m22, float dx, float dy),
          (matrix, m11, m12, m21, m22, dx, dy))
LAYER_USE(GdipRotateMatrix, (Handle matrix, float angle, int32_t order), (matrix, angle, order))
LAYER_USE(GdipTranslateMatrix, (Handle matrix, float dx, float dy, int32_t order), (matrix, dx, dy, order))
LAYER_USE(GdipTransformMatrixPoints, (Handle matrix, void* points, int32_t count), (matrix, points, count))
LAYER_DELETE(GdipDeleteMatrix, (Handle matrix), (matrix), matrix)
