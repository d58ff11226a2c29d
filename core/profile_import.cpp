#include "core/profile_import.h"

#include <cerrno>
#include <memory>
#include <new>
#include <set>
#include <string>
#include <vector>

#include "model/key_table.h"
#include "model/profile_file.h"
#include "skin/message_format.h"
#include "skin/language.h"

namespace zarvel {
namespace {

// Keys playing a macro id no macro of the file has would play whichever macro
// the keyboard keeps first; they become default instead. Returns their names
// ("profile 2 F1").
std::vector<std::string> ResetDanglingMacroKeys(ProfileStore& store) {
  std::set<std::uint32_t> ids;
  for (const MacroRecord& m : store.macros) ids.insert(m.id);
  std::vector<std::string> names;
  for (std::size_t p = 0; p < kProfileCount; ++p) {
    for (std::size_t r = 0; r < kRecordsPerProfile; ++r) {
      KeyFunction& record = store.Record(p, r);
      if (record.type != kFunctionMacro || ids.count(record.value) != 0) continue;
      const KeyCode key = r < kKeyTableSize ? TableIndexToKeyCode(static_cast<unsigned>(r)) : kNoKey;
      names.push_back("profile " + std::to_string(p + 1) + " " +
                      (key != kNoKey ? KeyDisplayName(key) : "record " + std::to_string(r)));
      ResetKeyFunction(record);
    }
  }
  return names;
}

}  // namespace

int ImportProfileSequence(const std::string& path, ProfileStore& store, std::recursive_mutex& store_lock,
                          KeyboardWriter& writer, Prompter& prompter, const ImportOptions& options) {
  auto refuse = [&] {
    prompter.ShowMessage("MAIN_PROMPT_INPORT", LookupText("MAIN_PROMPT_INPORT"));
    return kImportRefused;
  };
  // A header the check turns down is told once, by the check's own message
  // ("not a valid profile file"); the general "could not be loaded" follows
  // only where nothing was said yet (missing, unreadable, too short).
  class Counting final : public Prompter {
   public:
    explicit Counting(Prompter& inner) : inner_(inner) {}
    void ShowMessage(const std::string& key, const std::string& text) override {
      ++shown;
      inner_.ShowMessage(key, text);
    }
    bool AskYesNo(const std::string& key, const std::string& text) override { return inner_.AskYesNo(key, text); }
    int shown = 0;

   private:
    Prompter& inner_;
  } checking(prompter);
  if (ValidateProfileFile(path, checking) <= 0) return checking.shown > 0 ? kImportRefused : refuse();

  // The file is loaded and checked beside the store: the store, with any
  // edits the user has not applied yet, changes only once the file has been
  // accepted as a whole. A file turned down at any step leaves it as it was.
  std::unique_ptr<ProfileStore> imported;
  try {
    imported = std::make_unique<ProfileStore>();
  } catch (const std::bad_alloc&) {
    return refuse();
  }
  if (!LoadStoreFile(*imported, path)) return refuse();
  if (HasDuplicateMacroIds(imported->macros)) {
    prompter.ShowMessage("IMPORT_MACRO_DUPLICATE", FormatMessage(LookupText("IMPORT_MACRO_DUPLICATE"), {path}));
    return kImportRefused;
  }
  if (const std::vector<std::string> dangling = ResetDanglingMacroKeys(*imported); !dangling.empty()) {
    std::string list;
    for (const std::string& name : dangling) list += (list.empty() ? "" : ", ") + name;
    prompter.ShowMessage("IMPORT_MACRO_MISSING", FormatMessage(LookupText("IMPORT_MACRO_MISSING"), {list}));
  }

  std::lock_guard lock(store_lock);
  // Macros the keyboard cannot hold are refused before anything is sent or
  // saved.
  if (!writer.WouldSend(*imported, /*all_profiles=*/true)) {
    writer.WriteToKeyboard(*imported, /*all_profiles=*/true);  // shows why
    if (options.store_file_saved != nullptr) *options.store_file_saved = false;
    return kImportNotSent;
  }
  store = std::move(*imported);
  errno = 0;
  const bool saved = !options.store_file.empty() && SaveStoreFile(store, options.store_file);
  if (options.store_file_saved != nullptr) *options.store_file_saved = saved;
  if (options.store_file_error != nullptr) *options.store_file_error = saved ? 0 : errno;
  return writer.WriteToKeyboard(store, /*all_profiles=*/true) ? kImportDone : kImportWriteFailed;
}

}  // namespace zarvel
