#pragma once
// A prompter for tests: records every message box and question (language
// key and formatted text) and answers questions from a script. An empty
// script answers No, the dialogs' default.
#include <deque>
#include <string>
#include <vector>

#include "model/prompter.h"

namespace zarvel::testing {

class RecordingPrompter : public Prompter {
 public:
  struct Prompt {
    std::string key;
    std::string text;
    bool question = false;
  };

  void ShowMessage(const std::string& key, const std::string& text) override;
  bool AskYesNo(const std::string& key, const std::string& text) override;

  // The next questions are answered with these, in order.
  void ScriptAnswers(std::initializer_list<bool> answers);
  // The keys of every prompt so far, in order.
  std::vector<std::string> Keys() const;
  const std::vector<Prompt>& Prompts() const { return prompts_; }
  void Clear() { prompts_.clear(); }

 private:
  std::vector<Prompt> prompts_;
  std::deque<bool> answers_;
};

}  // namespace zarvel::testing
