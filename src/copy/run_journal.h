#pragma once

// The journal of a copy of many tables: which tables the run began, and which it ended with every
// row, so that a run that goes on after a cut (Ctrl-C, a killed process, a lost server) touches
// the finished ones no more, goes on with the cut one from that table's own journal, and runs
// the others. One file a run (the two logins, the direction, the tables as the run chose them),
// made for its owner alone in the program's state folder, a line an event, each written whole;
// removed when the run ends with every table complete.

#include <QFile>
#include <QString>
#include <QStringList>
#include <map>
#include <memory>
#include <optional>

#include "catalogue/table_name.h"
#include "connections/connection_profile.h"

namespace copy {

// What a journal tells of one table, by its target.
struct JournaledTable {
  bool began = false;
  bool made = false;   // the run made the target
  bool ended = false;  // its run ended, complete or not
  bool complete = false;
  qint64 appended = 0;     // rows its run wrote, when it ended
  bool journaled = false;  // its own journal was kept when its run ended short
};

struct RunJournalRecord {
  QString sourceLogin;
  QString targetLogin;
  QString chosen;
  // By the target's name as "schema.name", lower-cased.
  std::map<QString, JournaledTable> tables;

  const JournaledTable* Of(const MSSQL::TableName& target) const;
};

class RunJournal {
 public:
  // The file of a run: `chosen` names its tables as the command chose them ("tables:a,b",
  // "like:sales%", "all").
  static QString PathOf(const ConnectionProfile& sourceLogin, const ConnectionProfile& targetLogin,
                        const QString& chosen);
  // The journal kept there; none when there is none, or it is not whole (a line changed by
  // other hands; a last line cut short by a kill is left out, as if never written).
  static std::optional<RunJournalRecord> Read(const QString& path);
  static bool Kept(const QString& path);
  static void SetAside(const QString& path);

  explicit RunJournal(QString path) : path_(std::move(path)) {}
  ~RunJournal();
  RunJournal(const RunJournal&) = delete;
  RunJournal& operator=(const RunJournal&) = delete;

  // A new journal, or the lines added to the one kept (a run going on after a cut). False, with
  // Error() saying why, when the file cannot be written: the run goes on unjournaled.
  bool Begin(const ConnectionProfile& sourceLogin, const ConnectionProfile& targetLogin,
             const QString& chosen, bool goOn);
  const QString& Error() const { return error_; }
  void Began(const MSSQL::TableName& target, bool made);
  void Ended(const MSSQL::TableName& target, bool complete, qint64 appended, bool journaled);
  // The run ended with every table complete.
  void Remove();

 private:
  void Write(const QByteArray& line);

  QString path_;
  std::unique_ptr<QFile> file_;
  QString error_;
};

}  // namespace copy
