#pragma once
// The on-screen keyboard the key-function dialog offers, for keys the real
// keyboard lacks or a user who prefers the mouse. Its keys reach the dialog
// like real ones (it types through the window system), so capture and
// recording need nothing special for it.
#include <QString>
#include <QStringList>

namespace zarvel {

// The programs tried, best first.
QStringList OnScreenKeyboardPrograms();
// The first of them found on the search path; empty when none is installed.
QString InstalledOnScreenKeyboard();
// Whether one of them runs already (for the user: its window may only be hidden).
bool OnScreenKeyboardRuns();

enum class OnScreenKeyboardStart { kStarted, kAlreadyRunning, kNoneInstalled, kFailed };
// Starts the installed one, detached, unless one runs.
OnScreenKeyboardStart StartOnScreenKeyboard();

}  // namespace zarvel
