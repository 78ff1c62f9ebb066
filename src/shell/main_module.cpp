#include "shell/main_module.h"

#include <QApplication>
#include <QCheckBox>
#include <QDateTime>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QRadioButton>

#include "controls/skin_framework.h"
#include "platform/desktop/app.h"
#include "platform/desktop/desktop.h"
#include "platform/desktop/random.h"

namespace Main {
namespace {

// The button-face colour of the user's colour scheme.
QColor PageColor() {
  return QApplication::palette().color(QPalette::Button);
}

void Paint(QWidget& widget, const QColor& color) {
  QPalette palette = widget.palette();
  palette.setColor(QPalette::Window, color);
  widget.setPalette(palette);
  widget.setAutoFillBackground(true);
}

bool TakesPageColor(const QWidget* widget) {
  return qobject_cast<const QRadioButton*>(widget) || qobject_cast<const QCheckBox*>(widget) ||
         qobject_cast<const QGroupBox*>(widget) || qobject_cast<const QLabel*>(widget);
}

void PaintControls(QWidget& page, const QColor& color) {
  for (QWidget* control : page.findChildren<QWidget*>()) {
    if (TakesPageColor(control)) Paint(*control, color);
  }
}

}  // namespace

bool ListContains(const QListWidget& list, const QString& text) {
  bool found = false;
  const QString wanted = text.toLower();
  for (int i = 0; i < list.count(); ++i) {
    if (list.item(i)->text().toLower() == wanted) found = true;
  }
  return found;
}

void ListRemove(QListWidget& list, const QString& text) {
  for (int i = list.count() - 1; i >= 0; --i) {
    if (list.item(i)->text() == text) delete list.takeItem(i);
  }
}

bool FileExists(const QString& path) {
  if (path.isEmpty()) return false;
  const QFileInfo info(path);
  return info.exists() && info.lastModified().isValid();
}

void ApplySkin(QWidget& form1, SkinFramework& skin) {
  const QString path = app::PathOf(QString::fromLatin1(kSkinFile));
  const QFileInfo skinFile(path);
  if (!skinFile.isFile() || skinFile.isHidden()) return;
  Paint(form1, PageColor());
  PaintControls(form1, PageColor());
  skin.LoadSkin(path, QString());
  skin.SetOptions(skin.Options() | 1);
  skin.SetUsePageColors(true);
  skin.SetSkinDialogs(true);
  skin.ApplyWindow(form1.winId());
}

void ApplyFormColors(QWidget& page) {
  Paint(page, PageColor());
  PaintControls(page, PageColor());
}

QString AppTitleFrom(const QString& productTitle) {
  QString title = productTitle;
  do {
    const qsizetype blank = title.lastIndexOf(QLatin1Char(' '));
    if (blank < 0) break;
    title.truncate(blank);
  } while (title.size() > 40);
  return title;
}

void SetAppTitle() {
  app::SetTitle(AppTitleFrom(QString::fromLatin1(kProductTitle)));
}

void OpenHomePageAtRandom() {
  platform::Randomize();
  const int drawn = static_cast<int>(platform::Rnd() * 100) + 1;
  if (drawn == 7) desktop::Start(QString::fromLatin1(kHomePage), desktop::vbMinimizedFocus);
}

}  // namespace Main
