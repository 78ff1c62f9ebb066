// Errors built from the driver manager's and the driver's diagnostic records.

#include "platform/odbc/odbc_error.h"

#include <gtest/gtest.h>
#include "platform/odbc/odbc_api.h"

#include "odbc_fixture.h"
#include "platform/odbc/odbc_connection.h"
#include "platform/odbc/odbc_environment.h"
#include "platform/odbc/odbc_handles.h"

using namespace adodb::odbc;

namespace {

constexpr SQLINTEGER kUnknownAttribute = 99999;

class OdbcErrorTest : public OdbcTest {
 protected:
  OdbcErrorTest()
      : connection_(Connect()),
        handles_{.connection = Odbc().ConnectionHandle(), .environment = Environment()} {}

  OdbcConnection& Odbc() { return dynamic_cast<OdbcConnection&>(*connection_); }

  // Leaves a record on the connection handle: the driver knows no such attribute (HYC00).
  SQLRETURN RefuseUnknownAttribute() {
    SQLULEN value = 0;
    return SQLGetConnectAttr(handles_.connection, kUnknownAttribute, &value, 0, nullptr);
  }

  std::unique_ptr<adodb::Connection> connection_;
  HandleChain handles_;
};

}  // namespace

TEST_F(OdbcErrorTest, RecordsOfStatementThenConnectionAreJoinedLineByLine) {
  Handle statement = Allocate(SQL_HANDLE_STMT, handles_.connection, handles_);
  HandleChain handles = handles_;
  handles.statement = statement.get();
  const SQLRETURN failed = SQLExecDirect(
      statement.get(), reinterpret_cast<SQLCHAR*>(const_cast<char*>("SELEC 1")), SQL_NTS);
  ASSERT_EQ(failed, SQL_ERROR);
  ASSERT_FALSE(SQL_SUCCEEDED(RefuseUnknownAttribute()));
  const adodb::Error error = ErrorOf("SQLExecDirect", failed, handles);
  const QStringList lines = error.Description().split(QLatin1Char('\n'));
  ASSERT_EQ(lines.size(), 2) << error.Description().toStdString();
  EXPECT_TRUE(lines[0].contains(QStringLiteral("syntax error")));
  EXPECT_TRUE(lines[1].contains(QStringLiteral("99999"))) << lines[1].toStdString();
  EXPECT_EQ(error.SqlState(), QStringLiteral("HY000"));
  EXPECT_EQ(error.NativeCode(), 1);  // SQLITE_ERROR
}

TEST_F(OdbcErrorTest, UnsupportedOptionsAreIgnoredOnlyWhereOptional) {
  const SQLRETURN refused = RefuseUnknownAttribute();
  ASSERT_FALSE(SQL_SUCCEEDED(refused));
  const adodb::Error error = ErrorOf("SQLSetConnectAttr", refused, handles_);
  EXPECT_EQ(error.SqlState(), QStringLiteral("HYC00")) << error.Description().toStdString();
  EXPECT_NO_THROW(CheckOptional(RefuseUnknownAttribute(), "SQLSetConnectAttr", handles_));
  EXPECT_THROW(Check(RefuseUnknownAttribute(), "SQLSetConnectAttr", handles_), adodb::Error);
}

TEST(OdbcError, ACallWithoutRecordsIsNamedInTheText) {
  const adodb::Error error = ErrorOf("SQLFetch", SQL_INVALID_HANDLE, {});
  EXPECT_EQ(error.Description(),
            QStringLiteral("SQLFetch failed (return code -2) without a diagnostic record."));
  EXPECT_NO_THROW(Check(SQL_SUCCESS_WITH_INFO, "SQLFetch", {}));
}
