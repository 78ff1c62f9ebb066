#pragma once

// Moving one section of settings from where an earlier version kept it into the store the
// program reads now, without losing a value on the way.

#include <QSettings>
#include <QString>
#include <optional>

namespace settings_move {

// Copies each key of `from`'s group `section` that `to`'s group lacks into `to` (a key `to`
// holds already is the newer, and stays), writes `to`, and only once it is written removes
// from `from` each key that `to` now holds with the same value; a group left empty goes. The
// failure, with the store's name, when `to` could not be written (then `from` is left as it
// was) or `from` could not be cut down.
std::optional<QString> MoveSection(QSettings& from, QSettings& to, const QString& section);

}  // namespace settings_move
