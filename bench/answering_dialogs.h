#pragma once

// Answers the program's boxes without showing them: every input box gets the same text, every
// question Yes, and the boxes are counted.

#include <QString>

#include "platform/desktop/dialogs.h"

namespace bench {

class AnsweringDialogs : public dialogs::Backend {
 public:
  explicit AnsweringDialogs(QString typed = {}) : typed_(std::move(typed)) {
    dialogs::SetBackend(this);
  }
  ~AnsweringDialogs() override { dialogs::SetBackend(nullptr); }
  AnsweringDialogs(const AnsweringDialogs&) = delete;
  AnsweringDialogs& operator=(const AnsweringDialogs&) = delete;

  int MsgBox(const QString& text, int, const QString&) override {
    ++messages_;
    last_ = text;
    return dialogs::vbYes;
  }
  QString InputBox(const QString&, const QString&, const QString&) override {
    ++inputs_;
    return typed_;
  }

  int Messages() const { return messages_; }
  int Inputs() const { return inputs_; }
  const QString& LastMessage() const { return last_; }

 private:
  QString typed_;
  int messages_ = 0;
  int inputs_ = 0;
  QString last_;
};

}  // namespace bench
