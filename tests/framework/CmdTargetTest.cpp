#include <gtest/gtest.h>
#include "framework/core/Module.h"
TEST(Module, FindsItsOwnInstance) { EXPECT_NE(corvasin::ModuleInstance(), nullptr); }
