#pragma once

// The program's own folder for what it must remember between runs besides the logins (the
// join's staging copies it made and has not dropped yet): the platform's place for a program's
// data, private to the user.

#include <QString>
#include <optional>

namespace state_folder {

// The folder, made (0700) when it is missing; the system's reason when it cannot be made.
std::optional<QString> Make(QString& folder);

// The path of a file of the folder, whether or not the folder is there yet.
QString FilePath(const QString& name);

}  // namespace state_folder
