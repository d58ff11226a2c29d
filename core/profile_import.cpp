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
  // The load is all or nothing, so a file that turns out short never reaches
  // the store file or the keyboard. With a store file named, the store goes
  // back to that file's content (a store file that cannot be read leaves a
  // fresh image, so the store always has one).
  if (!LoadStoreFile(store, path)) {
    if (!options.store_file.empty() && !LoadStoreFile(store, options.store_file)) CreateStore(store);
    return refuse();
  }
  const bool saved = !options.store_file.empty() && SaveStoreFile(store, options.store_file);
  if (options.store_file_saved != nullptr) *options.store_file_saved = saved;
  return writer.WriteToKeyboard(store, /*all_profiles=*/true) ? kImportDone : kImportWriteFailed;
}

}  // namespace zarvel
