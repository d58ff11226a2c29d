#pragma once
// One zarvelctl run driving the application core the way the window does:
// the keyboard (real or simulated), the per-user store file and user
// settings, a view that keeps what the window would show, and a prompter that
// prints messages and answers questions as the command line asked.
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/keyboard_session.h"
#include "core/app_core.h"
#include "core/lighting_view.h"
#include "core/main_view.h"

namespace zarvel::cli {

// Keeps what the main window would show; prints nothing.
class TerminalView final : public MainView {
 public:
  struct Description {
    std::string text;
    bool assigned = false;
  };
  void ShowKeyDescription(int button_id, const std::string& text, bool assigned) override {
    descriptions[button_id] = {text, assigned};
  }
  void CheckProfileButton(int profile) override { checked_profile = profile; }
  void EnableApply(bool enabled) override { apply_enabled = enabled; }
  void ShowBusy(bool) override {}
  void ShowTrayPicture(int) override {}
  void ShowFlip(int) override {}
  void ShowActiveProfile(int profile, const ProfileMenuLabel& label) override {
    active_profile = profile;
    profile_label = label;
  }
  void ShowNotice(const std::string& key, const std::string& text) override {
    if (!text.empty()) notices.push_back(key);
  }
  LightingView& Lighting() override { return lighting_; }

  std::map<int, Description> descriptions;
  std::vector<std::string> notices;  // language keys of the notices shown
  int checked_profile = -1;
  bool apply_enabled = false;
  int active_profile = -1;
  ProfileMenuLabel profile_label;

 private:
  NullLightingView lighting_;
};

// Messages go to the run's prompter (the error stream); questions are
// answered Yes only when the command line said so (--yes), else No.
class CommandLinePrompter final : public Prompter {
 public:
  explicit CommandLinePrompter(Prompter& inner) : inner_(inner) {}
  void AnswerYes(bool yes) { yes_ = yes; }
  void ShowMessage(const std::string& key, const std::string& text) override { inner_.ShowMessage(key, text); }
  bool AskYesNo(const std::string& key, const std::string& text) override {
    if (!yes_) return inner_.AskYesNo(key, text);
    return true;
  }

 private:
  Prompter& inner_;
  bool yes_ = false;
};

enum class StoreSource {
  kKeyboard,       // read the keyboard into the store, as a new connection does
  kStoreFile,      // the store file of earlier runs (the keyboard when there is none yet)
  kStoreFileOnly,  // the store file; no keyboard needed
};

class CoreSession {
 public:
  explicit CoreSession(CommandContext& context);
  ~CoreSession();
  CoreSession(const CoreSession&) = delete;
  CoreSession& operator=(const CoreSession&) = delete;

  // Connects (printing why not) and fills the store from `source`.
  // kExitOk, or the keyboard session's status.
  int Open(StoreSource source);

  AppCore& Core() { return *core_; }
  TerminalView& View() { return view_; }
  CommandLinePrompter& Prompts() { return prompter_; }
  KeyboardSession& Keyboard() { return keyboard_; }
  bool Connected() const { return connected_; }

 private:
  CommandContext& context_;
  KeyboardSession keyboard_;
  TerminalView view_;
  CommandLinePrompter prompter_;
  std::unique_ptr<AppCore> core_;
  bool connected_ = false;
};

}  // namespace zarvel::cli
