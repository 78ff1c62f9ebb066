#include "platform/desktop/app.h"

#include <QCoreApplication>
#include <QDir>
#include <atomic>
#include <cstdlib>

#include "platform/desktop/vector_state.h"

namespace app {
namespace {
struct State {
  QString title;
  QString testPath;
  std::function<void()> endHandler;
  // Read by workers too: a run's worker stops between rows once the program has ended.
  std::atomic<bool> ended = false;
};

State& TheState() {
  static State state;
  return state;
}
}  // namespace

QString Title() {
  return TheState().title;
}
void SetTitle(const QString& title) {
  TheState().title = title;
}

QString Path() {
  if (!TheState().testPath.isEmpty()) return TheState().testPath;
  return QCoreApplication::applicationDirPath();
}

QString PathOf(const QString& backslashName) {
  QString relative = backslashName;
  relative.replace(QLatin1Char('\\'), QLatin1Char('/'));
  while (relative.startsWith(QLatin1Char('/'))) relative.remove(0, 1);
  return QDir::toNativeSeparators(Path() + QLatin1Char('/') + relative);
}

void SetPathForTesting(const QString& folder) {
  TheState().testPath = folder;
}

void End() {
  TheState().ended = true;
  if (TheState().endHandler) {
    TheState().endHandler();
    return;
  }
  // Every setting is written when its control changes, so nothing is left to save.
  std::_Exit(0);
}

bool Ended() {
  return TheState().ended;
}

void SetEndHandlerForTesting(std::function<void()> handler) {
  TheState().endHandler = std::move(handler);
  TheState().ended = false;
}

bool YieldToWindow() {
  QCoreApplication::processEvents();
  // The database work of the next row runs faster with the vector registers left clean by
  // whatever the window painted.
  platform::ClearUpperVectorState();
  return !Ended();
}

}  // namespace app
