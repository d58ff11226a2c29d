#pragma once
// The About box: the program's picture, two lines of text, the program's
// version (so a bug report names the exact build), the maker's web address
// and OK. A plain dialog (no skin). At most one exists; OK, Esc and
// the close button hide it, and the next request shows it again. F1 opens the
// help page.
#include <QDialog>
#include <functional>

class QLabel;
class QPushButton;
class QUrl;

namespace zarvel {

class Prompter;

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
// The same, but when nothing opens it (no browser set up) the user is told
// where the help file is (HELP_NOT_OPENED). `open` opens a page and says
// whether it did; the desktop's browser by default.
void OpenHelpOrSayWhere(Prompter& prompter, const std::function<bool(const QUrl&)>& open = {});

}  // namespace zarvel
