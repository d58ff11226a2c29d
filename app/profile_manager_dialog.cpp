#include "app/profile_manager_dialog.h"

#include <QDesktopServices>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPointer>
#include <QSignalBlocker>
#include <QTableWidget>
#include <QUrl>

#include "app/about_dialog.h"
#include "app/profile_file_dialogs.h"
#include "app/window_keyboard_access.h"
#include "controls/dark_fields.h"
#include "controls/skin_label.h"
#include "core/app_core.h"
#include "core/profile_manager.h"
#include "skin/language.h"
#include "skin/program_paths.h"
#include "skin/skin_files.h"
#include "skin/widgets/skin_fonts.h"
#include "skin/widgets/skin_placement.h"

namespace zarvel {

namespace {

// The manager's captions and column titles, by language key (section TEXT),
// each with the text shown when a language file lacks the key.
struct Caption {
  const char* key;
  const char* fallback;
};
constexpr Caption kTitleText = {"PROFILE_MANAGER_TITLE", "Profiles"};
constexpr Caption kLoadText = {"PROFILE_MANAGER_LOAD", "载入"};
constexpr Caption kAddText = {"PROFILE_MANAGER_ADD", "添加"};
constexpr Caption kDeleteText = {"PROFILE_MANAGER_DELETE", "删除"};
constexpr Caption kOkText = {"PROFILE_MANAGER_OK", "确定"};
constexpr Caption kCancelText = {"PROFILE_MANAGER_CANCEL", "取消"};
constexpr Caption kApplyText = {"PROFILE_MANAGER_APPLY", "应用"};
constexpr Caption kColumnTexts[3] = {
    {"PROFILE_MANAGER_ACTIVE", "激活"}, {"PROFILE_MANAGER_NAME", "名称"}, {"PROFILE_MANAGER_FOLDER", "路径"}};
constexpr std::pair<const char*, const Caption*> kButtonCaptions[] = {
    {"FUNC_LOAD", &kLoadText}, {"FUNC_ADD", &kAddText},           {"FUNC_DELETE", &kDeleteText},
    {"CONTROL_OK", &kOkText},  {"CONTROL_CANCEL", &kCancelText}, {"CONTROL2_APPLY", &kApplyText}};

QString CaptionText(const Caption& caption) {
  const std::string text = LookupText(caption.key);
  if (text.empty() || text == kMissingText) return QString::fromUtf8(caption.fallback);
  return QString::fromStdString(text);
}

constexpr int kCaptionPoints = 10;

// Column widths in dialog units: a quarter of an average character wide.
constexpr int kColumnUnits[3] = {60, 120, 230};

}  // namespace

ProfileManagerDialog::ProfileManagerDialog(AppCore& core, Settings& settings, QWidget* parent)
    : SkinnedDialog(kProfileSkinFile, parent),
      core_(core),
      settings_(settings),
      model_(std::make_shared<ProfileManager>(core, settings)),
      dialogs_(std::make_unique<QtProfileFileDialogs>()),
      open_help_([this] { OpenHelpOrSayWhere(core_.Prompts()); }),
      run_([](std::function<void()> work, std::function<void()> done) {
        work();
        if (done) done();
      }) {
  LoadSkin();
  BuildControls();
  ApplyLanguage();
  // However the dialog ends, profile switches stop consulting it; during
  // Apply the worker still uses the manager, so that waits for Apply's end.
  connect(this, &QDialog::finished, this, [this] {
    if (applying_) {
      close_after_apply_ = true;
    } else {
      model_->Close();
    }
  });
}

ProfileManagerDialog::~ProfileManagerDialog() = default;

void ProfileManagerDialog::SetFileDialogs(std::unique_ptr<ProfileFileDialogs> dialogs) { dialogs_ = std::move(dialogs); }
void ProfileManagerDialog::SetHelpOpener(std::function<void()> openHelp) { open_help_ = std::move(openHelp); }
void ProfileManagerDialog::SetWorkRunner(WorkRunner run) { run_ = std::move(run); }

void ProfileManagerDialog::ApplyLanguage() {
  setWindowTitle(CaptionText(kTitleText));
  QStringList columns;
  for (const Caption& column : kColumnTexts) columns << CaptionText(column);
  list_->setHorizontalHeaderLabels(columns);
  for (const auto& [key, caption] : kButtonCaptions) {
    if (auto* button = findChild<ImageButton*>(key)) button->SetCaption(CaptionText(*caption));
  }
  list_->setAccessibleName(QString::fromStdString(LookupText("ACCESS_PROFILE_TABLE")));
}

void ProfileManagerDialog::BuildControls() {
  list_ = new QTableWidget(0, 3, this);
  list_->setObjectName("PROGRAM_LIST");
  PlaceControl(Skin(), "PROGRAM_LIST", *list_);
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
  auto button = [&](const char* key, void (ProfileManagerDialog::*action)()) {
    auto* b = new ImageButton(this);
    b->setObjectName(key);
    PlaceImageButton(Skin(), key, *b, images);
    // The skin's faces are blank: the caption is drawn in the user's language.
    b->SetButtonFont(ButtonFont{std::string(kArialUnicode), kCaptionPoints, 0, false});
    b->SetTextColour(ButtonState::kNormal, SkinTextColour());
    for (ButtonState state : {ButtonState::kHovered, ButtonState::kPressed, ButtonState::kChecked})
      b->SetTextColour(state, Qt::white);
    b->SetTextColour(ButtonState::kDisabled, QColor(0x80, 0x80, 0x80));
    connect(b, &ImageButton::clicked, this, action);
    return b;
  };
  button("FUNC_LOAD", &ProfileManagerDialog::Load);
  button("FUNC_ADD", &ProfileManagerDialog::Add);
  button("FUNC_DELETE", &ProfileManagerDialog::Delete);
  button("CONTROL_OK", &ProfileManagerDialog::Ok);
  button("CONTROL_CANCEL", &ProfileManagerDialog::reject);
  apply_ = button("CONTROL2_APPLY", &ProfileManagerDialog::ApplyList);

  // Tab leaves the list for the buttons instead of walking its cells.
  list_->setTabKeyNavigation(false);
  OrderTabByLayout(*this);
  AddButtonShortcut(*this, *apply_, QKeySequence(Qt::ALT | Qt::Key_A));
}

void ProfileManagerDialog::Open() {
  // Opening during a running Apply of the last opening would share the
  // manager with the worker; input is blocked then, so this is only a guard.
  if (applying_) return;
  close_after_apply_ = false;
  ApplyLanguage();
  model_->Open();
  ShowModel();
  setWindowModality(Qt::WindowModal);
  show();
  raise();
  activateWindow();
}

void ProfileManagerDialog::CloseCancelled() {
  if (isVisible()) reject();
  if (applying_) {
    close_after_apply_ = true;
  } else {
    model_->Close();
  }
}

void ProfileManagerDialog::OnProfileSwitched(int) {
  // The core has already told the model; show what it holds now. During
  // Apply the worker is changing it: Apply's end shows it.
  if (!applying_ && model_->IsOpen()) ShowModel();
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

void ProfileManagerDialog::ApplyList() { RunApply(false); }

void ProfileManagerDialog::Ok() { RunApply(true); }

void ProfileManagerDialog::RunApply(bool closeWhenApplied) {
  if (applying_) return;
  applying_ = true;
  apply_->setEnabled(false);
  // The re-read of the keyboard runs beside the window (which keeps painting
  // its progress picture, with the user's input held back); the manager is
  // the worker's until `done`, which runs on the window's thread.
  auto applied = std::make_shared<bool>(false);
  std::shared_ptr<ProfileManager> model = model_;
  QPointer<ProfileManagerDialog> self(this);
  run_([model, applied] { *applied = model->Apply(); },
       [self, applied, closeWhenApplied] {
         if (self == nullptr) return;
         self->applying_ = false;
         if (self->close_after_apply_) {
           self->close_after_apply_ = false;
           self->model_->Close();
           return;
         }
         // A refused Apply (the user's edits could not be written) keeps the
         // dialog open, so the list is not lost with it.
         if (closeWhenApplied && *applied) {
           self->accept();
         } else {
           self->ShowModel();
         }
       });
}

void ProfileManagerDialog::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_F1) {
    if (open_help_) open_help_();
    return;
  }
  SkinnedDialog::keyPressEvent(event);
}

void ProfileManagerDialog::KeyPressed(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Escape: event->accept(); reject(); return;
    case Qt::Key_Enter:
    case Qt::Key_Return: event->accept(); Ok(); return;
    default: event->ignore(); return;
  }
}

}  // namespace zarvel
