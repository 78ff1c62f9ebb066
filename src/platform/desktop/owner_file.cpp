#include "platform/desktop/owner_file.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>
#include <cerrno>

#include "platform/desktop/owner_file_side.h"

namespace owner_file {

// The missing folders from the outermost in, each made as the system makes a private one.
std::optional<QString> MakeFolders(const QString& folder) {
  QStringList missing;
  for (QString path = QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
       !QFileInfo::exists(path); path = QFileInfo(path).path()) {
    missing.prepend(path);
  }
  for (const QString& path : missing) {
    const int error = side::MakeFolder(path);
    if (error != 0 && error != EEXIST) return qt_error_string(error);
  }
  return std::nullopt;
}

}  // namespace owner_file
