#include "platform/desktop/settings_move.h"

namespace settings_move {
namespace {

// Removes from `from`'s open group the keys `to`'s open group holds alike.
void RemoveMoved(QSettings& from, const QSettings& to, const QStringList& keys) {
  for (const QString& key : keys) {
    if (to.contains(key) && to.value(key) == from.value(key)) from.remove(key);
  }
}

}  // namespace

std::optional<QString> MoveSection(QSettings& from, QSettings& to, const QString& section) {
  from.beginGroup(section);
  const QStringList keys = from.allKeys();
  if (keys.isEmpty()) {
    from.endGroup();
    return std::nullopt;
  }
  to.beginGroup(section);
  for (const QString& key : keys) {
    if (!to.contains(key)) to.setValue(key, from.value(key));
  }
  to.sync();
  if (to.status() != QSettings::NoError) {
    from.endGroup();
    return QStringLiteral("Cannot write the settings to %1").arg(to.fileName());
  }
  RemoveMoved(from, to, keys);
  to.endGroup();
  const bool emptied = from.allKeys().isEmpty();
  from.endGroup();
  if (emptied) from.remove(section);
  from.sync();
  if (from.status() != QSettings::NoError) {
    return QStringLiteral("Cannot remove the moved settings from %1").arg(from.fileName());
  }
  return std::nullopt;
}

}  // namespace settings_move
