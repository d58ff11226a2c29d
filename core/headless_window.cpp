#include "core/headless_window.h"

#include <string>
#include <utility>

#include "skin/language.h"

namespace zarvel {

HeadlessMainWindow::HeadlessMainWindow(Prompter& prompter, Handlers handlers)
    : prompter_(prompter), handlers_(std::move(handlers)) {}

void HeadlessMainWindow::Post(std::function<void()> run) {
  {
    std::lock_guard lock(mutex_);
    if (shut_down_) return;
    queue_.push_back(Item{std::move(run), nullptr});
  }
  changed_.notify_all();
}

void HeadlessMainWindow::Send(std::function<void()> run) {
  auto done = std::make_shared<bool>(false);
  std::unique_lock lock(mutex_);
  if (shut_down_) return;
  queue_.push_back(Item{std::move(run), done});
  changed_.notify_all();
  changed_.wait(lock, [&] { return *done || shut_down_; });
}

int HeadlessMainWindow::ProcessEvents(std::chrono::milliseconds timeout) {
  std::unique_lock lock(mutex_);
  changed_.wait_for(lock, timeout, [this] { return !queue_.empty() || shut_down_; });
  int ran = 0;
  while (!queue_.empty() && !shut_down_) {
    Item item = std::move(queue_.front());
    queue_.pop_front();
    lock.unlock();
    if (item.run) item.run();
    ++ran;
    lock.lock();
    if (item.done) {
      *item.done = true;
      changed_.notify_all();
    }
  }
  return ran;
}

void HeadlessMainWindow::Shutdown() {
  {
    std::lock_guard lock(mutex_);
    shut_down_ = true;
    queue_.clear();
  }
  changed_.notify_all();
}

void HeadlessMainWindow::SendProfileMessage() {
  Send([this] {
    if (handlers_.profile_message) handlers_.profile_message();
  });
}

void HeadlessMainWindow::SendCloseDialogsMessage() {
  Send([this] {
    if (handlers_.close_dialogs) handlers_.close_dialogs();
  });
}

void HeadlessMainWindow::PostOpenMessage() {
  Post([this] {
    visible_ = true;
    if (handlers_.open) handlers_.open();
  });
}

void HeadlessMainWindow::HideWindow() { visible_ = false; }

void HeadlessMainWindow::StartTimer(int timer_id, int /*period_ms*/) {
  {
    std::lock_guard lock(mutex_);
    if (shut_down_ || !pending_timers_.insert(timer_id).second) return;  // pending already: merges
  }
  Post([this, timer_id] {
    {
      std::lock_guard lock(mutex_);
      pending_timers_.erase(timer_id);
    }
    if (handlers_.timer) handlers_.timer(timer_id);
  });
}

void HeadlessMainWindow::ShowTrayIcon(int icon_resource) {
  tray_icon_ = icon_resource;
  if (handlers_.tray_icon)
    Post([this, icon_resource] { handlers_.tray_icon(icon_resource); });
}

void HeadlessMainWindow::ShowMessageBox(std::string_view language_key) {
  std::string key(language_key);
  Post([this, key] { prompter_.ShowMessage(key, LookupText(key)); });
}

}  // namespace zarvel
