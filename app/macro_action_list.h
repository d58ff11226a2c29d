#pragma once
// The macro page's action list: one row per action of the current macro,
// with the key, the direction ("↓" press, "  ↑" release) and the pause after
// the action in milliseconds. Each cell is edited in place: the key from the
// key pick list, the direction from its two arrows, the delay as digits.
//
// The rows live in the macro editor; this list only shows them and hands
// every committed edit back (RowEdits), so the editor's rules (the 40000 ms
// limit, 10 ms steps, an unlisted key kept unless another is picked) decide
// what is kept. Rows whose press is never released, or whose release has no
// press, are marked: played, they leave a key held down.
#include <QAbstractTableModel>
#include <QStyledItemDelegate>
#include <QTableView>
#include <functional>
#include <vector>

#include "model/macro.h"

namespace zarvel {

// What the list asks of its owner when the user commits a cell.
struct RowEdits {
  std::function<void(int row, const QString& text)> delay;
  // The key pick list's entry left picked; MacroEditor::kKeepRowKey for
  // the row's own key when the list has no entry for it.
  std::function<void(int row, int pick)> key;
  std::function<void(int row, MacroDirection direction)> direction;
  // A delay cell opened for editing (a recording stops first).
  std::function<void()> delayEditStarted;
};

inline constexpr int kKeyColumn = 0;
inline constexpr int kDirectionColumn = 1;
inline constexpr int kDelayColumn = 2;

// The arrows of the direction column.
QString DirectionText(std::uint16_t direction);

class MacroRowsModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  MacroRowsModel(const std::vector<MacroAction>& rows, RowEdits edits, QObject* parent);
  // The rows changed in the editor: show them again.
  void Refresh();
  void SetHeaders(const QStringList& headers);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;

  const RowEdits& Edits() const { return edits_; }
  bool Unbalanced(int row) const;

 private:
  void FindUnbalanced();

  const std::vector<MacroAction>& rows_;
  RowEdits edits_;
  QStringList headers_;
  std::vector<bool> unbalanced_;
};

class MacroActionList : public QTableView {
  Q_OBJECT
 public:
  MacroActionList(const std::vector<MacroAction>& rows, RowEdits edits, QWidget* parent);
  MacroRowsModel& Rows() { return *model_; }
  // Shows the editor's rows with `selected` selected and scrolled into view.
  void ShowRows(int selected);
  // Commits and closes a cell editor the user left open.
  void CommitOpenEditor();
  // Room for the longest key name in the key column.
  void FitKeyColumn();

 Q_SIGNALS:
  // The user selected another row.
  void rowChosen(int row);

 private:
  MacroRowsModel* model_;
};

}  // namespace zarvel
