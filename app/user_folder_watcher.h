#pragma once
// Tells the window when another process may have changed the per-user files
// it shows: the store file, the user lighting files, qnkb.ini and the
// keyboard-change mark. The decisions (what changed, what to reload, how to
// merge) are the core's (AppCore::TakeOtherProcessChanges); this only
// watches.
//
// The folder is watched, not just the files: every save replaces a file by
// renaming a new one over it, which a watch on the old file would miss.
// Files written in place are watched too. A burst of events (one save is a
// create, a write and a rename) becomes one changed() a moment later.
#include <QFileSystemWatcher>
#include <QObject>
#include <QTimer>

namespace zarvel {

// The write runner's merge key of the check, so a burst queues one.
inline constexpr int kOtherProcessCheckKey = 1070;

class UserFolderWatcher : public QObject {
  Q_OBJECT

 public:
  explicit UserFolderWatcher(QObject* parent = nullptr);

 Q_SIGNALS:
  void changed();

 private:
  void Rewatch();

  QFileSystemWatcher watcher_;
  QTimer settle_;
};

}  // namespace zarvel
