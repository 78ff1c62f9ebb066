#pragma once

// Message and input boxes, and the file dialog. Every box of the program goes through here, so
// tests can answer them.

#include <QString>

namespace dialogs {

// Button and icon flags of a message box, and its answers.
constexpr int vbOKOnly = 0;
constexpr int vbYesNoCancel = 3;
constexpr int vbYesNo = 4;
constexpr int vbExclamation = 48;
constexpr int vbDefaultButton2 = 256;
constexpr int vbOK = 1;
constexpr int vbCancel = 2;
constexpr int vbYes = 6;
constexpr int vbNo = 7;

class Backend {
 public:
  virtual ~Backend() = default;
  // The title is already resolved: an empty title has become the application title.
  virtual int MsgBox(const QString& text, int flags, const QString& title) = 0;
  // Cancel gives the empty text.
  virtual QString InputBox(const QString& prompt, const QString& title,
                           const QString& defaultText) = 0;
  // The file the user picks to open; Cancel gives the empty text. Where no one can pick (a
  // terminal), none is picked.
  virtual QString OpenFileName(const QString& /*caption*/, const QString& /*filter*/) { return {}; }
};

int MsgBox(const QString& text, int flags = vbOKOnly, const QString& title = {});
QString InputBox(const QString& prompt, const QString& title = {}, const QString& defaultText = {});
// `filter` as Qt's file dialogs take it: "Certificates (*.pem *.crt);;All files (*)".
QString OpenFileName(const QString& caption, const QString& filter);

// Replaces the backend; nullptr restores the one that shows real boxes.
void SetBackend(Backend* backend);

}  // namespace dialogs
