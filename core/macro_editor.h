#pragma once
// The macro page's working copy of the macro set: which macro is current,
// its action rows, its repeat count, and every edit the page offers, until
// ApplyMacroSet() puts the copies into the profile store.
//
// Nothing reaches the store before ApplyMacroSet(), so closing the dialog
// without it (Cancel) leaves the keyboard's macros exactly as they were. The
// rows of the current macro are edited apart from its record and written
// back by SaveCurrentMacro(), which every switch of macro and every apply
// does first.
//
// Macros are named by ids in the key records and by positions in the
// keyboard's matrices: deleting a macro that was applied moves every later
// one down a position, so every profile's matrix has to be written again.
//
// Runs on the dialog's thread; the store is touched only under its lock.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "model/macro.h"

namespace zarvel {

class AppCore;

// What a delete did.
enum class MacroDeleteResult { kNothing, kKept, kDeleted };
enum class RowMove { kTop, kUp, kDown, kBottom };

class MacroEditor {
 public:
  explicit MacroEditor(AppCore& core);

  // Dialog opening: copies of the working set, none current, no rows, the
  // repeat box at 1. The name counter is kept from earlier openings.
  void Load();
  // Closing: every copy and row is dropped.
  void Discard();

  const MacroSet& Entries() const { return entries_; }
  int CurrentIndex() const { return current_; }
  bool HasCurrent() const { return current_ >= 0 && current_ < static_cast<int>(entries_.size()); }
  // The id of the current macro, 0 when none is current.
  std::uint16_t CurrentId() const;
  // Row commands (record, delete action, clear, moves) need a current macro.
  bool RowCommandsEnabled() const { return HasCurrent(); }

  // ---- choosing a macro ----

  // Saves the current macro's rows, then shows macro `index` (-1: none).
  void SelectMacro(int index);
  // The macro with `id`; the first macro when none has it or `id` is 0.
  void SelectMacroForKey(std::uint32_t id);
  // The page becomes visible. On the first visit of an opening a macro is
  // made current when there are macros, so rows always belong to one: the
  // key's own macro when it opened playing one (`initial`), else the first.
  void EnterPage(bool initial, std::uint32_t stored_id);

  // ---- macros ----

  // False when the set already holds 100 macros (MACRO_ERR_MAX shown).
  bool Add();
  // Typing in the name box. With no macros a macro is made with the text;
  // otherwise the current macro takes it, or a generated name when the text
  // is empty or is another macro's name (letters compared without case; a
  // name that only begins another's is fine). False (nothing changed) when
  // macros exist but none is current. The name given is CurrentName().
  bool Rename(std::u16string_view text);
  // The current macro's name; empty when none is current.
  std::u16string CurrentName() const;
  // Asks first when keys play the macro; see MacroDeleteResult.
  MacroDeleteResult DeleteCurrent();

  // ---- the current macro's rows ----

  const std::vector<MacroAction>& Rows() const { return rows_; }
  int SelectedRow() const { return selected_row_; }
  void SelectRow(int row);
  bool DeleteSelectedRow();
  // Asks MACRO_ACTION_CLEAR_CONFIRM; true when rows were removed.
  bool ClearRows();
  bool MoveSelectedRow(RowMove move);
  // The delay cell's committed text: above 40000 shows
  // MACRO_ACTION_ERR_DELAY_MAX and takes 40000; then down to 10 ms steps.
  // Returns the delay stored, or -1 when `row` does not exist.
  std::int64_t SetRowDelay(int row, std::string_view text);
  bool SetRowKey(int row, KeyCode key);
  // The key cell offers the key pick list. A row whose key has no entry
  // there (F13, the Japanese keys, Power, ...) is offered its own key as
  // well, picked at first: committing that keeps the key. KeyCellPick() is
  // the entry to preselect, kKeepRowKey for the row's own key;
  // CommitKeyCell() takes the entry the user left picked and is true when
  // the row's key changed.
  static constexpr int kKeepRowKey = -1;
  static int KeyCellPick(KeyCode key);
  bool CommitKeyCell(int row, int pick);
  bool SetRowDirection(int row, MacroDirection direction);
  // A recorded event: after the selected row (at the end when none), which
  // hands its own pause to the new row and takes `delay`; the first row gets
  // 0. The new row becomes selected. False when the rows are full or no
  // macro is current.
  bool InsertRecorded(std::uint32_t delay, KeyCode key, MacroDirection direction);
  // Undoes the last InsertRecorded (the selected row): the row before gets
  // its pause back and becomes selected. False when no row is selected.
  bool TakeBackRecorded();

  // ---- repeat count ----

  // The repeat box's text after a change: 1..255 as typed, 256 or more
  // "255", zero or negative "1". An empty box stays empty while the user
  // types (the count is 1 meanwhile); RepeatText() is what the box shows
  // once it loses the focus.
  std::string SetRepeatText(std::string_view text);
  std::string RepeatText() const { return std::to_string(repeat_); }
  int RepeatCount() const { return repeat_; }

  // ---- presses and releases ----

  // Rows of the current macro whose press is never released, or whose
  // release has no press before it: played, such a macro leaves a key held
  // down on the keyboard (or lets go of one the user holds).
  std::vector<int> UnbalancedRows() const;
  // Before Apply stores the macros: when a macro is unbalanced, asks
  // MACRO_UNBALANCED_CONFIRM (naming the first such macro) and returns the
  // answer; true when every macro is balanced.
  bool ConfirmBalanced();

  // Writes the rows and the repeat count into the current macro's copy.
  void SaveCurrentMacro();
  // Installs the copies as the store's macro set. Keys playing a macro that
  // no copy has, or one that was never applied, become default keys; keys
  // playing id 0 take the first macro. Every copy counts as applied after.
  void ApplyMacroSet();

 private:
  void ShowCurrentMacro();
  std::u16string GenerateName();
  std::u16string GenerateFreeName();
  bool IsTaken(std::u16string_view name) const;
  bool IsOtherMacrosName(std::u16string_view name) const;
  MacroRecord NewMacro(std::u16string_view name) const;
  bool KeysPlay(std::uint16_t id);

  AppCore& core_;
  MacroSet entries_;
  int current_ = -1;
  bool first_visit_ = true;
  unsigned name_counter_ = 0;
  std::vector<MacroAction> rows_;
  int selected_row_ = -1;
  int repeat_ = 1;
};

// Whether `text` begins with `prefix`, letters compared without case.
bool BeginsWithIgnoringCase(std::u16string_view text, std::u16string_view prefix);

// Positions of the actions whose press has no later release of the same key,
// or whose release no earlier press; a release answers the latest press of
// its key still open.
std::vector<int> UnbalancedActions(std::span<const MacroAction> actions);

}  // namespace zarvel
