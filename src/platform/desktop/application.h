#pragma once

// The program's application object.

#include <QApplication>
#include <memory>

namespace app {

// Creates the application object on Qt's own event loop rather than GLib's. The table listing
// and the append yield to the window once for every row they read or write; Qt's own loop
// answers such a yield with one poll, GLib's with a round of prepare, poll and check under its
// locks, in about two and a half times as long. The program hooks nothing into GLib. The choice
// holds only for this process: programs started from it (the browser) get their usual loop.
//
// Two more rules hold for the program as a whole. Numbers that the driver turns into text itself
// (a sql_variant, for one) are written with '.', whatever the user's locale: the C library's
// numeric locale stays "C" while the rest follows the user. And the program ends only when one
// of its pages is closed, never because a message box was the last window to close.
std::unique_ptr<QApplication> CreateApplication(int& argc, char** argv);

// The numeric rule alone, for an application object made elsewhere.
void KeepNumbersLocaleIndependent();

}  // namespace app
