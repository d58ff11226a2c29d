#pragma once
// A desktop for the process tests: an X server of our own (Xvfb) and the
// fake desktop services of fake_desktop.py (a tray's StatusNotifierWatcher, a
// logind), each stopped by its destructor.
#include <QProcess>
#include <QString>
#include <QStringList>
#include <chrono>
#include <memory>

namespace zarvel::testing {

// Xvfb on a free display number.
class XServer {
 public:
  XServer();
  ~XServer();
  bool Ok() const { return !display_.isEmpty(); }
  // ":N"
  const QString& Display() const { return display_; }

 private:
  std::unique_ptr<QProcess> process_;
  QString display_;
};

// One fake_desktop.py service on `busAddress`, ready once it said so.
class FakeService {
 public:
  FakeService(const QString& mode, const QString& busAddress);
  ~FakeService();
  bool Ok() const { return ready_; }
  // Lines it printed so far.
  QStringList Lines();
  // A line to its standard input (the logind's commands).
  void Tell(const QString& line);

 private:
  std::unique_ptr<QProcess> process_;
  QString out_;
  bool ready_ = false;
};

// Runs "fake_desktop.py item ADDRESS SERVICE COMMAND [ARG]" and returns its
// output's lines; empty when it failed.
QStringList AskTrayItem(const QString& busAddress, const QString& service, const QString& command,
                        const QString& argument = {});

// Names of the X windows whose title is `title` (xdotool search).
QStringList FindXWindows(const QString& display, const QString& title);

QString FakeDesktopScript();

}  // namespace zarvel::testing
