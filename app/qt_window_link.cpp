#include "app/qt_window_link.h"

#include <QEventLoop>
#include <QThread>
#include <utility>

namespace zarvel {

// One blocking send: set when the window is done with it.
struct QtWindowLink::Waiter {
  bool done = false;
};

QtWindowLink::QtWindowLink(Handlers handlers, QObject* parent) : QObject(parent), handlers_(std::move(handlers)) {}

QtWindowLink::~QtWindowLink() { Release(); }

void QtWindowLink::Release() {
  {
    std::lock_guard lock(mutex_);
    released_ = true;
  }
  changed_.notify_all();
}

bool QtWindowLink::Released() const {
  std::lock_guard lock(mutex_);
  return released_;
}

void QtWindowLink::Post(std::function<void()> run) {
  if (Released()) return;
  queue_.Post([this, run = std::move(run)] {
    if (!Released()) run();
  });
}

void QtWindowLink::Send(std::function<void(Done)> run) {
  auto waiter = std::make_shared<Waiter>();
  Done done = [this, waiter] {
    {
      std::lock_guard lock(mutex_);
      waiter->done = true;
    }
    changed_.notify_all();
  };
  if (QThread::currentThread() == thread()) {
    // Nothing sends from the window's own thread in the program; should a
    // caller do so, the window must keep running its events meanwhile.
    if (Released()) return;
    QEventLoop loop;
    bool finished = false;
    run([&, done] {
      done();
      finished = true;
      loop.quit();
    });
    if (!finished) loop.exec();
    return;
  }
  {
    std::lock_guard lock(mutex_);
    if (released_) return;
  }
  Post([run = std::move(run), done] { run(done); });
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [&] { return waiter->done || released_; });
}

void QtWindowLink::SendProfileMessage() {
  Send([this](Done done) {
    if (handlers_.profile_message)
      handlers_.profile_message(std::move(done));
    else
      done();
  });
}

void QtWindowLink::SendCloseDialogsMessage() {
  Send([this](Done done) {
    if (handlers_.close_dialogs) handlers_.close_dialogs();
    done();
  });
}

void QtWindowLink::PostOpenMessage() {
  Post([this] {
    if (handlers_.open) handlers_.open();
  });
}

void QtWindowLink::HideWindow() {
  Post([this] {
    if (handlers_.hide) handlers_.hide();
  });
}

void QtWindowLink::StartTimer(int timer_id, int /*period_ms*/) {
  {
    std::lock_guard lock(mutex_);
    if (released_ || !pending_timers_.insert(timer_id).second) return;  // still pending: merges
  }
  Post([this, timer_id] {
    // Off the pending list before the handler acts, so an announcement that
    // arrives while it runs starts the timer again.
    {
      std::lock_guard lock(mutex_);
      pending_timers_.erase(timer_id);
    }
    if (handlers_.timer) handlers_.timer(timer_id);
  });
}

void QtWindowLink::ShowTrayIcon(int icon_resource) {
  {
    std::lock_guard lock(mutex_);
    if (released_ || icon_resource == last_tray_icon_) return;
    last_tray_icon_ = icon_resource;
  }
  Post([this, icon_resource] {
    if (handlers_.tray_icon) handlers_.tray_icon(icon_resource);
  });
}

void QtWindowLink::ShowMessageBox(std::string_view language_key) {
  Post([this, key = std::string(language_key)] {
    if (handlers_.message_box) handlers_.message_box(key);
  });
}

}  // namespace zarvel
