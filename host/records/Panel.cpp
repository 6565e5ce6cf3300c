/*
 * Panel.cpp - the item kinds' words, as traces and the engine's panel data
 * name them.
 */
#include "host/records/Panel.h"

namespace host {

const char *itemKindName(ItemKind k)
{
    switch (k) {
    case ItemKind::Check: return "check";
    case ItemKind::Radio: return "radio";
    case ItemKind::Caption: return "caption";
    case ItemKind::Selector: return "value";
    case ItemKind::Number: return "number";
    case ItemKind::List: return "list";
    case ItemKind::Header: return "header";
    case ItemKind::Layer: return "layer";
    case ItemKind::LineType: return "linetype";
    case ItemKind::Color: return "color";
    case ItemKind::Group: return "group";
    case ItemKind::GroupChoice: return "groupchoice";
    }
    return "?";
}

} // namespace host
