// The stand-in host's Windows parts under a real Windows loader and GDI
// (Wine): DIB-section surfaces of 32 and 16 bits in memory device contexts,
// their pixels and PNG files, and module loading with LoadLibrary; then the
// built Quillon.dll drawn through the host on both kinds of surface.
// Exit code 0 when everything held.
#include <windows.h>

#include <cstdio>
#include <stdexcept>
#include <string>

#include "sim/GdiPlusHost.h"
#include "sim/GdiPlusSession.h"
#include "sim/Host.h"
#include "sim/ModuleLoader.h"
#include "sim/Surface.h"
#include "sim/SurfaceDibSection.h"
#include "tests/windows/CheckReport.h"

extern "C" simgdip::GpStatus SIM_GDIPAPI GdipCreateBitmapFromFile(const wchar_t* fileName, simgdip::GpBitmap** bitmap);

namespace {

using checks::check;

std::string hex(uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "%08x", static_cast<unsigned>(value));
    return text;
}

void fill(sim::Surface& surface, COLORREF colour) {
    HBRUSH brush = CreateSolidBrush(colour);
    RECT all{0, 0, surface.capacityWidth(), surface.capacityHeight()};
    FillRect(static_cast<HDC>(surface.deviceContext()), &all, brush);
    DeleteObject(brush);
}

// Reads a pixel of a PNG file back through GDI+.
bool filePixel(const std::string& path, int x, int y, uint32_t& colour) {
    sim::ensureGdiPlusStarted();
    const std::wstring wide(path.begin(), path.end());
    simgdip::GpBitmap* bitmap = nullptr;
    if (GdipCreateBitmapFromFile(wide.c_str(), &bitmap) != simgdip::kOk) return false;
    const bool ok = simgdip::GdipBitmapGetPixel(bitmap, x, y, &colour) == simgdip::kOk;
    simgdip::GdipDisposeImage(reinterpret_cast<simgdip::GpImage*>(bitmap));
    return ok;
}

template <typename Exception, typename Action>
bool throwsAs(Action action) {
    try {
        action();
    } catch (const Exception&) {
        return true;
    } catch (...) {
    }
    return false;
}

void checkSurface(int bits, const std::string& folder) {
    const std::string kind = std::to_string(bits) + "-bit surface: ";
    sim::setDibSectionBitsPerPixel(bits);
    std::unique_ptr<sim::Surface> surface = sim::makeSurface(30, 20, 40, 25);
    check(surface->deviceContext() != nullptr, kind + "has a device context");
    check(GetObjectType(static_cast<HGDIOBJ>(surface->deviceContext())) == OBJ_MEMDC,
          kind + "device context is a memory DC");
    check(surface->pixel(29, 19) == 0xff000000u, kind + "starts opaque black, reads " + hex(surface->pixel(29, 19)));

    // A colour with low bits in every channel: a 16-bit surface keeps the
    // top five bits of each and reads them back widened.
    fill(*surface, RGB(0x1e, 0x0f, 0xc7));
    const uint32_t expected = bits == 32 ? 0xff1e0fc7u : 0xff1808c6u;
    check(surface->pixel(3, 4) == expected, kind + "reads " + hex(surface->pixel(3, 4)) + ", expected " + hex(expected));
    SetPixel(static_cast<HDC>(surface->deviceContext()), 7, 11, RGB(0xff, 0x80, 0x00));
    const uint32_t point = bits == 32 ? 0xffff8000u : 0xffff8400u;
    check(surface->pixel(7, 11) == point, kind + "single pixel reads " + hex(surface->pixel(7, 11)));

    check(throwsAs<std::out_of_range>([&] { surface->pixel(30, 0); }), kind + "pixel beyond the width throws");
    check(throwsAs<std::invalid_argument>([&] { surface->setSize(41, 20); }), kind + "size beyond capacity throws");
    void* before = surface->deviceContext();
    surface->setSize(40, 25);
    check(surface->deviceContext() == before && surface->width() == 40, kind + "resizing keeps the device context");
    check(surface->pixel(39, 24) == expected, kind + "the capacity was filled too");

    const std::string path = folder + "\\surface-" + std::to_string(bits) + ".png";
    surface->savePng(path);
    uint32_t saved = 0;
    check(filePixel(path, 7, 11, saved) && saved == point, kind + "PNG keeps the pixel, reads " + hex(saved));
    check(filePixel(path, 39, 24, saved) && saved == expected, kind + "PNG is opaque and complete");
}

void checkLoader(const std::string& modulePath) {
    std::string error;
    check(sim::openModuleLibrary("Z:\\no\\such\\Quillon.dll", error) == nullptr, "missing module gives no library");
    check(error.find("no\\such\\Quillon.dll") != std::string::npos, "the error names the file: " + error);

    std::unique_ptr<sim::ModuleLibrary> library = sim::openModuleLibrary(modulePath, error);
    check(library != nullptr, "module loads: " + error);
    if (!library) return;
    check(library->symbol("ImportTable") != nullptr && library->symbol("Linkage") != nullptr,
          "both records found by name");
    check(library->symbol("NoSuchRecord") == nullptr, "an unknown name finds nothing");
    check(sim::moduleLibraryStillLoaded(modulePath), "loaded while open");
    library.reset();
    check(!sim::moduleLibraryStillLoaded(modulePath), "unloaded once closed");
}

// The module through the host on a real HDC: cleared to its scheme's
// colour, with ink at the centre where the spokes meet.
void checkDrawing(const std::string& modulePath, int bits, uint32_t background) {
    const std::string kind = std::to_string(bits) + "-bit gauge: ";
    sim::setDibSectionBitsPerPixel(bits);
    sim::Host host(modulePath);
    check(host.loaded(), kind + "host loads the module: " + host.error());
    if (!host.loaded()) return;
    sim::Window& window = host.openWindow("Circular Green", 200, 200);
    host.frames(3);
    check(window.pixel(2, 197) == background, kind + "corner reads " + hex(window.pixel(2, 197)));
    check(window.pixel(100, 100) != background, kind + "centre has ink");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s PATH-TO-Quillon.dll SCRATCH_FOLDER\n", argv[0]);
        return 2;
    }
    const std::string modulePath = argv[1];
    const std::string folder = argv[2];
    CreateDirectoryA(folder.c_str(), nullptr);
    try {
        checkSurface(32, folder);
        checkSurface(16, folder);
        check(throwsAs<std::invalid_argument>([] { sim::setDibSectionBitsPerPixel(24); }),
              "24-bit sections are refused");
        checkLoader(modulePath);
        checkDrawing(modulePath, 32, 0xff001400u);
        checkDrawing(modulePath, 16, 0xff001000u);
    } catch (const std::exception& error) {
        check(false, std::string("unexpected exception: ") + error.what());
    }
    return checks::finish("stand-in host surfaces, loader and drawing hold under Windows GDI");
}
