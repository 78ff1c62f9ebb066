#pragma once

// The journal of an append: where a run that ends short stood, so that a later run goes on after
// the last row it wrote, none twice and none lost. One file a source and target pair, in the
// program's state folder: the two logins (never a password), the tables, the way, the key the
// rows are read by, the target's rows before the first run and, statement by statement, the
// rows written and the last key written. Before a statement goes, its rows are noted as in
// flight: a run cut off in the middle of one (a killed process, a server gone) leaves the
// target's count to tell whether they were written. Kept when a run ends short; removed when it
// ends complete.

#include <QFile>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>
#include <vector>

#include "append/ways/row_buffer.h"
#include "catalogue/table_name.h"
#include "connections/connection_profile.h"

namespace append {

struct JournalHeader {
  QString sourceLogin;  // "user@server,port/database", as the identity of a login
  QString targetLogin;
  QString source;  // the tables as the run names them
  QString target;
  bool fast = false;  // asked for the fast ways (or one INSERT a row)
  QString way;        // the way the rows went
  QStringList key;    // the columns the source is read by; empty: none
  QString where;      // the user's condition on the source
  qint64 targetBefore = 0;
};

struct JournalMark {
  qint64 appended = 0;  // rows written by every run so far
  qint64 refused = 0;
  QStringList after;        // the last key written or refused, as literals; empty: none yet
  qint64 inFlight = 0;      // rows of a statement sent whose answer was not seen; -1: a copy of all
  QStringList flightAfter;  // the last key of those rows
};

struct JournalRecord {
  JournalHeader header;
  JournalMark mark;
};

class AppendJournal {
 public:
  // The file of the pair, whether or not it is there.
  static QString PathOf(const ConnectionProfile& sourceLogin, const MSSQL::TableName& source,
                        const ConnectionProfile& targetLogin, const MSSQL::TableName& target);
  static QString LoginOf(const ConnectionProfile& login);
  // The journal kept there; none when there is none, or it cannot be read or is not whole (cut
  // short, a count or a key's literal changed).
  static std::optional<JournalRecord> Read(const QString& path);
  // Whether a file is there, read or not.
  static bool Kept(const QString& path);
  // A journal that a new run replaces is removed.
  static void SetAside(const QString& path);

  explicit AppendJournal(QString path) : path_(std::move(path)) {}
  ~AppendJournal();
  AppendJournal(const AppendJournal&) = delete;
  AppendJournal& operator=(const AppendJournal&) = delete;

  // Writes the header and where the rows stand; false, with Error() saying why, when the file
  // cannot be written: the run goes on unjournaled.
  bool Begin(const JournalHeader& header, const JournalMark& mark);
  const QString& Error() const { return error_; }
  bool Writing() const { return file_ != nullptr; }
  // The copy refused, the rows go another way, read by `key`.
  void ChangeWay(const QString& way, const QStringList& key);

  // The positions in a row of the key's columns.
  void KeyAt(std::vector<std::size_t> positions) { keyAt_ = std::move(positions); }
  // `count` rows go in one statement, `last` the last of them; `count` -1: the server's copy of
  // every remaining row.
  void Sending(const Row& last, qint64 count);
  void SendingAll();
  // The statement in flight was written, or refused.
  void Took();
  void Refused();
  // A row refused before goes again (its parent written since), and was written; one refused
  // again is NotWritten().
  void SendingAgain();
  void Retaken();
  // The statement in flight wrote nothing: the server refused or cancelled its copy.
  void NotWritten();
  // Notes that no statement is in flight.
  void Settle();
  // The run ended complete.
  void Remove();

  const JournalMark& Mark() const { return mark_; }

 private:
  void WriteMark();

  QString path_;
  JournalHeader header_;
  std::unique_ptr<QFile> file_;
  qint64 markAt_ = 0;      // where the mark starts in the file
  qint64 markLength_ = 0;  // the length written last
  QString error_;
  std::vector<std::size_t> keyAt_;
  JournalMark mark_;
};

}  // namespace append
