#pragma once

// A real connection whose statements holding a given text are watched, for live tests of what
// happens while the server runs one: `before` runs just before such a statement is sent (on the
// sending thread, with the real connection), and `during` runs again and again on a thread of
// its own, every 20 ms, until the statement has returned.

#include <QString>
#include <functional>
#include <memory>

#include "platform/odbc/adodb.h"

struct StatementHook {
  QString containing;
  std::function<void(adodb::Connection& real)> before;
  std::function<void()> during;
};

std::unique_ptr<adodb::Connection> HookedConnection(std::unique_ptr<adodb::Connection> real,
                                                    StatementHook hook);
