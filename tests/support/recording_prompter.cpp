#include "support/recording_prompter.h"

namespace zarvel::testing {

void RecordingPrompter::ShowMessage(const std::string& key, const std::string& text) {
  prompts_.push_back({key, text, false});
}

bool RecordingPrompter::AskYesNo(const std::string& key, const std::string& text) {
  prompts_.push_back({key, text, true});
  if (answers_.empty()) return false;
  const bool answer = answers_.front();
  answers_.pop_front();
  return answer;
}

void RecordingPrompter::ScriptAnswers(std::initializer_list<bool> answers) {
  answers_.insert(answers_.end(), answers.begin(), answers.end());
}

std::vector<std::string> RecordingPrompter::Keys() const {
  std::vector<std::string> keys;
  for (const Prompt& p : prompts_) keys.push_back(p.key);
  return keys;
}

}  // namespace zarvel::testing
