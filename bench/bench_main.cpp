// Runs the benchmarks and prints a table of their figures. Names given as arguments (append,
// memory, fields, tables, startup, join, streamed, perrow, live, aftercheck, joinlive) run only
// those; live runs joinlive too. The exit status is 1 when a target is missed.

#include <QDir>
#include <QFileInfo>
#include <cstdio>
#include <exception>
#include <functional>
#include <memory>
#include <string_view>

#include "harness.h"
#include "items.h"
#include "platform/desktop/application.h"
#include "support/sqlite_odbc.h"

namespace {

// The databases of the benchmarks go to memory-backed storage unless TMPDIR says otherwise.
void UseMemoryBackedStorage() {
  if (!qEnvironmentVariableIsEmpty("TMPDIR")) return;
  if (QFileInfo(QStringLiteral("/dev/shm")).isWritable()) qputenv("TMPDIR", "/dev/shm");
}

// "live" names every item on the live server but the after-check.
bool Chosen(const QStringList& names, const char* name) {
  return names.isEmpty() || names.contains(QLatin1String(name)) ||
         ((QLatin1String(name) == QLatin1String("joinlive") ||
           QLatin1String(name) == QLatin1String("onedb") ||
           QLatin1String(name) == QLatin1String("wholecopy") ||
           QLatin1String(name) == QLatin1String("smalltables")) &&
          names.contains(QLatin1String("live")));
}

}  // namespace

int main(int argc, char** argv) {
  // The bare client of the command line's jobs: nothing but ODBC, with the machine's driver,
  // one login running each statement given in turn.
  if (argc >= 4 && std::string_view(argv[1]) == "bare-statement-child") {
    QStringList statements;
    for (int i = 3; i < argc; ++i) statements << QString::fromLocal8Bit(argv[i]);
    return bench::BareStatementChild(QString::fromLocal8Bit(argv[2]), statements);
  }
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  UseMemoryBackedStorage();
  SqliteOdbc::RegisterDriver();
  QStringList names;
  for (int i = 1; i < argc; ++i) names << QString::fromLocal8Bit(argv[i]);
  std::unique_ptr<QApplication> application;
  const double applicationSeconds =
      bench::Seconds([&] { application = app::CreateApplication(argc, argv); });
  if (names.size() == 2 && names[0].startsWith(QLatin1String("one-db-"))) {
    return bench::OneDatabaseAppendChild(names[1].toInt(), names[0]);
  }
  if (names.size() == 2 && names[0].endsWith(QLatin1String("-child"))) {
    return bench::StreamedAppendChild(names[1].toInt(), names[0]);
  }
  std::printf("databases in %s\n\n", qPrintable(QDir::tempPath()));

  bench::Report report;
  const std::pair<const char*, std::function<void()>> items[] = {
      {"startup", [&] { bench::StartUp(report, applicationSeconds); }},
      {"append", [&] { bench::AppendThroughput(report); }},
      {"memory", [&] { bench::ReadPhaseMemory(report); }},
      {"fields", [&] { bench::FieldNamesOfALargeTable(report); }},
      {"tables", [&] { bench::TableListing(report); }},
      {"join", [&] { bench::JoinEngineOwnTime(report); }},
      {"streamed", [&] { bench::StreamedAppendMemory(report); }},
      {"perrow", [&] { bench::PerRowAppendMemory(report); }},
      {"live", [&] { bench::FastAppendLive(report); }},
      {"aftercheck", [&] { bench::AfterCheckLive(report); }},
      {"joinlive", [&] { bench::JoinLive(report); }},
      {"onedb", [&] { bench::OneDatabaseMemory(report); }},
      {"wholecopy", [&] { bench::WholeCopyLive(report); }},
      {"smalltables", [&] { bench::SmallTablesLive(report); }},
  };
  int failed = 0;
  for (const auto& [name, run] : items) {
    if (!Chosen(names, name)) continue;
    // The live items need a server; without one they are left out unless asked for by name.
    const bool live = QLatin1String(name) == QLatin1String("live") ||
                      QLatin1String(name) == QLatin1String("aftercheck") ||
                      QLatin1String(name) == QLatin1String("joinlive") ||
                      QLatin1String(name) == QLatin1String("onedb") ||
                      QLatin1String(name) == QLatin1String("wholecopy") ||
                      QLatin1String(name) == QLatin1String("smalltables");
    if (names.isEmpty() && live && qEnvironmentVariableIsEmpty("OMBRELIA_TEST_SERVER")) {
      continue;
    }
    std::fprintf(stderr, "running %s...\n", name);
    try {
      run();
    } catch (const std::exception& error) {
      std::fprintf(stderr, "%s failed: %s\n", name, error.what());
      ++failed;
    }
  }
  const bool met = report.Print();
  return failed == 0 && met ? 0 : 1;
}
