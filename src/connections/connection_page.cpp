#include "connections/connection_page.h"

#include "connections/profile_settings.h"
#include "jobs/worker.h"
#include "shell/error_report.h"
#include "shell/select_all_on_focus.h"
#include "shell/trap.h"
#include "ui_connection_page.h"

namespace {

constexpr std::chrono::seconds kClosingPatience{20};

QString CheckText(const QCheckBox& box) {
  return box.isChecked() ? QStringLiteral("1") : QStringLiteral("0");
}

}  // namespace

Form1::Form1(wizard::Wizard& wizard)
    : ui_(std::make_unique<Ui::Form1>()),
      wizard_(wizard),
      passwords_([](const QString& key, const QString& description) {
        shell::ReportApplicationError(description, PasswordHandler(key), 100);
      }) {
  ui_->setupUi(this);
  PaintDesignedColors();
  MakeEncryptionChoices();
  ConnectChangeHandlers();
  ConnectButtons();
  ConnectPointerHandlers();
  // A password goes to its store when its typing is over: the field left, a button, the end.
  for (QLineEdit* password : {ui_->Text3, ui_->Text7}) {
    connect(password, &QLineEdit::editingFinished, this, [this] { passwords_.Commit(); });
  }
  for (QLineEdit* textBox : findChildren<QLineEdit*>()) shell::SelectAllOnFocus(*textBox);
  ui_->Text9->setFocus();
  ui_->Text1->setFocus();
}

Form1::~Form1() {
  passwords_.Commit();
}

// A keyring that waits for the user holds the end a while at most; what it has not taken by
// then is kept in the file.
void Form1::WindowClosing() {
  shell::Trap on(QStringLiteral("Form1.Form_Unload"));
  on(100, [&] {
    passwords_.Commit();
    jobs::Wait([this] { passwords_.FinishSaves(kClosingPatience); });
  });
  Page::WindowClosing();
}

ConnectionProfile Form1::Profile1() const {
  return {ui_->Text1->text(),   ui_->Text2->text(),    ui_->Text3->text(),
          ui_->Text4->text(),   ui_->Text9->text(),    CheckText(*ui_->Check4),
          encryption1_->Mode(), encryption1_->CaFile()};
}

ConnectionProfile Form1::Profile2() const {
  return {ui_->Text5->text(),   ui_->Text6->text(),    ui_->Text7->text(),
          ui_->Text8->text(),   ui_->Text10->text(),   CheckText(*ui_->Check7),
          encryption2_->Mode(), encryption2_->CaFile()};
}

void Form1::MakeEncryptionChoices() {
  encryption1_ = std::make_unique<EncryptionChoice>(
      *ui_->Combo1, QStringLiteral("Encryption"), QStringLiteral("CA File"),
      [this](const QString& key, const QString& value) {
        Save(QStringLiteral("Combo1_Click"), key, value);
      });
  encryption2_ = std::make_unique<EncryptionChoice>(
      *ui_->Combo2, QStringLiteral("Encryption2"), QStringLiteral("CA File2"),
      [this](const QString& key, const QString& value) {
        Save(QStringLiteral("Combo2_Click"), key, value);
      });
}

// Without a skin the page shows white frames, labels and check boxes on the page colour.
void Form1::PaintDesignedColors() {
  for (QWidget* control : findChildren<QWidget*>()) {
    if (!control->inherits("QGroupBox") && !control->inherits("QLabel") &&
        !control->inherits("QCheckBox")) {
      continue;
    }
    QPalette palette = control->palette();
    palette.setColor(QPalette::Window, Qt::white);
    control->setPalette(palette);
    control->setAutoFillBackground(true);
  }
}

// A change is stored at once; a store that cannot be written is reported, and typing goes on.
// A password goes to the keyring when its typing is over, without waiting for it.
void Form1::Save(const QString& handler, const QString& key, const QString& value) {
  shell::Trap on(QStringLiteral("Form1.") + handler);
  on(100, [&] {
    if (password_store::IsPasswordKey(key)) return passwords_.Save(key, value);
    profile_settings::Write(key, value);
  });
}

QString Form1::PasswordHandler(const QString& key) {
  return key == QLatin1String("Password") ? QStringLiteral("Form1.Text3_Change")
                                          : QStringLiteral("Form1.Text7_Change");
}

// Every field or check box given its stored value fires its change handler, as typing would.
// The page shows before the keyring is asked, as the keyring may ask the user to unlock it
// first; its buttons wait for the passwords, and a password typed meanwhile is kept.
void Form1::LoadConnectionProfiles() {
  using profile_settings::Read;
  ui_->Text1->setText(Read(QStringLiteral("Server")));
  ui_->Text2->setText(Read(QStringLiteral("User")));
  ui_->Text4->setText(Read(QStringLiteral("Database")));
  ui_->Text9->setText(Read(QStringLiteral("Port"), QStringLiteral("1433")));
  ui_->Check4->setChecked(Read(QStringLiteral("Local Connection1"), QStringLiteral("0")) != "0");
  ui_->Check7->setChecked(Read(QStringLiteral("Local Connection2"), QStringLiteral("0")) != "0");
  ui_->Text5->setText(Read(QStringLiteral("Server2")));
  ui_->Text6->setText(Read(QStringLiteral("User2")));
  ui_->Text8->setText(Read(QStringLiteral("Database2")));
  ui_->Text10->setText(Read(QStringLiteral("Port2"), QStringLiteral("1433")));
  encryption1_->Load();
  encryption2_->Load();
  Show();
  const shell::InputLock lock = LockButtons();
  FillPasswords(jobs::Wait([this] { return passwords_.Load(); }));
}

void Form1::FillPasswords(const QMap<QString, QString>& passwords) {
  if (!ui_->Text3->isModified()) ui_->Text3->setText(passwords.value(QStringLiteral("Password")));
  if (!ui_->Text7->isModified()) ui_->Text7->setText(passwords.value(QStringLiteral("Password2")));
}

void Form1::ConnectChangeHandlers() {
  connect(ui_->Text1, &QLineEdit::textChanged, this, &Form1::Text1_Change);
  connect(ui_->Text2, &QLineEdit::textChanged, this, &Form1::Text2_Change);
  connect(ui_->Text3, &QLineEdit::textChanged, this, &Form1::Text3_Change);
  connect(ui_->Text4, &QLineEdit::textChanged, this, &Form1::Text4_Change);
  connect(ui_->Text9, &QLineEdit::textChanged, this, &Form1::Text9_Change);
  connect(ui_->Check4, &QCheckBox::toggled, this, &Form1::Check4_Click);
  connect(ui_->Text5, &QLineEdit::textChanged, this, &Form1::Text5_Change);
  connect(ui_->Text6, &QLineEdit::textChanged, this, &Form1::Text6_Change);
  connect(ui_->Text7, &QLineEdit::textChanged, this, &Form1::Text7_Change);
  connect(ui_->Text8, &QLineEdit::textChanged, this, &Form1::Text8_Change);
  connect(ui_->Text10, &QLineEdit::textChanged, this, &Form1::Text10_Change);
  connect(ui_->Check7, &QCheckBox::toggled, this, &Form1::Check7_Click);
}

void Form1::ConnectButtons() {
  connect(ui_->PushButton2, &QPushButton::clicked, this, &Form1::PushButton2_Click);
  connect(ui_->PushButton6, &QPushButton::clicked, this, &Form1::PushButton6_Click);
  connect(ui_->PushButton1, &QPushButton::clicked, this, &Form1::PushButton1_Click);
  connect(ui_->PushButton5, &QPushButton::clicked, this, &Form1::PushButton5_Click);
}

// The hand over the buttons, the check boxes and the encryption lists, the arrow over the frames
// and text boxes.
void Form1::ConnectPointerHandlers() {
  for (PushButton* button :
       {ui_->PushButton1, ui_->PushButton2, ui_->PushButton5, ui_->PushButton6}) {
    connect(button, &PushButton::MouseMove, this, &Form1::PointerOverButton);
  }
  for (QWidget* control :
       std::initializer_list<QWidget*>{ui_->Check4, ui_->Check7, ui_->Combo1, ui_->Combo2}) {
    OnMouseMove(control, [this] { PointerOverButton(); });
  }
  for (QWidget* control : std::initializer_list<QWidget*>{
           ui_->Text1, ui_->Text2, ui_->Text3, ui_->Text4, ui_->Text5, ui_->Text6, ui_->Text7,
           ui_->Text8, ui_->Text9, ui_->Text10, ui_->Frame1, ui_->Frame2}) {
    OnMouseMove(control, [this] { PointerOverBackground(); });
  }
}

void Form1::Text1_Change() {
  Save(QStringLiteral("Text1_Change"), QStringLiteral("Server"), ui_->Text1->text());
}
void Form1::Text2_Change() {
  Save(QStringLiteral("Text2_Change"), QStringLiteral("User"), ui_->Text2->text());
}
void Form1::Text3_Change() {
  Save(QStringLiteral("Text3_Change"), QStringLiteral("Password"), ui_->Text3->text());
}
void Form1::Text4_Change() {
  Save(QStringLiteral("Text4_Change"), QStringLiteral("Database"), ui_->Text4->text());
}
void Form1::Text9_Change() {
  Save(QStringLiteral("Text9_Change"), QStringLiteral("Port"), ui_->Text9->text());
}
void Form1::Check4_Click() {
  Save(QStringLiteral("Check4_Click"), QStringLiteral("Local Connection1"),
       CheckText(*ui_->Check4));
}
void Form1::Text5_Change() {
  Save(QStringLiteral("Text5_Change"), QStringLiteral("Server2"), ui_->Text5->text());
}
void Form1::Text6_Change() {
  Save(QStringLiteral("Text6_Change"), QStringLiteral("User2"), ui_->Text6->text());
}
void Form1::Text7_Change() {
  Save(QStringLiteral("Text7_Change"), QStringLiteral("Password2"), ui_->Text7->text());
}
void Form1::Text8_Change() {
  Save(QStringLiteral("Text8_Change"), QStringLiteral("Database2"), ui_->Text8->text());
}
void Form1::Text10_Change() {
  Save(QStringLiteral("Text10_Change"), QStringLiteral("Port2"), ui_->Text10->text());
}
void Form1::Check7_Click() {
  Save(QStringLiteral("Check7_Click"), QStringLiteral("Local Connection2"),
       CheckText(*ui_->Check7));
}
