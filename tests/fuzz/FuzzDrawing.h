/*
 * FuzzDrawing.h - figures the fuzz bytes add to the input's drawing: lines,
 * arcs, circles, points and texts at ordinary and extreme coordinates (the
 * ends of the 32-bit range), with links, odd attributes (layers and colours
 * beyond what their fields pack, negative groups, zero and huge text sizes,
 * texts longer than the module's buffers) and both text kinds.
 */
#ifndef NEROLIT_TESTS_FUZZ_FUZZDRAWING_H
#define NEROLIT_TESTS_FUZZ_FUZZDRAWING_H

#include "tests/fuzz/FuzzInput.h"

#include <string>

namespace fuzz {

/* Figure-list lines made from the first bytes: a count (0 to 15 figures,
   none for about half the inputs), then each figure's kind and values. */
std::string extraFigures(FuzzBytes &bytes);

} // namespace fuzz

#endif
