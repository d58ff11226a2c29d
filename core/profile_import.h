#pragma once
// Importing a profile file: it replaces the key configuration of all four
// profiles and the macro set, in the working store and in the keyboard.
//
// The sequence, without any dialog (the caller picked the file):
//   1. validate the file's header (PROFILE_FORMAT_ERROR for a bad one);
//   2. load it beside the store; a file that passed the header check but
//      cannot be loaded whole (shorter than its header says, gone
//      meanwhile) or whose macros share an id is refused;
//   3. check that the keyboard can hold the macros (else nothing is saved
//      or sent);
//   4. only then replace the store's content, under the store lock, and
//      save it into the store file, when the caller names one;
//   5. write all four profiles and the macros to the keyboard.
// A refused file is reported (MAIN_PROMPT_INPORT, IMPORT_MACRO_DUPLICATE or
// the keyboard writer's EXTRA_MACRO_TOO_LONG) and changes nothing: the store
// keeps every edit it held, the store file and the keyboard stay as they were.
#include <mutex>
#include <string>

#include "core/keyboard_writer.h"
#include "model/profile_store.h"
#include "model/prompter.h"

namespace zarvel {

inline constexpr int kImportDone = 1;
inline constexpr int kImportRefused = 0;       // invalid or unloadable; nothing changed
inline constexpr int kImportWriteFailed = -1;  // loaded (and saved), but the keyboard did not take it all
inline constexpr int kImportNotSent = -2;      // the keyboard cannot hold it: nothing changed, sent or saved

struct ImportOptions {
  // The store file to save the imported store into; empty leaves it alone.
  std::string store_file;
  // When given, receives whether the store file was saved.
  bool* store_file_saved = nullptr;
  // When given, receives the system's reason (errno) a save failed, else 0.
  int* store_file_error = nullptr;
};

int ImportProfileSequence(const std::string& path, ProfileStore& store, std::recursive_mutex& store_lock,
                          KeyboardWriter& writer, Prompter& prompter, const ImportOptions& options = {});

}  // namespace zarvel
