// Files of the user's on Windows: they live under the user's profile, whose folders only the
// user (and the system's administrators) may open, so a file or folder takes the permissions of
// the folder it is made in. A file is made read-write for its owner, and cut back to its last
// whole write after a failed one.

#include "platform/desktop/owner_file.h"
#include "platform/desktop/owner_file_side.h"

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

#include <QDir>
#include <cerrno>
#include <climits>

namespace owner_file {
namespace {

constexpr int kLongestName = 255;

QString Reason(int error) {
  return qt_error_string(error);
}

const wchar_t* Wide(const QString& path) {
  return reinterpret_cast<const wchar_t*>(path.utf16());
}

}  // namespace

int side::MakeFolder(const QString& path) {
  const QString native = QDir::toNativeSeparators(path);
  return ::_wmkdir(Wide(native)) == 0 ? 0 : errno;
}

int LongestName(const QString&) {
  return kLongestName;
}

File::~File() {
  Close();
}

int File::Open(const QString& path, bool replace) {
  const int how = _O_WRONLY | _O_CREAT | _O_BINARY | _O_NOINHERIT | (replace ? _O_TRUNC : _O_EXCL);
  const QString native = QDir::toNativeSeparators(path);
  descriptor_ = ::_wopen(Wide(native), how, _S_IREAD | _S_IWRITE);
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
    const qsizetype left = bytes.size() - done;
    const int count = ::_write(descriptor_, bytes.constData() + done,
                               static_cast<unsigned>(left > INT_MAX ? INT_MAX : left));
    if (count <= 0) {
      Fail(count < 0 ? errno : EIO);
      return false;
    }
    done += count;
  }
  written_ += bytes.size();
  return true;
}

void File::Fail(int error) {
  error_ = Reason(error);
  if (::_chsize_s(descriptor_, written_) != 0) {
    error_ += QStringLiteral(", and its last part could not be taken out: ") + Reason(errno);
  }
  Close();
}

void File::Close() {
  if (descriptor_ >= 0) ::_close(descriptor_);
  descriptor_ = -1;
}

}  // namespace owner_file
