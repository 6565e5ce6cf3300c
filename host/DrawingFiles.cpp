/*
 * DrawingFiles.cpp - the drawing a session starts from (a figure list or a
 * DXF file) and the drawing written out as DXF.
 *
 * What shaped it: the host's tables have a fixed size that the module
 * reads from the records, and a drawing from a file may be larger; rather
 * than refuse a real drawing, the host makes its tables larger first
 * (fitDrawing), as a session's `set figureLimit` would.
 */
#include "host/Host.h"

#include <cstdio>

namespace host {

/* A drawing larger than the drawing part of the tables makes them larger
   rather than failing: figureLimit becomes twice its entries (so that a
   selection of every figure still fits behind it, as SelectFigures puts it)
   plus the configured figureLimit (room for new figures, as much as an
   empty drawing has), and the work area keeps its size behind it, 50
   entries on, as a set figureLimit moves it.  A session can set the sizes
   again afterwards. */
void Host::fitDrawing(long long entries, const std::string &name)
{
    if (entries <= rec.figureLimit())
        return;
    long long limit = 2 * entries + options_.figureLimit, base = limit + 50;
    long long end = base + (rec.workEnd() - rec.workBase());
    if (end + 1 + kGuardEntries > kMaxEntries)
        fail(kExitBadInput, name + ": the drawing takes " + std::to_string(entries) +
                                " entries; the host keeps at most " + std::to_string(kMaxEntries));
    if (std::optional<std::string> e =
            rec.layoutArrays(static_cast<int>(limit), static_cast<int>(base), static_cast<int>(end)))
        fail(kExitBadInput, name + ": " + *e);
    trace.write("tables sized for " + name + ": figureLimit " + std::to_string(limit) + ", workBase " +
                std::to_string(base) + ", workEnd " + std::to_string(end));
}

void Host::loadDrawing(const std::string &text, const std::string &name)
{
    long long entries = 0;
    if (std::optional<std::string> e = measureFigureList(text, name, entries))
        fail(kExitBadInput, *e);
    fitDrawing(entries, name);
    if (std::optional<std::string> e = loadFigureList(fig, text, name))
        fail(kExitBadInput, *e);
}

/* A DXF's inserts can multiply a small file into any number of figures, each
   held in memory while the drawing is read: the reader stops beyond this
   many entries (file:line), far above any real plan, well within a 32-bit
   process. */
constexpr long long kDxfMaxEntries = 4000000;

void Host::loadDxf(const std::string &bytes, const std::string &name)
{
    std::vector<std::string> notices;
    if (std::optional<std::string> e = tryLoadDxf(bytes, name, notices))
        fail(kExitBadInput, *e);
    for (const std::string &n : notices)
        std::fprintf(stderr, "nerolit-host: %s\n", n.c_str());
}

std::optional<std::string> Host::tryLoadDxf(const std::string &bytes, const std::string &name,
                                            std::vector<std::string> &notices, const DxfTell &tell)
{
    DxfDrawing d;
    if (std::optional<std::string> e = readDxf(bytes, name, static_cast<size_t>(kDxfMaxEntries), d, tell))
        return e;
    long long entries = 1;
    for (const Figure &f : d.figures)
        entries += entriesOfKind(f.kind);
    fitDrawing(entries, name);
    if (std::optional<std::string> e = fig.replace(d.figures))
        return name + ": " + *e;
    notices = d.notices;
    dxfNames = std::move(d.names);
    rec.put(TableField::unitFactor, d.unitFactor);
    rec.put(TableField::currentLayer, d.currentLayer);
    rec.put(TableField::currentColor, d.currentColor);
    rec.put(TableField::currentLineType, d.currentLineType);
    trace.write("drawing " + name + ": " + std::to_string(d.figures.size()) + " figures from DXF");
    return std::nullopt;
}

std::string Host::drawingDxf() const
{
    DxfCurrent current;
    current.layer = rec.i32(TableField::currentLayer);
    current.color = rec.i32(TableField::currentColor);
    current.lineType = rec.i32(TableField::currentLineType);
    return writeDxf(fig, dxfNames, rec.f64(TableField::unitFactor), current);
}

} // namespace host
