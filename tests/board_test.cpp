#include <gtest/gtest.h>
#include "test_support.h"
TEST(Placeholder, Builds) { testing_support::freshEngine(); }
