#include "append_fixture.h"

#include "append/mark/run_mark.h"
#include "append/resume/resume_key.h"
#include "append/ways/append_statements.h"
#include "catalogue/column_facts.h"
#include "mode/mode_choice_page.h"
#include "shell/error_report.h"

Form3& AppendRun::OpenPage() {
  wizard->Start();
  wizard->form4().PushButton3_Click();
  EXPECT_TRUE(Page().isVisible());
  return Page();
}

void AppendRun::Choose(const char* list, const QString& table) {
  const QList<QListWidgetItem*> items = List(list).findItems(table, Qt::MatchExactly);
  ASSERT_EQ(items.size(), 1) << list << " lists " << table.toStdString() << " once";
  List(list).setCurrentItem(items.first());
}

void AppendRun::Append(const QString& table1, const QString& table2) {
  Choose("List1", table1);
  Choose("List2", table2);
  Press();
}

void AppendRun::Press() {
  statementsBefore_ = static_cast<int>(server.Statements().size());
  connectionsBefore_ = static_cast<int>(server.Connections().size());
  rowsFetchedBefore_ = server.RowsFetched();
  Page().PushButton2_Click();
}

QString AppendRun::FactsQuery(const QString& table) {
  return MSSQL::TableColumnsStatement(table);
}

QString AppendRun::KeyQuery(const QString& table) {
  return append::ResumeKeyStatement(table);
}

QString AppendRun::MarkQuery(const QString& table, const QString& database) {
  return append::RunMarkStatement(table, database);
}

QString AppendRun::SelfReferenceQuery(const QString& table) {
  return append::SelfReferenceStatement(table);
}

QString AppendRun::FillsQuery(const QString& table, const std::vector<QString>& columns) {
  return MSSQL::ColumnFactsStatement(table, columns);
}

QStringList AppendRun::RunStatements() const {
  return server.Statements().mid(statementsBefore_);
}

QStringList AppendRun::StatementsOnConnection(int number) const {
  return server.StatementsOn(connectionsBefore_ + number - 1);
}

QString AppendRun::ErrorReport(const QString& description, int line) {
  return shell::ApplicationErrorText(description, kLocation, line);
}

QStringList AppendRun::InsertsOf(const QStringList& statements) {
  QStringList inserts;
  for (const QString& statement : statements) {
    if (statement.startsWith("INSERT INTO ")) inserts << statement;
  }
  return inserts;
}

void AppendRun::ExpectAtRest() {
  EXPECT_EQ(Page().MousePointer(), 0);
  EXPECT_EQ(Bar().Value(), 0);
  EXPECT_EQ(Bar().Text(), "Progress Bar");
}
