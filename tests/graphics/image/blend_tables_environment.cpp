// The kernels read the process-wide blend tables, which the program builds once at start-up;
// the test program builds them once before any test.
#include <gtest/gtest.h>

#include "graphics/compose/blend_tables.h"

namespace {

class BlendTablesEnvironment : public ::testing::Environment {
public:
    void SetUp() override { InitBlendTables(); }
};

const ::testing::Environment* const kBlendTables =
    ::testing::AddGlobalTestEnvironment(new BlendTablesEnvironment);

}  // namespace
