/*
 * Records.h - the memory of the host's three records and the per-figure
 * arrays, laid out at the offsets of records/Layout.h, with their guard
 * zones.
 *
 * The host writes every field through put(), which also writes a shadow
 * copy.  checkGuards() compares the record with the shadow everywhere except
 * in the fields that the module may write: any difference there is a write
 * by the module to a place it does not own.  Bytes that no field names are
 * filled with kGuardByte, and so are the figure-array entries at and beyond
 * figureLimit outside the work area.
 */
#ifndef NEROLIT_HOST_RECORDS_H
#define NEROLIT_HOST_RECORDS_H

#include "host/records/Layout.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace host {

constexpr uint8_t kGuardByte = 0xA5;
constexpr int32_t kGuardWord = static_cast<int32_t>(0xA5A5A5A5u);
constexpr int kGuardEntries = 64; /* guard entries after the work area */
constexpr int64_t kMaxEntries = 50000000; /* the most figure entries the host lays out (1.4 GB of arrays) */

enum Arr { ArrType, ArrW, ArrAttr, ArrX1, ArrY1, ArrX2, ArrY2, ArrCount };
const char *arrayName(Arr a);

class Records {
public:
    Records();
    Records(const Records &) = delete;
    Records &operator=(const Records &) = delete;

    void *services() { return services_.data(); }
    void *state() { return state_.data(); }
    void *tables() { return tables_.data(); }
    void *attrContext() { return attrContext_.data(); }
    void *panelSurface() { return panelSurface_.data(); }

    int32_t i32(StateField f) const;
    double f64(StateField f) const;
    std::string text(StateField f) const; /* the bytes up to the terminator */
    int32_t i32(TableField f) const;
    double f64(TableField f) const;

    void put(StateField f, int32_t v);
    void put(StateField f, double v);
    /* The bytes and a terminator; bytes that do not fit the field are cut
       off silently (a Shift-JIS pair may be cut in two): callers that must
       not lose text check the size first (the `set` directive refuses). */
    void putText(StateField f, const std::string &bytes);
    void putAddr(StateField f, const void *p);
    void put(TableField f, int32_t v);
    void put(TableField f, double v);
    void putSlot(uint32_t offset, void *fn);

    /* Per-figure arrays.  at() does not check the index, for speed (a hatch
       pass reads millions of entries): callers keep it in [0, capacity()),
       as the services do with the index the module passed them. */
    int32_t &at(Arr a, int index) { return arrays_[a][static_cast<size_t>(index)]; }
    int32_t at(Arr a, int index) const { return arrays_[a][static_cast<size_t>(index)]; }
    int capacity() const { return static_cast<int>(arrays_[0].size()); }
    int figureLimit() const { return i32(TableField::figureLimit); }
    int workBase() const { return i32(TableField::workBase); }
    int workEnd() const { return i32(TableField::workEnd); }

    /* Entries first..first+count-1 all lie in the drawing ([0, figureLimit))
       or all in the work area ([workBase, workEnd]). */
    bool writable(int first, int count) const;

    /* Lays the arrays out for a new figureLimit and work area.  Entries that
       stay addressable keep their contents; fails (returns a reason) when a
       figure would be dropped, or the layout is out of order or larger than
       the host keeps.  The numbers are taken in 64 bits, so that a layout
       computed from a huge figureLimit is refused, not wrapped. */
    std::optional<std::string> layoutArrays(int64_t figureLimit, int64_t workBase, int64_t workEnd);

    /* The first write of the module to a guarded byte, described; nothing
       when every guard zone is intact. */
    std::optional<std::string> checkGuards() const;

private:
    struct Range {
        uint32_t first, end;
    };
    static std::vector<Range> guardedRanges(bool state);
    static std::string describeStateByte(uint32_t offset);
    static std::string describeTablesByte(uint32_t offset);
    static int firstUnguarded(const std::vector<int32_t> &v, int from, int to);
    void setArrayPointers();

    std::vector<uint8_t> services_, servicesShadow_;
    std::vector<uint8_t> state_, stateShadow_;
    std::vector<uint8_t> tables_, tablesShadow_;
    std::vector<uint8_t> attrContext_, panelSurface_;
    std::vector<int32_t> arrays_[ArrCount];
    std::vector<Range> stateGuards_, tablesGuards_;
};

} // namespace host

#endif
