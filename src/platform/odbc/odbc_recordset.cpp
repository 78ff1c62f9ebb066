#include "platform/odbc/odbc_recordset.h"

#include "platform/odbc/odbc_api.h"

#include <algorithm>
#include <climits>

#include "platform/odbc/ado_errors.h"
#include "platform/odbc/odbc_connection.h"
#include "platform/odbc/odbc_wide.h"

namespace adodb::odbc {

// A statement without result columns is closed at once, which also discards any further
// results it has pending, so that its handle can serve the connection's next statement.
OdbcRecordset::OdbcRecordset(OdbcConnection& owner, Handle statement, bool hasResult)
    : owner_(&owner), statement_(std::move(statement)), cursorOpen_(true) {
  if (hasResult) DescribeColumns();
  if (columns_.empty()) CloseCursor();
  owner_->Register(this);
}

OdbcRecordset::~OdbcRecordset() {
  if (open_) Release();
}

int OdbcRecordset::FieldCount() const {
  RequireOpen();
  return static_cast<int>(columns_.size());
}

QString OdbcRecordset::FieldName(int i) const {
  RequireField(i);
  return columns_[static_cast<size_t>(i)].name;
}

QString OdbcRecordset::FieldTypeName(int i) const {
  RequireField(i);
  return columns_[static_cast<size_t>(i)].typeName;
}

const Value& OdbcRecordset::FieldValue(int i) {
  RequireField(i);
  Start();
  if (!current_) throw NoCurrentRecord();
  return (*current_)[static_cast<size_t>(i)];
}

bool OdbcRecordset::Eof() {
  RequireOpen();
  Start();
  return !current_;
}

void OdbcRecordset::MoveNext() {
  RequireOpen();
  Start();
  if (!current_) throw NoCurrentRecord();
  Advance();
}

void OdbcRecordset::Close() {
  RequireOpen();
  Release();
}

void OdbcRecordset::DiscardRows() {
  CloseCursor();
  buffered_.clear();
  nextBuffered_ = 0;
  bufferedFailure_.reset();
  current_.reset();
  started_ = true;
}

void OdbcRecordset::BufferRemainingRows() {
  try {
    while (std::optional<Row> row = FetchFromDriver()) buffered_.push_back(std::move(*row));
  } catch (const Error& failure) {
    bufferedFailure_ = failure;
  }
}

void OdbcRecordset::Detach() {
  CloseCursor();
  statement_.Free();
  owner_ = nullptr;
}

void OdbcRecordset::DescribeColumns() {
  SQLSMALLINT count = 0;
  Check(SQLNumResultCols(statement_.get(), &count), "SQLNumResultCols", Handles());
  for (SQLSMALLINT number = 1; number <= count; ++number) {
    columns_.push_back(DescribeColumn(static_cast<SQLUSMALLINT>(number)));
  }
}

// A column's name and the form its values are read in; a name longer than the first buffer is
// asked for again with room for all of it.
OdbcRecordset::Column OdbcRecordset::DescribeColumn(SQLUSMALLINT number) const {
  std::vector<SQLWCHAR> name(256);
  SQLSMALLINT length = 0, type = 0, digits = 0, nullable = 0;
  SQLULEN size = 0;
  auto describe = [&] {
    return SQLDescribeColW(statement_.get(), number, name.data(),
                           static_cast<SQLSMALLINT>(name.size()), &length, &type, &size, &digits,
                           &nullable);
  };
  SQLRETURN result = describe();
  if (SQL_SUCCEEDED(result) && length >= static_cast<SQLSMALLINT>(name.size())) {
    name.resize(std::min<size_t>(size_t(length) + 1, SHRT_MAX));
    result = describe();
  }
  Check(result, "SQLDescribeColW", Handles());
  return {FromWideBuffer(name.data(), length, qsizetype(name.size())), FormOf(type),
          TypeNameOf(number)};
}

// The type as the driver names it; a driver that cannot tell leaves it empty.
QString OdbcRecordset::TypeNameOf(SQLUSMALLINT number) const {
  SQLWCHAR name[128] = {};
  SQLSMALLINT bytes = 0;
  const SQLRETURN result = SQLColAttributeW(statement_.get(), number, SQL_DESC_TYPE_NAME, name,
                                            sizeof(name), &bytes, nullptr);
  if (!SQL_SUCCEEDED(result)) return {};
  const qsizetype units = std::min<qsizetype>(bytes / qsizetype(sizeof(SQLWCHAR)), 127);
  return FromWideBuffer(name, units, 128).toLower();
}

// The first look at the result fetches its first row.
void OdbcRecordset::Start() {
  if (started_) return;
  started_ = true;
  Advance();
}

// A failed fetch is raised once and leaves the result at its end, so that a reader that
// carries on after the error does not meet the same row again. A row read on from the driver
// goes into the values of the row before it, which keep their storage.
void OdbcRecordset::Advance() {
  const bool fromDriver = current_ && nextBuffered_ >= buffered_.size() && !bufferedFailure_;
  if (!fromDriver) {
    current_.reset();
    current_ = NextRow();
    return;
  }
  try {
    if (!FetchInto(*current_)) current_.reset();
  } catch (...) {
    current_.reset();
    throw;
  }
}

std::optional<OdbcRecordset::Row> OdbcRecordset::NextRow() {
  if (nextBuffered_ < buffered_.size()) {
    Row row = std::move(buffered_[nextBuffered_++]);
    if (nextBuffered_ == buffered_.size()) {
      buffered_.clear();
      nextBuffered_ = 0;
    }
    return row;
  }
  if (bufferedFailure_) {
    const Error failure = std::move(*bufferedFailure_);
    bufferedFailure_.reset();
    throw failure;
  }
  return FetchFromDriver();
}

std::optional<OdbcRecordset::Row> OdbcRecordset::FetchFromDriver() {
  Row row;
  if (!FetchInto(row)) return std::nullopt;
  return row;
}

// The driver's next row, into `row`; false at the end. A failure closes the cursor.
bool OdbcRecordset::FetchInto(Row& row) {
  if (!cursorOpen_) return false;
  try {
    const SQLRETURN result = SQLFetch(statement_.get());
    if (result == SQL_NO_DATA) {
      CloseCursor();
      return false;
    }
    Check(result, "SQLFetch", Handles());
    ReadRow(row);
    return true;
  } catch (...) {
    CloseCursor();
    throw;
  }
}

// Every value of the row, in column order: drivers need not answer for columns out of order.
void OdbcRecordset::ReadRow(Row& row) {
  const HandleChain handles = Handles();
  row.resize(columns_.size());
  for (size_t i = 0; i < columns_.size(); ++i) {
    ReadValue(row[i], columns_[i].form, static_cast<SQLUSMALLINT>(i + 1), handles);
  }
}

// Closing the cursor also discards further results of the statement.
void OdbcRecordset::CloseCursor() {
  if (!cursorOpen_) return;
  cursorOpen_ = false;
  SQLFreeStmt(statement_.get(), SQL_CLOSE);
}

// The closed statement goes back to its connection for the next statement.
void OdbcRecordset::Release() {
  CloseCursor();
  if (owner_) {
    owner_->Unregister(this);
    owner_->Recycle(std::move(statement_));
  }
  statement_.Free();
  owner_ = nullptr;
  open_ = false;
  columns_.clear();
  current_.reset();
  buffered_.clear();
  nextBuffered_ = 0;
  bufferedFailure_.reset();
}

void OdbcRecordset::RequireOpen() const {
  if (!open_) throw ObjectClosed();
}

void OdbcRecordset::RequireField(int i) const {
  RequireOpen();
  if (i < 0 || i >= static_cast<int>(columns_.size())) throw NoSuchField(i);
}

HandleChain OdbcRecordset::Handles() const {
  HandleChain handles = owner_ ? owner_->Handles() : HandleChain{};
  handles.statement = statement_.get();
  return handles;
}

}  // namespace adodb::odbc
