#include "app/key_function_dialog.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QImage>
#include <QPalette>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QUrl>
#include <array>
#include <vector>

#include "app/key_capture.h"
#include "app/key_dialog_pages.h"
#include "app/macro_page.h"
#include "app/on_screen_keyboard.h"
#include "app/window_keyboard_access.h"
#include "app/window_parts.h"
#include "controls/accessible_controls.h"
#include "controls/dark_fields.h"
#include "controls/skin_label.h"
#include "core/app_core.h"
#include "core/key_dialog_placement.h"
#include "core/key_dialog_session.h"
#include "model/key_table.h"
#include "skin/language.h"
#include "skin/message_format.h"
#include "skin/program_paths.h"
#include "skin/settings.h"
#include "skin/skin_files.h"
#include "skin/widgets/skin_fonts.h"
#include "skin/widgets/skin_placement.h"

namespace zarvel {

namespace {

constexpr std::array<KeyPage, 4> kPages = {KeyPage::kSingleKey, KeyPage::kMacro, KeyPage::kMedia, KeyPage::kFunction};
constexpr std::array<std::string_view, 4> kPageButtonKeys = {"CONTROL_KEY", "CONTROL_MACRO", "CONTROL_MEDIA",
                                                             "CONTROL_FUNCTION"};
constexpr std::array<std::string_view, 4> kPageTextKeys = {"SINGLE_KEY", "MACRO_SETTING", "MULTI_MEDIA",
                                                           "FUNCTION_KEY"};

std::size_t PageSlot(KeyPage page) { return static_cast<std::size_t>(page); }

ButtonFont TitleFont() { return ButtonFont{std::string(kVerdanaUnicode), 9, 0, false}; }

}  // namespace

struct KeyFunctionDialog::Parts {
  Parts(AppCore& core, Settings& settings) : session(core, settings) {}

  KeyDialogSession session;
  StateImages key_images, macro_images, macro2_images, media_images, function_images;
  std::array<ImageButton*, 4> page_buttons{};
  ImageButton* clear = nullptr;
  ImageButton* osk = nullptr;
  ImageButton* page_picture = nullptr;
  ImageButton* title = nullptr;
  ImageButton* ok = nullptr;
  ImageButton* cancel = nullptr;
  ImageButton* apply = nullptr;
  SkinLabel* caption = nullptr;
  SkinLabel* no_place = nullptr;
  SingleKeyPage* single = nullptr;
  MacroPage* macro = nullptr;
  ListPage* media = nullptr;
  ListPage* functions = nullptr;

  // Over the other pages' buttons and Clear in the macro modes: the
  // window's picture draws every button's frame, and a frame that does
  // nothing would look like a broken button.
  std::vector<QWidget*> covers;
  std::unique_ptr<KeyCaptureGuard> capture;
  bool prompting = false;
  int button_id = -1;
  KeyButtonAccess* key_buttons = nullptr;
};

KeyFunctionDialog::KeyFunctionDialog(AppCore& core, QWidget* parent, Settings* settings)
    : SkinnedDialog(kCompositeSkinFile, parent),
      core_(core),
      parts_(std::make_unique<Parts>(core, settings != nullptr ? *settings : UserSettings())) {
  setObjectName("KeyFunctionDialog");
  UseDarkFields(*this);
  LoadSkin();
  BuildControls();
  // Ending the program while the dialog is open is one more way to close it.
  connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, this, &KeyFunctionDialog::CloseCancelled);
}

KeyFunctionDialog::~KeyFunctionDialog() {
  // The keyboard is given back whatever else is gone. The program closes an
  // open dialog as it quits; a dialog destroyed with its main window may
  // outlive the core, so the core is not told here.
  parts_->capture.reset();
  parts_->session.Abandon();
}

void KeyFunctionDialog::BuildControls() {
  Parts& p = *parts_;
  p.key_images = LoadStateImages("key_normal.jpg", "key_over.jpg", "key_down.jpg", "key_normal.jpg");
  p.macro_images = LoadStateImages("macro_normal.jpg", "macro_over.jpg", "macro_down.jpg", "macro_disable.jpg");
  p.macro2_images = LoadStateImages("macro2_normal.jpg", "macro2_over.jpg", "macro2_down.jpg", "macro2_disable.jpg");
  p.media_images = LoadStateImages("media_normal.jpg", "media_over.jpg", "media_down.jpg", "media_normal.jpg");
  p.function_images =
      LoadStateImages("function_normal.jpg", "function_over.jpg", "function_down.jpg", "function_normal.jpg");

  auto button = [this](std::string_view key, const StateImages& images) {
    auto* b = new ImageButton(this);
    PlaceImageButton(Skin(), key, *b, images);
    b->SetButtonFont(TitleFont());
    b->SetTextColour(ButtonState::kDisabled, QColor(140, 140, 140));
    return b;
  };
  // The page picture and the title only show; clicks go to the window.
  p.page_picture = button("CONTROL_MASK", p.key_images);
  p.page_picture->setAttribute(Qt::WA_TransparentForMouseEvents);
  p.page_picture->setFocusPolicy(Qt::NoFocus);
  p.page_picture->SetAccessibleKind(AccessibleKind::kPicture);
  p.title = button("CONTROL_TITLE", p.key_images);
  p.title->setAttribute(Qt::WA_TransparentForMouseEvents);
  p.title->setFocusPolicy(Qt::NoFocus);
  p.title->SetAccessibleKind(AccessibleKind::kPicture);
  for (std::size_t i = 0; i < kPages.size(); ++i) {
    p.page_buttons[i] = button(kPageButtonKeys[i], p.key_images);
    p.page_buttons[i]->setCheckable(true);
    p.page_buttons[i]->SetAccessibleKind(AccessibleKind::kRadioButton);
    connect(p.page_buttons[i], &QAbstractButton::clicked, this, [this, i] { ChoosePage(kPages[i]); });
  }
  p.clear = button("CONTROL_CLEAR", p.key_images);
  p.osk = button("CONTROL_OSK", p.key_images);
  p.ok = button("CONTROL_OK", p.key_images);
  p.cancel = button("CONTROL_CANCEL", p.key_images);
  // The key set has no disabled picture; the macro set's shows Apply greyed
  // while there is nothing to apply.
  p.apply = button("CONTROL2_APPLY", p.macro_images);
  const Placement apply_at = ReadPlacement(Skin(), "CONTROL2_APPLY");
  if (IsUnplacedButton(apply_at)) {
    // The skin has no place for Apply: it goes beside OK, as far from it as
    // Cancel is on the other side.
    const QRect ok = p.ok->geometry(), cancel = p.cancel->geometry();
    const QRect at = ok.translated(ok.left() - cancel.left(), 0);
    p.apply->setGeometry(at);
    p.apply->SetStateImages(p.macro_images, at.topLeft());
    p.apply->setEnabled(true);
  }

  p.caption = new SkinLabel(this);
  p.caption->setFont(CaptionFont());
  PlaceControl(Skin(), "KEY_SETTING", *p.caption);
  p.no_place = new SkinLabel(this);
  p.no_place->setFont(CaptionFont());
  p.no_place->setWordWrap(true);
  p.no_place->setStyleSheet("color: rgb(255, 196, 64);");
  p.no_place->setFont(SkinFont(kArialUnicode, 9));
  // Beside OK, below the pages, where no page puts anything: from the page
  // picture's left edge to the first of the bottom buttons.
  const QRect picture = p.page_picture->geometry();
  const int bottom_row = std::min(p.apply->geometry().left(), p.ok->geometry().left());
  p.no_place->setGeometry(picture.left(), p.ok->geometry().top() - 4, std::max(40, bottom_row - picture.left() - 6),
                          p.ok->height() + 8);
  p.no_place->hide();

  const QImage background = Background().toImage();
  auto cover = [&](const QWidget& button) {
    auto* c = new QWidget(this);
    c->setGeometry(button.geometry().adjusted(-1, -1, 1, 1));
    // The colour beside the button, where the window's picture shows no frame.
    const QPoint beside(std::max(0, button.geometry().left() - 3), button.geometry().center().y());
    QPalette palette = c->palette();
    if (background.valid(beside)) palette.setColor(QPalette::Window, background.pixelColor(beside));
    c->setPalette(palette);
    c->setAutoFillBackground(true);
    c->setAttribute(Qt::WA_TransparentForMouseEvents);
    c->hide();
    p.covers.push_back(c);
  };
  for (std::size_t i = 0; i < kPages.size(); ++i)
    if (kPages[i] != KeyPage::kMacro) cover(*p.page_buttons[i]);
  cover(*p.clear);

  p.single = new SingleKeyPage(*this, Skin());
  p.macro = new MacroPage(*this, Skin(), p.macro_images, p.session);
  p.media = new ListPage(*this, Skin(), ListPage::Kind::kMedia);
  p.functions = new ListPage(*this, Skin(), ListPage::Kind::kFunction);

  connect(p.clear, &QAbstractButton::clicked, this, [this] {
    if (parts_->session.Choice().MacroOnly()) return;
    if (!parts_->session.Choice().Clear()) return;
    parts_->session.ShowPage(false);
    ChoiceChanged(true);
  });
  connect(p.osk, &QAbstractButton::clicked, this, [this] { StartOnScreenKeyboard(); });
  connect(p.ok, &QAbstractButton::clicked, this, [this] {
    if (Apply()) done(QDialog::Accepted);
  });
  connect(p.cancel, &QAbstractButton::clicked, this, [this] { done(QDialog::Rejected); });
  connect(p.apply, &QAbstractButton::clicked, this, [this] { Apply(); });
  connect(p.single, &SingleKeyPage::keyRequested, this, [this] {
    if (!parts_->session.WaitForKey()) return;
    UpdateCapture();
  });
  connect(p.single, &SingleKeyPage::keyboardChosen, this,
          [this] { ChoiceChanged(parts_->session.Choice().ChooseKeyboard()); });
  connect(p.single, &SingleKeyPage::mouseChosen, this,
          [this] { ChoiceChanged(parts_->session.Choice().ChooseMouse()); });
  // A list entry that changes what OK would store is a change to apply.
  connect(p.single, &SingleKeyPage::mouseEntryChosen, this,
          [this](int i) { ChoiceChanged(parts_->session.Choice().SelectMouseEntry(i)); });
  connect(p.media, &ListPage::entryChosen, this,
          [this](int i) { ChoiceChanged(parts_->session.Choice().SelectMedia(i)); });
  connect(p.functions, &ListPage::entryChosen, this,
          [this](int i) { ChoiceChanged(parts_->session.Choice().SelectFunction(i)); });
  connect(p.macro, &MacroPage::modified, this, [this] { parts_->apply->setEnabled(true); });
  connect(p.macro, &MacroPage::recordingChanged, this, [this] { UpdateCapture(); });
  connect(p.macro, &MacroPage::promptStarting, this, [this] {
    parts_->prompting = true;
    UpdateCapture();
  });
  connect(p.macro, &MacroPage::promptDone, this, [this] {
    parts_->prompting = false;
    UpdateCapture();
  });
  p.apply->setEnabled(false);

  // Keyboard access: Tab in reading order, Alt+A for Apply (Enter is OK,
  // Esc is Cancel: KeyPressed()).
  for (QWidget* cover : p.covers) {
    cover->setFocusPolicy(Qt::NoFocus);
    MarkDecorative(*cover);
  }
  OrderTabByLayout(*this);
  AddButtonShortcut(*this, *p.apply, QKeySequence(Qt::ALT | Qt::Key_A));
}

// ---- opening ----

void KeyFunctionDialog::OpenFor(int button_id, int record_index, KeyDialogMode mode, const QRect& anchor) {
  if (record_index < 0) return;
  if (parts_->session.IsOpen()) CloseCancelled();
  if (!parts_->session.Open(static_cast<std::size_t>(record_index), mode)) return;
  // The Macros button opens for no key: G9 is not shown pressed then.
  parts_->button_id = mode == KeyDialogMode::kMacroSet ? -1 : button_id;
  if (parts_->key_buttons != nullptr)
    if (ImageButton* clicked = parts_->key_buttons->KeyButton(parts_->button_id)) clicked->setDown(true);
  ShowMode();
  ApplyLanguage();
  ShowPage();
  parts_->apply->setEnabled(false);
  Place(anchor);
  open();
  UpdateCapture();
  // The keyboard starts where the dialog wants its answer: the key box on
  // the single-key page, else the page's first control.
  if (parts_->session.Choice().Page() == KeyPage::kSingleKey)
    parts_->single->KeyBox().setFocus(Qt::OtherFocusReason);
}

void KeyFunctionDialog::ShowMode() {
  Parts& p = *parts_;
  const bool macro_only = p.session.Choice().MacroOnly();
  // Editing macros only, the other pages' buttons and Clear would be blank
  // pictures that do nothing: they are not shown at all.
  for (std::size_t i = 0; i < kPages.size(); ++i) {
    if (kPages[i] == KeyPage::kMacro) continue;
    p.page_buttons[i]->SetStateImages(macro_only ? p.macro2_images : p.key_images, p.page_buttons[i]->ImageOrigin());
    p.page_buttons[i]->setEnabled(!macro_only);
    p.page_buttons[i]->setVisible(!macro_only);
  }
  p.clear->SetStateImages(macro_only ? p.macro2_images : p.key_images, p.clear->ImageOrigin());
  p.clear->setEnabled(!macro_only);
  p.clear->setVisible(!macro_only);
  for (QWidget* cover : p.covers) cover->setVisible(macro_only);
  p.title->SetStateImages(macro_only ? p.macro2_images : p.key_images, p.title->ImageOrigin());
}

void KeyFunctionDialog::Place(const QRect& anchor) {
  QScreen* screen = QGuiApplication::screenAt(anchor.center());
  if (screen == nullptr) screen = QGuiApplication::primaryScreen();
  if (screen == nullptr) return;
  const QRect area = screen->availableGeometry();
  const ScreenRect screen_rect{area.left(), area.top(), area.right() + 1, area.bottom() + 1};
  const DialogPosition at =
      parts_->session.Choice().MacroOnly()
          ? PlaceCentred(width(), height(), screen_rect)
          : PlaceBesideKey({anchor.left(), anchor.top(), anchor.right() + 1, anchor.bottom() + 1}, width(),
                           height(), screen_rect);
  // Compositors that place windows themselves (Wayland's) may ignore this.
  move(at.x, at.y);
}

void KeyFunctionDialog::ApplyLanguage() {
  Parts& p = *parts_;
  const KeyFunctionChoice& choice = p.session.Choice();
  const bool macro_only = choice.MacroOnly();
  // The caption names the key being edited: "Key settings — F1", "G9
  // macros"; the Macros button edits no key's function.
  const std::string key_name = choice.KeyName();
  switch (choice.Mode()) {
    case KeyDialogMode::kKey:
      p.caption->setText(Text("KEY_SETTING_TISHI") + QString::fromUtf8(" \u2014 ") + QString::fromStdString(key_name));
      break;
    case KeyDialogMode::kG9Macros:
      p.caption->setText(QString::fromStdString(FormatMessage(LookupText("KEY_DIALOG_MACROS_OF_KEY"), {key_name})));
      break;
    case KeyDialogMode::kMacroSet: p.caption->setText(Text("MACRO_EDIT_TISHI")); break;
  }
  setWindowTitle(p.caption->text());
  for (std::size_t i = 0; i < kPages.size(); ++i) {
    const QString name = Text(kPageTextKeys[i]);
    // In the macro editor only the macro page's button is labelled.
    p.page_buttons[i]->setText(macro_only && kPages[i] != KeyPage::kMacro ? QString() : name);
    p.page_buttons[i]->setAccessibleName(name);
  }
  p.clear->setToolTip(Text("COMPOSITE_PROMPT_CLEAR"));
  p.clear->setAccessibleName(p.clear->toolTip());
  p.osk->setToolTip(Text("COMPOSITE_PROMPT_OSK"));
  p.osk->setAccessibleName(p.osk->toolTip());
  p.ok->setText(Text("MACRO_OK"));
  p.ok->setAccessibleName(p.ok->text());
  p.cancel->setText(Text("MACRO_CANCLE"));
  p.cancel->setAccessibleName(p.cancel->text());
  p.apply->setText(Text("PROFILE_APPLY"));
  p.apply->setAccessibleName(p.apply->text());
  p.page_picture->setAccessibleName(p.caption->text());
  p.title->setAccessibleName(p.caption->text());
  const std::size_t record = choice.RecordIndex();
  const std::string g_name = record >= kFirstSpecialRecord ? "G" + std::to_string(record - kFirstSpecialRecord + 1)
                                                           : std::string();
  p.no_place->setText(QString::fromStdString(FormatMessage(LookupText("KEY_NO_PLACE_PROMPT"), {g_name})));
  p.single->ApplyLanguage();
  p.macro->ApplyLanguage();
  p.media->ApplyLanguage();
  p.functions->ApplyLanguage();
}

// ---- pages ----

void KeyFunctionDialog::ShowPage() {
  Parts& p = *parts_;
  const KeyFunctionChoice& choice = p.session.Choice();
  const KeyPage page = choice.Page();
  p.single->SetShown(page == KeyPage::kSingleKey);
  p.macro->SetShown(page == KeyPage::kMacro);
  p.media->SetShown(page == KeyPage::kMedia);
  p.functions->SetShown(page == KeyPage::kFunction);
  const StateImages* pictures[] = {&p.key_images, &p.macro_images, &p.media_images, &p.function_images};
  p.page_picture->SetStateImages(*pictures[PageSlot(page)], p.page_picture->ImageOrigin());
  for (std::size_t i = 0; i < kPages.size(); ++i) p.page_buttons[i]->setChecked(kPages[i] == page);
  p.single->Show(choice);
  p.media->Show(choice);
  p.functions->Show(choice);
  p.macro->ShowAll();
  // Said on every page: the macros can still be edited, the key not given one.
  p.no_place->setVisible(!p.session.KeyStorable());
  UpdateCapture();
}

void KeyFunctionDialog::ChoosePage(KeyPage page) {
  if (parts_->session.Choice().MacroOnly()) return;
  if (!parts_->session.Choice().ChoosePage(page)) {
    ShowPage();  // a click on the shown page's button unticks it
    return;
  }
  parts_->session.ShowPage(false);
  ChoiceChanged(true);
}

void KeyFunctionDialog::ChoiceChanged(bool changed) {
  if (changed) {
    parts_->session.SetModified();
    parts_->apply->setEnabled(true);
  }
  ShowPage();
}

// ---- keys ----

void KeyFunctionDialog::UpdateCapture() {
  Parts& p = *parts_;
  p.single->ShowWaiting(p.session.WaitingForKey());
  const bool wanted = p.session.Capturing() && isVisible() && !p.prompting;
  if (!wanted) {
    p.capture.reset();
    return;
  }
  if (p.capture) return;
  // Keys held when the user leaves the dialog are released elsewhere; a
  // recording gets their releases now, so its macro lets go of them too.
  auto lost = [this] {
    if (parts_->session.KeyboardLost().rowsChanged) {
      parts_->macro->ShowRows();
      parts_->apply->setEnabled(true);
    }
  };
  p.capture = std::make_unique<KeyCaptureGuard>(*this, [this](KeyCode key, MacroDirection direction, bool repeat) {
    Parts& parts = *parts_;
    const DialogKeyResult result = parts.session.KeyEvent(key, direction, repeat);
    if (result.keyTaken) {
      parts.single->Show(parts.session.Choice());
      parts.apply->setEnabled(true);
      // One key per request: the keyboard is the dialog's again.
      if (!parts.session.Capturing()) QTimer::singleShot(0, this, [this] { UpdateCapture(); });
    }
    if (result.rowsChanged) {
      parts.macro->ShowRows();
      parts.apply->setEnabled(true);
    }
    if (result.recordingStopped) {
      parts.macro->ShowRecording();
      // Not from inside the guard's own filter call.
      QTimer::singleShot(0, this, [this] { UpdateCapture(); });
    }
    return result;
  }, lost);
}

void KeyFunctionDialog::KeyPressed(QKeyEvent* event) {
  // A key being captured never gets here: the capture took it first.
  switch (event->key()) {
    case Qt::Key_Escape:
      event->accept();
      parts_->cancel->click();
      return;
    case Qt::Key_Enter:
    case Qt::Key_Return:
      event->accept();
      if (parts_->session.Recorder().Recording()) return;
      parts_->ok->click();
      return;
    case Qt::Key_F1:
      event->accept();
      if (parts_->session.Recorder().Recording()) return;
      QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(ProgramFolder() + "Help/index.html")));
      return;
    default:
      event->ignore();
  }
}

void KeyFunctionDialog::StartOnScreenKeyboard() {
  if (zarvel::StartOnScreenKeyboard() != OnScreenKeyboardStart::kNoneInstalled) return;
  parts_->prompting = true;
  UpdateCapture();
  core_.Prompts().ShowMessage("COMPOSITE_OSK_MISSING", LookupText("COMPOSITE_OSK_MISSING"));
  parts_->prompting = false;
  UpdateCapture();
}

// ---- apply and close ----

bool KeyFunctionDialog::Apply() {
  Parts& p = *parts_;
  p.macro->CommitEdits();
  const bool recording = p.session.Recorder().Recording();
  p.prompting = true;
  UpdateCapture();
  const bool confirmed = p.session.ConfirmApply();
  p.prompting = false;
  if (recording) p.macro->ShowRecording();
  if (!confirmed) {
    // Nothing stored: the marked rows are there to be fixed.
    p.macro->ShowAll();
    UpdateCapture();
    return false;
  }
  p.session.ApplyKey();
  core_.RefreshKeyDescriptions();
  p.apply->setEnabled(false);
  p.macro->ShowAll();
  UpdateCapture();
  return true;
}

void KeyFunctionDialog::FinishClose() {
  Parts& p = *parts_;
  p.capture.reset();
  const bool was_open = p.session.IsOpen();
  p.session.Close();
  p.apply->setEnabled(false);
  if (was_open && p.key_buttons != nullptr)
    if (ImageButton* clicked = p.key_buttons->KeyButton(p.button_id)) clicked->setDown(false);
  p.button_id = -1;
}

void KeyFunctionDialog::done(int result) {
  FinishClose();
  SkinnedDialog::done(result);
}

void KeyFunctionDialog::CloseCancelled() {
  if (parts_->session.IsOpen() || isVisible()) done(QDialog::Rejected);
}

void KeyFunctionDialog::hideEvent(QHideEvent* event) {
  // However the program hid the window, it holds no grab and counts as
  // closed. A hide by the window system (another virtual desktop) only
  // lends the keyboard back, which the capture guard does by itself.
  if (!event->spontaneous()) FinishClose();
  SkinnedDialog::hideEvent(event);
}

void KeyFunctionDialog::SetKeyButtons(KeyButtonAccess* buttons) { parts_->key_buttons = buttons; }

// ---- for tests ----

KeyDialogSession& KeyFunctionDialog::Session() { return parts_->session; }
bool KeyFunctionDialog::Capturing() const { return parts_->capture != nullptr; }
bool KeyFunctionDialog::CaptureActive() const { return parts_->capture && parts_->capture->Active(); }
int KeyFunctionDialog::SystemKeysHeld() const { return parts_->capture ? parts_->capture->SystemKeysHeld() : 0; }
SkinLabel& KeyFunctionDialog::Caption() { return *parts_->caption; }
ImageButton& KeyFunctionDialog::PageButton(KeyPage page) { return *parts_->page_buttons[PageSlot(page)]; }
ImageButton& KeyFunctionDialog::OkButton() { return *parts_->ok; }
ImageButton& KeyFunctionDialog::CancelButton() { return *parts_->cancel; }
ImageButton& KeyFunctionDialog::ApplyButton() { return *parts_->apply; }
ImageButton& KeyFunctionDialog::ClearButton() { return *parts_->clear; }
ImageButton& KeyFunctionDialog::OnScreenKeyboardButton() { return *parts_->osk; }
SingleKeyPage& KeyFunctionDialog::SingleKey() { return *parts_->single; }
MacroPage& KeyFunctionDialog::Macros() { return *parts_->macro; }
ListPage& KeyFunctionDialog::MediaPage() { return *parts_->media; }
ListPage& KeyFunctionDialog::FunctionPage() { return *parts_->functions; }
SkinLabel& KeyFunctionDialog::NoPlaceNotice() { return *parts_->no_place; }

}  // namespace zarvel
