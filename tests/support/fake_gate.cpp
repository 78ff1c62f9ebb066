#include <QCoreApplication>

#include "support/fake_errors.h"
#include "support/fake_state.h"

namespace fake {

void PassGate(ServerState& state, int connection, const QString& text) {
  const std::shared_ptr<Gate> gate = state.gate;
  if (!gate || !text.contains(gate->containing)) return;
  std::unique_lock lock(gate->mutex);
  if (gate->released) return;
  gate->waitingConnection = connection;
  gate->cancelled = false;
  QMetaObject::invokeMethod(QCoreApplication::instance(), gate->whenBlocked, Qt::QueuedConnection);
  gate->changed.wait(lock, [&] { return gate->released || gate->cancelled; });
  gate->waitingConnection = -1;
  if (!gate->released) throw Cancelled();
}

void CancelAtGate(ServerState& state, int connection) {
  const std::shared_ptr<Gate> gate = state.gate;
  if (!gate) return;
  const std::lock_guard lock(gate->mutex);
  if (gate->waitingConnection != connection) return;
  gate->cancelled = true;
  gate->changed.notify_all();
}

}  // namespace fake
