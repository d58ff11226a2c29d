#include "controls/dark_fields.h"

#include <QWidget>

namespace zarvel {
namespace {

constexpr const char* kDarkFieldStyle =
    "QLineEdit, QComboBox, QListWidget, QTableView {"
    "  background: #14181d; color: #e8eaed; border: 1px solid #3a414b; border-radius: 3px;"
    "  selection-background-color: #1f6f9f; selection-color: #ffffff; }"
    "QLineEdit:focus, QComboBox:focus, QListWidget:focus, QTableView:focus { border: 2px solid #2fb4e8; }"
    "QLineEdit:disabled, QComboBox:disabled, QListWidget:disabled, QTableView:disabled {"
    "  color: #7d848e; background: #1a1e23; }"
    "QComboBox QAbstractItemView { background: #14181d; color: #e8eaed; border: 1px solid #3a414b;"
    "  selection-background-color: #1f6f9f; }"
    "QTableView { gridline-color: #2b3139; }"
    "QTableCornerButton::section { background: #232931; border: 0; }"
    "QScrollBar:vertical { background: #1a1e23; width: 11px; margin: 0; }"
    "QScrollBar:horizontal { background: #1a1e23; height: 11px; margin: 0; }"
    "QScrollBar::handle { background: #3e4650; border-radius: 4px; margin: 2px; }"
    "QScrollBar::handle:hover { background: #56606c; }"
    "QScrollBar::handle:vertical { min-height: 24px; }"
    "QScrollBar::handle:horizontal { min-width: 24px; }"
    "QScrollBar::add-line, QScrollBar::sub-line { width: 0; height: 0; }"
    "QScrollBar::add-page, QScrollBar::sub-page { background: none; }"
    "QHeaderView::section { background: #232931; color: #c9ced6; border: none;"
    "  border-right: 1px solid #3a414b; padding: 2px 4px; }";

}  // namespace

void UseDarkFields(QWidget& widget, const char* extra) {
  QString style = QString::fromLatin1(kDarkFieldStyle);
  if (extra != nullptr) style += QString::fromLatin1(extra);
  widget.setStyleSheet(style);
}

}  // namespace zarvel
