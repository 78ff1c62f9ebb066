// From the wizard's start to the connection page on the screen (offscreen), with no login
// stored, so that no database is contacted.

#include <QApplication>
#include <QEvent>
#include <QTemporaryDir>
#include <QWidget>
#include <stdexcept>

#include "connections/connection_page.h"
#include "items.h"
#include "platform/desktop/app.h"
#include "platform/desktop/random.h"
#include "support/fake_server.h"
#include "support/recorded_desktop.h"
#include "support/temp_settings.h"
#include "wizard/wizard.h"

namespace bench {
namespace {

constexpr int kWarmRuns = 21;

// Counts the paint events a widget receives.
struct PaintCounter : QObject {
  int paints = 0;
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) ++paints;
    return false;
  }
};

// One start: a new wizard, its start, and events processed until the connection page has
// been painted once.
double TimeOneStart() {
  return Seconds([] {
    wizard::Wizard wizard;
    wizard.Start();
    Form1& page = wizard.form1();
    PaintCounter counter;
    page.installEventFilter(&counter);
    for (int round = 0; round < 100 && counter.paints == 0; ++round) {
      QApplication::processEvents();
    }
    page.removeEventFilter(&counter);
    if (!page.isVisible() || counter.paints == 0) {
      throw std::runtime_error("the connection page was not shown");
    }
  });
}

}  // namespace

void StartUp(Report& report, double applicationSeconds) {
  TempSettings settings;  // no login stored
  QTemporaryDir programFolder;
  RecordedDesktop desktop;
  FakeServer server;  // any contact with a database would show in its log
  app::SetPathForTesting(programFolder.path());
  app::SetEndHandlerForTesting([] {});
  platform::SetRandomSource([] { return 0.5; });
  const double cold = TimeOneStart();
  std::vector<double> warm;
  for (int run = 0; run < kWarmRuns; ++run) warm.push_back(TimeOneStart());
  platform::SetRandomSource({});
  app::SetEndHandlerForTesting({});
  app::SetPathForTesting({});
  if (!server.Connections().empty()) throw std::runtime_error("the start-up opened a connection");
  report.Add({QStringLiteral("5a. start-up: application object created"),
              Milliseconds(applicationSeconds),
              QStringLiteral("-"),
              std::nullopt,
              std::nullopt,
              {}});
  report.Add({QStringLiteral("5b. start-up: wizard start to connection page painted, first"),
              Milliseconds(cold), QStringLiteral("-"), std::nullopt, std::nullopt,
              QStringLiteral("offscreen, no login stored, no database contacted")});
  report.Add({QStringLiteral("5c. start-up: wizard start to connection page painted, again"),
              Milliseconds(Median(warm)), QStringLiteral("-"), std::nullopt, std::nullopt,
              QStringLiteral("median of %1 further starts in the same process").arg(kWarmRuns)});
}

}  // namespace bench
