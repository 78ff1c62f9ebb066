#pragma once

// What every page of the wizard shares: the pointer mode and its custom image, the rule that
// a mouse move never replaces the busy pointer, the application icon, centring on first show,
// and that closing the window ends the program.

#include <QCursor>
#include <QWidget>
#include <functional>
#include <optional>

namespace shell {

class Trap;

// Pointer modes of a page.
constexpr int vbDefault = 0;
constexpr int vbHourglass = 11;
constexpr int vbCustom = 99;

class Page : public QWidget {
  Q_OBJECT
 public:
  explicit Page(QWidget* parent = nullptr);

  int MousePointer() const { return mousePointer_; }
  void SetMousePointer(int mode);
  bool HasMouseIcon() const { return mouseIcon_.has_value(); }
  // Loads a cursor file (.cur) as the page's custom pointer image, hotspot included.
  void LoadMouseIcon(const QString& path);
  // Gives the page the application icon.
  void SetApplicationIcon();

  // Shows the page (centred on its first showing) and hides it; never modal.
  void Show();
  void Hide();
  // The step from this page to another: the next page is shown first, then this one hidden.
  void GoTo(Trap& on, int line, const std::function<Page&()>& next);
  // Loads the hand pointer from the program folder when the file is there.
  void LoadHandPointer(Trap& on, int line);

 protected:
  // The pointer rules of the mouse-move handlers: the hand over buttons, the arrow elsewhere,
  // and neither while the page is busy.
  void PointerOverButton();
  void PointerOverBackground();
  // Runs `handler` whenever the mouse moves over `widget` (and, for a list, its viewport).
  void OnMouseMove(QWidget* widget, std::function<void()> handler);
  // The page's own handler for a close of its window; ends the program.
  virtual void WindowClosing();

  void closeEvent(QCloseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Centre();
  void FocusFirstControl();

  int mousePointer_ = vbDefault;
  std::optional<QCursor> mouseIcon_;
  bool shownBefore_ = false;
  QHash<QObject*, std::function<void()>> moveHandlers_;
};

}  // namespace shell
