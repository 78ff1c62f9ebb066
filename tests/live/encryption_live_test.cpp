// Encrypted logins against two live servers: the plain one (support/live_server.h) and one that
// encrypts with a certificate of a private certificate authority, made and started by
// scripts/tls-test-server.sh, which names it by OMBRELIA_TEST_TLS_PORT, OMBRELIA_TEST_TLS_CA
// (the authority that issued the server's certificate, for localhost and 127.0.0.1) and
// OMBRELIA_TEST_TLS_OTHER_CA (an authority that issued nothing). Without them these tests skip.

#include <gtest/gtest.h>

#include "cli/cli_run.h"
#include "connections/encryption.h"
#include "support/live_server.h"
#include "support/qt_printers.h"
#include "support/scripted_terminal.h"
#include "support/temp_settings.h"

namespace {

constexpr char kNoTlsServer[] =
    "no live SQL Server with TLS: run eval \"$(bash scripts/tls-test-server.sh start)\" "
    "(it sets OMBRELIA_TEST_TLS_PORT, OMBRELIA_TEST_TLS_CA and OMBRELIA_TEST_TLS_OTHER_CA) beside "
    "the live server of OMBRELIA_TEST_SERVER";

struct Servers {
  ConnectionProfile plain;
  ConnectionProfile tls;
  QString ca;
  QString otherCa;
};

std::optional<Servers> LiveServers() {
  const std::optional<ConnectionProfile> plain = LiveProfile(1);
  const QString port = qEnvironmentVariable("OMBRELIA_TEST_TLS_PORT");
  if (!plain || port.isEmpty()) return std::nullopt;
  ConnectionProfile tls = *plain;
  tls.Port = port;
  return Servers{*plain, tls, qEnvironmentVariable("OMBRELIA_TEST_TLS_CA"),
                 qEnvironmentVariable("OMBRELIA_TEST_TLS_OTHER_CA")};
}

ConnectionProfile With(ConnectionProfile profile, const char* encryption,
                       const QString& caFile = {}) {
  profile.Encryption = QString::fromLatin1(encryption);
  profile.CaFile = caFile;
  return profile;
}

// "opened" after a statement ran on the login; else what refused it.
QString Outcome(const ConnectionProfile& profile) {
  std::unique_ptr<adodb::Connection> connection = adodb::CreateOdbcConnection();
  try {
    OpenLogin(*connection, profile);
    connection->Execute(QStringLiteral("SELECT 1"));
    return QStringLiteral("opened");
  } catch (const EncryptionRefused& refused) {
    return QStringLiteral("refused: ") + refused.Description();
  } catch (const platform::Error& error) {
    return QStringLiteral("failed: ") + error.Description();
  }
}

}  // namespace

TEST(EncryptionLive, VerifyWithTheServersAuthorityConnectsAndRequestConnectsToBothServers) {
  const std::optional<Servers> servers = LiveServers();
  if (!servers) GTEST_SKIP() << kNoTlsServer;
  const LiveDriver driver;
  EXPECT_EQ(Outcome(With(servers->plain, "request")), "opened");
  EXPECT_EQ(Outcome(With(servers->tls, "request")), "opened");
  EXPECT_EQ(Outcome(With(servers->tls, "require")), "opened");
  EXPECT_EQ(Outcome(With(servers->tls, "verify", servers->ca)), "opened");
  ConnectionProfile byName = With(servers->tls, "verify", servers->ca);
  byName.Server = QStringLiteral("localhost");
  EXPECT_EQ(Outcome(byName), "opened");
  // A refused password is the server's word, not the encryption's.
  ConnectionProfile wrongPassword = With(servers->tls, "verify", servers->ca);
  wrongPassword.Password = QStringLiteral("not the password");
  const QString refused = Outcome(wrongPassword);
  EXPECT_TRUE(refused.startsWith("failed: ")) << refused.toStdString();
}

TEST(EncryptionLive, ACertificateOfAnotherAuthorityOrNameIsRefusedWithTheCertificateNamed) {
  const std::optional<Servers> servers = LiveServers();
  if (!servers) GTEST_SKIP() << kNoTlsServer;
  const LiveDriver driver;
  const QString certificate = QStringLiteral(
      "refused: the server's certificate \"CN=localhost\" (issued by "
      "\"CN=Ombrelia Test CA\") ");
  EXPECT_EQ(Outcome(With(servers->tls, "verify", servers->otherCa)),
            certificate + "is not signed by the certificate authority of the CA file " +
                servers->otherCa +
                ". Name the CA file of the authority that issued it (the server's administrator "
                "has it); otherwise the server may not be the one it claims to be.");
  EXPECT_TRUE(Outcome(With(servers->tls, "verify"))
                  .startsWith(certificate +
                              "is not signed by a certificate authority this system trusts."));
  // 127.1 is 127.0.0.1 to the resolver, but not a name the certificate is made out to.
  ConnectionProfile otherName = With(servers->tls, "verify", servers->ca);
  otherName.Server = QStringLiteral("127.1");
  EXPECT_TRUE(Outcome(otherName).startsWith(
      certificate +
      "is made out to localhost, 127.0.0.1, not to 127.1, the server this login "
      "names."))
      << Outcome(otherName).toStdString();
}

TEST(EncryptionLive, RequireAgainstAServerWithoutTlsIsRefusedAndSaysSo) {
  const std::optional<Servers> servers = LiveServers();
  if (!servers) GTEST_SKIP() << kNoTlsServer;
  const LiveDriver driver;
  const QString refusal = QStringLiteral(
      "refused: the server does not encrypt its connections, and this login requires "
      "encryption (%1).");
  EXPECT_TRUE(Outcome(With(servers->plain, "require")).startsWith(refusal.arg("require")));
  EXPECT_TRUE(
      Outcome(With(servers->plain, "verify", servers->ca)).startsWith(refusal.arg("verify")));
}

// Refusals for the encryption's sake are failed logins: exit status 3, one line that says why.
TEST(EncryptionLive, TheCommandLineSaysWhyAndExitsAsForAFailedLogin) {
  const std::optional<Servers> servers = LiveServers();
  if (!servers) GTEST_SKIP() << kNoTlsServer;
  const LiveDriver driver;
  const TempSettings settings;
  const ScriptedTerminal nobody(false);
  qputenv("OMBRELIA_PASSWORD1", servers->tls.Password.toUtf8());
  const QStringList login = {"--server1",       servers->tls.Server, "--user1",
                             servers->tls.User, "--database1",       servers->tls.Database};
  const CliRun verified = RunCli(QStringList{"test", "1", "--port1", servers->tls.Port,
                                             "--encrypt1", "verify", "--ca-file1", servers->ca} +
                                 login);
  const CliRun otherAuthority =
      RunCli(QStringList{"test", "1", "--port1", servers->tls.Port, "--encrypt1", "verify",
                         "--ca-file1", servers->otherCa} +
             login);
  const CliRun plain = RunCli(
      QStringList{"test", "1", "--port1", servers->plain.Port, "--encrypt1", "require"} + login);
  qunsetenv("OMBRELIA_PASSWORD1");
  EXPECT_EQ(verified.exitCode, cli::kDone) << verified.err.toStdString();
  const QString tried = "ombrelia: cannot open Database #1, " + servers->tls.Database + " on " +
                        servers->tls.Server + ",%1 as " + servers->tls.User + ": ";
  EXPECT_EQ(otherAuthority.exitCode, cli::kNotConnected);
  EXPECT_TRUE(otherAuthority.err.startsWith(tried.arg(servers->tls.Port) +
                                            "the server's certificate \"CN=localhost\""))
      << otherAuthority.err.toStdString();
  EXPECT_EQ(otherAuthority.err.count(QLatin1Char('\n')), 1);
  EXPECT_EQ(plain.exitCode, cli::kNotConnected);
  EXPECT_TRUE(plain.err.startsWith(tried.arg(servers->plain.Port) +
                                   "the server does not encrypt its connections"))
      << plain.err.toStdString();
}
