#pragma once
// Process signals, taken on the window's thread: the handler only writes the
// signal's number into a pipe the window's event loop watches.
//
// SIGTERM, SIGINT and SIGHUP (the session ending, Ctrl+C in a terminal) end
// the program through its ordinary shutdown, so the socket and the named
// semaphores do not stay behind. With the simulated keyboard, SIGUSR1 and
// SIGUSR2 unplug and plug it in, so plugging can be tried without hardware.
// Handlers, unlike a blocked mask, do not pass on to the programs started
// from here (the companion program, the browser of the help page).
#include <QObject>
#include <memory>

class QSocketNotifier;

namespace zarvel {

class SignalWatcher : public QObject {
  Q_OBJECT
 public:
  explicit SignalWatcher(QObject* parent = nullptr);
  ~SignalWatcher() override;

  bool Start();

 Q_SIGNALS:
  void exitRequested();
  void unplugRequested();
  void plugRequested();

 private:
  void OnReadable();

  int read_fd_ = -1;
  std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace zarvel
