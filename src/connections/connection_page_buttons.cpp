// The buttons of the connection page: "Next >", "Test Connection" and "Help".

#include "connections/connection_page.h"
#include "connections/encryption.h"
#include "connections/validation.h"
#include "jobs/worker.h"
#include "mode/mode_choice_page.h"
#include "platform/desktop/app.h"
#include "platform/desktop/desktop.h"
#include "platform/desktop/dialogs.h"
#include "platform/odbc/adodb.h"
#include "shell/input_lock.h"
#include "shell/trap.h"
#include "ui_connection_page.h"
#include "wizard/wizard.h"

namespace {

const QString kDownloadPage = QStringLiteral("https://ombrelia.example/sql-manager-lite");

QString HelpText() {
  const QString paragraph = QStringLiteral("\r\r");
  return QStringLiteral(
             "If you cannot establish connection to your MS SQL Server database with "
             "this program, please go to: ") +
         paragraph + kDownloadPage + paragraph +
         QStringLiteral(
             "Download and install the EMS SQL Manager 2005 Lite for SQL Server. Try "
             "to connect to the same database (with the same login information you "
             "are using here). This will determine if the login you are using is "
             "correct.") +
         paragraph +
         QStringLiteral(
             "If you are using Microsoft SQL Server Express Edition and connecting "
             "locally, you may need to use") +
         paragraph + QStringLiteral("localhost\\SQLEXPRESS") + paragraph +
         QStringLiteral("for example, for Server.");
}

// "Database #1 does not appear to be valid.", and why, when the login was not tried as it
// stands or was refused for its encryption.
QString NotValid(int database, const QString& why) {
  QString message = QStringLiteral("Database #%1 does not appear to be valid.").arg(database);
  if (!why.isEmpty()) message += QStringLiteral("\r\n\r\n") + why;
  return message;
}

}  // namespace

void Form1::PushButton2_Click() {
  passwords_.Commit();
  const shell::InputLock lock = LockButtons();
  shell::Trap on(QStringLiteral("Form1.PushButton2_Click"));
  // A validation that cannot even create its connection is reported and counts as passed.
  QString why;
  if (!on.when(100, [&] { return MSSQL::ValidateDatabase1(*this, &why); })) {
    on(102, [&] { dialogs::MsgBox(NotValid(1, why)); });
    return;
  }
  if (!on.when(104, [&] { return MSSQL::ValidateDatabase2(*this, &why); })) {
    on(106, [&] { dialogs::MsgBox(NotValid(2, why)); });
    return;
  }
  on(108, [&] { wizard_.form4().Show(); });
  on(110, [&] { Hide(); });
}

void Form1::PushButton6_Click() {
  TestConnection(Profile1(), QStringLiteral("PushButton6_Click"));
}

void Form1::PushButton1_Click() {
  TestConnection(Profile2(), QStringLiteral("PushButton1_Click"));
}

// Exactly one message per click; the driver's own text is not shown here. A login that cannot be
// passed to the driver is not tried, and the message names the field; a login refused for its
// encryption says why and what to do.
void Form1::TestConnection(const ConnectionProfile& profile, const QString& handler) {
  passwords_.Commit();
  const shell::InputLock lock = LockButtons();
  shell::Trap on(QStringLiteral("Form1.") + handler);
  std::unique_ptr<adodb::Connection> connection;
  on(100, [&] { connection = adodb::CreateConnection(); });
  try {
    SetMousePointer(shell::vbHourglass);
    if (!connection) throw platform::Error(QStringLiteral("No connection object"));
    jobs::Wait([&] { OpenLogin(*connection, profile); });
    dialogs::MsgBox(QStringLiteral("Connection successful."));
    SetMousePointer(shell::vbDefault);
  } catch (const UnsafeLoginValue& unsafe) {
    dialogs::MsgBox(unsafe.Description());
    SetMousePointer(shell::vbDefault);
  } catch (const UnusableEncryption& unusable) {
    dialogs::MsgBox(unusable.Description());
    SetMousePointer(shell::vbDefault);
  } catch (const EncryptionRefused& refused) {
    dialogs::MsgBox(QStringLiteral("Could not connect: ") + refused.Description());
    SetMousePointer(shell::vbDefault);
  } catch (...) {
    dialogs::MsgBox(QStringLiteral("Could not connect. Please check with your administrator."));
    SetMousePointer(shell::vbDefault);
  }
}

// While a check waits on a server, the buttons cannot start another.
shell::InputLock Form1::LockButtons() {
  return shell::InputLock({ui_->PushButton1, ui_->PushButton2, ui_->PushButton5, ui_->PushButton6});
}

void Form1::PushButton5_Click() {
  shell::Trap on(QStringLiteral("Form1.PushButton5_Click"));
  on(100, [] { dialogs::MsgBox(HelpText()); });
  if (on.when(102, [] {
        return dialogs::MsgBox(
                   QStringLiteral("Would you like to see an image of how I connect locally?"),
                   dialogs::vbYesNo) == dialogs::vbYes;
      })) {
    on(104, [] {
      desktop::Start(app::PathOf(QStringLiteral("\\local-connection-example.jpg")),
                     desktop::vbMinimizedFocus);
    });
  }
}
