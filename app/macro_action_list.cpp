#include "app/macro_action_list.h"

#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QPalette>
#include <QRegularExpressionValidator>
#include <QSignalBlocker>

#include "app/key_dialog_pages.h"
#include "model/key_table.h"

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
        for (std::uint16_t p = 0; p < kPickListSize; ++p)
          box->addItem(QString::fromStdString(PickIndexDisplayName(p)), p);
        return box;
      }
      case kDirectionColumn: {
        auto* box = new QComboBox(parent);
        box->addItem(DirectionText(kPress), kPress);
        box->addItem(DirectionText(kRelease), kRelease);
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
  endResetModel();
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
      case kKeyColumn: return KeyCodeToPickIndex(action.keyCode);
      case kDirectionColumn: return action.direction;
      default: return action.delay;
    }
  }
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
    case kKeyColumn: {
      const KeyCode key = PickIndexToKeyCode(static_cast<std::uint16_t>(value.toUInt()));
      if (edits_.key && key != 0) edits_.key(row, key);
      break;
    }
    case kDirectionColumn:
      if (edits_.direction) edits_.direction(row, value.toUInt() == kRelease ? kRelease : kPress);
      break;
    default:
      if (edits_.delay) edits_.delay(row, value.toString());
      break;
  }
  Q_EMIT dataChanged(index.siblingAtColumn(0), index.siblingAtColumn(2));
  return true;
}

MacroActionList::MacroActionList(const std::vector<MacroAction>& rows, RowEdits edits, QWidget* parent)
    : QTableView(parent), model_(new MacroRowsModel(rows, std::move(edits), this)) {
  setModel(model_);
  setItemDelegate(new CellEditors(*model_, this));
  setFont(ListFont());
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::SelectedClicked | QAbstractItemView::DoubleClicked |
                  QAbstractItemView::EditKeyPressed);
  verticalHeader()->hide();
  verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
  horizontalHeader()->setStretchLastSection(true);
  for (int c = 0; c < 3; ++c) setColumnWidth(c, kColumnWidth);
  setWordWrap(false);
  connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          [this](const QModelIndex& current) { Q_EMIT rowChosen(current.isValid() ? current.row() : -1); });
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
