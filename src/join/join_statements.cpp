#include "join/join_statements.h"

#include <QSet>

#include "catalogue/catalogue.h"

namespace join_statements {
namespace {

// Transact-SQL's reserved keywords: none of them can stand bare as a column name.
const QSet<QString>& ReservedKeywords() {
  static const QSet<QString> keywords = [] {
    const char* const list[] = {"ADD",
                                "ALL",
                                "ALTER",
                                "AND",
                                "ANY",
                                "AS",
                                "ASC",
                                "AUTHORIZATION",
                                "BACKUP",
                                "BEGIN",
                                "BETWEEN",
                                "BREAK",
                                "BROWSE",
                                "BULK",
                                "BY",
                                "CASCADE",
                                "CASE",
                                "CHECK",
                                "CHECKPOINT",
                                "CLOSE",
                                "CLUSTERED",
                                "COALESCE",
                                "COLLATE",
                                "COLUMN",
                                "COMMIT",
                                "COMPUTE",
                                "CONSTRAINT",
                                "CONTAINS",
                                "CONTAINSTABLE",
                                "CONTINUE",
                                "CONVERT",
                                "CREATE",
                                "CROSS",
                                "CURRENT",
                                "CURRENT_DATE",
                                "CURRENT_TIME",
                                "CURRENT_TIMESTAMP",
                                "CURRENT_USER",
                                "CURSOR",
                                "DATABASE",
                                "DBCC",
                                "DEALLOCATE",
                                "DECLARE",
                                "DEFAULT",
                                "DELETE",
                                "DENY",
                                "DESC",
                                "DISK",
                                "DISTINCT",
                                "DISTRIBUTED",
                                "DOUBLE",
                                "DROP",
                                "DUMP",
                                "ELSE",
                                "END",
                                "ERRLVL",
                                "ESCAPE",
                                "EXCEPT",
                                "EXEC",
                                "EXECUTE",
                                "EXISTS",
                                "EXIT",
                                "EXTERNAL",
                                "FETCH",
                                "FILE",
                                "FILLFACTOR",
                                "FOR",
                                "FOREIGN",
                                "FREETEXT",
                                "FREETEXTTABLE",
                                "FROM",
                                "FULL",
                                "FUNCTION",
                                "GOTO",
                                "GRANT",
                                "GROUP",
                                "HAVING",
                                "HOLDLOCK",
                                "IDENTITY",
                                "IDENTITY_INSERT",
                                "IDENTITYCOL",
                                "IF",
                                "IN",
                                "INDEX",
                                "INNER",
                                "INSERT",
                                "INTERSECT",
                                "INTO",
                                "IS",
                                "JOIN",
                                "KEY",
                                "KILL",
                                "LEFT",
                                "LIKE",
                                "LINENO",
                                "LOAD",
                                "MERGE",
                                "NATIONAL",
                                "NOCHECK",
                                "NONCLUSTERED",
                                "NOT",
                                "NULL",
                                "NULLIF",
                                "OF",
                                "OFF",
                                "OFFSETS",
                                "ON",
                                "OPEN",
                                "OPENDATASOURCE",
                                "OPENQUERY",
                                "OPENROWSET",
                                "OPENXML",
                                "OPTION",
                                "OR",
                                "ORDER",
                                "OUTER",
                                "OVER",
                                "PERCENT",
                                "PIVOT",
                                "PLAN",
                                "PRECISION",
                                "PRIMARY",
                                "PRINT",
                                "PROC",
                                "PROCEDURE",
                                "PUBLIC",
                                "RAISERROR",
                                "READ",
                                "READTEXT",
                                "RECONFIGURE",
                                "REFERENCES",
                                "REPLICATION",
                                "RESTORE",
                                "RESTRICT",
                                "RETURN",
                                "REVERT",
                                "REVOKE",
                                "RIGHT",
                                "ROLLBACK",
                                "ROWCOUNT",
                                "ROWGUIDCOL",
                                "RULE",
                                "SAVE",
                                "SCHEMA",
                                "SECURITYAUDIT",
                                "SELECT",
                                "SEMANTICKEYPHRASETABLE",
                                "SEMANTICSIMILARITYDETAILSTABLE",
                                "SEMANTICSIMILARITYTABLE",
                                "SESSION_USER",
                                "SET",
                                "SETUSER",
                                "SHUTDOWN",
                                "SOME",
                                "STATISTICS",
                                "SYSTEM_USER",
                                "TABLE",
                                "TABLESAMPLE",
                                "TEXTSIZE",
                                "THEN",
                                "TO",
                                "TOP",
                                "TRAN",
                                "TRANSACTION",
                                "TRIGGER",
                                "TRUNCATE",
                                "TRY_CONVERT",
                                "TSEQUAL",
                                "UNION",
                                "UNIQUE",
                                "UNPIVOT",
                                "UPDATE",
                                "UPDATETEXT",
                                "USE",
                                "USER",
                                "VALUES",
                                "VARYING",
                                "VIEW",
                                "WAITFOR",
                                "WHEN",
                                "WHERE",
                                "WHILE",
                                "WITH",
                                "WITHIN",
                                "WRITETEXT"};
    QSet<QString> set;
    for (const char* keyword : list) set.insert(QString::fromLatin1(keyword));
    return set;
  }();
  return keywords;
}

bool IsAsciiLetterOrUnderscore(QChar c) {
  return (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) ||
         (c >= QLatin1Char('a') && c <= QLatin1Char('z')) || c == QLatin1Char('_');
}

bool IsAsciiDigit(QChar c) {
  return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// A name that may stand bare: ASCII letters, digits and '_', not starting with a digit, and no
// reserved word. Anything else ('@v' is a variable, '#t' a temporary table, other scripts'
// digits) is bracketed.
bool IsRegularIdentifier(const QString& name) {
  if (name.isEmpty() || !IsAsciiLetterOrUnderscore(name.front())) return false;
  for (const QChar c : name) {
    if (!IsAsciiLetterOrUnderscore(c) && !IsAsciiDigit(c)) return false;
  }
  return !ReservedKeywords().contains(name.toUpper());
}

// "[table]" inside an N'...' literal.
QString QuotedBracketed(const QString& table) {
  QString quoted = MSSQL::Bracketed(table);
  quoted.replace(QLatin1String("'"), QLatin1String("''"));
  return quoted;
}

}  // namespace

QString DropIfExists(const QString& table) {
  return QStringLiteral("if exists (select * from sysobjects where id = object_id(N'") +
         QuotedBracketed(table) +
         QStringLiteral("') and OBJECTPROPERTY(id, N'IsUserTable') = 1) drop table ") +
         MSSQL::Bracketed(table) + QLatin1Char(';');
}

QString TableObject(const QString& table) {
  return TableObjects({table});
}

QString TableObjects(const QStringList& tables) {
  QStringList objects;
  for (const QString& table : tables) {
    objects << QStringLiteral("OBJECT_ID(N'") + QuotedBracketed(table) + QStringLiteral("', N'U')");
  }
  return QStringLiteral("SELECT ") + objects.join(QStringLiteral(", "));
}

QString SelectList(const QStringList& fields, const QStringList& aliases) {
  QStringList columns;
  columns.reserve(fields.size());
  for (qsizetype i = 0; i < fields.size(); ++i) {
    columns << MSSQL::Bracketed(fields[i]) + QStringLiteral(" AS ") + MSSQL::Bracketed(aliases[i]);
  }
  return columns.join(QLatin1Char(','));
}

QString StagingCopy(const QString& selectList, const QString& staging,
                    const MSSQL::TableName& source) {
  return QStringLiteral("SELECT ") + selectList + QStringLiteral(" INTO ") + staging +
         QStringLiteral(" FROM ") + source.Bracketed();
}

QString JoinColumn(const QString& alias) {
  return IsRegularIdentifier(alias) ? alias : MSSQL::Bracketed(alias);
}

QString Join(const QString& newTable, const QString& k1, const QString& k2) {
  const QString left = QStringLiteral("s_t1.") + JoinColumn(k1);
  const QString right = QStringLiteral("s_t2.") + JoinColumn(k2);
  return QStringLiteral("SELECT * INTO ") + MSSQL::Bracketed(newTable) +
         QStringLiteral(" FROM s_t1 LEFT JOIN s_t2 ON ") + left + QLatin1Char('=') + right +
         QStringLiteral(" UNION ALL SELECT * FROM s_t1 RIGHT JOIN s_t2 ON ") + left +
         QStringLiteral(" = ") + right + QStringLiteral(" WHERE ") + left +
         QStringLiteral(" Is Null");
}

}  // namespace join_statements
