#pragma once
// A drop-down list whose entries the user can rename in place: the user
// colour group's slot list (and the macro page's name box).
//
// The current entry's text is edited in the box; every keystroke emits
// entryTextEdited(), and finishing the edit (Enter or leaving the box) with a
// changed text emits entryRenamed(). Picking an entry emits entryChosen().
// All three come from the user only: SetEntries(), SetEntryText() and
// SelectEntry() emit nothing, so refilling the list renames nothing.
#include <QComboBox>
#include <QStringList>

namespace zarvel {

class EditCombo : public QComboBox {
  Q_OBJECT
 public:
  explicit EditCombo(QWidget* parent = nullptr);

  void SetEntries(const QStringList& entries);
  void SetEntryText(int index, const QString& text);
  // -1 selects nothing (the box shows an empty text).
  void SelectEntry(int index);
  int SelectedEntry() const { return currentIndex(); }

 Q_SIGNALS:
  void entryChosen(int index);
  void entryTextEdited(int index, const QString& text);
  void entryRenamed(int index, const QString& text);

 private:
  void FinishEdit();
  int edited_index_ = -1;
  QString text_before_edit_;
};

}  // namespace zarvel
