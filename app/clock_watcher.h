#pragma once
// Notices when the system clock is set (by the user, NTP stepping it, a
// resume that corrects it). The keyboard's program writes its unapplied
// changes then, so the window connects clockChanged() to Apply.
//
// A timerfd on the real-time clock armed far in the future with
// TFD_TIMER_CANCEL_ON_SET: setting the clock cancels it, which makes the
// descriptor readable; it is then armed again.
#include <QObject>
#include <memory>

class QSocketNotifier;

namespace zarvel {

class ClockWatcher : public QObject {
  Q_OBJECT
 public:
  explicit ClockWatcher(QObject* parent = nullptr);
  ~ClockWatcher() override;

  // False when the system offers no such timer; the program then runs without.
  bool Start();
  bool IsWatching() const { return fd_ >= 0; }

 Q_SIGNALS:
  void clockChanged();

 private:
  bool Arm();
  void OnReadable();

  int fd_ = -1;
  std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace zarvel
