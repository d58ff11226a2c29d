#pragma once
// The About box: the program's picture, two lines of text, the program's
// version (so a bug report names the exact build), the maker's web address
// and OK. A plain dialog (no skin). At most one exists; OK, Esc and
// the close button hide it, and the next request shows it again. F1 opens the
// help page.
#include <QDialog>

class QLabel;
class QPushButton;

namespace zarvel {

class AboutDialog : public QDialog {
  Q_OBJECT
 public:
  explicit AboutDialog(QWidget* parent = nullptr);

  // Shows the box, or raises it when it is shown already.
  void ShowAbout();
  // Caption, both lines and OK from the language file.
  void ApplyLanguage();

  // The address the link shows and opens: the main skin's "SCREEN" / "Link".
  static QString LinkAddress();

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  QLabel* intro_;
  QLabel* copyright_;
  QLabel* version_;
  QLabel* link_;
  QPushButton* ok_;
};

// Opens the help page (Help/index.html in the program folder) in the
// desktop's browser.
void OpenHelpPage();

}  // namespace zarvel
