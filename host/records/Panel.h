/*
 * Panel.h - the option panel as the module built it: items, the shapes it
 * drew on the panel's surface, and the values bound to its fields.
 *
 * What shaped it: the module binds panel fields to its own variables and
 * may bind variables of its own stack frame, which end when the command
 * returns while the last panel is still pictured and reported; so from
 * ClosePanel on the host keeps copies (keptInts, keptDoubles) and the
 * items point there.
 */
#ifndef NEROLIT_HOST_PANEL_H
#define NEROLIT_HOST_PANEL_H

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

namespace host {

/* An item of the open panel, as the module built it. */
enum class ItemKind { Check, Radio, Caption, Selector, Number, List, Header, Layer, LineType, Color, Group, GroupChoice };
/* The item kind's word in traces and in the engine's panel data. */
const char *itemKindName(ItemKind k);

struct PanelItem {
    ItemKind kind = ItemKind::Caption;
    int row = 0, first = 0, last = 0;
    std::string caption; /* UTF-8 */
    int32_t *boundInt = nullptr;
    int32_t *boundMode = nullptr; /* group items: the group mode */
    double *boundDouble = nullptr;
    double a = 0, b = 0, c = 0, d = 0; /* AddPanelItem's four doubles */
    double lowest = 0, highest = 0;    /* number fields */
    int decimals = 0, eventId = 0, firstValue = 0, modes = 0;
    std::vector<std::string> entries; /* lists, UTF-8 */
};

struct PanelShape {
    bool circle = false;
    int32_t surface = 0, colour = 0;
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0, r = 0;
    std::string option; /* "B", "BF" or empty (a line) */
};

struct Panel {
    bool open = false;
    int rows = 0, columns = 0, x = 0, y = 0;
    std::vector<PanelItem> items;
    std::vector<PanelShape> shapes;
    int result = 1;        /* PanelResult */
    bool cancelled = false;
    std::string caption;   /* of the last WaitPanelEvent, UTF-8 */
    std::deque<int32_t> keptInts;  /* the bound values from ClosePanel on */
    std::deque<double> keptDoubles;
};

} // namespace host

#endif
