#include <gtest/gtest.h>
TEST(Platform, Builds) { SUCCEED(); }
