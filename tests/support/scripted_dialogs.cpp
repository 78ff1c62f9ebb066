#include "support/scripted_dialogs.h"

#include <gtest/gtest.h>

ScriptedDialogs::ScriptedDialogs() {
  dialogs::SetBackend(this);
}

ScriptedDialogs::~ScriptedDialogs() {
  dialogs::SetBackend(nullptr);
  EXPECT_TRUE(answers_.empty()) << answers_.size() << " scripted answers were never asked for";
}

QStringList ScriptedDialogs::Texts() const {
  QStringList texts;
  for (const ShownBox& box : boxes_) texts << box.text;
  return texts;
}

int ScriptedDialogs::MsgBox(const QString& text, int flags, const QString& title) {
  boxes_.push_back({ShownBox::Kind::Message, text, flags, title});
  if ((flags & 7) == dialogs::vbOKOnly) return dialogs::vbOK;
  if (answers_.empty() || !std::holds_alternative<int>(answers_.front())) {
    ADD_FAILURE() << "unexpected question: " << text.toStdString();
    return dialogs::vbNo;
  }
  const int answer = std::get<int>(answers_.front());
  answers_.pop_front();
  return answer;
}

QString ScriptedDialogs::InputBox(const QString& prompt, const QString& title,
                                  const QString& defaultText) {
  boxes_.push_back({ShownBox::Kind::Input, prompt, 0, title, defaultText});
  return TypedAnswer("input box", prompt);
}

QString ScriptedDialogs::OpenFileName(const QString& caption, const QString&) {
  boxes_.push_back({ShownBox::Kind::File, caption, 0, QString()});
  return TypedAnswer("file dialog", caption);
}

QString ScriptedDialogs::TypedAnswer(const char* kind, const QString& text) {
  if (answers_.empty() || !std::holds_alternative<QString>(answers_.front())) {
    ADD_FAILURE() << "unexpected " << kind << ": " << text.toStdString();
    return {};
  }
  QString answer = std::get<QString>(answers_.front());
  answers_.pop_front();
  return answer;
}
