#pragma once

// The rows the target refused during one append, kept for the user to repair: a CSV file
// (RFC 4180, UTF-8, lines ending in CR LF) whose header is the source's column names and
// "error", and whose lines are the refused rows, each with the server's text for it. A value is
// the text the statements give it without their quoting: NULL an empty field, an empty text
// "", binary 0x and the hex of its bytes. The file is made at the first refused row, readable
// and writable by its owner only (a file the user names and that is there already keeps its
// mode), and each row is in it, whole, as soon as it is refused. On Windows the file starts
// with the byte-order mark that Excel needs to read UTF-8 (spreadsheet.h).

#include <QString>
#include <QStringList>

#include "append/ways/append_statements.h"
#include "platform/desktop/owner_file.h"

namespace append {

// One field of a line: quoted when it is empty text or holds a comma, a quote or a line break.
QString CsvField(const adodb::Value& value);
// The fields joined by commas, and CR LF.
QString CsvLine(const QStringList& fields);

// "<date>-<time>-<table>.csv", or "<date>-<time>-<table>-<number>.csv" from number 2 on: the
// characters a file name cannot hold replaced by "_", the table's part cut, on a character's
// boundary, to what a name of `longest` bytes leaves for it.
QString RefusedRowsFileName(const QString& stamp, const QString& table, int number, int longest);

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
  // Why the rows could not all be kept (the system's own words); empty when they were.
  const QString& Failure() const { return failure_; }
  // The closing message's line: where the rows are, or why they could not all be kept there
  // and how many of them the file holds; empty while none was refused.
  QString Line() const;

 private:
  bool Open();
  bool Create();
  bool CreateInDataFolder();
  bool Write(const QString& line);

  QString chosen_;
  QString table_;
  QStringList columns_;
  QString path_;
  QString failure_;
  owner_file::File file_;
  bool made_ = false;  // the file was made (and the header written)
  qint64 refused_ = 0;
  qint64 kept_ = 0;
};

}  // namespace append
