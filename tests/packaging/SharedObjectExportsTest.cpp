// Quillon.so shows the stand-in host exactly what Quillon.dll shows the real
// one: the two records, as data, and nothing else.
#include <elf.h>
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "host/GaugeRecords.h"

namespace packaging {
namespace {

struct DynamicSymbol {
    unsigned type = 0;
    unsigned binding = 0;
    uint64_t size = 0;
};

template <typename T>
T readAt(const std::vector<uint8_t>& file, size_t offset) {
    if (offset + sizeof(T) > file.size()) throw std::runtime_error("ELF read past end of file");
    T value;
    std::memcpy(&value, &file[offset], sizeof(T));
    return value;
}

// Defined symbols of the dynamic symbol table, by name.
std::map<std::string, DynamicSymbol> definedDynamicSymbols(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot open " + path);
    const std::vector<uint8_t> file{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};

    const auto header = readAt<Elf64_Ehdr>(file, 0);
    if (std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0 || header.e_ident[EI_CLASS] != ELFCLASS64)
        throw std::runtime_error("not a 64-bit ELF file");

    std::map<std::string, DynamicSymbol> out;
    for (uint16_t i = 0; i < header.e_shnum; ++i) {
        const auto section = readAt<Elf64_Shdr>(file, header.e_shoff + size_t{i} * header.e_shentsize);
        if (section.sh_type != SHT_DYNSYM) continue;
        const auto strings = readAt<Elf64_Shdr>(file, header.e_shoff + size_t{section.sh_link} * header.e_shentsize);
        for (size_t at = sizeof(Elf64_Sym); at < section.sh_size; at += sizeof(Elf64_Sym)) {
            const auto symbol = readAt<Elf64_Sym>(file, section.sh_offset + at);
            if (symbol.st_shndx == SHN_UNDEF) continue;
            const unsigned binding = ELF64_ST_BIND(symbol.st_info);
            if (binding == STB_LOCAL) continue;
            const size_t nameAt = strings.sh_offset + symbol.st_name;
            if (nameAt >= file.size()) throw std::runtime_error("symbol name past end of file");
            const std::string name(reinterpret_cast<const char*>(&file[nameAt]), strnlen(reinterpret_cast<const char*>(&file[nameAt]), file.size() - nameAt));
            out[name] = {ELF64_ST_TYPE(symbol.st_info), binding, symbol.st_size};
        }
    }
    return out;
}

TEST(SharedObjectExports, OnlyTheTwoRecordsAreVisible) {
    const std::map<std::string, DynamicSymbol> symbols = definedDynamicSymbols(QUILLON_SO);

    std::string names;
    for (const auto& [name, symbol] : symbols) names += name + " ";
    ASSERT_EQ(symbols.size(), 2u) << "visible: " << names;
    ASSERT_TRUE(symbols.count("ImportTable")) << "visible: " << names;
    ASSERT_TRUE(symbols.count("Linkage")) << "visible: " << names;

    // The stand-in host reads them with the declarations in host/.
    const DynamicSymbol& importTable = symbols.at("ImportTable");
    const DynamicSymbol& linkage = symbols.at("Linkage");
    EXPECT_EQ(importTable.type, unsigned{STT_OBJECT});
    EXPECT_EQ(linkage.type, unsigned{STT_OBJECT});
    EXPECT_EQ(importTable.binding, unsigned{STB_GLOBAL});
    EXPECT_EQ(linkage.binding, unsigned{STB_GLOBAL});
    EXPECT_EQ(importTable.size, sizeof(host::ImportTable));
    EXPECT_EQ(linkage.size, sizeof(host::Linkage));
}

}  // namespace
}  // namespace packaging
