// What a Windows user reads and opens: the refused rows' CSV led by the byte-order mark, so that
// Excel reads it as UTF-8; its path with the system's separators, as Explorer and the prompt
// write it; and the passwords' store named as Windows names it.

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "append/refused/refused_rows_file.h"
#include "platform/desktop/keyring.h"
#include "support/qt_printers.h"

TEST(WindowsConventions,
     TheRefusedRowsFileIsMarkedUtf8ItsPathUsesBackslashesAndTheWordsNameTheStore) {
  QTemporaryDir folder;
  const QString chosen = folder.path() + "/Größe/refused.csv";  // written with Qt's slashes
  {
    append::RefusedRowsFile file(chosen, "Größe", {"Name"});
    file.Add({adodb::Value::Text("Übersicht")}, "refused");
    EXPECT_FALSE(file.Path().contains('/')) << file.Path().toStdString();
    EXPECT_TRUE(file.Path().endsWith("\\Größe\\refused.csv")) << file.Path().toStdString();
    EXPECT_TRUE(file.Line().contains(file.Path())) << file.Line().toStdString();
  }
  QFile written(chosen);
  ASSERT_TRUE(written.open(QIODevice::ReadOnly));
  EXPECT_EQ(written.readAll(), QByteArray("\xEF\xBB\xBFName,error\r\nÜbersicht,refused\r\n"));

  EXPECT_EQ(keyring::StoreName(), "the Windows Credential Manager");
}
