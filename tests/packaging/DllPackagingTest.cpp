// What the host and Windows see of the built Quillon.dll: the two exported
// records, the DLLs it needs, its bitmaps and its version.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <set>
#include <string>

#include "tools/pe-image/PeImage.h"

#ifndef QUILLON_DLL_I686
#define QUILLON_DLL_I686 ""
#endif
#ifndef QUILLON_DLL_X64
#define QUILLON_DLL_X64 ""
#endif

namespace packaging {
namespace {

struct DllUnderTest {
    const char* label;
    const char* path;
    uint16_t machine;
};

std::string lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

bool startsWith(const std::string& text, const std::string& prefix) { return text.compare(0, prefix.size(), prefix) == 0; }

const Resource* findResource(const std::vector<Resource>& all, uint32_t type, uint32_t id) {
    for (const Resource& r : all)
        if (r.type.isNumber && r.type.number == type && r.name.isNumber && r.name.number == id) return &r;
    return nullptr;
}

// A device-independent bitmap as a resource holds it: info header, palette, rows.
struct Dib {
    int32_t width = 0;
    int32_t height = 0;  // rows, whatever their order
    uint16_t bitCount = 0;
    uint32_t compression = 0;
    uint32_t paletteEntries = 0;
    std::vector<uint32_t> palette;  // 0x00RRGGBB
    std::vector<uint8_t> bits;
    size_t stride = 0;

    uint32_t indexAt(int32_t x, int32_t y) const { return bits[static_cast<size_t>(y) * stride + static_cast<size_t>(x)]; }
    uint32_t colourAt(int32_t x, int32_t y) const {
        const size_t row = static_cast<size_t>(y) * stride;
        switch (bitCount) {
        case 8: return palette.at(indexAt(x, y));
        case 24:
        case 32: {
            const size_t at = row + static_cast<size_t>(x) * (bitCount / 8);
            return static_cast<uint32_t>(bits[at] | (bits[at + 1] << 8) | (bits[at + 2] << 16));
        }
        default: return 0xffffffffu;  // not a format the module ships
        }
    }
};

uint32_t le32(const std::vector<uint8_t>& d, size_t at) {
    return static_cast<uint32_t>(d.at(at) | (d.at(at + 1) << 8) | (d.at(at + 2) << 16) | (static_cast<uint32_t>(d.at(at + 3)) << 24));
}

Dib decodeDib(const std::vector<uint8_t>& data) {
    Dib dib;
    const uint32_t headerSize = le32(data, 0);
    dib.width = static_cast<int32_t>(le32(data, 4));
    dib.height = std::abs(static_cast<int32_t>(le32(data, 8)));
    dib.bitCount = static_cast<uint16_t>(data.at(14) | (data.at(15) << 8));
    dib.compression = le32(data, 16);
    const uint32_t coloursUsed = le32(data, 32);
    dib.paletteEntries = dib.bitCount <= 8 ? (coloursUsed ? coloursUsed : (1u << dib.bitCount)) : coloursUsed;
    size_t at = headerSize;
    for (uint32_t i = 0; i < dib.paletteEntries; ++i, at += 4)
        dib.palette.push_back(le32(data, at) & 0x00ffffffu);
    dib.stride = ((static_cast<size_t>(dib.width) * dib.bitCount + 31) / 32) * 4;
    if (at + dib.stride * static_cast<size_t>(dib.height) <= data.size())
        dib.bits.assign(data.begin() + static_cast<std::ptrdiff_t>(at), data.end());
    return dib;
}

// Names the parameter in test listings by its build.
void PrintTo(const DllUnderTest& dll, std::ostream* out) { *out << dll.label; }

class DllPackaging : public ::testing::TestWithParam<DllUnderTest> {
protected:
    void SetUp() override {
        if (GetParam().path[0] == '\0')
            GTEST_SKIP() << "no " << GetParam().label << " DLL given to this build (make test passes it)";
        image_ = std::make_unique<PeImage>(GetParam().path);
    }

    uint32_t pointerSize() const { return image_->isPe32Plus() ? 8 : 4; }

    // A pointer stored in a record, as an RVA inside the image.
    uint32_t pointee(uint32_t rva) const {
        const uint64_t address = image_->pointerAt(rva);
        const std::optional<uint32_t> target = image_->rvaOfAddress(address);
        if (!target) ADD_FAILURE() << "pointer at RVA " << rva << " leaves the image: " << address;
        return target.value_or(0);
    }

    uint32_t exportRva(const std::string& name) const {
        for (const Export& e : image_->exports())
            if (e.name == name) return e.rva;
        ADD_FAILURE() << name << " is not exported";
        return 0;
    }

    std::unique_ptr<PeImage> image_;
};

// The host loads many gauge DLLs into one process: Quillon.dll must load
// wherever Windows places it, so it keeps its base relocations.
TEST_P(DllPackaging, IsARelocatableDllForTheTargetMachine) {
    EXPECT_EQ(image_->machine(), GetParam().machine);
    EXPECT_EQ(image_->isPe32Plus(), GetParam().machine == kMachineAmd64);
    EXPECT_NE(image_->characteristics() & 0x2000, 0) << "not marked as a DLL";
    EXPECT_EQ(image_->characteristics() & 0x0001, 0) << "relocations stripped";
    EXPECT_NE(image_->directory(kDirectoryBaseRelocation).size, 0u) << "no base relocations";
}

TEST_P(DllPackaging, ExportsExactlyTheTwoRecordsUndecoratedAsData) {
    EXPECT_EQ(image_->exportDirectoryName(), "Quillon.dll");

    std::set<std::string> names;
    for (const Export& e : image_->exports()) {
        names.insert(e.name);
        EXPECT_FALSE(e.forwarded) << e.name;
        const Section* section = image_->sectionAt(e.rva);
        ASSERT_NE(section, nullptr) << e.name << " points outside every section";
        EXPECT_EQ(section->characteristics & (kSectionCode | kSectionExecute), 0u)
            << e.name << " points into code (section " << section->name << ")";
    }
    EXPECT_EQ(names, (std::set<std::string>{"ImportTable", "Linkage"}));
    EXPECT_EQ(image_->exports().size(), 2u);

    // The host writes its panel-function table into ImportTable.
    const Section* importTable = image_->sectionAt(exportRva("ImportTable"));
    ASSERT_NE(importTable, nullptr);
    EXPECT_NE(importTable->characteristics & kSectionWrite, 0u) << "ImportTable is read-only";
}

// The host reads both records straight from the image, before running any
// code of the module, so their contents must be right as stored.
TEST_P(DllPackaging, ExportedRecordsReadAsTheHostExpects) {
    const uint32_t p = pointerSize();
    const uint32_t importTable = exportRva("ImportTable");
    EXPECT_EQ(image_->u32At(importTable), 0x0Fu);
    EXPECT_EQ(image_->pointerAt(importTable + p), 0u) << "panel table slot must start empty";
    EXPECT_EQ(image_->u32At(importTable + 2 * p), 0u);
    EXPECT_EQ(image_->pointerAt(importTable + 3 * p), 0u);

    const uint32_t linkage = exportRva("Linkage");
    const uint32_t versionOffset = 3 * p + 8;
    const uint32_t gaugesOffset = (versionOffset + 4 + p - 1) / p * p;
    EXPECT_EQ(image_->u32At(linkage), 0x13u);
    EXPECT_EQ(image_->u32At(linkage + versionOffset), 0x900u);

    const std::vector<Resource> resources = image_->resources();
    const char* expectedNames[] = {"Rectangular Green", "Rectangular Amber", "Circular Green", "Circular Amber"};
    for (uint32_t i = 0; i < 4; ++i) {
        SCOPED_TRACE(expectedNames[i]);
        ASSERT_NE(image_->pointerAt(linkage + gaugesOffset + i * p), 0u);
        const uint32_t header = pointee(linkage + gaugesOffset + i * p);
        EXPECT_EQ(image_->u32At(header), 800u) << "header version";
        EXPECT_EQ(image_->stringAt(pointee(header + p)), expectedNames[i]);

        // Every element's image must be a bitmap the DLL carries.
        const uint32_t elementList = pointee(header + 2 * p);
        const uint32_t background = pointee(elementList);
        const uint32_t bitmapId = image_->u32At(background + 4);
        EXPECT_NE(findResource(resources, kResourceBitmap, bitmapId), nullptr) << "bitmap " << bitmapId;
    }
    EXPECT_EQ(image_->pointerAt(linkage + gaugesOffset + 4 * p), 0u) << "gauge list is not terminated";
}

// The DLL is copied alone into the simulator's gauge folder: it may need
// nothing but Windows' own DLLs and gdiplus.dll, by undecorated names. Of
// gdi32 it takes only what hands the finished picture to the host, or finds
// the host surface's pixels to compose it in.
TEST_P(DllPackaging, ImportsOnlySystemDllsAndGdiplus) {
    const std::set<std::string> blit = {"CreateCompatibleDC", "DeleteDC",     "CreateDIBSection", "SelectObject",
                                        "DeleteObject",       "BitBlt",       "GdiFlush",
                                        "GetCurrentObject",   "GetObjectW"};
    std::set<std::string> gdiFunctions;
    const std::set<std::string> allowed = {"kernel32.dll", "msvcrt.dll", "user32.dll",
                                           "gdi32.dll",    "gdiplus.dll", "winmm.dll"};
    std::set<std::string> seen;
    for (const ImportedDll& dll : image_->imports()) {
        const std::string name = lower(dll.name);
        seen.insert(name);
        EXPECT_TRUE(allowed.count(name)) << "imports from " << dll.name;
        for (const ImportedFunction& f : dll.functions) {
            EXPECT_EQ(f.name.find('@'), std::string::npos) << dll.name << " by decorated name " << f.name;
            if (name == "gdi32.dll") {
                EXPECT_FALSE(f.ordinal.has_value()) << "gdi32.dll by ordinal";
                EXPECT_TRUE(blit.count(f.name)) << "unexpected gdi32.dll function " << f.name;
                gdiFunctions.insert(f.name);
            }
            if (name == "winmm.dll") EXPECT_EQ(f.name, "PlaySoundW") << "winmm.dll: only the advisories' voice";
            if (name != "gdiplus.dll") continue;
            EXPECT_FALSE(f.ordinal.has_value()) << "gdiplus.dll by ordinal";
            EXPECT_TRUE(startsWith(f.name, "Gdip") || f.name == "GdiplusStartup" || f.name == "GdiplusShutdown")
                << "unexpected gdiplus.dll function " << f.name;
        }
    }
    EXPECT_TRUE(seen.count("gdiplus.dll")) << "draws without GDI+?";
    EXPECT_TRUE(seen.count("kernel32.dll"));
    EXPECT_EQ(gdiFunctions, blit) << "the picture composed off the surface reaches it without its blit?";
    EXPECT_TRUE(image_->delayImports().empty()) << "delay-loaded DLLs hide dependencies";
}

// A DLL loaded by LoadLibrary on older Windows gets no static TLS slot and
// no TLS callbacks; the module must not rely on either.
TEST_P(DllPackaging, HasNoThreadLocalStorageDirectory) {
    const DataDirectory tls = image_->directory(kDirectoryTls);
    EXPECT_EQ(tls.rva, 0u);
    EXPECT_EQ(tls.size, 0u);
}

// The advisories' voice travels inside the DLL: a small mono PCM WAV under
// the number the module plays, of the type PlaySound looks for.
TEST_P(DllPackaging, CarriesTheAdvisoryVoiceAsASmallWave) {
    const std::vector<Resource> resources = image_->resources();
    const Resource* voice = nullptr;
    for (const Resource& r : resources)
        if (!r.type.isNumber && r.type.name == "WAVE" && r.name.isNumber && r.name.number == 4608) voice = &r;
    ASSERT_NE(voice, nullptr) << "WAVE 4608 missing";
    const std::vector<uint8_t>& d = voice->data;
    ASSERT_GT(d.size(), 44u);
    EXPECT_LT(d.size(), 40u * 1024u);
    EXPECT_EQ(std::string(d.begin(), d.begin() + 4), "RIFF");
    EXPECT_EQ(std::string(d.begin() + 8, d.begin() + 12), "WAVE");
    const auto u16 = [&](size_t at) { return static_cast<unsigned>(d[at] | d[at + 1] << 8); };
    const auto u32 = [&](size_t at) { return static_cast<uint32_t>(u16(at) | u16(at + 2) << 16); };
    EXPECT_EQ(u16(20), 1u) << "PCM";
    EXPECT_EQ(u16(22), 1u) << "mono";
    EXPECT_GE(u32(24), 8000u);
    EXPECT_LE(u32(24), 16000u);
}

TEST_P(DllPackaging, CarriesBlackBitmapsUnderNumericIds) {
    const std::vector<Resource> resources = image_->resources();
    for (const Resource& r : resources) {
        EXPECT_TRUE(r.name.isNumber) << "resource named \"" << r.name.name << "\": the host looks up by number";
        // PlaySound finds its sounds under the type named WAVE.
        EXPECT_TRUE(r.type.isNumber || r.type.name == "WAVE") << "resource type named \"" << r.type.name << "\"";
    }

    const Resource* gaugeImage = findResource(resources, kResourceBitmap, 4096);
    ASSERT_NE(gaugeImage, nullptr) << "bitmap 4096 missing";
    const Dib image = decodeDib(gaugeImage->data);
    EXPECT_EQ(image.width, 100);
    EXPECT_EQ(image.height, 100);
    EXPECT_EQ(image.bitCount, 8);
    EXPECT_EQ(image.compression, 0u);
    EXPECT_EQ(image.paletteEntries, 256u);
    ASSERT_FALSE(image.bits.empty()) << "pixel rows truncated";
    ASSERT_FALSE(image.palette.empty());
    EXPECT_EQ(image.palette[0], 0u) << "palette entry 0 is not black";
    size_t nonZero = 0;
    for (int32_t y = 0; y < image.height; ++y)
        for (int32_t x = 0; x < image.width; ++x) nonZero += image.indexAt(x, y) != 0;
    EXPECT_EQ(nonZero, 0u) << "pixels with a palette index other than 0";

    const Resource* small = findResource(resources, kResourceBitmap, 4352);
    ASSERT_NE(small, nullptr) << "bitmap 4352 missing";
    const Dib smallImage = decodeDib(small->data);
    EXPECT_EQ(smallImage.width, 10);
    EXPECT_EQ(smallImage.height, 10);
    ASSERT_FALSE(smallImage.bits.empty()) << "pixel rows truncated";
    size_t notBlack = 0;
    for (int32_t y = 0; y < smallImage.height; ++y)
        for (int32_t x = 0; x < smallImage.width; ++x) notBlack += smallImage.colourAt(x, y) != 0;
    EXPECT_EQ(notBlack, 0u);
}

TEST_P(DllPackaging, VersionIs200) {
    const std::vector<Resource> resources = image_->resources();
    const Resource* version = findResource(resources, kResourceVersion, 1);
    ASSERT_NE(version, nullptr) << "no version resource";
    const VersionBlock root = parseVersionBlock(version->data);
    EXPECT_EQ(root.key, "VS_VERSION_INFO");

    const FixedFileVersion fixed = fixedFileVersion(root);
    EXPECT_EQ(fixed.signature, 0xFEEF04BDu);
    EXPECT_EQ(fixed.fileVersionMs, 0x00020000u);
    EXPECT_EQ(fixed.fileVersionLs, 0u);
    EXPECT_EQ(fixed.productVersionMs, 0x00020000u);
    EXPECT_EQ(fixed.productVersionLs, 0u);
    EXPECT_EQ(fixed.fileType, 2u) << "file type is not DLL";

    EXPECT_EQ(versionString(root, "FileVersion").value_or("<none>"), "2.0.0");
    EXPECT_EQ(versionString(root, "ProductVersion").value_or("<none>"), "2.0.0");
    EXPECT_EQ(versionString(root, "ProductName").value_or("<none>"), "Quillon");
    EXPECT_EQ(versionString(root, "OriginalFilename").value_or("<none>"), "Quillon.dll");
    EXPECT_FALSE(versionString(root, "FileDescription").value_or("").empty());
}

INSTANTIATE_TEST_SUITE_P(Builds, DllPackaging,
                         ::testing::Values(DllUnderTest{"i686", QUILLON_DLL_I686, kMachineI386},
                                           DllUnderTest{"x64", QUILLON_DLL_X64, kMachineAmd64}),
                         [](const ::testing::TestParamInfo<DllUnderTest>& info) { return std::string(info.param.label); });

}  // namespace
}  // namespace packaging
