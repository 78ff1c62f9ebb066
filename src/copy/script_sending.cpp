#include "copy/script_sending.h"

#include "catalogue/catalogue.h"
#include "platform/odbc/adodb.h"

namespace copy {

std::vector<Refusal> SendEach(adodb::Connection& target, const QStringList& statements) {
  std::vector<Refusal> refused;
  for (const QString& statement : statements) {
    try {
      target.ExecuteNoRecords(statement);
    } catch (const adodb::Error& error) {
      if (error.ConnectionLost()) throw;
      refused.push_back({statement, error.Description()});
    }
  }
  return refused;
}

bool TableIsThere(adodb::Connection& connection, const MSSQL::TableName& table) {
  const std::unique_ptr<adodb::Recordset> row = connection.Execute(
      QStringLiteral("SELECT OBJECT_ID(%1, N'U')").arg(MSSQL::NationalLiteral(table.Bracketed())));
  return !row->Eof() && !row->FieldValue(0).IsNull();
}

}  // namespace copy
