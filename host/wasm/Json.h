/*
 * Json.h - what the engine tells JavaScript, as JSON text: the request
 * (User.h's Ask), the display, the open panel and the figures.  The shapes
 * are the README's ("JavaScript interface"); numbers are written in their
 * shortest exact form, texts in UTF-8.
 */
#ifndef NEROLIT_HOST_WASM_JSON_H
#define NEROLIT_HOST_WASM_JSON_H

#include "host/Host.h"

#include <string>

namespace host {

/* "command", "point", "cursor", "region", "select", "panel", "group",
   "message", "poll". */
const char *requestKindName(Request r);

/* A text as a JSON string, in quotes. */
std::string jsonString(const std::string &utf8);

std::string requestJson(const Ask &ask);
std::string displayJson(const Host &h);
/* The open panel, or null. */
std::string panelJson(const Host &h);
/* The drawing's figures (up to its end marker). */
std::string figuresJson(const Host &h);
/* The same for the drawing's texts only. */
std::string textFiguresJson(const Host &h);
/* What the figures' attribute numbers name and how long a unit is:
   {"unitFactor", "insUnits", "fromDxf", "layers": [{"name", "color",
   "off", "lineType"}], "lineTypes": [{"name", "dashes"}]}, dashes in
   stored units (negative a gap, 0 a dot). */
std::string namesJson(const Host &h);
/* A number that changes when the drawing's figures change (a hash of
   their entries up to the end marker). */
uint32_t drawingStamp(const Host &h);

} // namespace host

#endif
