#include <gtest/gtest.h>
TEST (Skel, P) { EXPECT_EQ (1, 1); }
