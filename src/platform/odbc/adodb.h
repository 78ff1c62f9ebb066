#pragma once

// The data access objects of the program ("ADODB"): a connection and forward-only result sets,
// created through a provider that tests replace. The production provider speaks ODBC.

#include <QByteArray>
#include <QString>
#include <functional>
#include <memory>

#include "platform/error.h"

namespace adodb {

constexpr int adSchemaTables = 20;
constexpr int adModeReadWrite = 3;
constexpr int adUseClient = 3;
constexpr int adOpenStatic = 3;
constexpr int adLockOptimistic = 3;

// A refused open or statement. The description is the driver's own diagnostic text.
class Error : public platform::Error {
 public:
  Error(QString description, QString sqlState, int nativeCode, bool connectionLost = false)
      : platform::Error(std::move(description)),
        sqlState_(std::move(sqlState)),
        nativeCode_(nativeCode),
        connectionLost_(connectionLost) {}
  const QString& SqlState() const { return sqlState_; }
  int NativeCode() const { return nativeCode_; }
  // The statement failed because the connection is gone: nothing more can be sent on it. Told
  // by the driver (a connection exception, or the connection reported dead), not by the text.
  bool ConnectionLost() const { return connectionLost_; }

 private:
  QString sqlState_;
  int nativeCode_;
  bool connectionLost_;
};

// One field value. NULL is distinct from the empty text; text forms are locale-independent
// (numbers with '.', date and time values in ISO 8601 with 'T', bit as 1/0).
struct Value {
  enum class Kind { Null, Text, Binary };
  Kind kind = Kind::Null;
  QString text;
  QByteArray bytes;

  static Value Null() { return {}; }
  static Value Text(QString t) { return {Kind::Text, std::move(t), {}}; }
  static Value Binary(QByteArray b) { return {Kind::Binary, {}, std::move(b)}; }
  bool IsNull() const { return kind == Kind::Null; }
  bool operator==(const Value&) const = default;

  // Make the value over in place. Its text and bytes keep their storage when it is theirs alone
  // and large enough, so that a value filled again row after row allocates little; the member
  // the new kind does not use is emptied.
  void SetNull();
  void SetText(QString text);
  void SetText(QLatin1StringView latin1);
  void SetUtf16Text(const void* units, qsizetype count);  // `count` UTF-16 units, any alignment
  void SetBytes(const void* bytes, qsizetype count);
};

// A forward-only result. Field names and the count are known without fetching a row;
// the first row is fetched when Eof or a value is first asked for.
class Recordset {
 public:
  virtual ~Recordset() = default;
  virtual int FieldCount() const = 0;
  virtual QString FieldName(int i) const = 0;
  // The server's name of field i's type (int, nvarchar, timestamp ...), empty when unknown.
  virtual QString FieldTypeName(int) const { return {}; }
  // The value of field i in the current row; it stays valid until the recordset moves on or
  // closes.
  virtual const Value& FieldValue(int i) = 0;
  virtual bool Eof() = 0;
  virtual void MoveNext() = 0;
  virtual void Close() = 0;
};

// A connection. Properties are set before Open; unset ones keep ADO's defaults
// (ConnectionTimeout 15 s, CommandTimeout 30 s). Releasing the object closes it.
class Connection {
 public:
  virtual ~Connection() = default;
  virtual void SetMode(int mode) = 0;
  virtual void SetCommandTimeout(int seconds) = 0;
  virtual void SetConnectionTimeout(int seconds) = 0;
  virtual void SetCursorLocation(int location) = 0;
  virtual void Open(const QString& connectionString) = 0;
  // Runs one statement. A statement without a result gives an empty recordset (no fields, Eof).
  virtual std::unique_ptr<Recordset> Execute(const QString& statement) = 0;
  // Runs one statement whose result, if it has one, is not wanted (ADO's adExecuteNoRecords).
  // Answers the rows it changed as the driver counts them, or -1 when the driver cannot tell.
  virtual qint64 ExecuteNoRecords(const QString& statement) {
    Execute(statement);
    return -1;
  }
  // The fields a query would give, without running it: a recordset with the field count and
  // names that holds no rows (Eof). A statement that cannot be run fails as Execute would. When
  // the driver cannot describe the query before it runs, the query is run and its rows are
  // discarded unread, so a statement without a result (an INSERT) is carried out: describe
  // queries only.
  virtual std::unique_ptr<Recordset> Describe(const QString& statement) = 0;
  // From another thread while a statement of this connection runs: asks the driver to cancel
  // it (SQLCancel), and the statement then fails. Does nothing when no statement runs.
  virtual void Cancel() = 0;
  // The database the session is in, as the server told the driver (ADO's DefaultDatabase);
  // empty when the driver cannot tell.
  virtual QString DefaultDatabase() { return {}; }
  // The tables rowset (adSchemaTables): at least TABLE_NAME and TABLE_TYPE.
  virtual std::unique_ptr<Recordset> OpenSchema(int schema) = 0;
  // Recordset.Open(source, connection, cursorType, lockType).
  virtual std::unique_ptr<Recordset> OpenRecordset(const QString& source, int cursorType,
                                                   int lockType) = 0;
  // The statements run between BeginTrans and CommitTrans take effect together; RollbackTrans
  // undoes them. Outside a transaction every statement takes effect by itself. A connection
  // that cannot keep a transaction says so when one is begun.
  virtual void BeginTrans();
  virtual void CommitTrans();
  virtual void RollbackTrans();
};

// Finds a field by name (case-blind, as ADO does); -1 when there is none.
int FieldIndex(const Recordset& recordset, const QString& name);

// Runs a statement that always gives one row (a count, a function's value). A result that came
// back without its row, as one cut by a late cancel of the statement before, is asked again.
std::unique_ptr<Recordset> ExecuteForOneRow(Connection& connection, const QString& statement);

using ConnectionProvider = std::function<std::unique_ptr<Connection>()>;

std::unique_ptr<Connection> CreateConnection();
// Replaces the provider; an empty provider restores the ODBC one.
void SetConnectionProvider(ConnectionProvider provider);
std::unique_ptr<Connection> CreateOdbcConnection();

}  // namespace adodb
