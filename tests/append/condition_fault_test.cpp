// A condition the user types must stand alone between the parentheses the statements put it in.

#include <gtest/gtest.h>

#include "append/engine/condition_fault.h"

TEST(ConditionFault, AConditionThatStandsAloneIsTakenAndOneThatReachesOutIsNot) {
  struct Case {
    const char* condition;
    bool standsAlone;
  };
  const Case cases[] = {
      {"id > 0", true},
      {"id > 0 -- every row", true},
      {"name = N'a)b;c--d/*'", true},
      {"[odd)name] = 1 AND \"also;odd\" = 2", true},
      {"(a = 1 OR b = 2) AND c IN (SELECT x FROM keep)", true},
      {"a = 1 /* a /* nested */ comment */", true},
      {"note = 'it''s'", true},
      {"id > 0) OR (1 = 1", false},
      {"id > 0; DROP TABLE t", false},
      {"id > 0 /* open", false},
      {"a = 1 /* a /* nested */ open", false},
      {"name = 'open", false},
      {"[open = 1", false},
      {"(a = 1", false},
      {"a = 1)", false},
  };
  for (const Case& each : cases) {
    EXPECT_EQ(!append::ConditionFault(QString::fromUtf8(each.condition)).has_value(),
              each.standsAlone)
        << each.condition;
  }
}
