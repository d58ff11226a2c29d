#include "app/modal_closer.h"

#include <QApplication>
#include <QDialog>
#include <QWidget>

namespace zarvel {
namespace {

// More than any stack of dialogs the program opens; a widget that refuses to
// close cannot keep this looping.
constexpr int kMostModals = 32;

}  // namespace

int CloseModalThings() {
  int closed = 0;
  // A menu's loop sits above the dialog that opened it: it goes first.
  for (int i = 0; i < kMostModals; ++i) {
    QWidget* popup = QApplication::activePopupWidget();
    if (popup == nullptr) break;
    popup->close();
    if (popup->isVisible()) popup->hide();
    ++closed;
  }
  for (int i = 0; i < kMostModals; ++i) {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr) break;
    if (auto* dialog = qobject_cast<QDialog*>(modal))
      dialog->reject();
    else
      modal->close();
    // A dialog that stays after its Cancel (one that asks "really?") is
    // hidden all the same: its loop must be able to return.
    if (QApplication::activeModalWidget() == modal) modal->hide();
    ++closed;
  }
  return closed;
}

}  // namespace zarvel
