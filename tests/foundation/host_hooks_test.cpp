#include "foundation/host_hooks.h"

#include <gtest/gtest.h>

TEST(FormatHostMessage, SubstitutesNumberedArgumentsAndKeepsOtherPercentSigns) {
  EXPECT_EQ(FormatHostMessage("%1 does not exist or can not be loaded.", {"/x/Vistafold.rsc"}),
            "/x/Vistafold.rsc does not exist or can not be loaded.");
  EXPECT_EQ(FormatHostMessage("%2-%1 100% %", {"a", "b"}), "b-a 100% %");
  EXPECT_EQ(FormatHostMessage("missing %3.", {"a"}), "missing .");
}
