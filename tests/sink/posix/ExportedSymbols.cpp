#include "tests/sink/posix/ExportedSymbols.h"

#include <elf.h>

#include <cstring>

#include "tests/support/TempFolder.h"

namespace sink_posix_test {

namespace {

template <typename T>
bool ReadAt(const std::string& bytes, size_t offset, T& value) {
    if (offset > bytes.size() || bytes.size() - offset < sizeof(T))
        return false;
    std::memcpy(&value, bytes.data() + offset, sizeof(T));
    return true;
}

bool SectionHeader(const std::string& bytes, const Elf64_Ehdr& header, size_t index,
                   Elf64_Shdr& section) {
    return ReadAt(bytes, header.e_shoff + index * header.e_shentsize, section);
}

std::string NameAt(const std::string& bytes, const Elf64_Shdr& strings, size_t offset) {
    size_t start = strings.sh_offset + offset;
    if (start >= bytes.size())
        return "";
    return std::string(bytes.c_str() + start);
}

}  // namespace

std::set<std::string> ExportedSymbols(const std::string& libraryFile) {
    std::string bytes = testsupport::ReadFile(libraryFile);
    std::set<std::string> names;
    Elf64_Ehdr header{};
    if (!ReadAt(bytes, 0, header) || std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0 ||
        header.e_ident[EI_CLASS] != ELFCLASS64)
        return names;
    for (size_t i = 0; i < header.e_shnum; ++i) {
        Elf64_Shdr symbols{}, strings{};
        if (!SectionHeader(bytes, header, i, symbols) || symbols.sh_type != SHT_DYNSYM ||
            !SectionHeader(bytes, header, symbols.sh_link, strings))
            continue;
        for (size_t at = symbols.sh_offset;
             at + sizeof(Elf64_Sym) <= symbols.sh_offset + symbols.sh_size;
             at += sizeof(Elf64_Sym)) {
            Elf64_Sym symbol{};
            if (!ReadAt(bytes, at, symbol) || symbol.st_shndx == SHN_UNDEF)
                continue;
            unsigned binding = ELF64_ST_BIND(symbol.st_info);
            if (binding == STB_GLOBAL || binding == STB_WEAK || binding == STB_GNU_UNIQUE)
                names.insert(NameAt(bytes, strings, symbol.st_name));
        }
    }
    return names;
}

}  // namespace sink_posix_test
