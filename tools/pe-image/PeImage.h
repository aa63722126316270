// A small reader of Windows PE images (32- and 64-bit), enough to check what
// the host sees of a built DLL: headers, sections, exports, imports, the TLS
// directory and the resource tree. Reads the file as stored (preferred base,
// no relocations applied). Malformed input throws std::runtime_error.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace packaging {

constexpr uint16_t kMachineI386 = 0x014c;
constexpr uint16_t kMachineAmd64 = 0x8664;

enum DirectoryIndex : int {
    kDirectoryExport = 0,
    kDirectoryImport = 1,
    kDirectoryResource = 2,
    kDirectoryBaseRelocation = 5,
    kDirectoryTls = 9,
    kDirectoryDelayImport = 13,
};

constexpr uint32_t kSectionCode = 0x00000020;
constexpr uint32_t kSectionExecute = 0x20000000;
constexpr uint32_t kSectionRead = 0x40000000;
constexpr uint32_t kSectionWrite = 0x80000000;

constexpr uint32_t kResourceBitmap = 2;
constexpr uint32_t kResourceVersion = 16;

struct DataDirectory {
    uint32_t rva = 0;
    uint32_t size = 0;
};

struct Section {
    std::string name;
    uint32_t rva = 0;
    uint32_t virtualSize = 0;
    uint32_t fileOffset = 0;
    uint32_t fileSize = 0;
    uint32_t characteristics = 0;
};

struct Export {
    std::string name;
    uint32_t rva = 0;
    bool forwarded = false;
};

struct ImportedFunction {
    std::string name;  // empty when imported by ordinal
    std::optional<uint16_t> ordinal;
};

struct ImportedDll {
    std::string name;
    std::vector<ImportedFunction> functions;
};

// A resource id: either a number or a (UTF-16) name, kept as narrow text.
struct ResourceId {
    bool isNumber = true;
    uint32_t number = 0;
    std::string name;
};

struct Resource {
    ResourceId type;
    ResourceId name;
    uint32_t language = 0;
    std::vector<uint8_t> data;
};

class PeImage {
public:
    explicit PeImage(const std::string& path);

    uint16_t machine() const { return machine_; }
    bool isPe32Plus() const { return pe32Plus_; }
    uint64_t imageBase() const { return imageBase_; }
    uint32_t imageSize() const { return imageSize_; }
    uint16_t characteristics() const { return characteristics_; }
    const std::vector<Section>& sections() const { return sections_; }
    DataDirectory directory(int index) const;

    // The section that holds an RVA, or null.
    const Section* sectionAt(uint32_t rva) const;

    // Bytes at an RVA as stored in the file; bytes beyond a section's raw
    // data but inside its virtual size read as zero (uninitialised data).
    std::vector<uint8_t> bytesAt(uint32_t rva, uint32_t count) const;
    uint32_t u32At(uint32_t rva) const;
    uint64_t u64At(uint32_t rva) const;
    uint64_t pointerAt(uint32_t rva) const;  // 4 or 8 bytes, as the image is
    std::string stringAt(uint32_t rva, size_t limit = 4096) const;

    // RVA of a virtual address with the preferred image base, if inside the image.
    std::optional<uint32_t> rvaOfAddress(uint64_t address) const;

    std::string exportDirectoryName() const;
    std::vector<Export> exports() const;
    std::vector<ImportedDll> imports() const;
    std::vector<ImportedDll> delayImports() const;
    std::vector<Resource> resources() const;

private:
    std::vector<uint8_t> file_;
    uint16_t machine_ = 0;
    uint16_t characteristics_ = 0;
    bool pe32Plus_ = false;
    uint64_t imageBase_ = 0;
    uint32_t imageSize_ = 0;
    std::vector<DataDirectory> directories_;
    std::vector<Section> sections_;

    template <typename T>
    T fileValue(size_t offset) const;
    std::vector<ImportedFunction> importedFunctions(uint32_t thunkRva) const;
    void readResourceDirectory(uint32_t root, uint32_t offset, int level, Resource partial,
                               std::vector<Resource>& out) const;
    ResourceId resourceId(uint32_t root, uint32_t nameField) const;
};

// A parsed version-information block (VS_VERSIONINFO and its children).
struct VersionBlock {
    std::string key;
    bool isText = false;
    std::vector<uint8_t> value;  // binary value, or the text's UTF-16 bytes
    std::string text;            // the text value, narrowed (ASCII)
    std::vector<VersionBlock> children;

    const VersionBlock* child(const std::string& name) const;
};

VersionBlock parseVersionBlock(const std::vector<uint8_t>& data);

struct FixedFileVersion {
    uint32_t signature = 0;
    uint32_t fileVersionMs = 0;
    uint32_t fileVersionLs = 0;
    uint32_t productVersionMs = 0;
    uint32_t productVersionLs = 0;
    uint32_t fileType = 0;
};

FixedFileVersion fixedFileVersion(const VersionBlock& root);

// The value of StringFileInfo/<any table>/<key>, if present.
std::optional<std::string> versionString(const VersionBlock& root, const std::string& key);

}  // namespace packaging
