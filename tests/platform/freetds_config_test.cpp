#include "platform/freetds/freetds_config.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "support/qt_printers.h"

namespace {

using freetds_config::Setting;

void Write(const QString& path, const QByteArray& text) {
  QDir().mkpath(QFileInfo(path).path());
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(text);
}

QByteArray Read(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Sets an environment variable while it lives.
class Variable {
 public:
  Variable(const char* name, const QString& value)
      : name_(name), had_(qEnvironmentVariableIsSet(name)), old_(qgetenv(name)) {
    qputenv(name, value.toUtf8());
  }
  ~Variable() { had_ ? qputenv(name_, old_) : qunsetenv(name_); }

 private:
  const char* name_;
  bool had_;
  QByteArray old_;
};

}  // namespace

TEST(FreetdsConfig, SystemSettingsAreTheGlobalSectionsOfTheDriversFilesTheLaterWinning) {
  const QTemporaryDir folder;
  const QString root = folder.path();
  Write(
      root + "/started.conf",
      "[global]\n  TDS   Version = 7.1 ; the old one\n\ttext size = 100\n[egServer]\n\thost = x\n");
  Write(root + "/freetds/etc/freetds.conf", "[global]\n\tclient charset = ISO-8859-1\n");
  Write(root + "/home/.freetds.conf", "# mine\n[Global]\n\ttds version = 7.2\n\tport = 2433\n");
  Write(root + "/system.conf", "[global]\n\ttds version = 7.4\n\tclient charset = UTF-8\n");
  const Variable freetds("FREETDS", root + "/freetds");
  const Variable home("HOME", root + "/home");
  freetds_config::SetStartedWith(root + "/started.conf");
  freetds_config::SetSystemFile(root + "/system.conf");
  const QList<Setting> settings = freetds_config::SystemSettings();
  freetds_config::SetStartedWith({});
  freetds_config::SetSystemFile("/etc/freetds/freetds.conf");
  EXPECT_EQ(settings, QList<Setting>({{"tds version", "7.4"},
                                      {"text size", "100"},
                                      {"client charset", "UTF-8"},
                                      {"port", "2433"}}));
}

TEST(FreetdsConfig, SectionsGoWholeIntoAPrivateFileThatTheDriverIsToldOf) {
  const QString path = freetds_config::FilePath();
  ASSERT_FALSE(path.isEmpty());
  EXPECT_EQ(qEnvironmentVariable("FREETDSCONF"), path);
  freetds_config::WriteSection("ombrelia-a", {{"host", "h1"}, {"ca file", "/certs/a ca.pem"}});
  freetds_config::WriteSection("ombrelia-b", {{"host", "h2"}});
  freetds_config::WriteSection("ombrelia-a", {{"host", "h3"}, {"encryption", "require"}});
  const QByteArray text = Read(path);
  EXPECT_TRUE(
      text.contains("\n[ombrelia-a]\n\thost = h3\n\tencryption = require\n\n[ombrelia-b]\n"
                    "\thost = h2\n"))
      << text.toStdString();
  EXPECT_FALSE(text.contains("h1"));
  EXPECT_EQ(QFile::permissions(path),
            QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser);
  EXPECT_FALSE(QFile::exists(path + ".new"));

  EXPECT_TRUE(freetds_config::Writable("/certs/a ca.pem"));
  for (const char* value : {"a;b", "a#b", "a  b", " a", "a ", "a\tb", "a\nb", ""}) {
    EXPECT_FALSE(freetds_config::Writable(value)) << value;
  }
  EXPECT_FALSE(freetds_config::Writable(QString(201, 'x')));
}
