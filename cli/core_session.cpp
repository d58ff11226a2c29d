#include "cli/core_session.h"

#include <filesystem>
#include <sstream>

#include "cli/stop_signals.h"
#include "skin/settings.h"

namespace zarvel::cli {

CoreSession::CoreSession(CommandContext& context)
    : context_(context), keyboard_(context), prompter_(context.prompter) {
  core_ = std::make_unique<AppCore>(keyboard_.Link(), keyboard_.Context(), view_, prompter_, UserSettings());
}

CoreSession::~CoreSession() = default;

int CoreSession::Open(StoreSource source) {
  if (!keyboard_.StartTrace(context_.err)) return kExitUsage;
  core_->Start();
  std::ostringstream quiet;
  const int status = keyboard_.Connect(source == StoreSource::kStoreFileOnly ? quiet : context_.err, prompter_);
  connected_ = status == kExitOk;
  if (!connected_ && keyboard_.StateFileRefused()) {
    // A state file that cannot be used is an error for every command, export
    // included: it is not the same as "no keyboard plugged in".
    if (source == StoreSource::kStoreFileOnly) context_.err << quiet.str();
    return kExitFailed;
  }
  if (!connected_ && source != StoreSource::kStoreFileOnly) return status;
  // Stopped while connecting: what was read is incomplete, and nothing more
  // may be started.
  if (StopSignalNumber() != 0) return kExitFailed;
  std::error_code ignored;
  const bool have_store_file = std::filesystem::exists(core_->StoreFile(), ignored);
  // Without a store file the window would have read the keyboard at its
  // connection; a run does the same.
  if (connected_ && (source == StoreSource::kKeyboard || !have_store_file || !core_->ResumeFromStoreFile()))
    core_->ConnectionRefresh();
  else if (!connected_)
    core_->ResumeFromStoreFile();
  return kExitOk;
}

}  // namespace zarvel::cli
