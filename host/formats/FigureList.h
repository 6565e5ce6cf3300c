/*
 * FigureList.h - the figure list: the drawing as text, one figure a line
 * ("12 line 0 0 100 0 layer=1 group=0 color=1 ltype=1"), in the integers
 * the tables store.  What tests compare and sessions start from.
 */
#ifndef NEROLIT_HOST_FIGURELIST_H
#define NEROLIT_HOST_FIGURELIST_H

#include "host/records/Figures.h"

#include <optional>
#include <string>

namespace host {

/* The drawing's figures before its first end marker (all of figureLimit
   when there is none), a line each with its index. */
std::string figureList(const FigureTable &t);
/* Figure i in list form, without the index; an entry that starts no known
   figure as "raw" and its seven words. */
std::string figureLine(const FigureTable &t, int i);

/* Replaces the drawing by a figure list; an error names the line (and
   nothing changes then). */
std::optional<std::string> loadFigureList(FigureTable &t, const std::string &text, const std::string &fileName);
/* Entries a figure list's drawing takes, its end marker included (no
   table is touched); an error names the line. */
std::optional<std::string> measureFigureList(const std::string &text, const std::string &fileName, long long &entries);

/* One figure-list line ("line 0 0 10 0 layer=1", optional leading index);
   the error text says what is wrong. */
struct ParsedFigure {
    int index = -1;
    Figure figure;
};
std::optional<ParsedFigure> parseFigureLine(const std::string &line, std::string &error);

} // namespace host

#endif
