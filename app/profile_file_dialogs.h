#pragma once
// The file dialogs of the profile manager, behind a seam so tests can answer
// them: profile files (".zvl") with the filters "(*.zvl)" and "(*)" (every
// file: on this system many have no extension, which "*.*" would hide), the
// default extension "zvl", and for saving a question before an existing
// file is replaced. Also how the main window's back-up and restore dialogs
// are set up.
#include <optional>
#include <string>

class QFileDialog;
class QWidget;

namespace zarvel {

class ProfileFileDialogs {
 public:
  virtual ~ProfileFileDialogs() = default;
  // Asks for an existing file, starting from `initial` (a folder followed by
  // a file pattern). Nothing when the user cancelled.
  virtual std::optional<std::string> OpenFile(QWidget* parent, const std::string& initial) = 0;
  // Asks for a file to write, suggesting `initial`. Nothing when cancelled.
  virtual std::optional<std::string> SaveFile(QWidget* parent, const std::string& initial) = 0;
};

// The main window's back-up (save) and restore (open) dialogs: they start in
// the user's home folder with an empty name box, offer "(*.zvl)" and "(*)",
// and a saved name without extension gets ".zvl".
enum class BackUpDialogKind { kBackUp, kRestore };
void PrepareBackUpDialog(QFileDialog& dialog, BackUpDialogKind kind);

// The toolkit's file dialogs.
class QtProfileFileDialogs final : public ProfileFileDialogs {
 public:
  std::optional<std::string> OpenFile(QWidget* parent, const std::string& initial) override;
  std::optional<std::string> SaveFile(QWidget* parent, const std::string& initial) override;
};

}  // namespace zarvel
