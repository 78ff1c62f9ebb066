// An append into a new table made like the source, on a live SQL Server (see live_server.h): one
// INSERT a row and batches across two servers, the server's own copy on one. The new table's
// columns, as INFORMATION_SCHEMA tells them, and its rows are the source's.

#include <gtest/gtest.h>

#include "support/live_append.h"
#include "support/scripted_dialogs.h"

namespace {

using NewTableLive = LiveAppend;

// Sizes of every kind, an identity primary key, a computed column; NULLs and Unicode.
const char kSourceColumns[] =
    "id int IDENTITY(5, 3) NOT NULL PRIMARY KEY, amount decimal(12, 3) NULL, "
    "price numeric(9, 0) NOT NULL, f float NULL, r real NULL, big bigint NULL, "
    "name nvarchar(40) NOT NULL, note nvarchar(max) NULL, code char(4) NULL, "
    "ascii varchar(20) NULL, blob varbinary(max) NULL, bytes binary(3) NULL, "
    "day date NULL, t time(2) NULL, stamp datetime2(3) NULL, old datetime NULL, "
    "zone datetimeoffset(4) NULL, doubled AS (id * 2)";

const char kSourceRows[] =
    "(amount, price, f, r, big, name, note, code, ascii, blob, bytes, day, t, stamp, old, zone) "
    "VALUES (1.5, 7, 0.5, 0.25, 9000000000, N'Ελλάδα 中文', N'long', 'ab', 'x', 0x0102, 0x0A0B0C, "
    "'2021-08-31', '10:11:12.34', '2021-08-31 10:11:12.345', '2021-08-31 10:11:12', "
    "'2021-08-31 10:11:12.3456 +02:00'), (NULL, 0, NULL, NULL, NULL, N'', NULL, NULL, NULL, "
    "NULL, NULL, NULL, NULL, NULL, NULL, NULL)";

const QString kShape = QStringLiteral(
    "SELECT COLUMN_NAME, DATA_TYPE, CHARACTER_MAXIMUM_LENGTH, NUMERIC_PRECISION, NUMERIC_SCALE, "
    "DATETIME_PRECISION, IS_NULLABLE FROM INFORMATION_SCHEMA.COLUMNS WHERE TABLE_NAME = N'%1' "
    "ORDER BY ORDINAL_POSITION");

QStringList Texts(const Rows& rows) {
  QStringList texts;
  for (const auto& row : rows) {
    QStringList values;
    for (const adodb::Value& value : row) values << (value.IsNull() ? "NULL" : value.text);
    texts << values.join(QLatin1Char('|'));
  }
  return texts;
}

}  // namespace

TEST_F(NewTableLive, EachWayMakesTheTableLikeTheSourceAndFillsIt) {
  const LiveTable source(profile1, kSourceColumns);
  source.Execute("INSERT INTO [" + source.Name() + "] " + kSourceRows);
  const QStringList shape = Texts(Select(profile1, kShape.arg(source.Name())));
  const QStringList rows = Texts(source.Contents("id"));
  ConnectionProfile second = profile2;
  second.Port = qEnvironmentVariable("OMBRELIA_TEST_SECOND_PORT");
  struct Way {
    const char* name;
    bool fast;
    ConnectionProfile into;
  };
  std::vector<Way> ways = {{"the server's copy on one server", true, profile2}};
  if (!second.Port.isEmpty()) {
    ways.push_back({"one INSERT a row across two servers", false, second});
    ways.push_back({"batches across two servers", true, second});
  } else {
    ADD_FAILURE() << "set OMBRELIA_TEST_SECOND_PORT to a second T-SQL server's port to test the "
                     "ways across two servers";
  }
  for (const Way& way : ways) {
    const QString made = "ombrelia_test_made_" + QString::number(&way - ways.data());
    ScriptedDialogs dialogs;
    const auto outcome = RunAppend(profile1, way.into, source.Name(), made, false, way.fast, true);
    EXPECT_EQ(outcome.appended, 2) << way.name;
    EXPECT_EQ(dialogs.Texts().value(0).left(5), "Done.") << way.name;
    EXPECT_EQ(Texts(Select(way.into, kShape.arg(made))), shape) << way.name;
    EXPECT_EQ(Texts(Select(way.into, "SELECT * FROM [" + made + "] ORDER BY id")), rows)
        << way.name;
    EXPECT_EQ(Select(way.into, "SELECT COLUMNPROPERTY(OBJECT_ID(N'" + made +
                                   "'), N'id', 'IsIdentity'), IDENT_SEED(N'" + made + "')")
                  .at(0)
                  .at(0)
                  .text,
              "1")
        << way.name;
    Connect(way.into)->Execute("DROP TABLE [" + made + "]");
  }
}

// A name the target database has is refused and nothing changes; the copy of an empty table is
// an empty table, made and kept.
TEST_F(NewTableLive, AnExistingNameIsRefusedAndAnEmptySourceMakesAnEmptyTable) {
  const LiveTable source(profile1, "id int");
  const LiveTable taken(profile2, "other int");
  ScriptedDialogs dialogs;
  RunAppend(profile1, profile2, source.Name(), taken.Name(), false, false, true);
  EXPECT_EQ(dialogs.Texts(), QStringList({"The table " + taken.Name() +
                                          " exists already in Database #2. Nothing was changed."}));
  dialogs.Clear();
  const QString made = QStringLiteral("ombrelia_test_made_empty");
  RunAppend(profile1, profile2, source.Name(), made, false, false, true);
  EXPECT_EQ(dialogs.Texts(),
            QStringList({"No records in table " + source.Name() + ". The table " + made +
                         " was made in Database #2 and holds no rows."}));
  EXPECT_FALSE(Select(profile2, "SELECT OBJECT_ID(N'" + made + "')").at(0).at(0).IsNull());
  Connect(profile2)->ExecuteNoRecords("DROP TABLE " + made);
}
