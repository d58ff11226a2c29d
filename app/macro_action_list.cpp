#include "app/macro_action_list.h"

#include <QComboBox>
#include <QFontMetrics>
#include <QStyle>
#include <QHeaderView>
#include <QLineEdit>
#include <QPalette>
#include <QRegularExpressionValidator>
#include <QSignalBlocker>

#include "app/key_dialog_pages.h"
#include "core/macro_editor.h"
#include "model/key_table.h"
#include "skin/language.h"

namespace zarvel {

namespace {

constexpr int kColumnWidth = 63;
constexpr int kPickListRows = 20;

class CellEditors : public QStyledItemDelegate {
 public:
  CellEditors(MacroRowsModel& model, QObject* parent) : QStyledItemDelegate(parent), model_(model) {}

  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex& index) const override {
    switch (index.column()) {
      case kKeyColumn: {
        auto* box = new QComboBox(parent);
        box->setMaxVisibleItems(kPickListRows);
        // A key the pick list has no entry for is offered as itself first.
        if (index.data(Qt::UserRole).toInt() == MacroEditor::kKeepRowKey)
          box->addItem(index.data(Qt::DisplayRole).toString(), MacroEditor::kKeepRowKey);
        for (std::uint16_t p = 0; p < kPickListSize; ++p)
          box->addItem(QString::fromStdString(PickIndexDisplayName(p)), static_cast<int>(p));
        return box;
      }
      case kDirectionColumn: {
        auto* box = new QComboBox(parent);
        box->addItem(DirectionText(kPress), static_cast<int>(kPress));
        box->addItem(DirectionText(kRelease), static_cast<int>(kRelease));
        return box;
      }
      default: {
        if (model_.Edits().delayEditStarted) model_.Edits().delayEditStarted();
        auto* edit = new QLineEdit(parent);
        edit->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]{0,9}"), edit));
        return edit;
      }
    }
  }

  void setEditorData(QWidget* editor, const QModelIndex& index) const override {
    if (auto* box = qobject_cast<QComboBox*>(editor)) {
      const int found = box->findData(index.data(Qt::UserRole));
      box->setCurrentIndex(std::max(0, found));
    } else if (auto* edit = qobject_cast<QLineEdit*>(editor)) {
      edit->setText(index.data(Qt::DisplayRole).toString());
    }
  }

  void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override {
    if (auto* box = qobject_cast<QComboBox*>(editor)) {
      model->setData(index, box->currentData(), Qt::EditRole);
    } else if (auto* edit = qobject_cast<QLineEdit*>(editor)) {
      model->setData(index, edit->text(), Qt::EditRole);
    }
  }

 private:
  MacroRowsModel& model_;
};

}  // namespace

QString DirectionText(std::uint16_t direction) {
  return direction == kRelease ? QStringLiteral("  \u2191") : QStringLiteral("\u2193");
}

MacroRowsModel::MacroRowsModel(const std::vector<MacroAction>& rows, RowEdits edits, QObject* parent)
    : QAbstractTableModel(parent), rows_(rows), edits_(std::move(edits)), headers_{"", "", ""} {}

void MacroRowsModel::Refresh() {
  beginResetModel();
  FindUnbalanced();
  endResetModel();
}

void MacroRowsModel::FindUnbalanced() {
  unbalanced_.assign(rows_.size(), false);
  for (const int row : UnbalancedActions(rows_)) unbalanced_[static_cast<std::size_t>(row)] = true;
}

bool MacroRowsModel::Unbalanced(int row) const {
  return row >= 0 && static_cast<std::size_t>(row) < unbalanced_.size() && unbalanced_[static_cast<std::size_t>(row)];
}

void MacroRowsModel::SetHeaders(const QStringList& headers) {
  headers_ = headers;
  Q_EMIT headerDataChanged(Qt::Horizontal, 0, columnCount() - 1);
}

int MacroRowsModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int MacroRowsModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : 3; }

QVariant MacroRowsModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount()) return {};
  const MacroAction& action = rows_[static_cast<std::size_t>(index.row())];
  if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole) {
    switch (index.column()) {
      case kKeyColumn: return QString::fromStdString(KeyDisplayName(action.keyCode));
      case kDirectionColumn: return DirectionText(action.direction);
      default: return QString::number(action.delay);
    }
  }
  if (role == Qt::UserRole) {
    switch (index.column()) {
      case kKeyColumn: return MacroEditor::KeyCellPick(action.keyCode);
      case kDirectionColumn: return static_cast<int>(action.direction);
      default: return action.delay;
    }
  }
  const bool unbalanced = Unbalanced(index.row());
  if (role == Qt::ToolTipRole) {
    QString tip = index.column() == kKeyColumn ? QString::fromStdString(KeyDisplayName(action.keyCode)) : QString();
    if (unbalanced) {
      if (!tip.isEmpty()) tip += '\n';
      tip += QString::fromStdString(LookupText(action.direction == kPress ? "MACRO_ROW_NOT_RELEASED"
                                                                           : "MACRO_ROW_NOT_PRESSED"));
    }
    return tip.isEmpty() ? QVariant() : QVariant(tip);
  }
  if (role == Qt::BackgroundRole && unbalanced) return QColor(120, 40, 40);
  if (role == Qt::ForegroundRole && unbalanced) return QColor(255, 214, 160);
  if (role == Qt::ForegroundRole && index.column() != kDelayColumn)
    return QPalette().color(QPalette::Disabled, QPalette::Text);
  if (role == Qt::TextAlignmentRole) return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
  return {};
}

QVariant MacroRowsModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < headers_.size())
    return headers_[section];
  if (orientation == Qt::Horizontal && role == Qt::TextAlignmentRole)
    return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
  return QAbstractTableModel::headerData(section, orientation, role);
}

Qt::ItemFlags MacroRowsModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
}

bool MacroRowsModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (role != Qt::EditRole || !index.isValid()) return false;
  const int row = index.row();
  switch (index.column()) {
    case kKeyColumn:
      if (edits_.key) edits_.key(row, value.toInt());
      break;
    case kDirectionColumn:
      if (edits_.direction) edits_.direction(row, value.toInt() == kRelease ? kRelease : kPress);
      break;
    default:
      if (edits_.delay) edits_.delay(row, value.toString());
      break;
  }
  // A changed key or direction can pair or unpair any row of the list.
  FindUnbalanced();
  Q_EMIT dataChanged(this->index(0, 0), this->index(std::max(0, rowCount() - 1), 2));
  return true;
}

MacroActionList::MacroActionList(const std::vector<MacroAction>& rows, RowEdits edits, QWidget* parent)
    : QTableView(parent), model_(new MacroRowsModel(rows, std::move(edits), this)) {
  setModel(model_);
  setItemDelegate(new CellEditors(*model_, this));
  setFont(ListFont());
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::SingleSelection);
  // One click into a cell edits it, selected row or not.
  setEditTriggers(QAbstractItemView::EditKeyPressed);
  // Tab leaves the list for the next control; the arrows move between rows.
  setTabKeyNavigation(false);
  connect(this, &QAbstractItemView::clicked, this, [this](const QModelIndex& index) {
    if (index.isValid() && state() != QAbstractItemView::EditingState) edit(index);
  });
  verticalHeader()->hide();
  verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
  horizontalHeader()->setStretchLastSection(true);
  for (int c = 0; c < 3; ++c) setColumnWidth(c, kColumnWidth);
  setWordWrap(false);
  connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          [this](const QModelIndex& current) { Q_EMIT rowChosen(current.isValid() ? current.row() : -1); });
}

void MacroActionList::FitKeyColumn() {
  // Every name the key column can show: the pick list's and the recorded
  // keys' ("Left Ctrl", "Num Enter", "Media Player"), plus the cell's margins.
  int widest = 0;
  const QFontMetrics metrics(font());
  for (unsigned i = 0; i < kKeyTableSize; ++i)
    if (!KeyTable()[i].textKey.empty())
      widest = std::max(widest, metrics.horizontalAdvance(QString::fromStdString(KeyDisplayName(TableIndexToKeyCode(i)))));
  const int wanted = widest + 2 * style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 8;
  // The other two columns keep what their texts need; a name longer than
  // the rest shows whole in the cell's tooltip.
  // (The list may not be laid out yet: its own width, less the frame and a
  // scroll bar, is what the columns will get.)
  // The delay column's header ("Delay (ms)") is wider than its numbers.
  const QString delay_header = model()->headerData(kDelayColumn, Qt::Horizontal, Qt::DisplayRole).toString();
  const int delay_wanted =
      std::max(kColumnWidth, horizontalHeader()->fontMetrics().horizontalAdvance(delay_header) + 14);
  const int room = width() - 2 * frameWidth() - style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this) -
                   kColumnWidth - delay_wanted;
  setColumnWidth(kKeyColumn, std::max(kColumnWidth, std::min(wanted, room)));
}

void MacroActionList::CommitOpenEditor() {
  if (state() != QAbstractItemView::EditingState) return;
  QWidget* editor = indexWidget(currentIndex());
  if (editor == nullptr) return;
  commitData(editor);
  closeEditor(editor, QAbstractItemDelegate::NoHint);
}

void MacroActionList::ShowRows(int selected) {
  const QSignalBlocker quiet(selectionModel());
  model_->Refresh();
  if (selected >= 0 && selected < model_->rowCount()) {
    const QModelIndex index = model_->index(selected, 0);
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    scrollTo(index);
  }
}

}  // namespace zarvel
