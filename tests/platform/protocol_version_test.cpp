#include "platform/freetds/protocol_version.h"

#include <gtest/gtest.h>

namespace {

using freetds_config::Setting;

struct Case {
  const char* what;
  QString startedWith;
  QList<Setting> system;
  QString named;
};

}  // namespace

// The driver is never left to guess, which would try Sybase's protocol after SQL Server's.
TEST(ProtocolVersion, TheVersionNamedIsTheUsersElseTheConfiguredElseSqlServers) {
  const Case cases[] = {
      {"nothing said", {}, {}, "7.4"},
      {"the environment's", " 7.2 ", {{"tds version", "7.3"}}, "7.2"},
      {"the configured one", {}, {{"client charset", "UTF-8"}, {"tds version", "7.3"}}, "7.3"},
      {"auto in the environment guesses", "AUTO", {{"tds version", "7.1"}}, "7.1"},
      {"auto configured guesses", {}, {{"tds version", "auto"}}, "7.4"},
      {"other settings only", {}, {{"text size", "100"}}, "7.4"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(freetds_protocol::VersionToName(c.startedWith, c.system), c.named) << c.what;
  }
}
