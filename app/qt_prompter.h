#pragma once
// The window's message boxes and questions.
//
// Errors and notices are OK boxes; confirmations are Yes/No questions whose
// default is No, so Enter (or Esc) never confirms by accident. The texts come
// formatted by the caller (language texts with their arguments filled in
// through FormatMessage), and are shown as plain text, never as markup.
//
// Threads: the keyboard writes run on a worker while the window keeps
// painting, and the writes may need to tell the user something. A call from
// another thread is carried over to the window's thread and waited for there.
// After Release() (shutdown) nothing more is shown: messages are dropped,
// questions answer No (the firmware question OK, so shutdown goes on), a box
// that is open closes as if dismissed, and a worker waiting for an answer
// gets No at once, without the window's thread.
//
// CancelOpenQuestions() (the keyboard went away) closes the open boxes as
// dismissed, and every question asked before it answers No, even one the
// user answers Yes a moment later: its action was meant for a keyboard that
// is gone.
//
// Tests replace the dialogs with a responder that sees every prompt and
// answers it; the responder runs on the window's thread like the boxes.
#include <QObject>
#include <QPointer>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "model/prompter.h"

class QMessageBox;
class QWidget;

namespace zarvel {

class WindowThreadQueue;

enum class PromptKind { kMessage, kYesNo, kOkCancel, kChoice };

struct PromptRecord {
  PromptKind kind = PromptKind::kMessage;
  std::string key;  // language key; empty for the fixed texts
  std::string text;
  std::string caption;
};

class QtPrompter final : public QObject, public Prompter {
  Q_OBJECT
 public:
  // `parent` is the window the boxes belong to (may be hidden).
  // Calls from other threads reach the window's thread through `queue`.
  QtPrompter(QWidget* parent, WindowThreadQueue& queue);
  ~QtPrompter() override;

  void ShowMessage(const std::string& key, const std::string& text) override;
  bool AskYesNo(const std::string& key, const std::string& text) override;
  // An OK/Cancel box with fixed texts; true only for OK.
  bool AskOkCancel(const std::string& text, const std::string& caption);
  // A question with buttons of its own (`buttons`, left to right); the
  // answer is the index of the button pressed. Enter gives `default_button`;
  // Esc, closing the box and every call once the program is ending give
  // `escape_button`. From the window's thread only.
  int AskChoice(const std::string& key, const std::string& text, const std::vector<std::string>& buttons,
                int default_button, int escape_button);
  // An OK box that does not wait: the connection goes on while it shows.
  void ShowMessageLater(const std::string& key, const std::string& text, const std::string& caption = {});

  // Shutdown: close what is open, show nothing more.
  void Release();
  // The keyboard went away: open questions close as No, and questions
  // already asked answer No whatever the user clicks.
  void CancelOpenQuestions();

  // Tests: answer every prompt instead of showing a dialog. The answer of a
  // message is ignored.
  using Responder = std::function<bool(const PromptRecord& prompt)>;
  void SetResponder(Responder responder);
  // Tests: answer AskChoice with a button index instead of showing a box.
  using ChoiceResponder = std::function<int(const PromptRecord& prompt, const std::vector<std::string>& buttons)>;
  void SetChoiceResponder(ChoiceResponder responder);

 private:
  bool Prompt(const PromptRecord& prompt);
  // `asked_in`: the generation when the question was asked.
  bool PromptOnWindowThread(const PromptRecord& prompt, std::uint64_t asked_in);
  void CloseOpenBoxes();

  QWidget* parent_;
  WindowThreadQueue& queue_;
  Responder responder_;
  ChoiceResponder choice_responder_;
  std::mutex mutex_;
  std::condition_variable answered_;  // a worker's question answered, or released
  bool released_ = false;
  // Counts CancelOpenQuestions(): a question whose generation changed while
  // it was open is answered No.
  std::uint64_t generation_ = 0;
  std::vector<QPointer<QMessageBox>> open_boxes_;
};

}  // namespace zarvel
