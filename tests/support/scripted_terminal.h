#pragma once

// A terminal for tests of the command line: a person at it, or none. Every question asked is
// logged; a question is answered from the script, and one without an answer fails the test.

#include <gtest/gtest.h>

#include <QStringList>
#include <deque>

#include "platform/desktop/terminal.h"

class ScriptedTerminal : public terminal::Backend {
 public:
  // Without a person: standard input and standard error are no terminals.
  explicit ScriptedTerminal(bool person) : person_(person) { terminal::SetBackend(this); }
  ~ScriptedTerminal() override {
    terminal::SetBackend(nullptr);
    EXPECT_TRUE(answers_.empty()) << "answers left over";
  }

  void Answer(const QString& text) { answers_.push_back(text); }
  const QStringList& Prompts() const { return prompts_; }

  bool InputIsTerminal() override { return person_; }
  bool ErrorIsTerminal() override { return person_; }
  std::optional<QString> Ask(const QString& prompt, bool secret) override {
    prompts_ << (secret ? QStringLiteral("(secret) ") : QString()) + prompt;
    if (!person_) return std::nullopt;
    if (answers_.empty()) {
      ADD_FAILURE() << "a question without an answer: " << prompt.toStdString();
      return std::nullopt;
    }
    const QString answer = answers_.front();
    answers_.pop_front();
    return answer;
  }

 private:
  bool person_;
  std::deque<QString> answers_;
  QStringList prompts_;
};
