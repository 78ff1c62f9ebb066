#include "support/temp_settings.h"

#include <QSettings>
#include <QStandardPaths>

#include "platform/desktop/settings.h"

TempSettings::TempSettings() {
  QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, folder_.path());
  settings::KeepInFolder(folder_.path());
}

TempSettings::~TempSettings() {
  settings::KeepInFolder({});
  QSettings::setPath(QSettings::IniFormat, QSettings::UserScope,
                     QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation));
}
