// quillon-dll-version DLL
// Prints the file version from a Windows DLL's version resource as
// "major.minor.build.revision"; the release zip is named after it, so the
// name always says which build it holds.
#include <cstdint>
#include <cstdio>
#include <exception>

#include "tools/pe-image/PeImage.h"

namespace {

constexpr uint32_t kFixedFileInfoSignature = 0xFEEF04BD;
constexpr uint32_t kVersionResourceId = 1;

int printVersion(const char* path) {
    const packaging::PeImage image(path);
    for (const packaging::Resource& resource : image.resources()) {
        if (!resource.type.isNumber || resource.type.number != packaging::kResourceVersion) continue;
        if (!resource.name.isNumber || resource.name.number != kVersionResourceId) continue;
        const packaging::FixedFileVersion fixed = packaging::fixedFileVersion(packaging::parseVersionBlock(resource.data));
        if (fixed.signature != kFixedFileInfoSignature) break;
        std::printf("%u.%u.%u.%u\n", fixed.fileVersionMs >> 16, fixed.fileVersionMs & 0xffffu,
                    fixed.fileVersionLs >> 16, fixed.fileVersionLs & 0xffffu);
        return 0;
    }
    std::fprintf(stderr, "%s: no version resource with a fixed file version\n", path);
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: quillon-dll-version DLL\n");
        return 2;
    }
    try {
        return printVersion(argv[1]);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s: %s\n", argv[1], error.what());
        return 1;
    }
}
