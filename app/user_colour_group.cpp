#include "app/user_colour_group.h"

#include <QLineEdit>
#include <QSignalBlocker>
#include <algorithm>

#include "app/panel_controls.h"
#include "controls/dark_fields.h"
#include "controls/colour_button.h"
#include "controls/edit_combo.h"
#include "controls/skin_label.h"
#include "controls/skin_picture.h"
#include "core/lighting_controller.h"
#include "skin/language.h"

namespace zarvel {

// The group is a member of the panel, not a child of the window: the window
// owns the controls, the panel owns the group.
UserColourGroup::UserColourGroup(QWidget& window, const CIniFile& skin)
    : QObject(nullptr),
      slots_(MakePlaced<EditCombo>(window, skin, "CONTROL_umCombo")),
      paint_label_(MakePlaced<SkinLabel>(window, skin, "CONTROL_USERysStatic")),
      paint_(MakePlaced<ColourButton>(window, skin, "CONTROL_USERysButton")),
      base_label_(MakePlaced<SkinLabel>(window, skin, "CONTROL_USERjsStatic")),
      base_(MakePlaced<ColourButton>(window, skin, "CONTROL_USERjsButton")),
      tool_label_(MakePlaced<SkinLabel>(window, skin, "CONTROL_USERgjStatic")),
      first_tool_(MakePlaced<SkinPicture>(window, skin, "CONTROL_USERgjStaPic1")),
      second_tool_(MakePlaced<SkinPicture>(window, skin, "CONTROL_USERgjStaPic2")) {
  // A slot name is a line of text; the list has the ten slots and no more.
  slots_->setInsertPolicy(QComboBox::NoInsert);
  SetVisible(false);

  UseDarkFields(*slots_);
  connect(slots_, &EditCombo::entryChosen, this, [this](int index) {
    if (lighting_ != nullptr) lighting_->SelectUserSlot(index);
  });
  // Renamed on every keystroke, so the file always holds what the box shows.
  connect(slots_, &EditCombo::entryTextEdited, this, [this](int, const QString& text) {
    if (lighting_ != nullptr) lighting_->RenameUserSlot(text.toStdString());
  });
  connect(paint_, &ColourButton::colourChosen, this, [this](const QColor& colour) {
    if (lighting_ != nullptr) lighting_->SetPaintColour(ToSlotColour(colour));
  });
  connect(base_, &ColourButton::colourChosen, this, [this](const QColor& colour) {
    if (lighting_ != nullptr) lighting_->SetBaseColour(ToSlotColour(colour));
  });
  connect(first_tool_, &SkinPicture::clicked, this, [this] {
    if (lighting_ != nullptr) lighting_->SetTool(0);
  });
  connect(second_tool_, &SkinPicture::clicked, this, [this] {
    if (lighting_ != nullptr) lighting_->SetTool(1);
  });
}

void UserColourGroup::Connect(LightingController& lighting) { lighting_ = &lighting; }

void UserColourGroup::ApplyLanguage() {
  paint_label_->setText(QString::fromStdString(LookupLight("Color")));
  base_label_->setText(QString::fromStdString(LookupLight("JColor")));
  tool_label_->setText(QString::fromStdString(LookupLight("Tool")));
}

void UserColourGroup::SetVisible(bool visible) {
  for (QWidget* control : std::initializer_list<QWidget*>{slots_, paint_label_, paint_, base_label_, base_, tool_label_,
                                                           first_tool_, second_tool_}) {
    control->setVisible(visible);
  }
}

void UserColourGroup::SetSlotNames(const std::vector<std::string>& names) {
  QStringList entries;
  for (const std::string& name : names) entries.push_back(QString::fromStdString(name));
  const QSignalBlocker blocker(slots_);
  slots_->SetEntries(entries);
}

void UserColourGroup::SetSlotName(int slot, const std::string& name) {
  const QString text = QString::fromStdString(name);
  // The name the user is typing comes back as it stands: leave the box and
  // its cursor alone.
  if (slot == slots_->currentIndex() && slots_->itemText(slot) == text && slots_->currentText() == text) return;
  QLineEdit* edit = slots_->lineEdit();
  const int cursor = edit != nullptr ? edit->cursorPosition() : 0;
  const QSignalBlocker blocker(slots_);
  slots_->SetEntryText(slot, text);
  if (edit != nullptr && slot == slots_->currentIndex()) edit->setCursorPosition(std::min(cursor, int(text.size())));
}

void UserColourGroup::SelectSlot(int slot) {
  const QSignalBlocker blocker(slots_);
  slots_->SelectEntry(slot);
}

void UserColourGroup::ShowPaintColour(const QColor& colour) { paint_->SetColour(colour); }
void UserColourGroup::ShowBaseColour(const QColor& colour) { base_->SetColour(colour); }

void UserColourGroup::SetToolPicture(bool first, std::string_view imageName) {
  (first ? first_tool_ : second_tool_)->SetImage(imageName);
}

}  // namespace zarvel
