#pragma once
// The macro page of the key-function dialog: the macro name box with Add
// and Delete, the action list, Record, Delete action, Clear, the four move
// buttons, the record-delay check box and the repeat count box.
//
// Every command is one call into the dialog's session (the macro editor and
// the recorder); the page then shows the editor's state again. Whether a
// recording runs decides what can be touched: names cannot change while one
// runs, and the row commands need a current macro.
#include <QLineEdit>
#include <QObject>
#include <QWidget>

#include "app/key_dialog_pages.h"
#include "app/macro_action_list.h"
#include "controls/edit_combo.h"
#include "controls/skin_label.h"
#include "core/key_dialog_session.h"
#include "skin/widgets/image_button.h"

namespace zarvel {

class MacroPage : public DialogPage {
  Q_OBJECT
 public:
  MacroPage(QWidget& dialog, const CIniFile& skin, const StateImages& images, KeyDialogSession& session);

  // Everything again from the session: names, rows, repeat count, buttons.
  void ShowAll();
  // Only the rows (a recording added some) and the commands that follow them.
  void ShowRows();
  void ShowRecording();
  void ApplyLanguage();
  // Ends an open cell edit (before Apply reads the rows).
  void CommitEdits();

  EditCombo& NameBox() { return *name_box_; }
  MacroActionList& ActionList() { return *action_list_; }
  ImageButton& RecordButton() { return *record_; }
  QLineEdit& RepeatBox() { return *repeat_box_; }
  SkinLabel& RepeatLabel() { return *repeat_label_; }
  SkinCheckBox& RecordDelayBox() { return *record_delay_; }
  ImageButton& AddButton() { return *add_; }
  ImageButton& DeleteButton() { return *delete_; }

 Q_SIGNALS:
  // Something the dialog's Apply should store changed.
  void modified();
  // A recording started or stopped: the dialog starts or ends its capture.
  void recordingChanged();
  // A question or message is about to be shown / was answered; keys must
  // reach it meanwhile.
  void promptStarting();
  void promptDone();

 private:
  ImageButton* Button(QWidget& dialog, const CIniFile& skin, std::string_view key, const StateImages& images);
  void ShowNames();
  void ShowCommands();
  void Changed();
  void ToggleRecording();
  template <typename Command>
  void Ask(Command command);

  KeyDialogSession& session_;
  SkinLabel* name_label_;
  EditCombo* name_box_;
  ImageButton* add_;
  ImageButton* delete_;
  MacroActionList* action_list_;
  ImageButton* record_;
  ImageButton* delete_row_;
  ImageButton* clear_rows_;
  ImageButton* top_;
  ImageButton* up_;
  ImageButton* down_;
  ImageButton* bottom_;
  SkinCheckBox* record_delay_;
  SkinLabel* record_delay_label_;
  QLineEdit* repeat_box_;
  SkinLabel* repeat_label_;
};

}  // namespace zarvel
