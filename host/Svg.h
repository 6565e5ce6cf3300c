/*
 * Svg.h - pictures of what a session did, for people and for tests to look
 * at: nothing reads them back, so they may change with taste; the figure
 * lists are the record that tests compare.
 */
#ifndef NEROLIT_HOST_SVG_H
#define NEROLIT_HOST_SVG_H

#include <string>

namespace host {

class Host;

std::string drawingSvg(const Host &host); /* the drawing, y up, fitted to the page */
std::string displaySvg(const Host &host); /* what the display shows now */
std::string panelSvg(const Host &host);   /* the open (or last) panel */

} // namespace host

#endif
