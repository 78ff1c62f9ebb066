#pragma once

// The rows the target refused during one append, kept for the user to repair: a CSV file
// (RFC 4180, UTF-8, lines ending in CR LF) whose header is the source's column names and
// "error", and whose lines are the refused rows, each with the server's text for it. A value is
// the text the statements give it without their quoting: NULL an empty field, an empty text
// "", binary 0x and the hex of its bytes. The file is made at the first refused row, readable
// and writable by its owner only, and each row is in it as soon as it is refused.

#include <QFile>
#include <QString>
#include <QStringList>
#include <memory>

#include "append/append_statements.h"

namespace append {

// One field of a line: quoted when it is empty text or holds a comma, a quote or a line break.
QString CsvField(const adodb::Value& value);
// The fields joined by commas, and CR LF.
QString CsvLine(const QStringList& fields);

// "<data folder>/refused/<date>-<time>-<table>.csv", the characters a file name cannot hold
// replaced by "_".
QString RefusedRowsPath(const QString& table);

class RefusedRowsFile {
 public:
  // `chosen`: the file to write, replaced when it exists; empty: a new file at RefusedRowsPath
  // of `table`, named when the first row is refused. `columns` are the source's column names.
  RefusedRowsFile(QString chosen, QString table, QStringList columns);
  ~RefusedRowsFile();
  RefusedRowsFile(const RefusedRowsFile&) = delete;
  RefusedRowsFile& operator=(const RefusedRowsFile&) = delete;

  void Add(const Row& row, const QString& error);
  // Where the rows are; empty while none was refused.
  const QString& Path() const { return path_; }
  // Why the rows could not all be kept; empty when they were.
  const QString& Failure() const { return failure_; }
  // The closing message's line: where the rows are, or why they could not all be kept there;
  // empty while none was refused.
  QString Line() const;

 private:
  bool Open();
  bool Create();
  void Write(const QString& line);

  QString chosen_;
  QString table_;
  QStringList columns_;
  QString path_;
  QString failure_;
  std::unique_ptr<QFile> file_;
};

}  // namespace append
