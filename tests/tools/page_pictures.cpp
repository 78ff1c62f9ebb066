// Walks the wizard against the in-memory server and saves a picture of each page into the
// folder given: form1.png, form4.png, form2.png, form3.png, form3-running.png, the append
// page during a run, and form3-several.png, the append page with two source tables chosen. Run it
// under a display (Xvfb).

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QTemporaryDir>

#include "append/page/append_page.h"
#include "connections/connection_page.h"
#include "controls/progress_bar.h"
#include "join/join_page.h"
#include "mode/mode_choice_page.h"
#include "platform/desktop/app.h"
#include "platform/desktop/application.h"
#include "platform/desktop/clock.h"
#include "platform/desktop/random.h"
#include "support/fake_server.h"
#include "support/scripted_dialogs.h"
#include "support/temp_settings.h"
#include "wizard/wizard.h"

namespace {

void Save(QWidget& page, const QString& folder, const char* name) {
  QApplication::processEvents();
  page.grab().save(QDir(folder).filePath(name));
}

// The page reads a table's fields once the list has taken the choice: the events are let run.
void Select(QWidget& page, const char* list, int row) {
  page.findChild<QListWidget*>(list)->item(row)->setSelected(true);
  QApplication::processEvents();
}

constexpr int kArchivedOrders = 20000;

std::vector<FakeServer::Row> ArchivedOrders() {
  std::vector<FakeServer::Row> rows;
  for (int i = 1; i <= kArchivedOrders; ++i) {
    rows.push_back({adodb::Value::Text(QString::number(i)),
                    adodb::Value::Text(QString::number(i % 97 + 1)),
                    adodb::Value::Text(QString::number(i % 500) + QStringLiteral(".50")),
                    adodb::Value::Text(QStringLiteral("2019-06-01"))});
  }
  return rows;
}

void AddSampleTables(FakeServer& server) {
  server.AddTable("Sales", "Customers", {"ID", "Name", "City"});
  server.AddTable("Sales", "Orders", {"ID", "CustomerID", "Total", "Placed"});
  server.AddTable("Sales", "Products", {"ID", "Title", "Price"});
  server.AddTable("Archive", "Orders2019", {"ID", "CustomerID", "Total", "Placed"},
                  ArchivedOrders());
  server.AddTable("Archive", "Orders2020", {"ID", "CustomerID", "Total", "Placed"});
}

// Lets the window turn until the progress bar's text begins so.
void WaitForText(QWidget& page, const QString& begin) {
  const ProgressBar& bar = *page.findChild<ProgressBar*>("ProgressBar1");
  QElapsedTimer waited;
  waited.start();
  while (!bar.Text().startsWith(begin) && waited.elapsed() < 10000) {
    QApplication::processEvents(QEventLoop::AllEvents, 10);
  }
}

// The append page while its run writes row 1,234 of 20,000, a second after row 1: the run is
// held at that row on the in-memory server while the picture is taken, then stopped.
void SaveRunningAppend(Form3& append, FakeServer& server, const QString& folder) {
  qint64 now = 0;
  platform::SetClockForTesting([&] { return now; });
  server.BlockStatements("VALUES('1', ", [&] {
    WaitForText(append, QStringLiteral("1 of "));
    server.BlockStatements("VALUES('1234', ", [&] {
      now = 1000;
      WaitForText(append, QStringLiteral("1,234 of "));
      Save(append, folder, "form3-running.png");
      append.PushButton2_Click();
      server.Release();
    });
  });
  append.PushButton2_Click();
  platform::SetClockForTesting({});
}

}  // namespace

int main(int argc, char** argv) {
  const std::unique_ptr<QApplication> application = app::CreateApplication(argc, argv);
  const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("docs");
  TempSettings settings;
  QTemporaryDir programFolder;
  app::SetPathForTesting(programFolder.path());
  platform::SetRandomSource([] { return 0.5; });
  FakeServer server;
  AddSampleTables(server);

  wizard::Wizard wizard;
  wizard.Start();
  Form1& connection = wizard.form1();
  const char* fields[][2] = {
      {"Text1", "sql.example.lan"}, {"Text2", "report"}, {"Text3", "secret"}, {"Text4", "Sales"},
      {"Text5", "sql.example.lan"}, {"Text6", "report"}, {"Text7", "secret"}, {"Text8", "Archive"}};
  for (const auto& field : fields) {
    connection.findChild<QLineEdit*>(field[0])->setText(QString::fromLatin1(field[1]));
  }
  Save(connection, folder, "form1.png");

  connection.PushButton2_Click();
  Form4& mode = wizard.form4();
  Save(mode, folder, "form4.png");

  mode.findChild<QRadioButton*>("Option2")->setChecked(true);
  mode.PushButton3_Click();
  Form2& join = wizard.form2();
  Select(join, "List1", 0);
  Select(join, "List2", 0);
  Select(join, "List3", 1);
  Select(join, "List4", 1);
  Save(join, folder, "form2.png");

  join.PushButton5_Click();
  connection.PushButton2_Click();
  mode.findChild<QRadioButton*>("Option1")->setChecked(true);
  mode.PushButton3_Click();
  Form3& append = wizard.form3();
  Select(append, "List1", 1);
  Select(append, "List2", 0);
  Save(append, folder, "form3.png");
  ScriptedDialogs dialogs;
  SaveRunningAppend(append, server, folder);
  // Both tables of Database #2 chosen: each goes into the table of its name, and the target's
  // list greys.
  append.findChild<QListWidget*>("List1")->clearSelection();
  Select(append, "List2", 0);
  Select(append, "List2", 1);
  Save(append, folder, "form3-several.png");
  return 0;
}
