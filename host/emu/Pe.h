/*
 * Pe.h - reading a 32-bit PE module file (a DLL built for the CAD host):
 * its sections, base relocations, imports, exports, TLS directory, and the
 * COFF symbol table of the file or of its .debug companion.  Only reading:
 * mapping and running are the runner's (Runner.cpp).
 */
#ifndef NEROLIT_HOST_EMU_PE_H
#define NEROLIT_HOST_EMU_PE_H

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace host::emu {

struct PeSection {
    std::string name;
    uint32_t rva, virtualSize, rawOffset, rawSize, characteristics;
};

struct PeImport {
    std::string dll, name; /* name empty: by ordinal */
    uint16_t ordinal;
    uint32_t iatRva; /* where the loader writes the address */
};

struct PeTls {
    uint32_t startVa, endVa, indexVa, callbacksVa, zeroFill; /* as in the file (preferred base) */
};

struct PeFile {
    std::vector<uint8_t> bytes;
    uint32_t imageBase = 0, imageSize = 0, headersSize = 0, entryRva = 0;
    std::vector<PeSection> sections;
    uint32_t dirRva[16] = {}, dirSize[16] = {};

    /* Reads and checks the headers; a reason when the file is no 32-bit x86
       PE DLL. */
    std::optional<std::string> parse(std::vector<uint8_t> file);

    /* Copies headers and sections to `base` (host memory of imageSize bytes,
       zeroed) and applies the base relocations for that base; a reason when
       a relocation is of a kind a 32-bit image does not have. */
    std::optional<std::string> place(uint8_t *base, uint32_t guestBase) const;

    std::vector<PeImport> imports() const;
    std::map<std::string, uint32_t> exports() const; /* name -> rva */
    std::optional<PeTls> tls() const;

    /* The COFF symbol table's functions and data: rva -> name. */
    std::map<uint32_t, std::string> symbols() const;

    bool hasRelocations() const { return dirSize[5] != 0; }

private:
    const uint8_t *at(uint32_t rva, uint32_t size) const; /* the file bytes at an rva, or null */
};

} // namespace host::emu

#endif
