/*
 * Cp932Table.h - the code page 932 table that every build of the host
 * converts with (generated at build time by tools/cp932-table.py from
 * Python's cp932 codec, Microsoft's mapping).  One table for Linux, Windows
 * and WebAssembly, because their own converters disagree on a few
 * characters and emscripten's knows only plain Shift_JIS.  Characters are
 * Unicode code points; 0 means "none".
 */
#ifndef NEROLIT_HOST_CP932TABLE_H
#define NEROLIT_HOST_CP932TABLE_H

#include <cstddef>
#include <cstdint>

namespace host {

/* Bytes 0x80..0xFF on their own (half-width katakana, and the four single
   bytes Microsoft maps to U+0080 and the private use area). */
extern const uint16_t kCp932Single[128];

/* Two-byte codes: lead 0x81..0x9F (rows 0..30) and 0xE0..0xFC (rows
   31..59), trail 0x40..0xFC (columns 0..188). */
extern const uint16_t kCp932Double[60][189];

struct Cp932Pair {
    uint16_t character; /* Unicode */
    uint16_t code;      /* one byte (< 0x100) or lead << 8 | trail */
};

/* Every character with a code that reads back as itself, sorted by
   character. */
extern const Cp932Pair kCp932Encode[];
extern const size_t kCp932EncodeSize;

} // namespace host

#endif
