/*
 * Records.cpp - record memory, field access and guard zones.
 */
#include "host/records/Records.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace host {

namespace {

template <class T> T load(const std::vector<uint8_t> &mem, uint32_t offset)
{
    T v;
    std::memcpy(&v, mem.data() + offset, sizeof v);
    return v;
}

template <class T> void store(std::vector<uint8_t> &mem, uint32_t offset, T v)
{
    std::memcpy(mem.data() + offset, &v, sizeof v);
}

std::string hex(uint32_t v)
{
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%X", v);
    return buf;
}

} // namespace

const char *arrayName(Arr a)
{
    static const char *const names[] = {"figureType", "figureW", "figureAttr", "figureX1",
                                        "figureY1", "figureX2", "figureY2"};
    return names[a];
}

Records::Records()
    : services_(kServiceTableSize, 0), servicesShadow_(kServiceTableSize, 0),
      state_(kStateRecordSize, kGuardByte), stateShadow_(kStateRecordSize, kGuardByte),
      tables_(kTablesRecordSize, kGuardByte), tablesShadow_(kTablesRecordSize, kGuardByte),
      attrContext_(kAttrContextSize, 0), panelSurface_(kPanelSurfaceSize, 0),
      stateGuards_(guardedRanges(true)), tablesGuards_(guardedRanges(false))
{
    /* Named fields start at zero; only the unnamed bytes carry the pattern. */
    for (int i = 0; i < static_cast<int>(StateField::Count); ++i) {
        const FieldInfo &f = fieldInfo(static_cast<StateField>(i));
        std::memset(state_.data() + f.offset, 0, f.size);
        if (f.type == FieldType::Text && f.access == Access::Module)
            std::memset(state_.data() + f.offset + kModuleTextLimit, kGuardByte,
                        f.size - kModuleTextLimit);
    }
    for (int i = 0; i < static_cast<int>(TableField::Count); ++i) {
        const FieldInfo &f = fieldInfo(static_cast<TableField>(i));
        std::memset(tables_.data() + f.offset, 0, f.size);
    }
    stateShadow_ = state_;
    tablesShadow_ = tables_;
}

int32_t Records::i32(StateField f) const { return load<int32_t>(state_, fieldInfo(f).offset); }
double Records::f64(StateField f) const { return load<double>(state_, fieldInfo(f).offset); }
int32_t Records::i32(TableField f) const { return load<int32_t>(tables_, fieldInfo(f).offset); }
double Records::f64(TableField f) const { return load<double>(tables_, fieldInfo(f).offset); }

std::string Records::text(StateField f) const
{
    const FieldInfo &info = fieldInfo(f);
    const char *p = reinterpret_cast<const char *>(state_.data() + info.offset);
    return std::string(p, strnlen(p, info.size));
}

void Records::put(StateField f, int32_t v)
{
    store(state_, fieldInfo(f).offset, v);
    store(stateShadow_, fieldInfo(f).offset, v);
}

void Records::put(StateField f, double v)
{
    store(state_, fieldInfo(f).offset, v);
    store(stateShadow_, fieldInfo(f).offset, v);
}

void Records::putText(StateField f, const std::string &bytes)
{
    const FieldInfo &info = fieldInfo(f);
    uint32_t n = static_cast<uint32_t>(std::min<size_t>(bytes.size(), info.size - 1));
    for (auto *mem : {&state_, &stateShadow_}) {
        std::memcpy(mem->data() + info.offset, bytes.data(), n);
        (*mem)[info.offset + n] = 0;
    }
}

void Records::putAddr(StateField f, const void *p)
{
    uint32_t v = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(p));
    store(state_, fieldInfo(f).offset, v);
    store(stateShadow_, fieldInfo(f).offset, v);
}

void Records::put(TableField f, int32_t v)
{
    store(tables_, fieldInfo(f).offset, v);
    store(tablesShadow_, fieldInfo(f).offset, v);
}

void Records::put(TableField f, double v)
{
    store(tables_, fieldInfo(f).offset, v);
    store(tablesShadow_, fieldInfo(f).offset, v);
}

void Records::putSlot(uint32_t offset, void *fn)
{
    uint32_t v = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(fn));
    store(services_, offset, v);
    store(servicesShadow_, offset, v);
}

bool Records::writable(int first, int count) const
{
    if (first < 0 || count <= 0)
        return false;
    long long last = static_cast<long long>(first) + count - 1;
    if (last < figureLimit())
        return true;
    return first >= workBase() && last <= workEnd();
}

void Records::setArrayPointers()
{
    static const TableField fields[ArrCount] = {TableField::figureType, TableField::figureW,  TableField::figureAttr, TableField::figureX1,
                                        TableField::figureY1,   TableField::figureX2, TableField::figureY2};
    for (int a = 0; a < ArrCount; ++a) {
        uint32_t v = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(arrays_[a].data()));
        store(tables_, fieldInfo(fields[a]).offset, v);
        store(tablesShadow_, fieldInfo(fields[a]).offset, v);
    }
}

std::optional<std::string> Records::layoutArrays(int64_t limit64, int64_t base64, int64_t end64)
{
    if (limit64 < 2 || base64 < limit64 || end64 < base64 + 2)
        return "the host needs 2 <= figureLimit <= workBase < workEnd - 1 (got figureLimit " +
               std::to_string(limit64) + ", workBase " + std::to_string(base64) + ", workEnd " +
               std::to_string(end64) + ")";
    if (end64 + 1 + kGuardEntries > kMaxEntries)
        return "the host keeps at most " + std::to_string(kMaxEntries) + " figure entries (figureLimit " +
               std::to_string(limit64) + " with the work area at " + std::to_string(base64) + ".." +
               std::to_string(end64) + " needs " + std::to_string(end64 + 1 + kGuardEntries) + ")";
    /* from here on every number fits in 32 bits */
    int limit = static_cast<int>(limit64), base = static_cast<int>(base64), end = static_cast<int>(end64);
    int oldCap = capacity();
    if (oldCap > 0) {
        int oldLimit = figureLimit();
        for (int i = limit; i < std::min(oldLimit, oldCap); ++i)
            if ((arrays_[ArrType][static_cast<size_t>(i)] & 0xFFFF) != 0)
                return "figureLimit " + std::to_string(limit) + " would drop the entry at " +
                       std::to_string(i);
    }
    int oldLimit = oldCap > 0 ? std::min(figureLimit(), oldCap) : 0;
    int cap = end + 1 + kGuardEntries;
    std::vector<int32_t> next[ArrCount];
    for (int a = 0; a < ArrCount; ++a) {
        next[a].assign(static_cast<size_t>(cap), kGuardWord);
        for (int i = 0; i < limit; ++i)
            next[a][static_cast<size_t>(i)] = i < oldLimit ? arrays_[a][static_cast<size_t>(i)] : 0;
        for (int i = base; i <= end; ++i)
            next[a][static_cast<size_t>(i)] = 0;
        arrays_[a].swap(next[a]);
    }
    put(TableField::figureLimit, limit);
    put(TableField::workBase, base);
    put(TableField::workEnd, end);
    setArrayPointers();
    return std::nullopt;
}

/* The guarded byte ranges of a record: everything except Module fields, and
   for Module texts everything beyond kModuleTextLimit. */
std::vector<Records::Range> Records::guardedRanges(bool state)
{
    uint32_t size = state ? kStateRecordSize : kTablesRecordSize;
    std::vector<Range> open;
    int n = state ? static_cast<int>(StateField::Count) : static_cast<int>(TableField::Count);
    for (int i = 0; i < n; ++i) {
        const FieldInfo &f = state ? fieldInfo(static_cast<StateField>(i)) : fieldInfo(static_cast<TableField>(i));
        if (f.access != Access::Module)
            continue;
        uint32_t len = f.type == FieldType::Text ? kModuleTextLimit : f.size;
        open.push_back({f.offset, f.offset + len});
    }
    std::sort(open.begin(), open.end(), [](Range a, Range b) { return a.first < b.first; });
    std::vector<Range> guarded;
    uint32_t pos = 0;
    for (Range r : open) {
        if (r.first > pos)
            guarded.push_back({pos, r.first});
        pos = std::max(pos, r.end);
    }
    if (pos < size)
        guarded.push_back({pos, size});
    return guarded;
}

std::string Records::describeStateByte(uint32_t offset)
{
    const FieldInfo *before = nullptr;
    for (int i = 0; i < static_cast<int>(StateField::Count); ++i) {
        const FieldInfo &f = fieldInfo(static_cast<StateField>(i));
        if (offset >= f.offset && offset < f.offset + f.size) {
            if (f.type == FieldType::Text && f.access == Access::Module)
                return "byte " + std::to_string(offset - f.offset) + " of the text " + f.name +
                       ", beyond the " + std::to_string(kModuleTextLimit) +
                       " bytes the module may write there";
            return "field " + std::string(f.name) + " at " + hex(f.offset) + " (written only by the host)";
        }
        if (f.offset < offset && (!before || f.offset > before->offset))
            before = &f;
    }
    return std::string("unnamed bytes") + (before ? " after " + std::string(before->name) : "");
}

std::string Records::describeTablesByte(uint32_t offset)
{
    const FieldInfo *before = nullptr;
    for (int i = 0; i < static_cast<int>(TableField::Count); ++i) {
        const FieldInfo &f = fieldInfo(static_cast<TableField>(i));
        if (offset >= f.offset && offset < f.offset + f.size)
            return "field " + std::string(f.name) + " at " + hex(f.offset) + " (written only by the host)";
        if (f.offset < offset && (!before || f.offset > before->offset))
            before = &f;
    }
    return std::string("unnamed bytes") + (before ? " after " + std::string(before->name) : "");
}

std::optional<std::string> Records::checkGuards() const
{
    for (const Range &r : stateGuards_) {
        if (std::memcmp(state_.data() + r.first, stateShadow_.data() + r.first, r.end - r.first) == 0)
            continue;
        uint32_t at = r.first;
        while (state_[at] == stateShadow_[at])
            ++at;
        return "the module wrote the state record at " + hex(at) + ": " + describeStateByte(at);
    }
    for (const Range &r : tablesGuards_) {
        if (std::memcmp(tables_.data() + r.first, tablesShadow_.data() + r.first, r.end - r.first) == 0)
            continue;
        uint32_t at = r.first;
        while (tables_[at] == tablesShadow_[at])
            ++at;
        return "the module wrote the drawing tables at " + hex(at) + ": " + describeTablesByte(at);
    }
    if (services_ != servicesShadow_) {
        uint32_t at = 0;
        while (services_[at] == servicesShadow_[at])
            ++at;
        return "the module wrote the service table at " + hex(at & ~3u);
    }
    int cap = capacity(), limit = figureLimit(), base = workBase(), end = workEnd();
    for (int a = 0; a < ArrCount; ++a) {
        int i = firstUnguarded(arrays_[a], limit, base);
        if (i < 0)
            i = firstUnguarded(arrays_[a], end + 1, cap);
        if (i >= 0)
            return "the module wrote entry " + std::to_string(i) + " of " + arrayName(static_cast<Arr>(a)) +
                   ", at or beyond figureLimit " + std::to_string(limit) + " and outside the work area " +
                   std::to_string(base) + ".." + std::to_string(end);
    }
    return std::nullopt;
}

/* The first entry of [from, to) that is not the guard word, or -1.  This
   runs at every service call over the whole gap between the drawing and
   the work area (18,000 entries a table after `set figureLimit 2000`), so
   it compares blocks with memcmp and looks at single entries only in the
   block that differs. */
int Records::firstUnguarded(const std::vector<int32_t> &v, int from, int to)
{
    static const std::vector<int32_t> guard(1024, kGuardWord);
    for (int i = from; i < to;) {
        int n = std::min(to - i, static_cast<int>(guard.size()));
        if (std::memcmp(v.data() + i, guard.data(), static_cast<size_t>(n) * sizeof(int32_t)) != 0)
            for (int k = i; k < i + n; ++k)
                if (v[static_cast<size_t>(k)] != kGuardWord)
                    return k;
        i += n;
    }
    return -1;
}

} // namespace host
