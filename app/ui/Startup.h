#pragma once

class QApplication;
class QString;

namespace Tabrix {

class Prompter;

// The program from start to end: settings, single instance, main window, splash,
// register, patient log, event loop. `programFile` is the running program's path:
// the settings, data link and printer definition files are named after it.
// Returns the exit code.
int RunTabrix(QApplication &app, Prompter &prompter, const QString &programFile);

} // namespace Tabrix
