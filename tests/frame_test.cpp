// Placeholder until the frame tests are written.
#include "tests/support/TestHost.h"
#include <gtest/gtest.h>
TEST(Frame, Builds) { SUCCEED(); }
