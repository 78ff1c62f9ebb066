#pragma once

// The skinning facility of the connection page. A skin file is a Qt style sheet; applying the
// skin to a window gives that window (and its children) the sheet.

#include <QString>
#include <QWidget>

class SkinFramework {
 public:
  // Loads a skin file; the second text names a section of it and is unused by our format.
  void LoadSkin(const QString& path, const QString& section);
  // A set of flags; bit 1 lets the skin reach the window's children as well as its frame.
  int Options() const { return options_; }
  void SetOptions(int options) { options_ = options; }
  // Whether the skin follows the window's own colours, and whether it applies to dialogs it opens.
  void SetUsePageColors(bool on) { usePageColors_ = on; }
  void SetSkinDialogs(bool on) { skinDialogs_ = on; }
  // Skins one window, named by its handle.
  void ApplyWindow(WId window);

  const QString& StyleSheet() const { return styleSheet_; }

 private:
  QString styleSheet_;
  int options_ = 0;
  bool usePageColors_ = false;
  bool skinDialogs_ = false;
};
