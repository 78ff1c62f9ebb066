// The settings in the registry, under HKEY_CURRENT_USER\Software\<application>\<section>.
// Earlier versions named the store by its application alone, for which the settings library
// takes the key ...\Software\<application>\OrganizationDefaults: a section found there is moved
// at the first start.

#include "platform/desktop/settings_side.h"

#include "platform/desktop/settings_move.h"

namespace settings_side {
namespace {

// The settings library's key for a store named by its organisation alone.
const QString kEarlierKey = QStringLiteral("OrganizationDefaults");

QString KeyOf(const QString& appName) {
  return QStringLiteral("HKEY_CURRENT_USER\\Software\\") + appName;
}

}  // namespace

std::unique_ptr<QSettings> NativeStore(const QString& appName) {
  return std::make_unique<QSettings>(KeyOf(appName), QSettings::NativeFormat);
}

// The earlier key goes too when the move leaves it empty.
std::optional<QString> MoveEarlierSection(const QString& appName, const QString& section) {
  const std::unique_ptr<QSettings> store = NativeStore(appName);
  if (!store->childGroups().contains(kEarlierKey)) return std::nullopt;
  std::optional<QString> failure;
  bool emptied = false;
  {
    QSettings earlier(KeyOf(appName) + u'\\' + kEarlierKey, QSettings::NativeFormat);
    failure = settings_move::MoveSection(earlier, *store, section);
    emptied = earlier.allKeys().isEmpty();
  }
  if (failure || !emptied) return failure;
  store->remove(kEarlierKey);
  store->sync();
  return std::nullopt;
}

// A store of the current user's registry, or a file in the user's own profile, is the user's.
void KeepPrivate(const QSettings&) {}

}  // namespace settings_side
