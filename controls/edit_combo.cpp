#include "controls/edit_combo.h"

#include <QLineEdit>
#include <QSignalBlocker>

namespace zarvel {

EditCombo::EditCombo(QWidget* parent) : QComboBox(parent) {
  setEditable(true);
  // Typing renames the entry; it never adds one.
  setInsertPolicy(QComboBox::NoInsert);
  setCompleter(nullptr);

  connect(this, qOverload<int>(&QComboBox::activated), this, [this](int index) {
    edited_index_ = -1;
    Q_EMIT entryChosen(index);
  });
  connect(lineEdit(), &QLineEdit::textEdited, this, [this](const QString& text) {
    const int index = currentIndex();
    if (index < 0) return;
    if (edited_index_ != index) {
      edited_index_ = index;
      text_before_edit_ = itemText(index);
    }
    // The entry follows the box while typing, so the list shows the new
    // name and the box never "finds" another entry of the same text.
    const int cursor = lineEdit()->cursorPosition();
    {
      const QSignalBlocker quiet(this);
      setItemText(index, text);
    }
    if (lineEdit()->text() != text) lineEdit()->setText(text);
    lineEdit()->setCursorPosition(cursor);
    Q_EMIT entryTextEdited(index, text);
  });
  connect(lineEdit(), &QLineEdit::editingFinished, this, [this] { FinishEdit(); });
}

void EditCombo::SetEntries(const QStringList& entries) {
  const QSignalBlocker quiet(this);
  edited_index_ = -1;
  const int selected = currentIndex();
  clear();
  addItems(entries);
  setCurrentIndex(selected < count() ? selected : -1);
}

void EditCombo::SetEntryText(int index, const QString& text) {
  if (index < 0 || index >= count()) return;
  const QSignalBlocker quiet(this);
  if (index == edited_index_) edited_index_ = -1;
  setItemText(index, text);
}

void EditCombo::SelectEntry(int index) {
  const QSignalBlocker quiet(this);
  edited_index_ = -1;
  setCurrentIndex(index >= 0 && index < count() ? index : -1);
  if (currentIndex() < 0) lineEdit()->clear();
}

void EditCombo::FinishEdit() {
  const int index = edited_index_;
  edited_index_ = -1;
  if (index < 0 || index >= count()) return;
  const QString text = itemText(index);
  if (text == text_before_edit_) return;
  Q_EMIT entryRenamed(index, text);
}

}  // namespace zarvel
