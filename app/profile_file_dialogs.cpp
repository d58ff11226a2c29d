#include "app/profile_file_dialogs.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QStringList>

namespace zarvel {

namespace {

const QStringList& ProfileFilters() {
  static const QStringList filters = {QStringLiteral("(*.zvl)"), QStringLiteral("(*)")};
  return filters;
}

std::optional<std::string> Run(QFileDialog& dialog) {
  dialog.setNameFilters(ProfileFilters());
  dialog.setDefaultSuffix(QStringLiteral("zvl"));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return dialog.selectedFiles().first().toStdString();
}

}  // namespace

void PrepareBackUpDialog(QFileDialog& dialog, BackUpDialogKind kind) {
  // Not the process's working folder, which for a program started from the
  // desktop or at login is nowhere the user keeps files.
  dialog.setDirectory(QDir::homePath());
  dialog.setNameFilters(ProfileFilters());
  dialog.setDefaultSuffix(QStringLiteral("zvl"));
  if (kind == BackUpDialogKind::kBackUp) {
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);  // asks before overwriting
  } else {
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
  }
}

std::optional<std::string> QtProfileFileDialogs::OpenFile(QWidget* parent, const std::string& initial) {
  const QFileInfo start(QString::fromStdString(initial));
  QFileDialog dialog(parent, QString(), start.path());
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFile);
  return Run(dialog);
}

std::optional<std::string> QtProfileFileDialogs::SaveFile(QWidget* parent, const std::string& initial) {
  const QFileInfo start(QString::fromStdString(initial));
  QFileDialog dialog(parent, QString(), start.path());
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  // Replacing an existing file is asked about (the dialog's default).
  dialog.selectFile(start.fileName());
  return Run(dialog);
}

}  // namespace zarvel
