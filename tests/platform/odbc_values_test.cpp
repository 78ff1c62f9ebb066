// Values read through the driver: NULL, texts in any script, long values, and the text forms
// of numbers, dates and times.

#include <gtest/gtest.h>

#include "odbc_fixture.h"
#include "support/value_printer.h"

using adodb::Value;

TEST_F(OdbcTest, NullAndEmptyTextStayDistinct) {
  Exec(QStringLiteral("CREATE TABLE T (id INTEGER, a TEXT)"));
  Exec(QStringLiteral("INSERT INTO T VALUES(1, NULL)"));
  Exec(QStringLiteral("INSERT INTO T VALUES(2, '')"));
  const auto rows = Select(QStringLiteral("SELECT a FROM T ORDER BY id"));
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_TRUE(rows[0][0].IsNull());
  EXPECT_EQ(rows[1][0], Value::Text(QString()));
  EXPECT_FALSE(rows[1][0].IsNull());
}

TEST_F(OdbcTest, ApostropheGreekAndChineseSurviveInsertAndSelect) {
  const QString greek = QStringLiteral("Καλημέρα κόσμε");
  const QString chinese = QStringLiteral("你好，世界");
  Exec(QStringLiteral("CREATE TABLE [Πελάτες] ([Όνομα] TEXT, [名字] TEXT, quote TEXT)"));
  std::unique_ptr<adodb::Connection> connection = Connect();
  connection->Execute(
      QStringLiteral("INSERT INTO [Πελάτες] VALUES('%1', '%2', 'it''s')").arg(greek, chinese));
  std::unique_ptr<adodb::Recordset> rows =
      connection->Execute(QStringLiteral("SELECT * FROM [Πελάτες]"));
  EXPECT_EQ(FieldNames(*rows), QStringList({QStringLiteral("Όνομα"), QStringLiteral("名字"),
                                            QStringLiteral("quote")}));
  ASSERT_FALSE(rows->Eof());
  EXPECT_EQ(rows->FieldValue(0), Value::Text(greek));
  EXPECT_EQ(rows->FieldValue(1), Value::Text(chinese));
  EXPECT_EQ(rows->FieldValue(2), Value::Text(QStringLiteral("it's")));
  std::unique_ptr<adodb::Recordset> tables = connection->OpenSchema(adodb::adSchemaTables);
  const int name = adodb::FieldIndex(*tables, QStringLiteral("TABLE_NAME"));
  ASSERT_FALSE(tables->Eof());
  EXPECT_EQ(tables->FieldValue(name), Value::Text(QStringLiteral("Πελάτες")));
}

TEST_F(OdbcTest, LongTextAndBinaryValuesAreReadWhole) {
  QString text;
  for (int i = 0; i < 20000; ++i) text += QStringLiteral("αβγ%1 ").arg(i % 10);
  QByteArray bytes;
  for (int i = 0; i < 70000; ++i) bytes.append(static_cast<char>(i * 7 % 256));
  Exec(QStringLiteral("CREATE TABLE T (t TEXT, b BLOB)"));
  Exec(QStringLiteral("INSERT INTO T VALUES('%1', X'%2')")
           .arg(text, QString::fromLatin1(bytes.toHex())));
  const auto rows = Select(QStringLiteral("SELECT t, b FROM T"));
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0][0].text.size(), text.size());
  EXPECT_EQ(rows[0][0], Value::Text(text));
  EXPECT_EQ(rows[0][1].kind, Value::Kind::Binary);
  EXPECT_EQ(rows[0][1].bytes, bytes);
}

// Values are read in a small first piece and then in larger ones: lengths on either side of
// each piece's end come back whole.
TEST_F(OdbcTest, ValuesAtThePieceBoundariesAreReadWhole) {
  const std::vector<int> lengths = {0, 1, 254, 255, 256, 257, 511, 4349, 4350, 4351, 8445, 8446};
  Exec(QStringLiteral("CREATE TABLE T (id INTEGER, t TEXT, b BLOB)"));
  for (int length : lengths) {
    Exec(QStringLiteral("INSERT INTO T VALUES(%1, substr(hex(zeroblob(%1)), 1, %1) || '', "
                        "zeroblob(%1))")
             .arg(length));
  }
  const auto rows = Select(QStringLiteral("SELECT t, b FROM T ORDER BY id"));
  ASSERT_EQ(rows.size(), lengths.size());
  for (size_t i = 0; i < lengths.size(); ++i) {
    EXPECT_EQ(rows[i][0], Value::Text(QString(lengths[i], QLatin1Char('0')))) << lengths[i];
    EXPECT_EQ(rows[i][1].bytes, QByteArray(lengths[i], '\0')) << lengths[i];
  }
}

// Each row is read into the values of the row before it: nothing of a longer, a NULL or a
// binary value may remain, a value kept from an earlier row keeps its content, and text comes
// unit for unit (a leading U+FEFF is a character of a value or a name, not a byte order mark).
TEST_F(OdbcTest, ValuesReadIntoTheRowBeforeKeepNothingOfIt) {
  Exec(QStringLiteral("CREATE TABLE T (id INTEGER, t TEXT, b BLOB)"));
  Exec(QStringLiteral("INSERT INTO T VALUES(1, printf('%.3000c', 'w'), zeroblob(3000))"));
  Exec(QStringLiteral("INSERT INTO T VALUES(2, NULL, NULL)"));
  Exec(QStringLiteral("INSERT INTO T VALUES(3, 'x', X'01')"));
  Exec(QStringLiteral("INSERT INTO T VALUES(4, '', X'')"));
  Exec(QStringLiteral("INSERT INTO T VALUES(5, char(65279) || 'a', NULL)"));
  std::unique_ptr<adodb::Connection> connection = Connect();
  std::unique_ptr<adodb::Recordset> rows = connection->Execute(
      QStringLiteral("SELECT t AS [") + QChar(0xFEFF) + QStringLiteral("t], b FROM T ORDER BY id"));
  EXPECT_EQ(rows->FieldName(0), QString(QChar(0xFEFF)) + QLatin1Char('t'));
  ASSERT_FALSE(rows->Eof());
  const Value kept = rows->FieldValue(0);
  std::vector<std::vector<Value>> read;
  for (; !rows->Eof(); rows->MoveNext()) read.push_back({rows->FieldValue(0), rows->FieldValue(1)});
  EXPECT_EQ(kept, Value::Text(QString(3000, QLatin1Char('w'))));
  const std::vector<std::vector<Value>> expected = {
      {Value::Text(QString(3000, QLatin1Char('w'))), Value::Binary(QByteArray(3000, '\0'))},
      {Value::Null(), Value::Null()},
      {Value::Text(QStringLiteral("x")), Value::Binary(QByteArray("\x01", 1))},
      {Value::Text(QString()), Value::Binary(QByteArray())},
      {Value::Text(QString(QChar(0xFEFF)) + QLatin1Char('a')), Value::Null()}};
  EXPECT_EQ(read, expected);
}

TEST_F(OdbcTest, DateAndTimeValuesAreWrittenInIso8601) {
  Exec(QStringLiteral("CREATE TABLE T (id INTEGER, stamp DATETIME, day DATE, moment TIME)"));
  Exec(QStringLiteral("INSERT INTO T VALUES(1, '2021-03-04 13:05:00', '2021-03-04', '13:05:00')"));
  Exec(QStringLiteral("INSERT INTO T VALUES(2, '2021-03-04 13:05:00.5', NULL, NULL)"));
  Exec(QStringLiteral("INSERT INTO T VALUES(3, '0999-12-31 23:59:59.123', NULL, NULL)"));
  const auto rows = Select(QStringLiteral("SELECT stamp, day, moment FROM T ORDER BY id"));
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0][0], Value::Text(QStringLiteral("2021-03-04T13:05:00")));
  EXPECT_EQ(rows[0][1], Value::Text(QStringLiteral("2021-03-04")));
  EXPECT_EQ(rows[0][2], Value::Text(QStringLiteral("13:05:00")));
  EXPECT_EQ(rows[1][0], Value::Text(QStringLiteral("2021-03-04T13:05:00.500")));
  EXPECT_TRUE(rows[1][1].IsNull());
  EXPECT_TRUE(rows[1][2].IsNull());
  EXPECT_EQ(rows[2][0], Value::Text(QStringLiteral("0999-12-31T23:59:59.123")));
}

TEST_F(OdbcTest, NumbersAndBitsAreWrittenWithoutTheLocale) {
  Exec(
      QStringLiteral("CREATE TABLE T (id INTEGER, i INTEGER, big BIGINT, d DOUBLE, f FLOAT, "
                     "r REAL, n NUMERIC(10,2), flag BIT)"));
  Exec(QStringLiteral("INSERT INTO T VALUES(1, 12, 9007199254740993, 1.5, 0.1, 0.1, 12.5, 1)"));
  Exec(QStringLiteral("INSERT INTO T VALUES(2, -3, -1, -2.25, 1e20, 1e-7, -0.75, 0)"));
  Exec(QStringLiteral("INSERT INTO T VALUES(3, NULL, NULL, NULL, NULL, NULL, NULL, NULL)"));
  const auto rows = Select(QStringLiteral("SELECT i, big, d, f, r, n, flag FROM T ORDER BY id"));
  ASSERT_EQ(rows.size(), 3u);
  const auto texts = [](const std::vector<Value>& row) {
    QStringList list;
    for (const Value& value : row) list << (value.IsNull() ? QStringLiteral("NULL") : value.text);
    return list.join(QLatin1Char(' ')).toStdString();
  };
  EXPECT_EQ(texts(rows[0]), "12 9007199254740993 1.5 0.1 0.1 12.5 1");
  EXPECT_EQ(texts(rows[1]), "-3 -1 -2.25 100000000000000000000 0.0000001 -0.75 0");
  EXPECT_EQ(texts(rows[2]), "NULL NULL NULL NULL NULL NULL NULL");
}
