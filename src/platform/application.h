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
std::unique_ptr<QApplication> CreateApplication(int& argc, char** argv);

}  // namespace app
