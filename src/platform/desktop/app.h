#pragma once

// What the platform holds for the program as a whole: its title, its folder, and its end.

#include <QString>
#include <functional>

namespace app {

// The application title: the title of every message box that has none of its own.
QString Title();
void SetTitle(const QString& title);

// The folder that holds the program file.
QString Path();
// Joins a name of the program folder, written with a leading backslash ("\x\o.cjs"), to the
// folder with the platform's separator.
QString PathOf(const QString& backslashName);
// Tests point the program folder elsewhere; the empty text restores the real one.
void SetPathForTesting(const QString& folder);

// Ends the program at once: no page's close handling and no further statement of a running
// handler. Tests replace the ending with a recorder; Ended() then tells a running handler to stop.
void End();
bool Ended();

// Lets the window process pending input and repaint, once: the yield the table listing and the
// append make for every row. False once the program has ended meanwhile.
bool YieldToWindow();
void SetEndHandlerForTesting(std::function<void()> handler);

}  // namespace app
