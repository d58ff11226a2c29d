#include "core/profile_import.h"

#include "model/profile_file.h"
#include "skin/language.h"

namespace zarvel {

int ImportProfileSequence(const std::string& path, ProfileStore& store, std::recursive_mutex& store_lock,
                          KeyboardWriter& writer, Prompter& prompter, const ImportOptions& options) {
  auto refuse = [&] {
    prompter.ShowMessage("MAIN_PROMPT_INPORT", LookupText("MAIN_PROMPT_INPORT"));
    return kImportRefused;
  };
  if (ValidateProfileFile(path, prompter) <= 0) return refuse();

  std::lock_guard lock(store_lock);
  // The load is all or nothing, so a file that turns out short leaves the
  // store as it was: neither the store file nor the keyboard ever sees a
  // partial image.
  if (!LoadStoreFile(store, path)) return refuse();
  const bool saved = !options.store_file.empty() && SaveStoreFile(store, options.store_file);
  if (options.store_file_saved != nullptr) *options.store_file_saved = saved;
  return writer.WriteToKeyboard(store, /*all_profiles=*/true) ? kImportDone : kImportWriteFailed;
}

}  // namespace zarvel
