#pragma once
// Messages the logic layers show as dialogs, printed on the error stream.
// zarvelctl never waits for an answer: every Yes/No question is answered No,
// the safe default the dialogs preselect.
#include <ostream>
#include <string>

#include "model/prompter.h"

namespace zarvel::cli {

class StreamPrompter final : public Prompter {
 public:
  explicit StreamPrompter(std::ostream& err) : err_(err) {}
  void ShowMessage(const std::string&, const std::string& text) override { err_ << "zarvelctl: " << text << '\n'; }
  bool AskYesNo(const std::string&, const std::string& text) override {
    err_ << "zarvelctl: " << text << " (answered No)\n";
    return false;
  }

 private:
  std::ostream& err_;
};

}  // namespace zarvel::cli
