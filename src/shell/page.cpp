#include "shell/page.h"

#include <QAbstractScrollArea>
#include <QCloseEvent>
#include <QFile>
#include <QGuiApplication>
#include <QIcon>
#include <QImage>
#include <QMouseEvent>
#include <QPixmap>
#include <QScreen>
#include <QtEndian>

#include "platform/desktop/app.h"
#include "platform/error.h"
#include "shell/main_module.h"
#include "shell/resources.h"
#include "shell/trap.h"

namespace shell {
namespace {

// The hotspot of a cursor file: its first directory entry holds it at bytes 10 to 13.
QPoint CursorHotspot(const QByteArray& file) {
  if (file.size() < 14) return {0, 0};
  const auto* bytes = reinterpret_cast<const uchar*>(file.constData());
  return {qFromLittleEndian<quint16>(bytes + 10), qFromLittleEndian<quint16>(bytes + 12)};
}

}  // namespace

Page::Page(QWidget* parent) : QWidget(parent) {
  setMouseTracking(true);
  setAttribute(Qt::WA_QuitOnClose, false);
}

void Page::SetMousePointer(int mode) {
  mousePointer_ = mode;
  if (mode == vbHourglass) {
    setCursor(Qt::WaitCursor);
  } else if (mode == vbCustom) {
    setCursor(mouseIcon_ ? *mouseIcon_ : QCursor(Qt::PointingHandCursor));
  } else {
    unsetCursor();
  }
}

void Page::LoadMouseIcon(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    throw platform::Error(QStringLiteral("File not found: ") + path);
  }
  const QByteArray bytes = file.readAll();
  QImage image = QImage::fromData(bytes, "CUR");
  if (image.isNull()) image = QImage::fromData(bytes, "ICO");
  if (image.isNull()) throw platform::Error(QStringLiteral("Invalid picture: ") + path);
  const QPoint hotspot = CursorHotspot(bytes);
  mouseIcon_ = QCursor(QPixmap::fromImage(image), hotspot.x(), hotspot.y());
  if (mousePointer_ == vbCustom) SetMousePointer(vbCustom);
}

// The drawing scales to every size where Qt reads SVG; the picture serves where it does not
// (the Windows build carries no SVG plugin).
void Page::SetApplicationIcon() {
  InitResources();
  QIcon icon(QStringLiteral(":/ombrelia.svg"));
  icon.addFile(QStringLiteral(":/ombrelia-256.png"));
  setWindowIcon(icon);
}

void Page::Show() {
  if (!shownBefore_) {
    shownBefore_ = true;
    Centre();
    FocusFirstControl();
  }
  show();
  activateWindow();
}

void Page::Centre() {
  adjustSize();
  if (QScreen* screen = QGuiApplication::primaryScreen()) {
    QRect frame = frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    move(frame.topLeft());
  }
}

// The first control of the keyboard order takes the focus, unless the page gave it elsewhere.
void Page::FocusFirstControl() {
  if (focusWidget()) return;
  for (QWidget* control = nextInFocusChain(); control != this;
       control = control->nextInFocusChain()) {
    if ((control->focusPolicy() & Qt::TabFocus) && control->isEnabled()) {
      control->setFocus(Qt::TabFocusReason);
      return;
    }
  }
}

void Page::Hide() {
  hide();
}

void Page::PointerOverButton() {
  if (mousePointer_ != vbHourglass) SetMousePointer(vbCustom);
}

void Page::PointerOverBackground() {
  if (mousePointer_ != vbHourglass) SetMousePointer(vbDefault);
}

void Page::OnMouseMove(QWidget* widget, std::function<void()> handler) {
  widget->setMouseTracking(true);
  widget->installEventFilter(this);
  moveHandlers_.insert(widget, handler);
  if (auto* area = qobject_cast<QAbstractScrollArea*>(widget)) {
    area->viewport()->setMouseTracking(true);
    area->viewport()->installEventFilter(this);
    moveHandlers_.insert(area->viewport(), handler);
  }
}

void Page::WindowClosing() {
  app::End();
}

void Page::closeEvent(QCloseEvent* event) {
  event->accept();
  WindowClosing();
}

void Page::mouseMoveEvent(QMouseEvent* event) {
  PointerOverBackground();
  QWidget::mouseMoveEvent(event);
}

bool Page::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseMove) {
    auto handler = moveHandlers_.constFind(watched);
    if (handler != moveHandlers_.constEnd()) {
      (*handler)();
      // Consumed, so the move does not reach the parent's handler too; a drag goes on as usual.
      return static_cast<QMouseEvent*>(event)->buttons() == Qt::NoButton;
    }
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace shell

namespace shell {

void Page::GoTo(Trap& on, int line, const std::function<Page&()>& next) {
  on(line, [&] { next().Show(); });
  on(line + 2, [&] { Hide(); });
}

void Page::LoadHandPointer(Trap& on, int line) {
  const QString path = app::PathOf(QString::fromLatin1(Main::kHandPointerFile));
  if (on.when(line, [&] { return Main::FileExists(path); })) {
    on(line + 2, [&] { LoadMouseIcon(path); });
  }
}

}  // namespace shell
