#include "app/macro_page.h"

#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QSignalBlocker>

#include "model/key_table.h"
#include "skin/widgets/skin_fonts.h"
#include "skin/widgets/skin_placement.h"

namespace zarvel {

namespace {

// The macro page's picture buttons carry their symbols in the skin; these
// texts name them for tooltips and screen readers.
struct NamedButton {
  ImageButton* MacroPage::*member;
  std::string_view textKey;
};

QString NameOf(const std::u16string& name) { return QString::fromStdU16String(name); }

}  // namespace

MacroPage::MacroPage(QWidget& dialog, const CIniFile& skin, const StateImages& images, KeyDialogSession& session)
    : DialogPage(&dialog), session_(session) {
  name_label_ = Add(new SkinLabel(&dialog));
  name_label_->setFont(CaptionFont());
  PlaceControl(skin, "MARCO_NAME_SETTING", *name_label_);
  name_box_ = Add(new EditCombo(&dialog));
  name_box_->setFont(ListFont());
  // A style sheet on the window re-resolves child fonts: the box's editor
  // gets the list font itself.
  name_box_->lineEdit()->setFont(ListFont());
  name_box_->lineEdit()->setMaxLength(static_cast<int>(kMaxMacroNameLength));
  PlaceControl(skin, "FUNC_MACRO_LIST", *name_box_);
  name_label_->setBuddy(name_box_);
  add_ = Button(dialog, skin, "FUNC_MACRO_ADD", images);
  delete_ = Button(dialog, skin, "FUNC_MACRO_DELETE", images);

  RowEdits edits;
  edits.delay = [this](int row, const QString& text) {
    Ask([&] { session_.Editor().SetRowDelay(row, text.toStdString()); });
    Changed();
  };
  edits.key = [this](int row, int pick) {
    if (session_.Editor().CommitKeyCell(row, pick)) Changed();
  };
  edits.direction = [this](int row, MacroDirection direction) {
    if (session_.Editor().SetRowDirection(row, direction)) Changed();
  };
  edits.delayEditStarted = [this] {
    if (!session_.Recorder().Recording()) return;
    session_.Recorder().Stop();
    ShowRecording();
    Q_EMIT recordingChanged();
  };
  action_list_ = Add(new MacroActionList(session_.Editor().Rows(), std::move(edits), &dialog));
  PlaceControl(skin, "FUNC_MACRO_LIST2", *action_list_);
  action_list_->FitKeyColumn();

  record_ = Button(dialog, skin, "FUNC_MACRO_RECORD", images);
  record_->SetButtonFont(ButtonFont{std::string(kArialUnicode), 10, 0, false});
  delete_row_ = Button(dialog, skin, "FUNC_MACRO_DELETE2", images);
  clear_rows_ = Button(dialog, skin, "FUNC_MACRO_CLEAR", images);
  top_ = Button(dialog, skin, "FUNC_MACRO_UP_TOP", images);
  up_ = Button(dialog, skin, "FUNC_MACRO_UP", images);
  down_ = Button(dialog, skin, "FUNC_MACRO_DOWN", images);
  bottom_ = Button(dialog, skin, "FUNC_MACRO_DOWN_BOTTOM", images);

  record_delay_ = Add(new SkinCheckBox(&dialog));
  PlaceControl(skin, "FUNC_MACRO_RECORD_DELAY", *record_delay_);
  record_delay_label_ = Add(new SkinLabel(&dialog));
  record_delay_label_->setFont(CaptionFont());
  record_delay_label_->setBuddy(record_delay_);
  PlaceControl(skin, "FUNC_MACRO_RECORD_DELAY2", *record_delay_label_);
  repeat_box_ = Add(new QLineEdit(&dialog));
  repeat_box_->setFont(ListFont());
  repeat_box_->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]{0,4}"), repeat_box_));
  PlaceControl(skin, "FUNC_MACRO_CYCLES", *repeat_box_);
  // Only the macro page has a repeat count, so only it shows the label.
  repeat_label_ = Add(new SkinLabel(&dialog));
  repeat_label_->setFont(CaptionFont());
  repeat_label_->setBuddy(repeat_box_);
  PlaceControl(skin, "FUNC_MACRO_CYCLES_PROMPT", *repeat_label_);

  connect(name_box_, &EditCombo::entryChosen, this, [this](int index) {
    session_.Editor().SelectMacro(index);
    ShowAll();
  });
  connect(name_box_, &EditCombo::entryTextEdited, this, [this](int, const QString& text) {
    if (!session_.Editor().Rename(text.toStdU16String())) return;
    QLineEdit& line = *name_box_->lineEdit();
    const int cursor = line.cursorPosition();
    const int current = session_.Editor().CurrentIndex();
    const QString name = NameOf(session_.Editor().CurrentName());
    name_box_->SetEntryText(current, name);
    if (name == text) {
      if (line.text() != text) line.setText(text);
      line.setCursorPosition(cursor);
    } else {
      // The typed text was empty or another macro's name: the box shows the
      // name the macro got, selected, so typing goes on over it.
      line.setText(name);
      line.selectAll();
    }
    Changed();
  });
  connect(name_box_->lineEdit(), &QLineEdit::textEdited, this, [this](const QString& text) {
    // The renaming box reports edits of an entry; typing into the empty box
    // of an empty list makes the first macro.
    if (!session_.Editor().Entries().empty()) return;
    if (session_.Editor().Rename(text.toStdU16String())) {
      ShowAll();
      Changed();
    }
  });
  connect(name_box_, &EditCombo::entryRenamed, this, [this] { ShowNames(); });
  connect(add_, &QAbstractButton::clicked, this, [this] {
    bool added = false;
    Ask([&] { added = session_.Editor().Add(); });
    if (!added) return;
    ShowAll();
    Changed();
  });
  connect(delete_, &QAbstractButton::clicked, this, [this] {
    MacroDeleteResult result = MacroDeleteResult::kNothing;
    Ask([&] { result = session_.Editor().DeleteCurrent(); });
    if (result != MacroDeleteResult::kDeleted) return;
    ShowAll();
    Changed();
  });
  connect(record_, &QAbstractButton::clicked, this, [this] { ToggleRecording(); });
  connect(delete_row_, &QAbstractButton::clicked, this, [this] {
    if (!session_.Editor().DeleteSelectedRow()) return;
    ShowRows();
    Changed();
  });
  connect(clear_rows_, &QAbstractButton::clicked, this, [this] {
    bool cleared = false;
    Ask([&] { cleared = session_.Editor().ClearRows(); });
    if (!cleared) return;
    ShowRows();
    Changed();
  });
  const std::pair<ImageButton*, RowMove> moves[] = {
      {top_, RowMove::kTop}, {up_, RowMove::kUp}, {down_, RowMove::kDown}, {bottom_, RowMove::kBottom}};
  for (const auto& [button, move] : moves) {
    connect(button, &QAbstractButton::clicked, this, [this, move = move] {
      if (!session_.Editor().MoveSelectedRow(move)) return;
      ShowRows();
      action_list_->setFocus();
      Changed();
    });
  }
  connect(action_list_, &MacroActionList::rowChosen, this, [this](int row) { session_.Editor().SelectRow(row); });
  connect(record_delay_, &QCheckBox::clicked, this, [this] {
    const QSignalBlocker quiet(record_delay_);
    record_delay_->setChecked(session_.ToggleRecordDelay());
  });
  connect(repeat_box_, &QLineEdit::textEdited, this, [this](const QString& text) {
    const QString shown = QString::fromStdString(session_.Editor().SetRepeatText(text.toStdString()));
    if (shown != text) repeat_box_->setText(shown);
    Changed();
  });
  // Left empty, the box shows the count the macro keeps.
  connect(repeat_box_, &QLineEdit::editingFinished, this, [this] {
    if (repeat_box_->text().isEmpty()) repeat_box_->setText(QString::fromStdString(session_.Editor().RepeatText()));
  });
  ApplyLanguage();
}

ImageButton* MacroPage::Button(QWidget& dialog, const CIniFile& skin, std::string_view key,
                               const StateImages& images) {
  auto* button = Add(new ImageButton(&dialog));
  PlaceImageButton(skin, key, *button, images);
  return button;
}

void MacroPage::ApplyLanguage() {
  name_label_->setText(Text("MACRO_NAME_SETTING"));
  name_box_->setAccessibleName(Text("MACRO_NAME_SETTING"));
  record_delay_label_->setText(Text("RECORD_DELAY"));
  record_delay_->setAccessibleName(Text("RECORD_DELAY"));
  repeat_label_->setText(Text("MACRO_CYCLES"));
  repeat_box_->setAccessibleName(Text("MACRO_CYCLES"));
  action_list_->Rows().SetHeaders({Text("MACRO_KEYS_TISHI"), Text("MACRO_ACTION_TISHI"), Text("MACRO_DELAY_MS")});
  action_list_->FitKeyColumn();  // the headers' words take their room
  action_list_->setAccessibleName(Text("MACRO_SETTING"));
  const NamedButton named[] = {{&MacroPage::add_, "MACRO_ADD_TIP"},
                               {&MacroPage::delete_, "MACRO_DELETE_TIP"},
                               {&MacroPage::delete_row_, "MACRO_DELETE_ACTION_TIP"},
                               {&MacroPage::clear_rows_, "MACRO_CLEAR_ACTIONS_TIP"},
                               {&MacroPage::top_, "MACRO_MOVE_TOP_TIP"},
                               {&MacroPage::up_, "MACRO_MOVE_UP_TIP"},
                               {&MacroPage::down_, "MACRO_MOVE_DOWN_TIP"},
                               {&MacroPage::bottom_, "MACRO_MOVE_BOTTOM_TIP"}};
  for (const NamedButton& n : named) {
    (this->*n.member)->setToolTip(Text(n.textKey));
    (this->*n.member)->setAccessibleName(Text(n.textKey));
  }
  ShowRecording();
}

void MacroPage::ShowNames() {
  QStringList names;
  for (const MacroRecord& macro : session_.Editor().Entries()) names << NameOf(MacroName(macro));
  name_box_->SetEntries(names);
  name_box_->SelectEntry(session_.Editor().CurrentIndex());
}

void MacroPage::ShowAll() {
  ShowNames();
  {
    const QSignalBlocker quiet(repeat_box_);
    repeat_box_->setText(QString::number(session_.Editor().RepeatCount()));
  }
  {
    const QSignalBlocker quiet(record_delay_);
    record_delay_->setChecked(session_.RecordDelay());
  }
  ShowRows();
  ShowRecording();
}

void MacroPage::ShowRows() {
  action_list_->ShowRows(session_.Editor().SelectedRow());
  ShowCommands();
}

void MacroPage::ShowCommands() {
  const bool current = session_.Editor().RowCommandsEnabled();
  const bool recording = session_.Recorder().Recording();
  for (ImageButton* button : {record_, delete_row_, clear_rows_, top_, up_, down_, bottom_})
    button->setEnabled(current);
  action_list_->setEnabled(current);
  // Names stay as they are while keys are being recorded into a macro.
  add_->setEnabled(!recording);
  delete_->setEnabled(!recording && current);
  name_box_->setEnabled(!recording);
}

void MacroPage::ShowRecording() {
  const bool recording = session_.Recorder().Recording();
  record_->setText(Text(recording ? "MACRO_ACTION_STOP_RECORD" : "A_RECORD"));
  record_->setAccessibleName(record_->text());
  // While every key is recorded, Record cannot be reached with the keyboard.
  const QString stop_hint = recording ? Text("ACCESS_RECORDING_STOP") : QString();
  record_->setToolTip(stop_hint);
  record_->setAccessibleDescription(stop_hint);
  record_->setCheckable(true);
  record_->setChecked(recording);
  ShowCommands();
}

void MacroPage::CommitEdits() { action_list_->CommitOpenEditor(); }

void MacroPage::ToggleRecording() {
  if (session_.Recorder().Recording()) {
    session_.Recorder().Stop();
  } else {
    CommitEdits();
    session_.Recorder().Start();
  }
  ShowRecording();
  Q_EMIT recordingChanged();
}

void MacroPage::Changed() {
  session_.SetModified();
  Q_EMIT modified();
}

template <typename Command>
void MacroPage::Ask(Command command) {
  Q_EMIT promptStarting();
  command();
  Q_EMIT promptDone();
}

}  // namespace zarvel
