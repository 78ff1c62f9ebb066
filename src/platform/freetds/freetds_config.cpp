#include "platform/freetds/freetds_config.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <map>
#include <mutex>

#include "platform/desktop/owner_file.h"
#include "platform/error.h"

namespace freetds_config {
namespace {

// FreeTDS reads its lines into 256 bytes; a value this long leaves room for any key.
constexpr qsizetype kLongestValue = 200;
const QString kFilePrefix = QStringLiteral("freetds-");
const QString kFileSuffix = QStringLiteral(".conf");

struct State {
  std::mutex mutex;
  QString path;
  QString startedWith;
  QString systemFile = QStringLiteral("/etc/freetds/freetds.conf");
  std::map<QString, QList<Setting>> sections;
  bool written = false;
};

State& Current() {
  static State state;
  return state;
}

// A private folder of the user's: the session's runtime folder, else the user's data folder.
QString Folder() {
  const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
  const QString base = !runtime.isEmpty() && QDir::isAbsolutePath(runtime)
                           ? runtime
                           : QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
  return base + QStringLiteral("/ombrelia");
}

void RemoveFile() {
  State& state = Current();
  if (state.written) ::unlink(QFile::encodeName(state.path).constData());
}

// The file's name for a signal handler, which may neither allocate nor lock.
char removedOnSignal[4096] = {};

// A signal that ends the program (a kill, a closed terminal, a second Ctrl-C) removes the file
// first, then ends the program as the signal would have.
extern "C" void RemoveFileAndEnd(int signal) {
  if (removedOnSignal[0] != '\0') ::unlink(removedOnSignal);
  ::signal(signal, SIG_DFL);
  ::raise(signal);
}

void RemoveOnSignals(const QString& path) {
  const QByteArray name = QFile::encodeName(path);
  if (name.size() >= static_cast<qsizetype>(sizeof removedOnSignal)) return;
  std::copy(name.begin(), name.end(), removedOnSignal);
  for (const int signal : {SIGTERM, SIGHUP, SIGINT, SIGQUIT}) {
    struct sigaction action {};
    if (::sigaction(signal, nullptr, &action) != 0 || action.sa_handler == SIG_IGN) continue;
    action.sa_handler = RemoveFileAndEnd;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESETHAND;
    ::sigaction(signal, &action, nullptr);
  }
}

// Blanks folded into one and dropped at both ends, as FreeTDS reads options and values.
QString Folded(const QByteArray& text) {
  return QString::fromUtf8(text).simplified();
}

// The [global] settings of one file, in its order.
QList<Setting> GlobalSettings(const QString& path) {
  QFile file(path);
  QList<Setting> settings;
  if (!file.open(QIODevice::ReadOnly)) return settings;
  bool inGlobal = false;
  for (const QByteArray& raw : file.readAll().split('\n')) {
    const QByteArray line = raw.trimmed();
    if (line.isEmpty() || line.startsWith(';') || line.startsWith('#')) continue;
    const qsizetype equals = line.indexOf('=');
    const QString option = Folded(line.left(equals < 0 ? line.size() : equals)).toLower();
    if (option.startsWith(u'[')) {
      inGlobal = option.mid(1, option.indexOf(u']') - 1) == QLatin1String("global");
      continue;
    }
    if (!inGlobal || option.isEmpty() || equals < 0) continue;
    QByteArray value = line.mid(equals + 1);
    for (const char end : {';', '#'}) {
      if (const qsizetype at = value.indexOf(end); at >= 0) value.truncate(at);
    }
    settings.append({option, Folded(value)});
  }
  return settings;
}

void Merge(QList<Setting>& into, const QList<Setting>& later) {
  for (const Setting& setting : later) {
    const auto same = std::find_if(into.begin(), into.end(),
                                   [&](const Setting& s) { return s.key == setting.key; });
    if (same == into.end()) {
      into.append(setting);
    } else {
      same->value = setting.value;
    }
  }
}

QByteArray Rendered(const State& state) {
  QByteArray text =
      "# The FreeTDS configuration of Ombrelia (process " +
      QByteArray::number(QCoreApplication::applicationPid()) +
      "): one section a login whose server's\n"
      "# certificate is verified. It holds no password and goes when the program ends.\n";
  for (const auto& [name, settings] : state.sections) {
    text += "\n[" + name.toUtf8() + "]\n";
    for (const Setting& setting : settings) {
      text += '\t' + setting.key.toUtf8() + " = " + setting.value.toUtf8() + '\n';
    }
  }
  return text;
}

[[noreturn]] void Fail(const State& state, int error) {
  throw platform::Error(QStringLiteral("The FreeTDS configuration file %1 cannot be written: %2")
                            .arg(state.path, qt_error_string(error)));
}

// Files of runs that ended without removing theirs (a crash, a kill) are removed.
void RemoveLeftovers(const QString& folder) {
  const QStringList names =
      QDir(folder).entryList({kFilePrefix + u'*' + kFileSuffix}, QDir::Files | QDir::Hidden);
  for (const QString& name : names) {
    bool number = false;
    const qint64 pid =
        name.mid(kFilePrefix.size(), name.size() - kFilePrefix.size() - kFileSuffix.size())
            .toLongLong(&number);
    if (!number || pid <= 0 || pid == QCoreApplication::applicationPid()) continue;
    if (::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH) {
      QFile::remove(QDir(folder).filePath(name));
    }
  }
}

// The whole file goes to a new name first and then takes the file's name in one step.
void WriteWhole(State& state) {
  const QString folder = QFileInfo(state.path).path();
  if (std::optional<QString> reason = owner_file::MakeFolders(folder)) {
    throw platform::Error(QStringLiteral("The folder %1 cannot be made: %2").arg(folder, *reason));
  }
  if (!state.written) RemoveLeftovers(folder);
  const QByteArray path = QFile::encodeName(state.path);
  const QByteArray fresh = path + ".new";
  ::unlink(fresh.constData());
  const int descriptor =
      ::open(fresh.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, S_IRUSR | S_IWUSR);
  if (descriptor < 0) Fail(state, errno);
  const QByteArray text = Rendered(state);
  const bool whole = ::write(descriptor, text.constData(), text.size()) == text.size();
  const int error = errno;
  ::close(descriptor);
  if (!whole || ::rename(fresh.constData(), path.constData()) != 0) {
    const int failure = whole ? errno : error;
    ::unlink(fresh.constData());
    Fail(state, failure);
  }
  state.written = true;
}

}  // namespace

void Prepare() {
  State& state = Current();
  if (!state.path.isEmpty()) return;
  state.startedWith = qEnvironmentVariable("FREETDSCONF");
  state.path = Folder() + u'/' + kFilePrefix + QString::number(QCoreApplication::applicationPid()) +
               kFileSuffix;
  qputenv("FREETDSCONF", QFile::encodeName(state.path));
  std::atexit(RemoveFile);
  RemoveOnSignals(state.path);
}

QString FilePath() {
  return Current().path;
}

QList<Setting> SystemSettings() {
  State& state = Current();
  const QString freetds = qEnvironmentVariable("FREETDS");
  QStringList files;
  {
    const std::lock_guard lock(state.mutex);
    files << state.startedWith
          << (freetds.isEmpty() ? QString() : freetds + QStringLiteral("/etc/freetds.conf"))
          << QDir::homePath() + QStringLiteral("/.freetds.conf") << state.systemFile;
  }
  QList<Setting> settings;
  for (const QString& file : files) {
    if (!file.isEmpty()) Merge(settings, GlobalSettings(file));
  }
  return settings;
}

void WriteSection(const QString& name, const QList<Setting>& settings) {
  State& state = Current();
  const std::lock_guard lock(state.mutex);
  if (state.path.isEmpty()) {
    throw platform::Error(
        QStringLiteral("The program's FreeTDS configuration file was not named at its start."));
  }
  state.sections[name.toLower()] = settings;
  WriteWhole(state);
}

bool Writable(const QString& value) {
  if (value.isEmpty() || value.toUtf8().size() > kLongestValue) return false;
  if (value.front().isSpace() || value.back().isSpace()) return false;
  for (qsizetype i = 0; i < value.size(); ++i) {
    const QChar c = value[i];
    if (c == u';' || c == u'#' || c.category() == QChar::Other_Control) return false;
    if (c.isSpace() && value[i + 1].isSpace()) return false;
  }
  return true;
}

void SetSystemFile(const QString& path) {
  State& state = Current();
  const std::lock_guard lock(state.mutex);
  state.systemFile = path;
}

void SetStartedWith(const QString& path) {
  State& state = Current();
  const std::lock_guard lock(state.mutex);
  state.startedWith = path;
}

}  // namespace freetds_config
