#pragma once

// Answers the program's message and input boxes (and file dialogs) in tests and logs every box
// shown. A plain message box (OK only) is answered by itself; a question or an input box takes the
// next scripted answer, as does a file dialog. A box without an answer, or answers left over, fail
// the test.

#include <QString>
#include <QStringList>
#include <deque>
#include <variant>
#include <vector>

#include "platform/desktop/dialogs.h"
#include "support/qt_printers.h"

struct ShownBox {
  enum class Kind { Message, Input, File };
  Kind kind;
  QString text;  // the message, the prompt of an input box, or a file dialog's caption
  int flags;
  QString title;
  QString defaultText = {};  // what an input box offers
};

class ScriptedDialogs : public dialogs::Backend {
 public:
  ScriptedDialogs();
  ~ScriptedDialogs() override;

  // The answer to the next question: dialogs::vbYes or dialogs::vbNo.
  void Answer(int button) { answers_.emplace_back(button); }
  // The text typed into the next input box, or the file picked in the next file dialog; Cancel
  // is the empty text.
  void Type(const QString& text) { answers_.emplace_back(text); }

  const std::vector<ShownBox>& Boxes() const { return boxes_; }
  QStringList Texts() const;
  // Forgets the boxes shown so far.
  void Clear() { boxes_.clear(); }

  int MsgBox(const QString& text, int flags, const QString& title) override;
  QString InputBox(const QString& prompt, const QString& title,
                   const QString& defaultText) override;
  QString OpenFileName(const QString& caption, const QString& filter) override;

 private:
  QString TypedAnswer(const char* kind, const QString& text);

  std::deque<std::variant<int, QString>> answers_;
  std::vector<ShownBox> boxes_;
};
