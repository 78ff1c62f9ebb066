#pragma once

// The least a program must do to talk to a database over ODBC: plain calls on one connection
// and one statement handle, nothing of the program's own layer. The baselines use it, and the
// benchmarks use it to set up their data.

#include <sql.h>

#include <QString>
#include <QStringList>
#include <vector>

namespace bench {

class BareOdbc {
 public:
  // Connects with the connection string as the program builds it; throws std::runtime_error
  // with the driver's text when that fails.
  explicit BareOdbc(const QString& connectionString);
  ~BareOdbc();
  BareOdbc(const BareOdbc&) = delete;
  BareOdbc& operator=(const BareOdbc&) = delete;

  // Runs one statement and discards any result.
  void Execute(const QString& statement);
  // Runs a SELECT and reads every value of every row as text; returns the number of rows.
  long long ReadAll(const QString& select);
  // The single value of a one-row query, as text.
  QString Scalar(const QString& select);
  // SQLTables without restrictions, read forward: the names of the rows whose type is
  // "TABLE" and whose name does not contain "SYS" in any letter case.
  QStringList UserTables();
  // What a bare client of an append does: reads every row of `select` and writes it into
  // `table` of `target`, `batchRows` rows a plain INSERT ... VALUES statement (NULL, or N'text'
  // with quotes doubled). With one row a statement, every row is read first, as the program
  // does. Returns the rows written.
  long long CopyRows(BareOdbc& target, const QString& select, const QString& table, int batchRows);

 private:
  void Check(SQLRETURN result, SQLSMALLINT type, SQLHANDLE handle, const char* call) const;
  QString ReadText(SQLUSMALLINT column);
  // NULL, or the value as N'text'.
  void AppendLiteral(SQLUSMALLINT column, QString& statement);

  SQLHENV environment_ = SQL_NULL_HENV;
  SQLHDBC connection_ = SQL_NULL_HDBC;
  SQLHSTMT statement_ = SQL_NULL_HSTMT;
  std::vector<SQLWCHAR> buffer_;
};

}  // namespace bench
