#include "core/profile_import.h"

#include <cerrno>

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
  // Macros the keyboard cannot hold are refused before anything is sent; the
  // store file and the store then stay as they were.
  if (!writer.WouldSend(store, /*all_profiles=*/true)) {
    writer.WriteToKeyboard(store, /*all_profiles=*/true);  // shows why
    if (!options.store_file.empty() && !LoadStoreFile(store, options.store_file)) CreateStore(store);
    if (options.store_file_saved != nullptr) *options.store_file_saved = false;
    return kImportNotSent;
  }
  errno = 0;
  const bool saved = !options.store_file.empty() && SaveStoreFile(store, options.store_file);
  if (options.store_file_saved != nullptr) *options.store_file_saved = saved;
  if (options.store_file_error != nullptr) *options.store_file_error = saved ? 0 : errno;
  return writer.WriteToKeyboard(store, /*all_profiles=*/true) ? kImportDone : kImportWriteFailed;
}

}  // namespace zarvel
