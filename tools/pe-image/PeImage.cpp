#include "tools/pe-image/PeImage.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace packaging {

namespace {

[[noreturn]] void fail(const std::string& what) { throw std::runtime_error("PE image: " + what); }

std::string narrow(const std::u16string& wide) {
    std::string out;
    for (char16_t c : wide) out.push_back(c < 0x80 ? static_cast<char>(c) : '?');
    return out;
}

constexpr uint32_t kHighBit = 0x80000000u;

}  // namespace

PeImage::PeImage(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) fail("cannot open " + path);
    file_.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());

    if (file_.size() < 64 || file_[0] != 'M' || file_[1] != 'Z') fail("no MZ header");
    const uint32_t peOffset = fileValue<uint32_t>(0x3c);
    if (fileValue<uint32_t>(peOffset) != 0x00004550u) fail("no PE signature");

    const size_t coff = peOffset + 4;
    machine_ = fileValue<uint16_t>(coff);
    const uint16_t sectionCount = fileValue<uint16_t>(coff + 2);
    const uint16_t optionalSize = fileValue<uint16_t>(coff + 16);
    characteristics_ = fileValue<uint16_t>(coff + 18);

    const size_t optional = coff + 20;
    const uint16_t magic = fileValue<uint16_t>(optional);
    if (magic == 0x10b) {
        pe32Plus_ = false;
        imageBase_ = fileValue<uint32_t>(optional + 28);
    } else if (magic == 0x20b) {
        pe32Plus_ = true;
        imageBase_ = fileValue<uint64_t>(optional + 24);
    } else {
        fail("unknown optional header magic");
    }
    imageSize_ = fileValue<uint32_t>(optional + 56);

    const size_t directoryCountOffset = optional + (pe32Plus_ ? 108 : 92);
    const uint32_t directoryCount = fileValue<uint32_t>(directoryCountOffset);
    if (directoryCount > 16) fail("too many data directories");
    for (uint32_t i = 0; i < directoryCount; ++i) {
        const size_t entry = directoryCountOffset + 4 + i * 8;
        directories_.push_back({fileValue<uint32_t>(entry), fileValue<uint32_t>(entry + 4)});
    }

    const size_t sectionTable = optional + optionalSize;
    for (uint16_t i = 0; i < sectionCount; ++i) {
        const size_t header = sectionTable + i * 40u;
        if (header + 40 > file_.size()) fail("section table past end of file");
        Section section;
        section.name.assign(reinterpret_cast<const char*>(&file_[header]), strnlen(reinterpret_cast<const char*>(&file_[header]), 8));
        section.virtualSize = fileValue<uint32_t>(header + 8);
        section.rva = fileValue<uint32_t>(header + 12);
        section.fileSize = fileValue<uint32_t>(header + 16);
        section.fileOffset = fileValue<uint32_t>(header + 20);
        section.characteristics = fileValue<uint32_t>(header + 36);
        sections_.push_back(section);
    }
}

template <typename T>
T PeImage::fileValue(size_t offset) const {
    if (offset + sizeof(T) > file_.size() || offset + sizeof(T) < offset) fail("read past end of file");
    T value;
    std::memcpy(&value, &file_[offset], sizeof(T));  // the images and this host are little-endian
    return value;
}

DataDirectory PeImage::directory(int index) const {
    if (index < 0 || static_cast<size_t>(index) >= directories_.size()) return {};
    return directories_[index];
}

const Section* PeImage::sectionAt(uint32_t rva) const {
    for (const Section& section : sections_) {
        const uint32_t extent = section.virtualSize ? section.virtualSize : section.fileSize;
        if (rva >= section.rva && rva - section.rva < extent) return &section;
    }
    return nullptr;
}

std::vector<uint8_t> PeImage::bytesAt(uint32_t rva, uint32_t count) const {
    std::vector<uint8_t> out;
    out.reserve(count);
    for (uint32_t i = 0; i < count; ++i) {
        const uint32_t at = rva + i;
        const Section* section = sectionAt(at);
        if (!section) fail("RVA outside every section");
        const uint32_t within = at - section->rva;
        if (within < section->fileSize) {
            const size_t offset = static_cast<size_t>(section->fileOffset) + within;
            if (offset >= file_.size()) fail("section data past end of file");
            out.push_back(file_[offset]);
        } else {
            out.push_back(0);
        }
    }
    return out;
}

uint32_t PeImage::u32At(uint32_t rva) const {
    const std::vector<uint8_t> bytes = bytesAt(rva, 4);
    uint32_t value;
    std::memcpy(&value, bytes.data(), 4);
    return value;
}

uint64_t PeImage::u64At(uint32_t rva) const {
    const std::vector<uint8_t> bytes = bytesAt(rva, 8);
    uint64_t value;
    std::memcpy(&value, bytes.data(), 8);
    return value;
}

uint64_t PeImage::pointerAt(uint32_t rva) const { return pe32Plus_ ? u64At(rva) : u32At(rva); }

std::string PeImage::stringAt(uint32_t rva, size_t limit) const {
    std::string out;
    for (size_t i = 0; i < limit; ++i) {
        const uint8_t c = bytesAt(rva + static_cast<uint32_t>(i), 1)[0];
        if (c == 0) return out;
        out.push_back(static_cast<char>(c));
    }
    fail("unterminated string");
}

std::optional<uint32_t> PeImage::rvaOfAddress(uint64_t address) const {
    if (address < imageBase_ || address - imageBase_ >= imageSize_) return std::nullopt;
    return static_cast<uint32_t>(address - imageBase_);
}

std::string PeImage::exportDirectoryName() const {
    const DataDirectory dir = directory(kDirectoryExport);
    if (dir.rva == 0) return {};
    return stringAt(u32At(dir.rva + 12));
}

std::vector<Export> PeImage::exports() const {
    std::vector<Export> out;
    const DataDirectory dir = directory(kDirectoryExport);
    if (dir.rva == 0) return out;
    const uint32_t functionCount = u32At(dir.rva + 20);
    const uint32_t nameCount = u32At(dir.rva + 24);
    const uint32_t functions = u32At(dir.rva + 28);
    const uint32_t names = u32At(dir.rva + 32);
    const uint32_t ordinals = u32At(dir.rva + 36);
    if (nameCount > 65536 || functionCount > 65536) fail("implausible export counts");

    std::vector<bool> named(functionCount, false);
    for (uint32_t i = 0; i < nameCount; ++i) {
        Export e;
        e.name = stringAt(u32At(names + i * 4));
        const std::vector<uint8_t> ordinalBytes = bytesAt(ordinals + i * 2, 2);
        const uint16_t index = static_cast<uint16_t>(ordinalBytes[0] | (ordinalBytes[1] << 8));
        if (index >= functionCount) fail("export ordinal out of range");
        named[index] = true;
        e.rva = u32At(functions + index * 4u);
        e.forwarded = e.rva >= dir.rva && e.rva - dir.rva < dir.size;
        out.push_back(e);
    }
    // Exports by ordinal only show up with an empty name.
    for (uint32_t index = 0; index < functionCount; ++index) {
        if (named[index]) continue;
        const uint32_t rva = u32At(functions + index * 4);
        if (rva != 0) out.push_back({std::string(), rva, false});
    }
    return out;
}

std::vector<ImportedFunction> PeImage::importedFunctions(uint32_t thunkRva) const {
    std::vector<ImportedFunction> out;
    const uint32_t step = pe32Plus_ ? 8 : 4;
    const uint64_t ordinalFlag = pe32Plus_ ? (uint64_t{1} << 63) : uint64_t{kHighBit};
    for (uint32_t at = thunkRva;; at += step) {
        const uint64_t thunk = pointerAt(at);
        if (thunk == 0) break;
        ImportedFunction function;
        if (thunk & ordinalFlag) {
            function.ordinal = static_cast<uint16_t>(thunk & 0xffff);
        } else {
            function.name = stringAt(static_cast<uint32_t>(thunk) + 2);  // after the hint
        }
        out.push_back(function);
        if (out.size() > 100000) fail("unterminated import thunks");
    }
    return out;
}

std::vector<ImportedDll> PeImage::imports() const {
    std::vector<ImportedDll> out;
    const DataDirectory dir = directory(kDirectoryImport);
    if (dir.rva == 0) return out;
    for (uint32_t descriptor = dir.rva;; descriptor += 20) {
        const uint32_t lookup = u32At(descriptor);
        const uint32_t nameRva = u32At(descriptor + 12);
        const uint32_t addresses = u32At(descriptor + 16);
        if (lookup == 0 && nameRva == 0 && addresses == 0) break;
        ImportedDll dll;
        dll.name = stringAt(nameRva);
        dll.functions = importedFunctions(lookup ? lookup : addresses);
        out.push_back(dll);
        if (out.size() > 1000) fail("unterminated import descriptors");
    }
    return out;
}

std::vector<ImportedDll> PeImage::delayImports() const {
    std::vector<ImportedDll> out;
    const DataDirectory dir = directory(kDirectoryDelayImport);
    if (dir.rva == 0) return out;
    for (uint32_t descriptor = dir.rva;; descriptor += 32) {
        const uint32_t nameRva = u32At(descriptor + 4);
        if (nameRva == 0) break;
        ImportedDll dll;
        dll.name = stringAt(nameRva);
        dll.functions = importedFunctions(u32At(descriptor + 16));
        out.push_back(dll);
        if (out.size() > 1000) fail("unterminated delay-import descriptors");
    }
    return out;
}

ResourceId PeImage::resourceId(uint32_t root, uint32_t nameField) const {
    ResourceId id;
    if (!(nameField & kHighBit)) {
        id.number = nameField;
        return id;
    }
    id.isNumber = false;
    const uint32_t at = root + (nameField & ~kHighBit);
    const std::vector<uint8_t> lengthBytes = bytesAt(at, 2);
    const uint16_t length = static_cast<uint16_t>(lengthBytes[0] | (lengthBytes[1] << 8));
    const std::vector<uint8_t> chars = bytesAt(at + 2, length * 2u);
    std::u16string wide;
    for (uint16_t i = 0; i < length; ++i) wide.push_back(static_cast<char16_t>(chars[2 * i] | (chars[2 * i + 1] << 8)));
    id.name = narrow(wide);
    return id;
}

void PeImage::readResourceDirectory(uint32_t root, uint32_t offset, int level, Resource partial,
                                    std::vector<Resource>& out) const {
    if (level > 2) fail("resource tree deeper than type/name/language");
    const uint32_t dir = root + offset;
    const std::vector<uint8_t> counts = bytesAt(dir + 12, 4);
    const uint32_t entries = static_cast<uint32_t>(counts[0] | (counts[1] << 8)) +
                             static_cast<uint32_t>(counts[2] | (counts[3] << 8));
    for (uint32_t i = 0; i < entries; ++i) {
        const uint32_t entry = dir + 16 + i * 8;
        const uint32_t nameField = u32At(entry);
        const uint32_t target = u32At(entry + 4);
        Resource next = partial;
        if (level == 0) next.type = resourceId(root, nameField);
        if (level == 1) next.name = resourceId(root, nameField);
        if (level == 2) next.language = nameField;
        if (target & kHighBit) {
            readResourceDirectory(root, target & ~kHighBit, level + 1, next, out);
        } else {
            if (level != 2) fail("resource data above the language level");
            const uint32_t dataRva = u32At(root + target);
            const uint32_t dataSize = u32At(root + target + 4);
            if (dataSize > (64u << 20)) fail("implausible resource size");
            next.data = bytesAt(dataRva, dataSize);
            out.push_back(std::move(next));
        }
    }
}

std::vector<Resource> PeImage::resources() const {
    std::vector<Resource> out;
    const DataDirectory dir = directory(kDirectoryResource);
    if (dir.rva == 0) return out;
    readResourceDirectory(dir.rva, 0, 0, Resource{}, out);
    return out;
}

// ---- Version information ----------------------------------------------------

namespace {

uint16_t le16(const std::vector<uint8_t>& data, size_t at) {
    if (at + 2 > data.size()) fail("version block truncated");
    return static_cast<uint16_t>(data[at] | (data[at + 1] << 8));
}

size_t align4(size_t at) { return (at + 3) & ~size_t{3}; }

// One block: wLength, wValueLength, wType, key (UTF-16, NUL), padding,
// value, padding, children.
VersionBlock parseBlockAt(const std::vector<uint8_t>& data, size_t start, size_t limit) {
    VersionBlock block;
    const uint16_t length = le16(data, start);
    const uint16_t valueLength = le16(data, start + 2);
    const uint16_t type = le16(data, start + 4);
    const size_t end = start + length;
    if (length < 6 || end > limit)
        fail("version block at " + std::to_string(start) + " of length " + std::to_string(length) + " exceeds " + std::to_string(limit));

    size_t at = start + 6;
    std::u16string key;
    for (;; at += 2) {
        if (at + 2 > end) fail("version block key unterminated");
        const uint16_t c = le16(data, at);
        if (c == 0) break;
        key.push_back(static_cast<char16_t>(c));
    }
    block.key = narrow(key);
    at = align4(at + 2);

    block.isText = type == 1;
    // Text values count 16-bit characters, binary values bytes.
    const size_t valueBytes = std::min(block.isText ? valueLength * size_t{2} : size_t{valueLength}, end - std::min(at, end));
    block.value.assign(data.begin() + static_cast<std::ptrdiff_t>(at),
                       data.begin() + static_cast<std::ptrdiff_t>(at + valueBytes));
    if (block.isText) {
        std::u16string text;
        for (size_t i = 0; i + 1 < block.value.size(); i += 2) {
            const char16_t c = static_cast<char16_t>(block.value[i] | (block.value[i + 1] << 8));
            if (c == 0) break;
            text.push_back(c);
        }
        block.text = narrow(text);
    }
    at = align4(at + valueBytes);

    while (at + 6 <= end) {
        VersionBlock child = parseBlockAt(data, at, end);
        at = align4(at + le16(data, at));
        block.children.push_back(std::move(child));
    }
    return block;
}

}  // namespace

const VersionBlock* VersionBlock::child(const std::string& name) const {
    for (const VersionBlock& c : children)
        if (c.key == name) return &c;
    return nullptr;
}

VersionBlock parseVersionBlock(const std::vector<uint8_t>& data) { return parseBlockAt(data, 0, data.size()); }

FixedFileVersion fixedFileVersion(const VersionBlock& root) {
    FixedFileVersion out;
    if (root.value.size() < 52) fail("fixed file information missing");
    auto at = [&](size_t offset) {
        uint32_t v;
        std::memcpy(&v, &root.value[offset], 4);
        return v;
    };
    out.signature = at(0);
    out.fileVersionMs = at(8);
    out.fileVersionLs = at(12);
    out.productVersionMs = at(16);
    out.productVersionLs = at(20);
    out.fileType = at(36);
    return out;
}

std::optional<std::string> versionString(const VersionBlock& root, const std::string& key) {
    const VersionBlock* strings = root.child("StringFileInfo");
    if (!strings) return std::nullopt;
    for (const VersionBlock& table : strings->children)
        if (const VersionBlock* entry = table.child(key)) return entry->text;
    return std::nullopt;
}

}  // namespace packaging
