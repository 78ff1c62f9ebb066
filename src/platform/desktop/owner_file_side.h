#pragma once

// What the files of the user's need of the system they are made on (linux/, windows/).

#include <QString>

namespace owner_file::side {

// Makes one folder for its owner alone; 0, or the errno of the failure (EEXIST when it is there).
int MakeFolder(const QString& path);

}  // namespace owner_file::side
