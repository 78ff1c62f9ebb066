// Files of the user's on a Unix system: folders 0700, files 0600 as they are made.

#include "platform/desktop/owner_file.h"
#include "platform/desktop/owner_file_side.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <cerrno>

namespace owner_file {
namespace {

constexpr int kCommonLongestName = 255;

QString Reason(int error) {
  return qt_error_string(error);
}

}  // namespace

int side::MakeFolder(const QString& path) {
  return ::mkdir(QFile::encodeName(path).constData(), S_IRWXU) == 0 ? 0 : errno;
}

int LongestName(const QString& folder) {
  const long longest = ::pathconf(QFile::encodeName(folder).constData(), _PC_NAME_MAX);
  return longest > 0 ? static_cast<int>(longest) : kCommonLongestName;
}

File::~File() {
  Close();
}

int File::Open(const QString& path, bool replace) {
  const int how = O_WRONLY | O_CREAT | O_CLOEXEC | (replace ? O_TRUNC : O_EXCL);
  descriptor_ = ::open(QFile::encodeName(path).constData(), how, S_IRUSR | S_IWUSR);
  if (descriptor_ < 0) {
    const int error = errno;
    error_ = Reason(error);
    return error;
  }
  written_ = 0;
  error_.clear();
  return 0;
}

bool File::Write(const QByteArray& bytes) {
  if (!IsOpen()) return false;
  for (qsizetype done = 0; done < bytes.size();) {
    const ssize_t count =
        ::write(descriptor_, bytes.constData() + done, static_cast<size_t>(bytes.size() - done));
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) {
      Fail(count < 0 ? errno : EIO);
      return false;
    }
    done += count;
  }
  written_ += bytes.size();
  return true;
}

// A file cut short of a whole write would end in the middle of it; a device or a pipe cannot be
// cut, and what reached it is gone.
void File::Fail(int error) {
  error_ = Reason(error);
  struct stat status {};
  if (::fstat(descriptor_, &status) == 0 && S_ISREG(status.st_mode) &&
      ::ftruncate(descriptor_, static_cast<off_t>(written_)) != 0) {
    error_ += QStringLiteral(", and its last part could not be taken out: ") + Reason(errno);
  }
  Close();
}

void File::Close() {
  if (descriptor_ >= 0) ::close(descriptor_);
  descriptor_ = -1;
}

}  // namespace owner_file
