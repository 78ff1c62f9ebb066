#pragma once

// An in-memory SQL Server behind the adodb connection provider, for tests. It holds tables
// (text or NULL values), views and system tables per database, logs every connection and
// every statement, runs the few statement shapes the program sends, and fails on cue.

#include <QString>
#include <QStringList>
#include <functional>
#include <initializer_list>
#include <memory>
#include <vector>

#include "platform/odbc/adodb.h"
#include "support/fake_catalogue.h"
#include "support/fake_state.h"

class FakeServer {
 public:
  FakeServer();   // installs itself as the adodb connection provider
  ~FakeServer();  // restores the default provider
  FakeServer(const FakeServer&) = delete;
  FakeServer& operator=(const FakeServer&) = delete;

  using Row = fake::Row;
  using Table = fake::Table;  // type "TABLE", "VIEW" or "SYSTEM TABLE"

  // Databases are named by the Database= value of the connection string ("" is one too),
  // without regard to letter case. Every row must have one value per column.
  void AddTable(const QString& database, const QString& name, const QStringList& columns,
                std::vector<Row> rows = {});
  // The same in another schema than dbo, the logins' default.
  void AddTableIn(const QString& database, const QString& schema, const QString& name,
                  const QStringList& columns, std::vector<Row> rows = {});
  // What the catalogue views tell of a table's columns (no schema: dbo); a table without
  // facts is unknown to them.
  void SetColumnFacts(const QString& database, const QString& schema, const QString& name,
                      std::vector<MSSQL::ColumnFacts> facts);
  // The columns of a table's primary key, in the key's order.
  void SetKey(const QString& database, const QString& name, const QStringList& key);
  void AddView(const QString& database, const QString& name, const QStringList& columns);
  void AddSystemTable(const QString& database, const QString& name, const QStringList& columns);
  const Table* FindTable(const QString& database, const QString& name) const;  // case-blind
  const Table* FindTableIn(const QString& database, const QString& schema,
                           const QString& name) const;
  QStringList TableNames(const QString& database) const;          // every object, creation order
  static Row TextRow(std::initializer_list<const char*> values);  // nullptr -> NULL, else UTF-8

  // Scripted faults. The texts are matched exactly (letter case counts).
  // An Open whose connection string contains the text throws (28000, 18456).
  void RefuseOpen(const QString& containing, const QString& message = "Login failed for user.");
  // The same once `passing` matching opens have succeeded: a server that goes away.
  void RefuseOpenAfter(int passing, const QString& containing,
                       const QString& message = "Login failed for user.");
  // An Open whose connection string contains the text fails before any login, as FreeTDS fails
  // a connection whose encryption does not come about (08001).
  void FailConnecting(const QString& containing);
  // A statement containing the text is logged, then throws (42000, 50000). The schema rowset
  // is matched as its logged text "OpenSchema(20)".
  void RefuseStatements(const QString& containing, const QString& message);
  // Every recordset made from now on throws (08S01) when a fetch goes past `rows` rows,
  // and again at every later look; recordsets of statements without rows are not touched.
  void FailFetchAfter(int rows, const QString& message);
  // A statement containing the text is logged, then waits until Release() or a Cancel() of its
  // connection (it then throws HY008 "Operation canceled"). While it waits, `whenBlocked` runs
  // once on the window's thread, whose event loop must be turning. A statement waiting at an
  // earlier such block goes on. A login waits as the text "Open " + its connection string.
  void BlockStatements(const QString& containing, std::function<void()> whenBlocked);
  // Lets a waiting statement go on; later statements no longer wait.
  void Release();
  // The server ends the session of every connection whose string contains the text once
  // `passing` more statements have run on such connections: each later statement on them is
  // logged and fails as on a lost connection (08S01, Communication link failure).
  void LoseConnectionAfter(int passing, const QString& containing);
  // Forgets every scripted fault.
  void ClearFaults();

  // Logs
  using ConnectionLog = fake::ConnectionLog;  // properties "Mode=3", ... in the order set
  const std::vector<ConnectionLog>& Connections() const;
  // Every statement in order as sent; OpenSchema is logged as "OpenSchema(20)". Statements on
  // a connection that is not open are refused and not logged.
  QStringList Statements() const;
  QStringList StatementsOn(int connection) const;  // index into Connections()
  int RowsFetched() const;                         // rows any recordset has moved onto
  int LiveConnections() const;                     // connection objects not yet released
  // "BeginTrans", "CommitTrans", "RollbackTrans" in order; a rollback restores the database
  // as it was when the transaction began.
  QStringList Transactions() const;

 private:
  fake::Table& Add(const QString& database, fake::Table table);

  std::shared_ptr<fake::ServerState> state_;
};
