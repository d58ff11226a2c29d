#include "app/progress_animation.h"

#include <string>

#include "controls/skin_picture.h"
#include "core/main_view.h"

namespace zarvel {

ProgressAnimation::ProgressAnimation(SkinPicture& picture, QObject* parent) : QObject(parent), picture_(picture) {
  frame_timer_.setObjectName(QString::number(kBusyFrameTimer));
  frame_timer_.setInterval(kBusyFrameIntervalMs);
  frame_timer_.setTimerType(Qt::PreciseTimer);
  connect(&frame_timer_, &QTimer::timeout, this, [this] { ShowFrame(frame_ % kBusyFrameCount + 1); });
  hide_timer_.setSingleShot(true);
  hide_timer_.setInterval(kBusyHideDelayMs);
  connect(&hide_timer_, &QTimer::timeout, this, [this] {
    frame_timer_.stop();
    shown_ = false;
    picture_.hide();
  });
}

void ProgressAnimation::Show() {
  hide_timer_.stop();
  if (shown_) return;
  shown_ = true;
  ShowFrame(1);
  picture_.show();
  picture_.raise();
  frame_timer_.start();
}

void ProgressAnimation::Hide() {
  if (shown_ && !hide_timer_.isActive()) hide_timer_.start();
}

void ProgressAnimation::ShowFrame(int frame) {
  frame_ = frame;
  picture_.SetImage("jdt" + std::to_string(frame) + ".bmp");
  Q_EMIT frameShown(frame);
}

}  // namespace zarvel
