#pragma once
// Keyboard access shared by the skinned windows: the Tab order in reading
// order, and button shortcuts that click a button as the mouse would.
#include <QKeySequence>
#include <QString>
#include <vector>

class QWidget;

namespace zarvel {

class ImageButton;

// Chains `controls` for Tab in reading order (core/reading_order.h), after
// `previous` when given. Returns the last control of the chain.
QWidget* ChainInReadingOrder(const std::vector<QWidget*>& controls, QWidget* previous = nullptr);
// Every control of `window` (children that take Tab focus), in reading order.
void OrderTabByLayout(QWidget& window);

// A shortcut of `window` that clicks `button` while it is shown and enabled;
// the button's tooltip names it.
void AddButtonShortcut(QWidget& window, ImageButton& button, const QKeySequence& keys);

}  // namespace zarvel
