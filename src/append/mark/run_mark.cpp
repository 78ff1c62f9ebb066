#include "append/mark/run_mark.h"

#include "catalogue/catalogue.h"

namespace append {
namespace {

// The resource names are compared byte for byte: every part is in lower case, the parts the
// program knows lowered by it, those only the server knows by the server.
const QLatin1String kMarkPrefix("ombrelia append into ");
constexpr int kMarkLength = 255;  // what a lock's resource holds

QString MarkResult(const QString& markExpression, const QString& procedure) {
  return QStringLiteral(
             "DECLARE @mark nvarchar(255) = LEFT(%1, 255); DECLARE @taken int; "
             "EXEC @taken = %2 @Resource = @mark, @LockMode = N'Exclusive', "
             "@LockOwner = N'Session', @LockTimeout = 0; ")
      .arg(markExpression, procedure);
}

// The procedure of `database`, whose locks are that database's wherever the session is.
QString ProcedureOf(const QString& name, const QString& database) {
  if (database.isEmpty()) return name;
  return MSSQL::TableName(database).Bracketed() + QStringLiteral(".sys.") + name;
}

RunMark ResultOf(adodb::Recordset& row) {
  RunMark mark;
  // A server that tells of a mark it cannot give (Babelfish does, in a message before the row)
  // may leave the batch without its row: not taken.
  if (row.Eof()) {
    mark.result = -1;
    return mark;
  }
  mark.result = row.FieldValue(0).text.toInt();
  mark.taken = mark.result >= 0;
  return mark;
}

}  // namespace

QString RunMarkName(const QString& database, const QString& schema, const QString& table) {
  return QString(kMarkPrefix + database.toLower() + QLatin1Char('.') + schema.toLower() +
                 QLatin1Char('.') + table.toLower())
      .left(kMarkLength);
}

QString RunMarkStatement(const MSSQL::TableName& target, const QString& database) {
  const QString ownSchema = target.schema.isEmpty() ? QStringLiteral("SCHEMA_NAME()")
                                                    : MSSQL::NationalLiteral(target.schema);
  const QString databasePart = database.isEmpty() ? QStringLiteral("LOWER(DB_NAME())")
                                                  : MSSQL::NationalLiteral(database.toLower());
  const QString mark =
      QStringLiteral("N'%1' + %2 + N'.' + LOWER(@schema) + N'.' + %3")
          .arg(kMarkPrefix, databasePart, MSSQL::NationalLiteral(target.name.toLower()));
  // Without the counts of its assignments, the batch's one result is its last row.
  return QStringLiteral(
             "SET NOCOUNT ON; DECLARE @schema sysname = "
             "COALESCE(OBJECT_SCHEMA_NAME(OBJECT_ID(%1)), %2); ")
             .arg(MSSQL::NationalLiteral(target.Bracketed()), ownSchema) +
         MarkResult(mark, QStringLiteral("sp_getapplock")) +
         QStringLiteral("SELECT @taken, @schema, SCHEMA_NAME(); SET NOCOUNT OFF");
}

QString NamedRunMarkStatement(const QString& name, const QString& database) {
  return QStringLiteral("SET NOCOUNT ON; ") +
         MarkResult(MSSQL::NationalLiteral(name), ProcedureOf("sp_getapplock", database)) +
         QStringLiteral("SELECT @taken; SET NOCOUNT OFF");
}

RunMark TakeRunMark(adodb::Connection& connection, const MSSQL::TableName& target,
                    const QString& database) {
  const std::unique_ptr<adodb::Recordset> row =
      adodb::ExecuteForOneRow(connection, RunMarkStatement(target, database));
  RunMark mark = ResultOf(*row);
  if (row->Eof()) return mark;
  mark.schema = row->FieldValue(1).text;
  mark.defaultSchema = row->FieldValue(2).text;
  return mark;
}

RunMark TakeNamedRunMark(adodb::Connection& connection, const QString& name,
                         const QString& database) {
  const std::unique_ptr<adodb::Recordset> row =
      adodb::ExecuteForOneRow(connection, NamedRunMarkStatement(name, database));
  return ResultOf(*row);
}

}  // namespace append
