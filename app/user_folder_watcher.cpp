#include "app/user_folder_watcher.h"

#include <QDir>
#include <QFileInfo>

#include "core/keyboard_change_mark.h"
#include "model/profile_store.h"
#include "model/user_lighting_file.h"
#include "skin/program_paths.h"

namespace zarvel {

UserFolderWatcher::UserFolderWatcher(QObject* parent) : QObject(parent) {
  settle_.setSingleShot(true);
  settle_.setInterval(50);
  connect(&settle_, &QTimer::timeout, this, [this] {
    Rewatch();
    Q_EMIT changed();
  });
  connect(&watcher_, &QFileSystemWatcher::directoryChanged, this, [this] { settle_.start(); });
  connect(&watcher_, &QFileSystemWatcher::fileChanged, this, [this] { settle_.start(); });
  // The window may be made before the core's start creates the folder; a
  // folder that is not there cannot be watched.
  EnsureFolder(UserDataFolder());
  Rewatch();
}

void UserFolderWatcher::Rewatch() {
  // A replaced file drops out of the watch; a new one joins it.
  const UserLightingFiles files;
  QStringList paths{QString::fromStdString(UserDataFolder()), QString::fromStdString(StoreFilePath()),
                    QString::fromStdString(files.SettingsFilePath()),
                    QString::fromStdString(UserDataFolder() + kKeyboardChangeMarkName)};
  for (int p = 0; p < kLightingFileProfiles; ++p) paths << QString::fromStdString(files.LightingFilePath(p));
  QStringList missing;
  const QStringList watched = watcher_.files() + watcher_.directories();
  for (const QString& path : paths)
    if (!watched.contains(path) && QFileInfo::exists(path)) missing << path;
  if (!missing.isEmpty()) watcher_.addPaths(missing);
}

}  // namespace zarvel
