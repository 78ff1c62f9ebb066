#include "connections/validation.h"

#include "platform/adodb.h"

namespace MSSQL {
namespace {

bool OpensDatabase(const ConnectionProfile& profile) {
  std::unique_ptr<adodb::Connection> connection = adodb::CreateConnection();
  try {
    connection->Open(BuildConnectionString(profile));
    return true;
  } catch (...) {
    return false;
  }
}

}  // namespace

bool ValidateDatabase1(const ConnectionProfiles& profiles) {
  return OpensDatabase(profiles.Profile1());
}

bool ValidateDatabase2(const ConnectionProfiles& profiles) {
  return OpensDatabase(profiles.Profile2());
}

}  // namespace MSSQL
