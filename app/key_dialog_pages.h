#pragma once
// The key-function dialog's three simple pages: single key (another key or
// a mouse button), multimedia and keyboard function. Each page owns the
// controls the skin places for it (children of the dialog, in the skin's
// coordinates), shows what the choice holds and reports only what the user
// did; the dialog passes that on to the session.
#include <QComboBox>
#include <QFont>
#include <QLineEdit>
#include <QListWidget>
#include <QObject>
#include <QWidget>
#include <vector>

#include "controls/skin_label.h"
#include "core/key_function_builder.h"
#include "skin/ini_file.h"

namespace zarvel {

// The dialog's fonts: the key box, the lists (and the macro page's name box
// and action list), the captions.
QFont KeyBoxFont();
QFont ListFont();
QFont CaptionFont();
// A language text as a QString.
QString Text(std::string_view key);

// A group of controls shown and hidden together.
class DialogPage : public QObject {
  Q_OBJECT
 public:
  explicit DialogPage(QObject* parent) : QObject(parent) {}
  void SetShown(bool shown);
  // Controls that stay visible whatever the page (the repeat count label).
  void KeepShown(QWidget* control) { always_shown_.push_back(control); }

 protected:
  template <typename Control>
  Control* Add(Control* control) {
    controls_.push_back(control);
    control->hide();
    return control;
  }

 private:
  std::vector<QWidget*> controls_;
  std::vector<QWidget*> always_shown_;
};

class SingleKeyPage : public DialogPage {
  Q_OBJECT
 public:
  SingleKeyPage(QWidget& dialog, const CIniFile& skin);
  void Show(const KeyFunctionChoice& choice);
  void ApplyLanguage();
  // Tells screen readers whether the box waits for a key now.
  void ShowWaiting(bool waiting);
  QLineEdit& KeyBox() { return *key_box_; }
  QComboBox& MouseList() { return *mouse_list_; }
  SkinCheckBox& KeyboardBox() { return *keyboard_; }
  SkinCheckBox& MouseBox() { return *mouse_; }

 Q_SIGNALS:
  void keyboardChosen();
  void mouseChosen();
  void mouseEntryChosen(int position);
  // Space or a click on the key box: take the next key pressed.
  void keyRequested();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  SkinLabel* caption_;
  QLineEdit* key_box_;
  SkinCheckBox* keyboard_;
  SkinLabel* keyboard_label_;
  SkinCheckBox* mouse_;
  SkinLabel* mouse_label_;
  QComboBox* mouse_list_;
};

// The multimedia page and the keyboard-function page: a caption and a list.
class ListPage : public DialogPage {
  Q_OBJECT
 public:
  enum class Kind { kMedia, kFunction };
  ListPage(QWidget& dialog, const CIniFile& skin, Kind kind);
  void Show(const KeyFunctionChoice& choice);
  void ApplyLanguage();
  QListWidget& List() { return *list_; }

 Q_SIGNALS:
  void entryChosen(int position);

 private:
  Kind kind_;
  SkinLabel* caption_;
  QListWidget* list_;
};

}  // namespace zarvel
