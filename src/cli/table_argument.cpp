#include "cli/table_argument.h"

#include <QStringList>

namespace cli {
namespace {

// Reads one bracketed part from just after its "[" up to its "]"; `at` is left after the "]".
std::optional<QString> BracketedPart(const QString& text, qsizetype& at) {
  QString part;
  while (at < text.size()) {
    const QChar c = text.at(at++);
    if (c != QLatin1Char(']')) {
      part += c;
    } else if (at < text.size() && text.at(at) == QLatin1Char(']')) {
      part += c;
      ++at;
    } else {
      return part;
    }
  }
  return std::nullopt;  // the bracket was never closed
}

std::optional<QStringList> Parts(const QString& text) {
  QStringList parts;
  qsizetype at = 0;
  for (;;) {
    QString part;
    if (at < text.size() && text.at(at) == QLatin1Char('[')) {
      ++at;
      const std::optional<QString> bracketed = BracketedPart(text, at);
      if (!bracketed) return std::nullopt;
      part = *bracketed;
    } else {
      while (at < text.size() && text.at(at) != QLatin1Char('.')) part += text.at(at++);
    }
    if (part.isEmpty()) return std::nullopt;
    parts << part;
    if (at == text.size()) return parts;
    if (text.at(at++) != QLatin1Char('.')) return std::nullopt;
  }
}

}  // namespace

std::optional<MSSQL::TableName> ParseTableArgument(const QString& text) {
  const std::optional<QStringList> parts = Parts(text);
  if (!parts || parts->size() > 2) return std::nullopt;
  if (parts->size() == 1) return MSSQL::TableName(parts->at(0));
  return MSSQL::TableName(parts->at(0), parts->at(1));
}

QString NotATableName(const QString& text) {
  return QStringLiteral(
             "'%1' is not a table name: write TABLE, SCHEMA.TABLE or [SCHEMA].[TABLE] "
             "([a.b] for a name with a dot).")
      .arg(text);
}

}  // namespace cli
