#include "platform/desktop/state_folder.h"

#include <QStandardPaths>

#include "platform/desktop/owner_file.h"

namespace state_folder {
namespace {

QString Folder() {
  return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
}

}  // namespace

std::optional<QString> Make(QString& folder) {
  folder = Folder();
  return owner_file::MakeFolders(folder);
}

QString FilePath(const QString& name) {
  return Folder() + u'/' + name;
}

}  // namespace state_folder
