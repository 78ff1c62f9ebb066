#pragma once

// The append page on the in-memory server: Database #1 is "db1", Database #2 is "db2"; tables
// are added before the page opens, since its lists are filled once, when it loads.

#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>

#include "append/page/append_page.h"
#include "controls/progress_bar.h"
#include "support/value_printer.h"
#include "support/wizard_fixture.h"

class AppendRun : public WizardTest {
 protected:
  static constexpr char kLocation[] = "Form3.PushButton2_Click";

  AppendRun() { StoreLogins("db1", "db2"); }

  // Starts the wizard and goes on to the append page with the vertical choice.
  Form3& OpenPage();
  Form3& Page() { return wizard->form3(); }

  QListWidget& List(const char* name) { return *Page().findChild<QListWidget*>(name); }
  QRadioButton& Option(const char* name) { return *Page().findChild<QRadioButton*>(name); }
  QPushButton& Button(const char* name) { return *Page().findChild<QPushButton*>(name); }
  ProgressBar& Bar() { return *Page().findChild<ProgressBar*>("ProgressBar1"); }

  // Selects a table in List1 or List2.
  void Choose(const char* list, const QString& table);
  // Chooses a table in each list, the direction from the option, and presses "Start Appending".
  void Append(const QString& table1, const QString& table2);
  // Presses "Start Appending", remembering where the server's logs stood.
  void Press();

  // The statements of the run, in order, and those on its first or second connection.
  QStringList RunStatements() const;
  QStringList StatementsOnConnection(int number) const;
  int RowsFetchedByRun() const { return server.RowsFetched() - rowsFetchedBefore_; }

  // The standard error box's text for a failure of the run at `line`.
  static QString ErrorReport(const QString& description, int line);
  static QStringList InsertsOf(const QStringList& statements);
  // The column facts query for a table of the default schema, read before any row.
  // The look at a table: its columns, then its server's functions (with the properties of its
  // columns for the target only).
  static QString FactsQuery(const QString& table);
  static QString KeyQuery(const QString& table);
  // The run's mark on its target, and the look at whether the target references itself.
  static QString MarkQuery(const QString& table, const QString& database = "db1");
  static QString SelfReferenceQuery(const QString& table);
  static QString FillsQuery(const QString& table, const std::vector<QString>& columns);
  void ExpectAtRest();

 private:
  int statementsBefore_ = 0;
  int connectionsBefore_ = 0;
  int rowsFetchedBefore_ = 0;
};
