#include "connections/validation.h"

#include "connections/encryption.h"
#include "jobs/worker.h"
#include "platform/odbc/adodb.h"

namespace MSSQL {
namespace {

// The login may wait on a server that does not answer: it runs on a worker.
bool OpensDatabase(const ConnectionProfile& profile, QString* why) {
  QString reason;
  const bool opened = jobs::Wait([&] {
    std::unique_ptr<adodb::Connection> connection = adodb::CreateConnection();
    try {
      OpenLogin(*connection, profile);
      return true;
    } catch (const UnsafeLoginValue& unsafe) {
      reason = unsafe.Description();
    } catch (const UnusableEncryption& unusable) {
      reason = unusable.Description();
    } catch (const EncryptionRefused& refused) {
      reason = AsSentence(refused.Description());
    } catch (...) {
    }
    return false;
  });
  if (why) *why = reason;
  return opened;
}

}  // namespace

bool ValidateDatabase1(const ConnectionProfiles& profiles, QString* why) {
  return OpensDatabase(profiles.Profile1(), why);
}

bool ValidateDatabase2(const ConnectionProfiles& profiles, QString* why) {
  return OpensDatabase(profiles.Profile2(), why);
}

}  // namespace MSSQL
