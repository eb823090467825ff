#include "base/output_names.h"

#include <gtest/gtest.h>

TEST(OutputNames, ClaimsRenameAPathUsedBefore) {
  TOutputNames names;
  bool renamed = true;
  EXPECT_EQ("out/a.voc", names.claim("out", "a.voc", ".voc", renamed));
  EXPECT_FALSE(renamed);
  // The same place written differently is the same path.
  EXPECT_EQ("./out//a~2.voc", names.claim("./out/", "a.voc", ".voc", renamed));
  EXPECT_TRUE(renamed);
  EXPECT_EQ("out/a~3.voc", names.claim("out", "a.voc", ".voc", renamed));
  EXPECT_EQ("out/x.y", names.claim("out", "x.y", "", renamed));
  EXPECT_EQ("out/x.y~2", names.claim("out", "x.y", "", renamed));
  // A name that happens to equal a renamed one is renamed in turn.
  EXPECT_EQ("out/a~2~2.voc", names.claim("out", "a~2.voc", ".voc", renamed));
  EXPECT_EQ("other/a.voc", names.claim("other", "a.voc", ".voc", renamed));
  EXPECT_FALSE(renamed);
  names.reserve("out/log.log");
  EXPECT_EQ("out/log.log~2", names.claim("out", "log.log", "", renamed));
}
