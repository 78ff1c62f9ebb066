// The file of refused rows on the user's disk: it changes the mode of nothing it did not make,
// takes a table's name of any length, and holds only whole rows when the disk will take no more.

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <csignal>

#include "append/refused/refused_rows_file.h"
#include "support/qt_printers.h"

using adodb::Value;
using append::RefusedRowsFile;

namespace {

unsigned ModeOf(const QString& path) {
  struct stat status {};
  if (::stat(QFile::encodeName(path).constData(), &status) != 0) return 0;
  return status.st_mode & 07777;
}

QByteArray Contents(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(none)");
}

const append::Row kRow = {Value::Text("1"), Value::Text("x")};

}  // namespace

TEST(RefusedRowsFile, ChangesTheModeOfNothingItDidNotMake) {
  QTemporaryDir shared;
  ASSERT_EQ(::chmod(QFile::encodeName(shared.path()).constData(), 01777), 0);
  const QString target = shared.filePath("target.csv");
  QFile existing(target);
  ASSERT_TRUE(existing.open(QIODevice::WriteOnly) && existing.write("old rows") > 0);
  existing.close();
  ASSERT_EQ(::chmod(QFile::encodeName(target).constData(), 0644), 0);
  ASSERT_TRUE(QFile::link(target, shared.filePath("link.csv")));

  // A file the user names is written as a shell's redirection writes it: through the link.
  RefusedRowsFile named(shared.filePath("link.csv"), "T", {"ID", "Name"});
  named.Add(kRow, "refused");
  EXPECT_EQ(named.Line(), "The refused rows are in " + shared.filePath("link.csv") + '.');
  EXPECT_EQ(Contents(target), "ID,Name,error\r\n1,x,refused\r\n");
  EXPECT_EQ(ModeOf(target), 0644u);
  EXPECT_EQ(ModeOf(shared.path()), 01777u);

  // What it makes is its owner's alone.
  const QString made = shared.filePath("new/deeper/rows.csv");
  RefusedRowsFile fresh(made, "T", {"ID", "Name"});
  fresh.Add(kRow, "refused");
  EXPECT_EQ(fresh.Failure(), "");
  EXPECT_EQ(ModeOf(shared.filePath("new")), 0700u);
  EXPECT_EQ(ModeOf(shared.filePath("new/deeper")), 0700u);
  EXPECT_EQ(ModeOf(made), 0600u);
  EXPECT_EQ(ModeOf(shared.path()), 01777u);
}

// 90 Chinese characters are 270 bytes, more than a file name takes; a second run of the same
// second finds the name taken and numbers its own.
TEST(RefusedRowsFile, ALongTableNameIsCutOnACharacterAndANameTakenIsNumbered) {
  const QString table(90, QChar(0x8868));
  RefusedRowsFile first({}, table, {"ID", "Name"});
  RefusedRowsFile second({}, table, {"ID", "Name"});
  first.Add(kRow, "refused");
  second.Add(kRow, "refused");
  for (const RefusedRowsFile* file : {&first, &second}) {
    EXPECT_EQ(file->Failure(), "");
    const QString name = QFileInfo(file->Path()).fileName();
    EXPECT_LE(name.toUtf8().size(), 255);
    EXPECT_TRUE(name.contains(QString(77, QChar(0x8868)))) << name.toStdString();
    EXPECT_EQ(Contents(file->Path()), "ID,Name,error\r\n1,x,refused\r\n");
    EXPECT_EQ(ModeOf(file->Path()), 0600u);
  }
  EXPECT_NE(first.Path(), second.Path());
  QFile::remove(first.Path());
  QFile::remove(second.Path());
}

// The system refuses to let the file grow past a row and a half; a disk full from the start
// says so in its own words.
TEST(RefusedRowsFile, ADiskThatTakesNoMoreKeepsWholeRowsAndSaysWhyAndHowMany) {
  QTemporaryDir folder;
  const QString path = folder.filePath("rows.csv");
  const QByteArray header = "ID,Name,error\r\n";
  const append::Row row = {Value::Text("1"), Value::Text(QString(1000, u'v'))};
  const QByteArray line = "1," + QByteArray(1000, 'v') + ",refused\r\n";
  rlimit before{};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &before), 0);
  rlimit small = before;
  small.rlim_cur = static_cast<rlim_t>(header.size() + line.size() * 3 / 2);
  const auto ignored = std::signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  {
    RefusedRowsFile file(path, "T", {"ID", "Name"});
    for (int count = 0; count < 3; ++count) file.Add(row, "refused");
    ::setrlimit(RLIMIT_FSIZE, &before);
    std::signal(SIGXFSZ, ignored);
    EXPECT_EQ(Contents(path), header + line);
    EXPECT_EQ(file.Line(), "The refused rows could not all be kept in " + path +
                               ": File too large. It holds 1 of 3 refused rows.");
  }
  ::setrlimit(RLIMIT_FSIZE, &before);

  RefusedRowsFile full("/dev/full", "T", {"ID", "Name"});
  full.Add(kRow, "refused");
  EXPECT_EQ(full.Line(),
            "The refused rows could not all be kept in /dev/full: No space left on device. It "
            "holds 0 of 1 refused row.");
}
