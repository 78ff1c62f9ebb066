#pragma once

// A run's mark asked for on a session of its own while the run's checks go on, so that the
// copy does not wait for it after them: the mark of a target named without a schema or in dbo
// is named before the server has resolved the name, as if it resolves to dbo. The run takes it
// only when its checks prove that name (run_mark.h); otherwise the mark goes and the target's
// session asks for the mark of the name as it resolves.

#include <QString>
#include <QThread>
#include <exception>
#include <memory>
#include <optional>

#include "append/mark/run_mark.h"
#include "catalogue/table_name.h"
#include "connections/connection_profile.h"
#include "platform/odbc/adodb.h"

namespace append {

class EarlyRunMark {
 public:
  // None where the name cannot be given before the checks: a login that names no database, a
  // table named in another schema than dbo.
  static std::unique_ptr<EarlyRunMark> Ask(const ConnectionProfile& login,
                                           const MSSQL::TableName& target, int queryTimeout);
  ~EarlyRunMark();
  EarlyRunMark(const EarlyRunMark&) = delete;
  EarlyRunMark& operator=(const EarlyRunMark&) = delete;

  // Waits for the answer. None when the session or the mark failed: the run asks again.
  std::optional<RunMark> Answer();
  const QString& Name() const { return name_; }
  const QString& Database() const { return database_; }
  // The session that holds the mark, handed over once answered.
  std::unique_ptr<adodb::Connection> TakeSession() { return std::move(session_); }

 private:
  EarlyRunMark(QString name, QString database);

  QString name_;
  QString database_;
  std::unique_ptr<adodb::Connection> session_;
  std::optional<RunMark> mark_;
  std::unique_ptr<QThread> thread_;
};

}  // namespace append
