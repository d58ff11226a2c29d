#pragma once
// The progress picture of the main window while the keyboard is written:
// frames "jdt1.bmp" .. "jdt10.bmp" from the skin folder, the next one every
// 50 ms (timer 1050), starting again at the first.
//
// Show() shows the first frame at once; Hide() hides the picture 100 ms
// later, so even a write too quick to see still shows a frame. A Show()
// within those 100 ms keeps it turning.
#include <QObject>
#include <QTimer>

namespace zarvel {

class SkinPicture;

inline constexpr int kBusyFrameIntervalMs = 50;
inline constexpr int kBusyHideDelayMs = 100;

class ProgressAnimation : public QObject {
  Q_OBJECT
 public:
  explicit ProgressAnimation(SkinPicture& picture, QObject* parent = nullptr);

  void Show();
  void Hide();
  bool Shown() const { return shown_; }
  // The frame shown, 1..10; 0 while hidden.
  int Frame() const { return shown_ ? frame_ : 0; }

 Q_SIGNALS:
  // A frame was put on screen (benchmarks time the gaps between them).
  void frameShown(int frame);

 private:
  void ShowFrame(int frame);

  SkinPicture& picture_;
  QTimer frame_timer_;  // 1050
  QTimer hide_timer_;
  int frame_ = 1;
  bool shown_ = false;
};

}  // namespace zarvel
