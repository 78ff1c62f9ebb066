// QtKeychain's jobs on Windows, kept in the Credential Manager. Each secret is a generic
// credential named "<service>/<key>", persisted for this user on this machine, its blob the
// secret's bytes (text as UTF-8). The jobs answer from the event loop of the thread they live
// in, as QtKeychain's do: start() returns at once and finished() follows.
#include <qt6keychain/keychain.h>

#include <QCoreApplication>
#include <QMetaObject>
#include <string>

#include <windows.h>

// After windows.h, whose types it uses.
#include <wincred.h>

namespace QKeychain {

class JobPrivate {
 public:
  explicit JobPrivate(const QString& service) : service(service) {}
  virtual ~JobPrivate() = default;

  // Does the job's work and ends it with emitFinished() or emitFinishedWithError().
  virtual void Run(Job& job) = 0;

  std::wstring Target() const { return (service + QLatin1Char('/') + key).toStdWString(); }

  static QString Text(const char* text) {
    return QCoreApplication::translate("QKeychain::Job", text);
  }

  // Ends JOB with the system's words for the last error; NOT_FOUND names a missing entry.
  static void FinishWithLastError(Job& job, const char* what) {
    const DWORD code = GetLastError();
    if (code == ERROR_NOT_FOUND) {
      job.emitFinishedWithError(EntryNotFound, Text("Password entry not found"));
      return;
    }
    job.emitFinishedWithError(
        OtherError, Text(what) + QStringLiteral(": ") + qt_error_string(static_cast<int>(code)));
  }

  QString service;
  QString key;
  QByteArray data;
  Error error = NoError;
  QString errorString;
  bool autoDelete = true;
  bool insecureFallback = false;
  QSettings* settings = nullptr;
};

class ReadPasswordJobPrivate : public JobPrivate {
 public:
  using JobPrivate::JobPrivate;

  void Run(Job& job) override {
    const std::wstring target = Target();
    PCREDENTIALW credential = nullptr;
    if (!CredReadW(target.c_str(), CRED_TYPE_GENERIC, 0, &credential)) {
      FinishWithLastError(job, "Could not read the password");
      return;
    }
    data = QByteArray(reinterpret_cast<const char*>(credential->CredentialBlob),
                      static_cast<qsizetype>(credential->CredentialBlobSize));
    CredFree(credential);
    job.emitFinished();
  }
};

class WritePasswordJobPrivate : public JobPrivate {
 public:
  using JobPrivate::JobPrivate;

  void Run(Job& job) override {
    if (data.size() > CRED_MAX_CREDENTIAL_BLOB_SIZE) {
      job.emitFinishedWithError(OtherError, Text("The password is too long to store"));
      return;
    }
    std::wstring target = Target();
    std::wstring user = key.toStdWString();
    CREDENTIALW credential{};
    credential.Type = CRED_TYPE_GENERIC;
    credential.TargetName = target.data();
    credential.UserName = user.data();
    credential.CredentialBlobSize = static_cast<DWORD>(data.size());
    credential.CredentialBlob = reinterpret_cast<LPBYTE>(data.data());
    credential.Persist = CRED_PERSIST_LOCAL_MACHINE;
    if (!CredWriteW(&credential, 0)) {
      FinishWithLastError(job, "Could not store the password");
      return;
    }
    job.emitFinished();
  }
};

class DeletePasswordJobPrivate : public JobPrivate {
 public:
  using JobPrivate::JobPrivate;

  void Run(Job& job) override {
    const std::wstring target = Target();
    if (!CredDeleteW(target.c_str(), CRED_TYPE_GENERIC, 0)) {
      FinishWithLastError(job, "Could not delete the password");
      return;
    }
    job.emitFinished();
  }
};

Job::Job(JobPrivate* q, QObject* parent) : QObject(parent), d(q) {}

Job::~Job() {
  delete d;
}

QSettings* Job::settings() const {
  return d->settings;
}

void Job::setSettings(QSettings* settings) {
  d->settings = settings;
}

void Job::start() {
  QMetaObject::invokeMethod(
      this, [this] { doStart(); }, Qt::QueuedConnection);
}

QString Job::service() const {
  return d->service;
}

Error Job::error() const {
  return d->error;
}

QString Job::errorString() const {
  return d->errorString;
}

bool Job::autoDelete() const {
  return d->autoDelete;
}

void Job::setAutoDelete(bool autoDelete) {
  d->autoDelete = autoDelete;
}

bool Job::insecureFallback() const {
  return d->insecureFallback;
}

void Job::setInsecureFallback(bool insecureFallback) {
  d->insecureFallback = insecureFallback;
}

QString Job::key() const {
  return d->key;
}

void Job::setKey(const QString& key) {
  d->key = key;
}

void Job::emitFinished() {
  emit finished(this);
  if (d->autoDelete) deleteLater();
}

void Job::emitFinishedWithError(Error error, const QString& errorString) {
  setError(error);
  setErrorString(errorString);
  emitFinished();
}

void Job::doStart() {
  scheduledStart();
}

void Job::setError(Error error) {
  d->error = error;
}

void Job::setErrorString(const QString& errorString) {
  d->errorString = errorString;
}

void Job::scheduledStart() {
  setError(NoError);
  setErrorString(QString());
  d->Run(*this);
}

ReadPasswordJob::ReadPasswordJob(const QString& service, QObject* parent)
    : Job(new ReadPasswordJobPrivate(service), parent) {}

ReadPasswordJob::~ReadPasswordJob() = default;

QByteArray ReadPasswordJob::binaryData() const {
  return d->data;
}

QString ReadPasswordJob::textData() const {
  return QString::fromUtf8(d->data);
}

WritePasswordJob::WritePasswordJob(const QString& service, QObject* parent)
    : Job(new WritePasswordJobPrivate(service), parent) {}

WritePasswordJob::~WritePasswordJob() = default;

void WritePasswordJob::setBinaryData(const QByteArray& data) {
  d->data = data;
}

void WritePasswordJob::setTextData(const QString& data) {
  d->data = data.toUtf8();
}

DeletePasswordJob::DeletePasswordJob(const QString& service, QObject* parent)
    : Job(new DeletePasswordJobPrivate(service), parent) {}

DeletePasswordJob::~DeletePasswordJob() = default;

}  // namespace QKeychain
