/*
 * FuzzInput.h - one fuzz input, as the session fuzzer reads it:
 *
 *     run kumo1                 the session part: lines of the session
 *     panel ok                  language, played first (may be empty)
 *     ##fuzz drawing
 *     line 0 0 100 0            a figure list to start from
 *     ##fuzz settings
 *     [kumo1]                   the settings store to start from (INI)
 *     KumoGen=40
 *     ##fuzz bytes
 *     <any bytes>               the on-demand user's answers (FuzzUser.h),
 *                               after a few that make extra figures
 *
 * Every part but the first is optional and may come in any order; a
 * `##fuzz dxf` part gives a DXF drawing instead of a figure list.  The
 * marker lines are comments to the session, settings and figure-list
 * readers, so an input without a bytes part reads like the files it was
 * made of.  A marker line is exactly "##fuzz NAME" (a trailing CR allowed).
 */
#ifndef NEROLIT_TESTS_FUZZ_FUZZINPUT_H
#define NEROLIT_TESTS_FUZZ_FUZZINPUT_H

#include <cstddef>
#include <cstdint>
#include <string>

namespace fuzz {

struct FuzzParts {
    std::string session, drawing, dxf, settings, bytes;
    bool hasDxf = false;
};

/* Splits an input into its parts; a marker with an unknown name starts a
   part that is ignored.  A part given twice keeps the last one. */
FuzzParts splitInput(const uint8_t *data, size_t size);

/* The inverse: an input whose parts are these (empty parts left out). */
std::string joinInput(const FuzzParts &parts);

/* The bytes of the bytes part, read front to back; reads past the end give
   0 and count as exhausted, so a short input simply stops answering. */
class FuzzBytes {
public:
    explicit FuzzBytes(std::string bytes) : bytes_(std::move(bytes)) {}
    bool exhausted() const { return pos_ >= bytes_.size(); }
    size_t used() const { return pos_; }
    uint8_t byte() { return pos_ < bytes_.size() ? static_cast<uint8_t>(bytes_[pos_++]) : 0; }
    /* 0..n-1 (n at most 65536): one byte for n <= 256, else two. */
    int below(int n);
    /* One entry of a table. */
    template <class T, size_t N> const T &pick(const T (&table)[N]) { return table[below(static_cast<int>(N))]; }
    /* True in about `percent` cases out of a hundred. */
    bool chance(int percent) { return below(100) < percent; }

private:
    std::string bytes_;
    size_t pos_ = 0;
};

} // namespace fuzz

#endif
