#include "connections/validation.h"

#include "jobs/worker.h"
#include "platform/adodb.h"

namespace MSSQL {
namespace {

// The login may wait on a server that does not answer: it runs on a worker.
bool OpensDatabase(const ConnectionProfile& profile) {
  return jobs::Wait([&] {
    std::unique_ptr<adodb::Connection> connection = adodb::CreateConnection();
    try {
      connection->Open(BuildConnectionString(profile));
      return true;
    } catch (...) {
      return false;
    }
  });
}

}  // namespace

bool ValidateDatabase1(const ConnectionProfiles& profiles) {
  return OpensDatabase(profiles.Profile1());
}

bool ValidateDatabase2(const ConnectionProfiles& profiles) {
  return OpensDatabase(profiles.Profile2());
}

}  // namespace MSSQL
