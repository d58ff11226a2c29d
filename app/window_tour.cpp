#include "app/window_tour.h"

#include <QAbstractButton>
#include <QDir>
#include <QPixmap>
#include <QTimer>
#include <cstdio>

#include "app/main_window.h"
#include "app/keyboard_write_runner.h"
#include "core/app_core.h"
#include "core/main_view.h"
#include "model/key_function.h"
#include "model/key_table.h"

namespace zarvel {
namespace {

// Long enough for the window to repaint what a step changed.
constexpr int kStepPauseMs = 400;
constexpr int kWritePollMs = 50;

}  // namespace

WindowTour::WindowTour(MainWindow& window, AppCore& core, QString folder, QObject* parent)
    : QObject(parent), window_(window), core_(core), folder_(std::move(folder)) {
  steps_ = {
      [this] { Screenshot(QStringLiteral("1-window.png")); },
      // F1 types B from now on, as the key-function dialog's OK would set it.
      [this] {
        const std::uint16_t record = KeyCodeToRecordIndex(FindKeyByName("F1"));
        core_.AssignKey(record, KeyFunction{kFunctionKey, 0, FindKeyByName("B"), 0, 0});
      },
      [this] { Screenshot(QStringLiteral("2-key-assigned.png")); },
      [this] { Click(kApplyButtonId); },
      [this] { Screenshot(QStringLiteral("3-applied.png")); },
      [this] { Click(kProfileButtonIds[1]); },
      [this] { Screenshot(QStringLiteral("4-profile-2.png")); },
  };
}

void WindowTour::Start() {
  QDir().mkpath(folder_);
  QTimer::singleShot(kStepPauseMs, this, &WindowTour::Next);
}

void WindowTour::Next() {
  // The window writes the keyboard on a worker and lends it the core
  // meanwhile: the next step waits until the write is done.
  if (window_.Writes().Running()) {
    QTimer::singleShot(kWritePollMs, this, &WindowTour::Next);
    return;
  }
  if (step_ < steps_.size()) {
    steps_[step_++]();
    QTimer::singleShot(kStepPauseMs, this, &WindowTour::Next);
    return;
  }
  for (const QString& path : saved_) std::printf("%s\n", qPrintable(path));
  std::fflush(stdout);
  Q_EMIT finished();
}

void WindowTour::Click(int control_id) {
  if (auto* button = qobject_cast<QAbstractButton*>(window_.Control(control_id))) button->click();
}

void WindowTour::Screenshot(const QString& name) {
  const QString path = QDir(folder_).absoluteFilePath(name);
  if (window_.grab().save(path)) saved_ << path;
}

}  // namespace zarvel
