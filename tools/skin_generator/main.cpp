// zarvel_skin_gen PROGRAM_FOLDER
//
// Writes our own skin into PROGRAM_FOLDER/Skins: Main.ini, Profile.ini,
// Composite.ini and every picture the windows load, each also as NAME@2x.EXT
// for HiDPI screens. Run at build time with QT_QPA_PLATFORM=offscreen (text
// needs a QGuiApplication to be drawn).
#include <QDir>
#include <QGuiApplication>
#include <cstdio>
#include <set>

#include "tools/skin_generator/pictures.h"
#include "tools/skin_generator/skin_layout.h"
#include "tools/skin_generator/skin_writer.h"

namespace {

using namespace zarvel::skingen;

// One skin key, one control: a key written twice would let the second
// placement silently win in the window.
bool KeysAreUnique(const WindowLayout& layout) {
  std::set<std::string> seen;
  for (const Item& item : layout.items) {
    if (!seen.insert(item.key).second) {
      std::fprintf(stderr, "zarvel_skin_gen: %s places %s twice\n", layout.iniFile.c_str(), item.key.c_str());
      return false;
    }
  }
  return true;
}

int Generate(const QString& programFolder) {
  const QString folder = programFolder + "/Skins";
  if (!QDir().mkpath(folder)) {
    std::fprintf(stderr, "zarvel_skin_gen: cannot create %s\n", qPrintable(folder));
    return 1;
  }
  const WindowLayout mainWindow = MainWindowLayout();
  const WindowLayout profileManager = ProfileManagerLayout();
  const WindowLayout keyDialog = KeyDialogLayout();
  bool ok = KeysAreUnique(mainWindow) && KeysAreUnique(profileManager) && KeysAreUnique(keyDialog);

  SkinWriter writer(folder);
  ok &= writer.WriteSkinFile(mainWindow) & writer.WriteSkinFile(profileManager) & writer.WriteSkinFile(keyDialog);
  ok &= writer.WriteWindowImages(mainWindow, MainWindowImages());
  ok &= writer.WriteWindowImages(profileManager, ProfileManagerImages());
  ok &= writer.WriteWindowImages(keyDialog, KeyDialogImages());
  for (const Picture& picture : LightingPictures(mainWindow)) ok &= writer.WritePicture(picture);
  for (const Picture& picture : ProgressFrames(mainWindow)) ok &= writer.WritePicture(picture);
  ok &= writer.WritePicture(ArrowAtlas(mainWindow));
  for (const Picture& picture : TrayIcons()) ok &= writer.WritePicture(picture);
  for (const Picture& picture : AppIcons()) ok &= writer.WritePictureOnce(picture);
  if (!ok) {
    std::fprintf(stderr, "zarvel_skin_gen: could not write %s\n", qPrintable(writer.Errors()));
    return 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  QGuiApplication app(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: zarvel_skin_gen PROGRAM_FOLDER\n");
    return 2;
  }
  try {
    return Generate(QString::fromLocal8Bit(argv[1]));
  } catch (const std::exception& error) {
    // A layout table that names a control it does not have.
    std::fprintf(stderr, "zarvel_skin_gen: %s\n", error.what());
    return 1;
  }
}
