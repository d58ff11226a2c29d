#pragma once
// Message boxes and Yes/No questions, as the logic layers ask for them.
// The window shows them as dialogs, zarvelctl prints them, and tests record
// them. `key` is the language key the text came from, so tests can assert on it;
// `text` is the looked-up text with its arguments already formatted.
#include <string>

namespace zarvel {

class Prompter {
 public:
  virtual ~Prompter() = default;
  // An error or notice with an OK button.
  virtual void ShowMessage(const std::string& key, const std::string& text) = 0;
  // A Yes/No question with No as the default; true only for Yes.
  virtual bool AskYesNo(const std::string& key, const std::string& text) = 0;
};

// A prompter that shows nothing and answers No, for callers with no one to ask.
class SilentPrompter final : public Prompter {
 public:
  void ShowMessage(const std::string&, const std::string&) override {}
  bool AskYesNo(const std::string&, const std::string&) override { return false; }
};

}  // namespace zarvel
