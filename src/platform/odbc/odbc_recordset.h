#pragma once

// A forward-only result over one ODBC statement. The names and the count of the fields come
// from the statement's description; rows are fetched only when Eof, a value or MoveNext asks.

#include <optional>
#include <vector>

#include "platform/odbc/adodb.h"
#include "platform/odbc/odbc_handles.h"
#include "platform/odbc/odbc_values.h"

namespace adodb::odbc {

class OdbcConnection;

class OdbcRecordset : public Recordset {
 public:
  // Takes over an executed statement; `hasResult` is false when the statement ran without one
  // (SQL_NO_DATA). A statement without result columns gives no fields and is at its end.
  OdbcRecordset(OdbcConnection& owner, Handle statement, bool hasResult);
  ~OdbcRecordset() override;

  int FieldCount() const override;
  QString FieldName(int i) const override;
  QString FieldTypeName(int i) const override;
  const Value& FieldValue(int i) override;
  bool Eof() override;
  void MoveNext() override;
  void Close() override;

  // Leaves the result without rows, none of them read: the fields stay, Eof is true.
  void DiscardRows();
  // Reads the rows still waiting at the driver into memory and closes the cursor, so that the
  // connection is free for its next statement; the reader sees the same rows afterwards.
  // A failure while reading is kept and raised when the reader reaches it.
  void BufferRemainingRows();
  // The connection goes first: the statement is freed, rows already read stay readable.
  void Detach();

  // For tests: the statement handle (null once freed), and whether rows wait at the driver.
  SQLHSTMT StatementHandle() const { return statement_.get(); }
  bool HasOpenCursor() const { return cursorOpen_; }

 private:
  struct Column {
    QString name;
    ValueForm form;
    QString typeName;
  };
  using Row = std::vector<Value>;

  void DescribeColumns();
  Column DescribeColumn(SQLUSMALLINT number) const;
  QString TypeNameOf(SQLUSMALLINT number) const;
  void Start();
  void Advance();
  std::optional<Row> NextRow();
  std::optional<Row> FetchFromDriver();
  bool FetchInto(Row& row);
  void ReadRow(Row& row);
  void CloseCursor();
  void Release();
  void RequireOpen() const;
  void RequireField(int i) const;
  HandleChain Handles() const;

  OdbcConnection* owner_;
  Handle statement_;
  std::vector<Column> columns_;
  bool open_ = true;
  bool cursorOpen_ = false;
  bool started_ = false;
  std::optional<Row> current_;
  // Rows read ahead by BufferRemainingRows, taken from the front. A vector, not a deque: a
  // result without them, such as every INSERT's, then allocates nothing for them.
  std::vector<Row> buffered_;
  std::size_t nextBuffered_ = 0;
  std::optional<Error> bufferedFailure_;
};

}  // namespace adodb::odbc
