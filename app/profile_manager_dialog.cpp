#include "app/profile_manager_dialog.h"

#include <QDesktopServices>
#include <QHeaderView>
#include <QKeyEvent>
#include <QSignalBlocker>
#include <QTableWidget>
#include <QUrl>

#include "app/profile_file_dialogs.h"
#include "controls/dark_fields.h"
#include "core/app_core.h"
#include "core/profile_manager.h"
#include "skin/program_paths.h"
#include "skin/skin_files.h"
#include "skin/widgets/skin_placement.h"

namespace zarvel {

namespace {

// The manager's own texts are fixed; they are not looked up in the
// language file.
constexpr const char* kLoadText = "载入";
constexpr const char* kAddText = "添加";
constexpr const char* kDeleteText = "删除";
constexpr const char* kOkText = "确定";
constexpr const char* kCancelText = "取消";
constexpr const char* kApplyText = "应用";
constexpr const char* kActiveColumn = "激活";
constexpr const char* kNameColumn = "名称";
constexpr const char* kFolderColumn = "路径";
// Column widths in dialog units: a quarter of an average character wide.
constexpr int kColumnUnits[3] = {60, 120, 230};

void OpenHelpPage() {
  QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(ProgramFolder() + "Help/index.html")));
}

}  // namespace

ProfileManagerDialog::ProfileManagerDialog(AppCore& core, Settings& settings, QWidget* parent)
    : SkinnedDialog(kProfileSkinFile, parent),
      core_(core),
      settings_(settings),
      model_(std::make_unique<ProfileManager>(core, settings)),
      dialogs_(std::make_unique<QtProfileFileDialogs>()),
      open_help_(OpenHelpPage) {
  LoadSkin();
  BuildControls();
  // However the dialog ends, profile switches stop consulting it.
  connect(this, &QDialog::finished, this, [this] { model_->Close(); });
}

ProfileManagerDialog::~ProfileManagerDialog() = default;

void ProfileManagerDialog::SetFileDialogs(std::unique_ptr<ProfileFileDialogs> dialogs) { dialogs_ = std::move(dialogs); }
void ProfileManagerDialog::SetHelpOpener(std::function<void()> openHelp) { open_help_ = std::move(openHelp); }

void ProfileManagerDialog::BuildControls() {
  list_ = new QTableWidget(0, 3, this);
  list_->setObjectName("PROGRAM_LIST");
  PlaceControl(Skin(), "PROGRAM_LIST", *list_);
  list_->setHorizontalHeaderLabels({QString::fromUtf8(kActiveColumn), QString::fromUtf8(kNameColumn),
                                    QString::fromUtf8(kFolderColumn)});
  list_->verticalHeader()->setVisible(false);
  list_->setSelectionBehavior(QAbstractItemView::SelectRows);
  list_->setSelectionMode(QAbstractItemView::SingleSelection);
  list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  list_->setShowGrid(true);
  // The list sits on the dark skin like every field; its check boxes too.
  UseDarkFields(*list_,
                "QTableWidget::indicator { width: 13px; height: 13px; border: 1px solid #8a909c; background: #1c1f26; }"
                "QTableWidget::indicator:checked { background: #2fb4e8; border: 1px solid #2fb4e8; }");
  const double unit = list_->fontMetrics().averageCharWidth() / 4.0;
  for (int column = 0; column < 3; ++column) list_->setColumnWidth(column, static_cast<int>(kColumnUnits[column] * unit));
  connect(list_, &QTableWidget::itemChanged, this, &ProfileManagerDialog::RowCheckChanged);

  const StateImages images =
      LoadStateImages("Profile_normal.jpg", "Profile_over.jpg", "Profile_down.jpg", "Profile_down.jpg");
  auto button = [&](const char* key, const char* text, void (ProfileManagerDialog::*action)()) {
    auto* b = new ImageButton(this);
    b->setObjectName(key);
    // The skin's pictures show the caption; it still names the button.
    b->SetCaption(QString::fromUtf8(text));
    PlaceImageButton(Skin(), key, *b, images);
    connect(b, &ImageButton::clicked, this, action);
    return b;
  };
  button("FUNC_LOAD", kLoadText, &ProfileManagerDialog::Load);
  button("FUNC_ADD", kAddText, &ProfileManagerDialog::Add);
  button("FUNC_DELETE", kDeleteText, &ProfileManagerDialog::Delete);
  button("CONTROL_OK", kOkText, &ProfileManagerDialog::Ok);
  button("CONTROL_CANCEL", kCancelText, &ProfileManagerDialog::reject);
  apply_ = button("CONTROL2_APPLY", kApplyText, &ProfileManagerDialog::ApplyList);
}

void ProfileManagerDialog::Open() {
  model_->Open();
  ShowModel();
  setWindowModality(Qt::WindowModal);
  show();
  raise();
  activateWindow();
}

void ProfileManagerDialog::CloseCancelled() {
  if (isVisible()) reject();
  model_->Close();
}

void ProfileManagerDialog::OnProfileSwitched(int) {
  // The core has already told the model; show what it holds now.
  if (model_->IsOpen()) ShowModel();
}

void ProfileManagerDialog::ShowModel() {
  const QSignalBlocker blocker(list_);
  const auto& rows = model_->Rows();
  list_->setRowCount(static_cast<int>(rows.size()));
  for (int i = 0; i < static_cast<int>(rows.size()); ++i) {
    auto* mark = new QTableWidgetItem();
    mark->setFlags(Qt::ItemIsUserCheckable | Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    mark->setCheckState(i == model_->CheckedRow() ? Qt::Checked : Qt::Unchecked);
    list_->setItem(i, 0, mark);
    for (int column : {1, 2}) {
      const std::string& text = column == 1 ? rows[static_cast<std::size_t>(i)].name : rows[static_cast<std::size_t>(i)].folder;
      auto* item = new QTableWidgetItem(QString::fromStdString(text));
      item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
      list_->setItem(i, column, item);
    }
  }
  apply_->setEnabled(model_->ApplyEnabled());
}

void ProfileManagerDialog::RowCheckChanged(QTableWidgetItem* item) {
  if (item == nullptr || item->column() != 0) return;
  model_->SetRowChecked(item->row(), item->checkState() == Qt::Checked);
  ShowModel();
}

void ProfileManagerDialog::Load() {
  if (auto path = dialogs_->OpenFile(this, model_->LoadFileSuggestion())) model_->AddExistingFile(*path);
  ShowModel();
}

void ProfileManagerDialog::Add() {
  if (auto path = dialogs_->SaveFile(this, model_->NewFileSuggestion())) model_->AddNewFile(*path);
  ShowModel();
}

void ProfileManagerDialog::Delete() {
  const QList<QTableWidgetItem*> selected = list_->selectedItems();
  if (selected.isEmpty()) return;
  model_->DeleteRow(selected.first()->row());
  ShowModel();
}

void ProfileManagerDialog::ApplyList() {
  model_->Apply();
  ShowModel();
}

void ProfileManagerDialog::Ok() {
  // A refused Apply (the user's edits could not be written) keeps the
  // dialog open, so the list is not lost with it.
  if (model_->Apply()) {
    accept();
  } else {
    ShowModel();
  }
}

void ProfileManagerDialog::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_F1) {
    if (open_help_) open_help_();
    return;
  }
  SkinnedDialog::keyPressEvent(event);
}

}  // namespace zarvel
