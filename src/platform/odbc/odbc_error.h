#pragma once

// Turns a failed ODBC call into adodb::Error carrying the driver's own diagnostics.

#include "platform/odbc/odbc_api.h"

#include "platform/odbc/adodb.h"

namespace adodb::odbc {

// The handles whose diagnostic records explain a failure; a null handle is skipped.
struct HandleChain {
  SQLHSTMT statement = SQL_NULL_HSTMT;
  SQLHDBC connection = SQL_NULL_HDBC;
  SQLHENV environment = SQL_NULL_HENV;
};

// The error of a failed call: the text of every diagnostic record of the statement, then the
// connection, then the environment handle, one record a line; SQLSTATE and native code of the
// first record. Only when the driver gave no record at all does the text name the call.
Error ErrorOf(const char* call, SQLRETURN result, const HandleChain& handles);

// Throws ErrorOf unless the call succeeded (with or without information).
void Check(SQLRETURN result, const char* call, const HandleChain& handles);

// Applies the result of setting an optional attribute: a driver that answers "optional feature
// not implemented" (HYC00), "invalid attribute identifier" (HY092) or "driver does not support
// this function" (IM001) keeps its own behaviour; any other refusal throws.
void CheckOptional(SQLRETURN result, const char* call, const HandleChain& handles);

}  // namespace adodb::odbc
