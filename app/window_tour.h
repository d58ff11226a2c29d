#pragma once
// The scripted tour `make run` takes where there is no display: the window
// on the simulated keyboard, a key given another function and applied, and
// another profile selected, with a screenshot after each step.
//
// Apply and the profile are clicked on the window's own buttons; the key is
// given its function the way the key-function dialog's OK gives it.
#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

namespace zarvel {

class AppCore;
class MainWindow;

class WindowTour : public QObject {
  Q_OBJECT
 public:
  WindowTour(MainWindow& window, AppCore& core, QString folder, QObject* parent = nullptr);

  // Runs the steps, one every short while, so the window repaints between them.
  void Start();
  const QStringList& Screenshots() const { return saved_; }

 Q_SIGNALS:
  void finished();

 private:
  void Next();
  void Click(int control_id);
  void Screenshot(const QString& name);

  MainWindow& window_;
  AppCore& core_;
  QString folder_;
  std::vector<std::function<void()>> steps_;
  std::size_t step_ = 0;
  QStringList saved_;
};

}  // namespace zarvel
