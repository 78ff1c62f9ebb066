#include "append/mark/early_run_mark.h"

#include "connections/encryption.h"

namespace append {
namespace {

const QLatin1String kDbo("dbo");

}  // namespace

EarlyRunMark::EarlyRunMark(QString name, QString database)
    : name_(std::move(name)), database_(std::move(database)) {}

std::unique_ptr<EarlyRunMark> EarlyRunMark::Ask(const ConnectionProfile& login,
                                                const MSSQL::TableName& target, int queryTimeout) {
  if (login.Database.isEmpty() ||
      (!target.schema.isEmpty() && target.schema.compare(kDbo, Qt::CaseInsensitive) != 0)) {
    return nullptr;
  }
  std::unique_ptr<EarlyRunMark> early(
      new EarlyRunMark(RunMarkName(login.Database, kDbo, target.name), login.Database));
  EarlyRunMark* asking = early.get();
  // What fails here is told by the target's own session when it asks again.
  asking->thread_.reset(QThread::create([asking, login, queryTimeout] {
    try {
      std::unique_ptr<adodb::Connection> session = adodb::CreateConnection();
      if (queryTimeout > 0) session->SetCommandTimeout(queryTimeout);
      OpenLogin(*session, login);
      asking->mark_ = TakeNamedRunMark(*session, asking->name_, asking->database_);
      asking->session_ = std::move(session);
    } catch (...) {
      asking->mark_.reset();
    }
  }));
  asking->thread_->start();
  return early;
}

EarlyRunMark::~EarlyRunMark() {
  if (thread_) thread_->wait();
}

std::optional<RunMark> EarlyRunMark::Answer() {
  if (thread_) thread_->wait();
  return mark_;
}

}  // namespace append
