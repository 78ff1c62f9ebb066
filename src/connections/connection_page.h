#pragma once

// The connection page.

#include <memory>

#include "connections/connection_profile.h"
#include "connections/encryption_choice.h"
#include "connections/password_store.h"
#include "controls/skin_framework.h"
#include "shell/input_lock.h"
#include "shell/page.h"

namespace Ui {
class Form1;
}
namespace wizard {
class Wizard;
}

class Form1 : public shell::Page, public ConnectionProfiles {
  Q_OBJECT
 public:
  explicit Form1(wizard::Wizard& wizard);
  ~Form1() override;

  // The two logins as the page's controls hold them now.
  ConnectionProfile Profile1() const override;
  ConnectionProfile Profile2() const override;

  // The start-up of the program.
  void Form_Load();
  // "Next >": validates both databases and moves on to the mode choice page.
  void PushButton2_Click();
  // "Test Connection" of profile 1 and of profile 2.
  void PushButton6_Click();
  void PushButton1_Click();
  // "Help".
  void PushButton5_Click();

 private:
  void LoadConnectionProfiles();
  void FillPasswords(const QMap<QString, QString>& passwords);
  // The window closed: the passwords typed reach their store before the program ends.
  void WindowClosing() override;
  void TestConnection(const ConnectionProfile& profile, const QString& location);
  shell::InputLock LockButtons();
  void ConnectChangeHandlers();
  void MakeEncryptionChoices();
  void ConnectButtons();
  void ConnectPointerHandlers();
  void PaintDesignedColors();
  void Save(const QString& handler, const QString& key, const QString& value);
  static QString PasswordHandler(const QString& key);

  void Text1_Change();
  void Text2_Change();
  void Text3_Change();
  void Text4_Change();
  void Text9_Change();
  void Check4_Click();
  void Text5_Change();
  void Text6_Change();
  void Text7_Change();
  void Text8_Change();
  void Text10_Change();
  void Check7_Click();

  std::unique_ptr<Ui::Form1> ui_;
  // Combo1 and Combo2: the encryption of each login.
  std::unique_ptr<EncryptionChoice> encryption1_;
  std::unique_ptr<EncryptionChoice> encryption2_;
  SkinFramework SkinFramework1;
  wizard::Wizard& wizard_;
  PasswordStore passwords_;
};
