// The login's encryption as the Windows driver "SQL Server" reads it: its own keywords, and a
// CA file refused with what to do instead, before anything connects.

#include <gtest/gtest.h>

#include "connections/connection_profile.h"
#include "connections/encryption.h"
#include "platform/odbc/login_encryption.h"
#include "support/qt_printers.h"

TEST(WindowsConnectionString, EncryptionGoesAsTheDriversOwnKeywordsAndACaFileIsRefused) {
  ConnectionProfile profile{"sql1", "ann", "pw", "db", "1433", "0"};
  const QString plain = "Driver={SQL Server};Server=sql1,1433;Database=db;Uid=ann;Pwd=pw;";
  EXPECT_EQ(BuildConnectionString(profile), plain);
  profile.Encryption = "require";
  EXPECT_EQ(BuildConnectionString(profile), plain + "Encrypt=yes;TrustServerCertificate=yes;");
  profile.Encryption = "verify";
  EXPECT_EQ(BuildConnectionString(profile), plain + "Encrypt=yes;TrustServerCertificate=no;");
  EXPECT_FALSE(login_encryption::CaFileProblem(QString()));
  const std::optional<QString> problem = login_encryption::CaFileProblem("C:\\certs\\ca.pem");
  ASSERT_TRUE(problem);
  EXPECT_TRUE(problem->contains("Windows certificate store")) << problem->toStdString();
  EXPECT_TRUE(problem->contains("C:\\certs\\ca.pem")) << problem->toStdString();
}
