#pragma once

// A fresh SQLite database reached through the real driver manager as "SQL Server".

#include <gtest/gtest.h>

#include <QStringList>
#include <memory>
#include <ostream>
#include <vector>

#include "platform/odbc/adodb.h"
#include "support/read_rows.h"
#include "support/sqlite_odbc.h"
#include "support/value_printer.h"

class OdbcTest : public ::testing::Test {
 protected:
  OdbcTest() : database_(sqlite_.NewDatabase(QStringLiteral("test.db"))) {}

  // An open connection with the program's connection string, `options` appended.
  std::unique_ptr<adodb::Connection> Connect(const QString& options = {}) const;
  void Exec(const QString& sql) { sqlite_.Exec(database_, sql); }
  // The values of one statement's rows, read forward to the end.
  std::vector<std::vector<adodb::Value>> Select(const QString& sql) const;
  // The single value of a one-row, one-column statement.
  adodb::Value SelectOne(const QString& sql) const;

  SqliteOdbc sqlite_;
  QString database_;
};

QStringList FieldNames(const adodb::Recordset& rows);
