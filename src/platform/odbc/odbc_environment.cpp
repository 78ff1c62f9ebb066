#include "platform/odbc/odbc_environment.h"

#include "platform/odbc/odbc_api.h"

#include "platform/odbc/odbc_handles.h"

namespace adodb::odbc {
namespace {

Handle NewEnvironment() {
  Handle environment = Allocate(SQL_HANDLE_ENV, SQL_NULL_HANDLE, {});
  const SQLHENV handle = environment.get();
  Check(SQLSetEnvAttr(handle, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0),
        "SQLSetEnvAttr", {.environment = handle});
  return environment;
}

}  // namespace

SQLHENV Environment() {
  static const Handle environment = NewEnvironment();
  return environment.get();
}

}  // namespace adodb::odbc
