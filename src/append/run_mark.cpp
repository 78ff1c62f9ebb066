#include "append/run_mark.h"

#include "catalogue/catalogue.h"

namespace append {

QString RunMarkStatement(const MSSQL::TableName& target) {
  const QString ownSchema = target.schema.isEmpty() ? QStringLiteral("SCHEMA_NAME()")
                                                    : MSSQL::NationalLiteral(target.schema);
  // Without the counts of its assignments, the batch's one result is its last row.
  return QStringLiteral(
             "SET NOCOUNT ON; DECLARE @schema sysname = "
             "COALESCE(OBJECT_SCHEMA_NAME(OBJECT_ID(%1)), %2); "
             "DECLARE @mark nvarchar(255) = LEFT(N'ombrelia append into ' + LOWER(DB_NAME() + "
             "N'.' + @schema + N'.' + %3), 255); "
             "DECLARE @taken int; "
             "EXEC @taken = sp_getapplock @Resource = @mark, @LockMode = N'Exclusive', "
             "@LockOwner = N'Session', @LockTimeout = 0; "
             "SELECT @taken, @schema, SCHEMA_NAME(); SET NOCOUNT OFF")
      .arg(MSSQL::NationalLiteral(target.Bracketed()), ownSchema,
           MSSQL::NationalLiteral(target.name));
}

RunMark TakeRunMark(adodb::Connection& connection, const MSSQL::TableName& target) {
  const std::unique_ptr<adodb::Recordset> row =
      adodb::ExecuteForOneRow(connection, RunMarkStatement(target));
  RunMark mark;
  // A server that tells of a mark it cannot give (Babelfish does, in a message before the row)
  // may leave the batch without its row: not taken.
  if (row->Eof()) {
    mark.result = -1;
    return mark;
  }
  mark.result = row->FieldValue(0).text.toInt();
  mark.taken = mark.result >= 0;
  mark.schema = row->FieldValue(1).text;
  mark.defaultSchema = row->FieldValue(2).text;
  return mark;
}

}  // namespace append
