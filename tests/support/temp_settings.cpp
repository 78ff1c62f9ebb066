#include "support/temp_settings.h"

#include <QSettings>
#include <QStandardPaths>

TempSettings::TempSettings() {
  QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, folder_.path());
}

TempSettings::~TempSettings() {
  QSettings::setPath(QSettings::IniFormat, QSettings::UserScope,
                     QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation));
}
