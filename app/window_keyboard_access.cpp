#include "app/window_keyboard_access.h"

#include <QShortcut>
#include <QWidget>
#include <algorithm>

#include "core/reading_order.h"
#include "skin/widgets/image_button.h"

namespace zarvel {

QWidget* ChainInReadingOrder(const std::vector<QWidget*>& controls, QWidget* previous) {
  std::vector<PictureKey> placed;
  placed.reserve(controls.size());
  for (std::size_t i = 0; i < controls.size(); ++i) {
    const QWidget* c = controls[i];
    placed.push_back({static_cast<int>(i), c->x(), c->y(), c->width(), c->height()});
  }
  for (int index : ReadingOrder(placed)) {
    QWidget* control = controls[static_cast<std::size_t>(index)];
    if (previous != nullptr) QWidget::setTabOrder(previous, control);
    previous = control;
  }
  return previous;
}

void OrderTabByLayout(QWidget& window) {
  std::vector<QWidget*> controls;
  for (QWidget* child : window.findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
    if (!child->isWindow() && (child->focusPolicy() & Qt::TabFocus) == Qt::TabFocus) controls.push_back(child);
  ChainInReadingOrder(controls);
}

void AddButtonShortcut(QWidget& window, ImageButton& button, const QKeySequence& keys) {
  auto* shortcut = new QShortcut(keys, &window);
  shortcut->setContext(Qt::WindowShortcut);
  QObject::connect(shortcut, &QShortcut::activated, &button, [&button] {
    if (!button.isVisible() || !button.isEnabled()) return;
    if (button.focusPolicy() != Qt::NoFocus) button.setFocus(Qt::ShortcutFocusReason);
    button.click();
  });
  button.SetShortcutText(keys.toString(QKeySequence::NativeText));
}

}  // namespace zarvel
