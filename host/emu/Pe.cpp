/*
 * Pe.cpp - the PE/COFF format as a 32-bit DLL uses it: every offset is
 * checked against the file's size, so a damaged file gives a reason, never a
 * read outside the bytes.
 */
#include "host/emu/Pe.h"

#include <cstring>

namespace host::emu {

namespace {

template <class T> T get(const std::vector<uint8_t> &b, size_t off)
{
    T v{};
    if (off + sizeof v <= b.size())
        std::memcpy(&v, b.data() + off, sizeof v);
    return v;
}

template <class T> T getp(const uint8_t *p)
{
    T v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

} // namespace

std::optional<std::string> PeFile::parse(std::vector<uint8_t> file)
{
    bytes = std::move(file);
    if (bytes.size() < 0x40 || bytes[0] != 'M' || bytes[1] != 'Z')
        return std::string("not a module file (no MZ header)");
    uint32_t pe = get<uint32_t>(bytes, 0x3C);
    if (pe + 24 > bytes.size() || std::memcmp(bytes.data() + pe, "PE\0\0", 4) != 0)
        return std::string("not a PE file");
    uint16_t machine = get<uint16_t>(bytes, pe + 4);
    uint16_t nsections = get<uint16_t>(bytes, pe + 6);
    uint16_t optSize = get<uint16_t>(bytes, pe + 20);
    uint16_t flags = get<uint16_t>(bytes, pe + 22);
    size_t opt = pe + 24;
    if (machine != 0x14C || get<uint16_t>(bytes, opt) != 0x10B)
        return std::string("not a 32-bit x86 module (machine 0x") + std::to_string(machine) + ")";
    if (!(flags & 0x2000))
        return std::string("not a DLL");
    entryRva = get<uint32_t>(bytes, opt + 16);
    imageBase = get<uint32_t>(bytes, opt + 28);
    imageSize = get<uint32_t>(bytes, opt + 56);
    headersSize = get<uint32_t>(bytes, opt + 60);
    uint32_t ndirs = get<uint32_t>(bytes, opt + 92);
    for (uint32_t i = 0; i < 16 && i < ndirs; ++i) {
        dirRva[i] = get<uint32_t>(bytes, opt + 96 + i * 8);
        dirSize[i] = get<uint32_t>(bytes, opt + 100 + i * 8);
    }
    size_t sec = opt + optSize;
    if (sec + size_t(nsections) * 40 > bytes.size() || imageSize == 0 || imageSize > 0x40000000 ||
        (imageBase & 0xFFFF) || headersSize > imageSize)
        return std::string("damaged headers");
    for (uint16_t i = 0; i < nsections; ++i) {
        size_t s = sec + size_t(i) * 40;
        PeSection x;
        x.name.assign(reinterpret_cast<const char *>(bytes.data() + s), strnlen(reinterpret_cast<const char *>(bytes.data() + s), 8));
        x.virtualSize = get<uint32_t>(bytes, s + 8);
        x.rva = get<uint32_t>(bytes, s + 12);
        x.rawSize = get<uint32_t>(bytes, s + 16);
        x.rawOffset = get<uint32_t>(bytes, s + 20);
        x.characteristics = get<uint32_t>(bytes, s + 36);
        uint32_t extent = std::max(x.virtualSize, x.rawSize);
        if (x.rva + uint64_t(extent) > imageSize || (x.rawSize && x.rawOffset + uint64_t(x.rawSize) > bytes.size()))
            return "the section " + x.name + " lies outside the image or the file";
        sections.push_back(x);
    }
    return std::nullopt;
}

const uint8_t *PeFile::at(uint32_t rva, uint32_t size) const
{
    if (rva < headersSize && rva + uint64_t(size) <= headersSize && rva + uint64_t(size) <= bytes.size())
        return bytes.data() + rva;
    for (const PeSection &s : sections)
        if (rva >= s.rva && rva + uint64_t(size) <= s.rva + uint64_t(s.rawSize))
            return bytes.data() + s.rawOffset + (rva - s.rva);
    return nullptr;
}

std::optional<std::string> PeFile::place(uint8_t *base, uint32_t guestBase) const
{
    std::memcpy(base, bytes.data(), std::min<size_t>(headersSize, bytes.size()));
    for (const PeSection &s : sections) {
        uint32_t n = std::min(s.rawSize, s.virtualSize ? s.virtualSize : s.rawSize);
        std::memcpy(base + s.rva, bytes.data() + s.rawOffset, n);
    }
    uint32_t delta = guestBase - imageBase;
    if (delta == 0)
        return std::nullopt;
    if (!hasRelocations())
        return std::string("the module cannot move from its preferred base (no relocations)");
    uint32_t off = dirRva[5], end = dirRva[5] + dirSize[5];
    while (off + 8 <= end) {
        const uint8_t *b = at(off, 8);
        if (!b)
            return std::string("damaged relocations");
        uint32_t page = getp<uint32_t>(b), blockSize = getp<uint32_t>(b + 4);
        if (blockSize < 8 || off + blockSize > end || !at(off, blockSize))
            return std::string("damaged relocations");
        const uint8_t *e = at(off, blockSize);
        for (uint32_t i = 8; i + 2 <= blockSize; i += 2) {
            uint16_t entry = getp<uint16_t>(e + i);
            uint32_t type = entry >> 12, rva = page + (entry & 0xFFF);
            if (type == 0)
                continue; /* padding */
            if (type != 3)
                return "a relocation of type " + std::to_string(type) + " (a 32-bit image has only HIGHLOW)";
            if (rva + 4 > imageSize)
                return std::string("a relocation outside the image");
            uint32_t v;
            std::memcpy(&v, base + rva, 4);
            v += delta;
            std::memcpy(base + rva, &v, 4);
        }
        off += blockSize;
    }
    return std::nullopt;
}

std::vector<PeImport> PeFile::imports() const
{
    std::vector<PeImport> out;
    for (uint32_t d = dirRva[1]; dirSize[1] && at(d, 20); d += 20) {
        const uint8_t *desc = at(d, 20);
        uint32_t lookup = getp<uint32_t>(desc), nameRva = getp<uint32_t>(desc + 12), iat = getp<uint32_t>(desc + 16);
        if (!nameRva && !iat)
            break;
        const uint8_t *n = at(nameRva, 1);
        std::string dll = n ? reinterpret_cast<const char *>(n) : "?";
        uint32_t walk = lookup ? lookup : iat;
        for (uint32_t i = 0;; ++i) {
            const uint8_t *e = at(walk + i * 4, 4);
            uint32_t v = e ? getp<uint32_t>(e) : 0;
            if (!v)
                break;
            PeImport imp{dll, "", 0, iat + i * 4};
            if (v & 0x80000000u) {
                imp.ordinal = static_cast<uint16_t>(v);
            } else if (const uint8_t *h = at(v, 3)) {
                imp.ordinal = getp<uint16_t>(h);
                imp.name = reinterpret_cast<const char *>(h + 2);
            }
            out.push_back(imp);
        }
    }
    return out;
}

std::map<std::string, uint32_t> PeFile::exports() const
{
    std::map<std::string, uint32_t> out;
    const uint8_t *d = dirSize[0] ? at(dirRva[0], 40) : nullptr;
    if (!d)
        return out;
    uint32_t nfuncs = getp<uint32_t>(d + 20), nnames = getp<uint32_t>(d + 24);
    uint32_t funcs = getp<uint32_t>(d + 28), names = getp<uint32_t>(d + 32), ords = getp<uint32_t>(d + 36);
    for (uint32_t i = 0; i < nnames; ++i) {
        const uint8_t *np = at(names + i * 4, 4), *op = at(ords + i * 2, 2);
        if (!np || !op)
            break;
        uint16_t ord = getp<uint16_t>(op);
        const uint8_t *name = at(getp<uint32_t>(np), 1);
        const uint8_t *fp = ord < nfuncs ? at(funcs + ord * 4u, 4) : nullptr;
        if (name && fp)
            out[reinterpret_cast<const char *>(name)] = getp<uint32_t>(fp);
    }
    return out;
}

std::optional<PeTls> PeFile::tls() const
{
    const uint8_t *d = dirSize[9] ? at(dirRva[9], 24) : nullptr;
    if (!d)
        return std::nullopt;
    return PeTls{getp<uint32_t>(d), getp<uint32_t>(d + 4), getp<uint32_t>(d + 8), getp<uint32_t>(d + 12),
                 getp<uint32_t>(d + 16)};
}

std::map<uint32_t, std::string> PeFile::symbols() const
{
    std::map<uint32_t, std::string> out;
    uint32_t pe = get<uint32_t>(bytes, 0x3C);
    uint32_t table = get<uint32_t>(bytes, pe + 12), count = get<uint32_t>(bytes, pe + 16);
    if (!table || table + uint64_t(count) * 18 > bytes.size())
        return out;
    size_t strings = table + size_t(count) * 18;
    for (uint32_t i = 0; i < count; ++i) {
        size_t s = table + size_t(i) * 18;
        int16_t section = get<int16_t>(bytes, s + 12);
        uint8_t storage = bytes[s + 16], aux = bytes[s + 17];
        uint32_t value = get<uint32_t>(bytes, s + 8);
        if (section > 0 && size_t(section) <= sections.size() && (storage == 2 || storage == 3)) {
            std::string name;
            if (get<uint32_t>(bytes, s) == 0) {
                size_t o = strings + get<uint32_t>(bytes, s + 4);
                if (o < bytes.size())
                    name = reinterpret_cast<const char *>(bytes.data() + o);
            } else {
                name.assign(reinterpret_cast<const char *>(bytes.data() + s), strnlen(reinterpret_cast<const char *>(bytes.data() + s), 8));
            }
            const PeSection &sec = sections[size_t(section) - 1];
            if (!name.empty() && name[0] != '.' && (sec.characteristics & 0x20)) /* code */
                out[sec.rva + value] = name;
        }
        i += aux;
    }
    return out;
}

} // namespace host::emu
