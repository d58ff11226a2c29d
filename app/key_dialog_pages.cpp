#include "app/key_dialog_pages.h"

#include <QKeyEvent>
#include <QSignalBlocker>

#include "controls/accessible_controls.h"
#include "model/key_table.h"
#include "model/media_functions.h"
#include "skin/language.h"
#include "skin/widgets/skin_fonts.h"
#include "skin/widgets/skin_placement.h"

namespace zarvel {

QFont KeyBoxFont() { return SkinFont(kArialUnicode, 18); }
QFont ListFont() { return SkinFont(kArialUnicode, 12); }
QFont CaptionFont() {
  QFont font = SkinFont(kArialUnicode, 11);
  font.setPointSizeF(10.8);
  return font;
}

QString Text(std::string_view key) { return QString::fromStdString(LookupText(key)); }

void DialogPage::SetShown(bool shown) {
  for (QWidget* control : controls_) control->setVisible(shown);
  for (QWidget* control : always_shown_) control->show();
}

namespace {

SkinLabel* Caption(QWidget& dialog, const CIniFile& skin, std::string_view key) {
  auto* label = new SkinLabel(&dialog);
  label->setFont(CaptionFont());
  label->setWordWrap(true);
  PlaceControl(skin, key, *label);
  return label;
}

QComboBox* MakeList(QWidget& dialog, const CIniFile& skin, std::string_view key) {
  auto* list = new QComboBox(&dialog);
  list->setFont(ListFont());
  list->setMaxVisibleItems(20);
  PlaceControl(skin, key, *list);
  return list;
}

}  // namespace

// ---- single key ----

SingleKeyPage::SingleKeyPage(QWidget& dialog, const CIniFile& skin) : DialogPage(&dialog) {
  caption_ = Add(Caption(dialog, skin, "TISHI_SINGLE_STATIC"));
  key_box_ = Add(new QLineEdit(&dialog));
  key_box_->setReadOnly(true);
  key_box_->setFont(KeyBoxFont());
  key_box_->setAlignment(Qt::AlignCenter);
  // The box shows the captured key; with the focus, Space asks it
  // for the next key, so a keyboard user can assign any key again.
  key_box_->setFocusPolicy(Qt::StrongFocus);
  key_box_->installEventFilter(this);
  PlaceControl(skin, "FUNC_KEY_INPUT", *key_box_);

  keyboard_ = Add(new SkinCheckBox(&dialog));
  PlaceControl(skin, "FUNC_KEY_RADIO_KB", *keyboard_);
  keyboard_label_ = Add(Caption(dialog, skin, "FUNC_KEY_RADIO_KB_STATIC"));
  keyboard_label_->setBuddy(keyboard_);
  mouse_ = Add(new SkinCheckBox(&dialog));
  PlaceControl(skin, "FUNC_KEY_RADIO_MOU", *mouse_);
  mouse_label_ = Add(Caption(dialog, skin, "FUNC_KEY_RADIO_MOU_STATIC"));
  mouse_label_->setBuddy(mouse_);
  // Keyboard or mouse: one of two, as screen readers should hear it.
  MarkAsChoice(*keyboard_);
  MarkAsChoice(*mouse_);
  mouse_list_ = Add(MakeList(dialog, skin, "FUNC_KEY_COMBO_MOU"));
  for (std::size_t i = 0; i < kMouseList.size(); ++i) mouse_list_->addItem(QString());

  connect(keyboard_, &QCheckBox::clicked, this, [this] { Q_EMIT keyboardChosen(); });
  connect(mouse_, &QCheckBox::clicked, this, [this] { Q_EMIT mouseChosen(); });
  connect(mouse_list_, qOverload<int>(&QComboBox::activated), this, [this](int i) { Q_EMIT mouseEntryChosen(i); });
  ApplyLanguage();
}

void SingleKeyPage::ApplyLanguage() {
  caption_->setText(Text("SINGLE_STATIC"));
  keyboard_label_->setText(Text("IDS_MACRO_KB_KEY"));
  mouse_label_->setText(Text("IDS_MACRO_MOU_KEY"));
  keyboard_->setAccessibleName(Text("IDS_MACRO_KB_KEY"));
  mouse_->setAccessibleName(Text("IDS_MACRO_MOU_KEY"));
  key_box_->setAccessibleName(Text("SINGLE_STATIC"));
  mouse_list_->setAccessibleName(Text("IDS_MACRO_MOU_KEY"));
  const QSignalBlocker quiet(mouse_list_);
  for (std::size_t i = 0; i < kMouseList.size(); ++i)
    mouse_list_->setItemText(static_cast<int>(i), Text(kMouseList[i].textKey));
}

bool SingleKeyPage::eventFilter(QObject* watched, QEvent* event) {
  if (watched != key_box_ || !key_box_->isEnabled()) return false;
  if (event->type() == QEvent::MouseButtonPress) {
    Q_EMIT keyRequested();
    return false;
  }
  if (event->type() != QEvent::KeyPress) return false;
  auto* press = static_cast<QKeyEvent*>(event);
  // Space, as on a button; Enter stays the dialog's OK.
  if (press->key() != Qt::Key_Space || press->modifiers() != Qt::NoModifier) return false;
  if (!press->isAutoRepeat()) Q_EMIT keyRequested();
  return true;
}

void SingleKeyPage::ShowWaiting(bool waiting) {
  key_box_->setAccessibleDescription(Text(waiting ? "ACCESS_KEY_BOX_WAITING" : "ACCESS_KEY_BOX_IDLE"));
}

void SingleKeyPage::Show(const KeyFunctionChoice& choice) {
  const QSignalBlocker quiet_keyboard(keyboard_);
  const QSignalBlocker quiet_mouse(mouse_);
  const QSignalBlocker quiet_list(mouse_list_);
  const bool keyboard = choice.KeyboardChosen();
  keyboard_->setChecked(keyboard);
  mouse_->setChecked(!keyboard);
  key_box_->setEnabled(keyboard);
  mouse_list_->setEnabled(!keyboard);
  const bool named = choice.Kind() == kFunctionKey && choice.SingleKey() != 0;
  key_box_->setText(named ? QString::fromStdString(KeyDisplayName(choice.SingleKey())) : QString());
  mouse_list_->setCurrentIndex(choice.MousePosition());
}

// ---- multimedia and keyboard functions ----

ListPage::ListPage(QWidget& dialog, const CIniFile& skin, Kind kind) : DialogPage(&dialog), kind_(kind) {
  const bool media = kind == Kind::kMedia;
  caption_ = Add(Caption(dialog, skin, media ? "MEDIA_SETTING_TISHI" : "FUNCTION_KEY_SETTING_TISHI"));
  list_ = Add(new QListWidget(&dialog));
  list_->setFont(ListFont());
  list_->setSelectionMode(QAbstractItemView::SingleSelection);
  PlaceControl(skin, media ? "FUNC_MEDIA_SELECT" : "FUNC_FUNCTION_SELECT", *list_);
  const std::size_t count = media ? kMediaFunctionCount : kKeyboardFunctionCount;
  for (std::size_t i = 0; i < count; ++i) list_->addItem(QString());
  // Show() blocks the list's signals, so this is the user's choice only.
  connect(list_, &QListWidget::currentRowChanged, this, [this](int row) {
    if (row >= 0) Q_EMIT entryChosen(row);
  });
  ApplyLanguage();
}

void ListPage::ApplyLanguage() {
  const bool media = kind_ == Kind::kMedia;
  caption_->setText(Text(media ? "MEDIA_EDIT_TISHI" : "FUNCTION_TISHI"));
  list_->setAccessibleName(caption_->text());
  const QSignalBlocker quiet(list_);
  for (int i = 0; i < list_->count(); ++i) {
    const auto index = static_cast<std::size_t>(i);
    const std::string name = media ? KeyDisplayName(MediaFunctionTable()[index].keyCode)
                                   : KeyboardFunctionName(static_cast<std::uint32_t>(i));
    list_->item(i)->setText(QString::fromStdString(name));
  }
}

void ListPage::Show(const KeyFunctionChoice& choice) {
  const QSignalBlocker quiet(list_);
  const int row = kind_ == Kind::kMedia ? choice.MediaPosition() : choice.FunctionPosition();
  list_->setCurrentRow(row);
  list_->scrollToItem(list_->item(row));
}

}  // namespace zarvel
