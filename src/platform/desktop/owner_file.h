#pragma once

// Files the program writes for the user, made for its owner alone without touching anything it
// did not make: a folder it makes is 0700, a file it makes is 0600 as it is created; a folder or
// a file that was there already keeps its mode, and a link is followed as a shell's redirection
// follows it. A write is whole or not at all: one that fails leaves the file as it ended before.

#include <QByteArray>
#include <QString>
#include <optional>

namespace owner_file {

// Makes the missing folders of `folder`, each 0700; the system's reason when one cannot be made.
std::optional<QString> MakeFolders(const QString& folder);

// The longest file name, in bytes, that the file system of `folder` takes.
int LongestName(const QString& folder);

class File {
 public:
  File() = default;
  ~File();
  File(const File&) = delete;
  File& operator=(const File&) = delete;

  // Opens `path` for writing, made 0600 when it is not there. `replace`: an existing file is
  // emptied; otherwise a name that is taken fails with EEXIST. Answers 0 or the errno.
  int Open(const QString& path, bool replace);
  bool IsOpen() const { return descriptor_ >= 0; }
  // Writes all of `bytes`; after a failure, the file is cut back to where it ended before and
  // closed, and Error() says why.
  bool Write(const QByteArray& bytes);
  const QString& Error() const { return error_; }

 private:
  void Fail(int error);
  void Close();

  int descriptor_ = -1;
  qint64 written_ = 0;
  QString error_;
};

}  // namespace owner_file
