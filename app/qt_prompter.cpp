#include "app/qt_prompter.h"

#include <QMessageBox>
#include <QPushButton>
#include <QThread>
#include <QWidget>
#include <algorithm>
#include <condition_variable>
#include <memory>

#include "app/window_thread_queue.h"
#include "skin/language.h"

namespace zarvel {

namespace {

QString FromUtf8(const std::string& text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

// The answer given without asking once the program is ending.
bool ReleasedAnswer(PromptKind kind) { return kind == PromptKind::kOkCancel; }

}  // namespace

QtPrompter::QtPrompter(QWidget* parent, WindowThreadQueue& queue) : QObject(parent), parent_(parent), queue_(queue) {}

QtPrompter::~QtPrompter() = default;

void QtPrompter::SetResponder(Responder responder) { responder_ = std::move(responder); }

void QtPrompter::SetChoiceResponder(ChoiceResponder responder) { choice_responder_ = std::move(responder); }

void QtPrompter::Release() {
  {
    std::lock_guard lock(mutex_);
    released_ = true;
  }
  answered_.notify_all();
  CloseOpenBoxes();
}

void QtPrompter::CancelOpenQuestions() {
  {
    std::lock_guard lock(mutex_);
    ++generation_;
  }
  CloseOpenBoxes();
}

void QtPrompter::CloseOpenBoxes() {
  if (QThread::currentThread() != thread()) return;
  // A copy: rejecting a box may run code that opens or forgets others.
  const std::vector<QPointer<QMessageBox>> boxes = open_boxes_;
  for (const QPointer<QMessageBox>& box : boxes)
    if (box) box->reject();
}


void QtPrompter::ShowMessage(const std::string& key, const std::string& text) {
  Prompt(PromptRecord{PromptKind::kMessage, key, text, LookupText("MAIN_CAPTION")});
}

bool QtPrompter::AskYesNo(const std::string& key, const std::string& text) {
  return Prompt(PromptRecord{PromptKind::kYesNo, key, text, LookupText("MAIN_CAPTION")});
}

bool QtPrompter::AskOkCancel(const std::string& text, const std::string& caption) {
  return Prompt(PromptRecord{PromptKind::kOkCancel, {}, text, caption});
}

int QtPrompter::AskChoice(const std::string& key, const std::string& text, const std::vector<std::string>& buttons,
                          int default_button, int escape_button) {
  {
    std::lock_guard lock(mutex_);
    if (released_) return escape_button;
  }
  const PromptRecord prompt{PromptKind::kChoice, key, text, LookupText("MAIN_CAPTION")};
  if (choice_responder_) return choice_responder_(prompt, buttons);

  QMessageBox box(parent_);
  box.setTextFormat(Qt::PlainText);
  box.setWindowTitle(FromUtf8(prompt.caption));
  box.setText(FromUtf8(prompt.text));
  box.setIcon(QMessageBox::Question);
  std::vector<QPushButton*> pushed;
  for (std::size_t i = 0; i < buttons.size(); ++i) {
    // The escape button is the one that changes nothing; the others act.
    const auto role = static_cast<int>(i) == escape_button ? QMessageBox::RejectRole : QMessageBox::AcceptRole;
    pushed.push_back(box.addButton(FromUtf8(buttons[i]), role));
  }
  if (default_button >= 0 && default_button < static_cast<int>(pushed.size()))
    box.setDefaultButton(pushed[static_cast<std::size_t>(default_button)]);
  if (escape_button >= 0 && escape_button < static_cast<int>(pushed.size()))
    box.setEscapeButton(pushed[static_cast<std::size_t>(escape_button)]);
  open_boxes_.push_back(&box);
  box.exec();
  open_boxes_.erase(std::remove(open_boxes_.begin(), open_boxes_.end(), QPointer<QMessageBox>(&box)),
                    open_boxes_.end());
  open_boxes_.erase(std::remove(open_boxes_.begin(), open_boxes_.end(), QPointer<QMessageBox>()), open_boxes_.end());
  {
    std::lock_guard lock(mutex_);
    if (released_) return escape_button;
  }
  const auto it = std::find(pushed.begin(), pushed.end(), box.clickedButton());
  return it == pushed.end() ? escape_button : static_cast<int>(it - pushed.begin());
}

void QtPrompter::ShowMessageLater(const std::string& key, const std::string& text, const std::string& caption) {
  const PromptRecord prompt{PromptKind::kMessage, key, text, caption};
  auto show = [this, prompt] {
    {
      std::lock_guard lock(mutex_);
      if (released_) return;
    }
    if (responder_) {
      responder_(prompt);
      return;
    }
    auto* box = new QMessageBox(QMessageBox::NoIcon, FromUtf8(prompt.caption), FromUtf8(prompt.text),
                                QMessageBox::Ok, parent_);
    box->setTextFormat(Qt::PlainText);
    box->setAttribute(Qt::WA_DeleteOnClose);
    open_boxes_.push_back(box);
    box->open();
  };
  queue_.Post(show);
}

bool QtPrompter::Prompt(const PromptRecord& prompt) {
  std::uint64_t asked_in = 0;
  {
    std::lock_guard lock(mutex_);
    if (released_) return ReleasedAnswer(prompt.kind);
    asked_in = generation_;
  }
  if (QThread::currentThread() == thread()) return PromptOnWindowThread(prompt, asked_in);
  // A keyboard write on the worker needs an answer: the window's thread shows
  // the box while the worker waits. The window thread never waits for the
  // worker without running its events, so this cannot deadlock; on the way
  // out, when the window's thread no longer runs its events, Release()
  // answers for it.
  struct Answer {
    bool done = false;
    bool yes = false;
  };
  auto answer = std::make_shared<Answer>();
  queue_.Post([this, prompt, answer, asked_in] {
    const bool yes = PromptOnWindowThread(prompt, asked_in);
    {
      std::lock_guard lock(mutex_);
      answer->yes = yes;
      answer->done = true;
    }
    answered_.notify_all();
  });
  std::unique_lock lock(mutex_);
  answered_.wait(lock, [&] { return answer->done || released_; });
  return answer->done ? answer->yes : ReleasedAnswer(prompt.kind);
}

bool QtPrompter::PromptOnWindowThread(const PromptRecord& prompt, std::uint64_t asked_in) {
  // A question outlived by its keyboard (or by the program) is never taken
  // as a Yes: the action it asked about would run against nothing. It gets
  // the answer that lets the program go on (No; OK for the firmware question,
  // whose Cancel would end the program). A message still tells what it tells.
  auto outlived = [this, asked_in, &prompt] {
    std::lock_guard lock(mutex_);
    return released_ || (prompt.kind != PromptKind::kMessage && generation_ != asked_in);
  };
  if (outlived()) return ReleasedAnswer(prompt.kind);
  if (responder_) {
    const bool answer = responder_(prompt);
    return outlived() ? ReleasedAnswer(prompt.kind) : answer;
  }

  QMessageBox box(parent_);
  box.setTextFormat(Qt::PlainText);
  box.setWindowTitle(FromUtf8(prompt.caption));
  box.setText(FromUtf8(prompt.text));
  QMessageBox::StandardButton yes = QMessageBox::Ok;
  switch (prompt.kind) {
    case PromptKind::kMessage:
      box.setStandardButtons(QMessageBox::Ok);
      box.setIcon(QMessageBox::Warning);
      break;
    case PromptKind::kYesNo:
      box.setIcon(QMessageBox::Question);
      box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
      box.setDefaultButton(QMessageBox::No);
      box.setEscapeButton(QMessageBox::No);
      yes = QMessageBox::Yes;
      break;
    case PromptKind::kOkCancel:
    case PromptKind::kChoice:
      box.setIcon(QMessageBox::Warning);
      box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
      box.setDefaultButton(QMessageBox::Ok);
      box.setEscapeButton(QMessageBox::Cancel);
      break;
  }
  open_boxes_.push_back(&box);
  const int answer = box.exec();
  open_boxes_.erase(std::remove(open_boxes_.begin(), open_boxes_.end(), QPointer<QMessageBox>(&box)),
                    open_boxes_.end());
  open_boxes_.erase(std::remove(open_boxes_.begin(), open_boxes_.end(), QPointer<QMessageBox>()), open_boxes_.end());
  return outlived() ? ReleasedAnswer(prompt.kind) : answer == yes;
}

}  // namespace zarvel
