#include "support/fake_errors.h"

namespace fake {
namespace {
adodb::Error Make(const QString& text, const char* sqlState, int nativeCode) {
  return adodb::Error(text, QString::fromLatin1(sqlState), nativeCode);
}
}  // namespace

adodb::Error LoginFailed(const QString& message) {
  return Make(message, "28000", 18456);
}

adodb::Error ConnectionFailed() {
  return Make(QStringLiteral("[FreeTDS][SQL Server]Unable to connect to data source\n"
                             "[FreeTDS][SQL Server]Adaptive Server connection failed"),
              "08001", 0);
}

adodb::Error RefusedStatement(const QString& message) {
  return Make(message, "42000", 50000);
}

adodb::Error Cancelled() {
  return Make(QStringLiteral("Operation canceled"), "HY008", 0);
}

adodb::Error ObjectClosed() {
  return Make(QStringLiteral("Operation is not allowed when the object is closed."), "HY010", 3704);
}

adodb::Error ObjectOpen() {
  return Make(QStringLiteral("Operation is not allowed when the object is open."), "HY010", 3705);
}

adodb::Error NoCurrentRecord() {
  return Make(QStringLiteral("Either BOF or EOF is True, or the current record has been deleted. "
                             "Requested operation requires a current record."),
              "24000", 3021);
}

adodb::Error NoSuchField(int index) {
  return Make(QStringLiteral("Item cannot be found in the collection corresponding to the "
                             "requested name or ordinal (%1).")
                  .arg(index),
              "07009", 3265);
}

adodb::Error SchemaNotSupported() {
  return Make(QStringLiteral("Object or provider is not capable of performing requested "
                             "operation."),
              "HYC00", 3251);
}

adodb::Error FetchFailed(const QString& message) {
  return Make(message, "08S01", 10054);
}

adodb::Error SyntaxErrorNear(const QString& token) {
  return Make(QStringLiteral("Incorrect syntax near '%1'.").arg(token), "42000", 102);
}

adodb::Error SyntaxErrorNearKeyword(const QString& keyword) {
  return Make(QStringLiteral("Incorrect syntax near the keyword '%1'.").arg(keyword), "42000", 156);
}

adodb::Error UnclosedQuotation(const QString& rest) {
  return Make(QStringLiteral("Unclosed quotation mark after the character string '%1'.").arg(rest),
              "42000", 105);
}

adodb::Error InvalidObjectName(const QString& name) {
  return Make(QStringLiteral("Invalid object name '%1'.").arg(name), "42S02", 208);
}

adodb::Error InvalidColumnName(const QString& name) {
  return Make(QStringLiteral("Invalid column name '%1'.").arg(name), "42S22", 207);
}

adodb::Error UnboundIdentifier(const QString& identifier) {
  return Make(
      QStringLiteral("The multi-part identifier \"%1\" could not be bound.").arg(identifier),
      "42000", 4104);
}

adodb::Error ObjectExists(const QString& name) {
  return Make(QStringLiteral("There is already an object named '%1' in the database.").arg(name),
              "42S01", 2714);
}

adodb::Error DuplicateColumn(const QString& column, const QString& table) {
  return Make(QStringLiteral("Column names in each table must be unique. Column name '%1' in table "
                             "'%2' is specified more than once.")
                  .arg(column, table),
              "42S21", 2705);
}

adodb::Error ValueCountMismatch() {
  return Make(QStringLiteral("Column name or number of supplied values does not match table "
                             "definition."),
              "21S01", 213);
}

adodb::Error CannotDrop(const QString& name) {
  return Make(QStringLiteral("Cannot drop the table '%1', because it does not exist or you do not "
                             "have permission.")
                  .arg(name),
              "42S02", 3701);
}

adodb::Error NoTransaction(const QString& request) {
  return Make(QStringLiteral("The %1 request has no corresponding BEGIN TRANSACTION.").arg(request),
              "25000", 3902);
}

}  // namespace fake

namespace fake {

adodb::Error CommunicationLinkFailure() {
  return adodb::Error(QStringLiteral("[FreeTDS][SQL Server]Communication link failure"),
                      QStringLiteral("08S01"), 0, true);
}

}  // namespace fake
