#include "app/lighting_panel.h"

#include <QComboBox>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QSignalBlocker>
#include <QWidget>
#include <array>

#include "app/panel_controls.h"
#include "app/user_colour_group.h"
#include "app/window_parts.h"
#include "controls/dark_fields.h"
#include "controls/bitmap_slider.h"
#include "controls/colour_button.h"
#include "controls/skin_label.h"
#include "controls/skin_picture.h"
#include "core/app_core.h"
#include "core/lighting_controller.h"
#include "model/lighting_panel.h"
#include "skin/language.h"
#include "skin/placement.h"
#include "skin/widgets/skin_image_cache.h"
#include "skin/widgets/image_button.h"

namespace zarvel {

namespace {

constexpr int kBrightnessSliderId = 1178;
constexpr int kSpeedSliderId = 1179;
constexpr int kReportRateButtons = 4;
// The only texts of the panel that are not language texts.
constexpr const char* kRgbLabelText = "RGB";

// A colour group: its label, colour button, random label and random picture.
struct ColourGroup {
  SkinLabel* label;
  ColourButton* button;
  SkinLabel* randomLabel;
  SkinPicture* randomPicture;
  void SetVisible(bool visible) const {
    for (QWidget* w : std::initializer_list<QWidget*>{label, button, randomLabel, randomPicture}) w->setVisible(visible);
  }
};

ColourGroup MakeColourGroup(QWidget& window, const CIniFile& skin, std::string_view label, std::string_view button,
                            std::string_view randomLabel, std::string_view randomPicture) {
  return ColourGroup{MakePlaced<SkinLabel>(window, skin, label), MakePlaced<ColourButton>(window, skin, button),
                     MakePlaced<SkinLabel>(window, skin, randomLabel),
                     MakePlaced<SkinPicture>(window, skin, randomPicture)};
}

QString Text(const std::string& text) { return QString::fromStdString(text); }

}  // namespace

struct LightingPanel::Controls {
  Controls(QWidget& window, const CIniFile& skin)
      : switchPicture(MakePlaced<SkinPicture>(window, skin, "CONTROL_DengStaPic")),
        switchLabel(MakePlaced<SkinLabel>(window, skin, "CONTROL_DengStatic")),
        effectList(MakePlaced<QComboBox>(window, skin, "CONTROL_XGcombox")),
        unreadNotice(new SkinLabel(&window)),
        brightnessLabel(MakePlaced<SkinLabel>(window, skin, "CONTROL_LightStatic")),
        brightness(MakePlaced<BitmapSlider>(window, skin, "CONTROL_LightSlider", kBrightnessSliderId)),
        speedLabel(MakePlaced<SkinLabel>(window, skin, "CONTROL_SpeedStatic")),
        speed(MakePlaced<BitmapSlider>(window, skin, "CONTROL_SpeedSlider", kSpeedSliderId)),
        directionLabel(MakePlaced<SkinLabel>(window, skin, "CONTROL_BLFXStatic")),
        firstArrow(MakePlaced<SkinPicture>(window, skin, "CONTROL_BLFXLStaPic")),
        secondArrow(MakePlaced<SkinPicture>(window, skin, "CONTROL_BLFXRStaPic")),
        groupA(MakeColourGroup(window, skin, "CONTROL_HXysStatic", "CONTROL_HXysButton", "CONTROL_HXsjsStatic",
                               "CONTROL_HXsjsStaPic")),
        groupB(MakeColourGroup(window, skin, "CONTROL_FYYSStatic", "CONTROL_FYYSButton", "CONTROL_FYSJSStatic",
                               "CONTROL_FYSJSStaPic")),
        choices{MakePlaced<SkinPicture>(window, skin, "CONTROL_HONGPIC"),
                MakePlaced<SkinPicture>(window, skin, "CONTROL_HUANGPIC"),
                MakePlaced<SkinPicture>(window, skin, "CONTROL_LVPIC"),
                MakePlaced<SkinPicture>(window, skin, "CONTROL_LANPIC")},
        userGroup(window, skin),
        usbLabel(MakePlaced<SkinLabel>(window, skin, "CONTROL_UsbStatic")),
        rgbLabel(MakePlaced<SkinLabel>(window, skin, "CONTROL_RGBStatic")),
        rgbFields{MakePlaced<QLineEdit>(window, skin, "COLOR_R"), MakePlaced<QLineEdit>(window, skin, "COLOR_G"),
                  MakePlaced<QLineEdit>(window, skin, "COLOR_B")} {
    unreadNotice->setObjectName("LIGHT_READ_ERROR");
    unreadNotice->setWordWrap(true);
    // Where the effect list would be, with room for a sentence.
    const Placement list = ReadPlacement(skin, "CONTROL_XGcombox");
    unreadNotice->setGeometry(list.left, list.top, std::max(list.width * 2, 240), std::max(list.height * 2, 36));

    brightness->SetRange(0, 4);
    speed->SetRange(0, 3);
    const StateImages images = ReportRateImages(window);
    for (int n = 0; n < kReportRateButtons; ++n) {
      auto* button = new ImageButton(&window);
      const std::string key = "FUNC_REPORT" + std::to_string(n + 1);
      button->setObjectName(QString::fromStdString(key));
      button->setAccessibleName(QStringLiteral("Report rate %1").arg(n + 1));
      button->setCheckable(true);
      PlaceImageButton(skin, key, *button, images);
      reportRate[static_cast<std::size_t>(n)] = button;
    }
    rgbLabel->setText(kRgbLabelText);
    UseDarkFields(*effectList);
    for (QLineEdit* field : rgbFields) {
      UseDarkFields(*field);
      field->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]*"), field));
      field->setMaxLength(4);
    }
  }

  static StateImages ReportRateImages(QWidget& window) {
    SkinImageCache& cache = SkinImageCache::Instance();
    const qreal ratio = window.devicePixelRatioF();
    StateImages images;
    images.normal = cache.Pixmap("main_normal.jpg", ratio);
    images.hovered = cache.Pixmap("main_over.jpg", ratio);
    images.pressed = cache.Pixmap("main_down.jpg", ratio);
    images.disabled = cache.Pixmap("main_disable.jpg", ratio);
    images.checked = images.pressed;
    return images;
  }

  SkinPicture* switchPicture;
  SkinLabel* switchLabel;
  QComboBox* effectList;
  SkinLabel* unreadNotice;
  SkinLabel* brightnessLabel;
  BitmapSlider* brightness;
  SkinLabel* speedLabel;
  BitmapSlider* speed;
  SkinLabel* directionLabel;
  SkinPicture* firstArrow;
  SkinPicture* secondArrow;
  ColourGroup groupA;
  ColourGroup groupB;
  std::array<SkinPicture*, 4> choices;
  UserColourGroup userGroup;
  std::array<ImageButton*, kReportRateButtons> reportRate{};
  SkinLabel* usbLabel;
  SkinLabel* rgbLabel;
  std::array<QLineEdit*, 3> rgbFields;
  QColor secondColour;
  QColor thirdColour;
};

LightingPanel::LightingPanel(QWidget& window, const CIniFile& mainSkin, KeyButtonAccess& keys)
    : QObject(&window),
      window_(window),
      skin_(mainSkin),
      keys_(keys),
      controls_(std::make_unique<Controls>(window, mainSkin)) {
  // A skin that wants the plain key colour frames says so; every other skin
  // gets tinted keys, which read at a glance on a dark background.
  if (skin_.ReadString("SCREEN", "KeyColourFrame", "").value_or("") == "thin") frame_style_ = FrameStyle::kThinFrame;
  ConnectControls();
  SetPanelVisibility(PanelVisibility{});
  ApplyLanguage();
}

LightingPanel::~LightingPanel() = default;

LightingController* LightingPanel::Lighting() const { return core_ != nullptr ? &core_->Lighting() : nullptr; }

void LightingPanel::Connect(AppCore& core) {
  core_ = &core;
  controls_->userGroup.Connect(core.Lighting());
}

void LightingPanel::ConnectControls() {
  Controls& c = *controls_;
  // Each handler is one call into the controller; the controller answers
  // through the LightingView calls below.
  auto call = [this](auto action) {
    return [this, action](auto&&... args) {
      if (LightingController* lighting = Lighting()) action(*lighting, args...);
    };
  };
  connect(c.switchPicture, &SkinPicture::clicked, this, call([](LightingController& l) { l.ToggleLightingSwitch(); }));
  connect(c.effectList, &QComboBox::activated, this, call([](LightingController& l, int index) { l.SelectEffect(index); }));
  connect(c.brightness, &BitmapSlider::positionChosen, this,
          call([](LightingController& l, int, int position) { l.SetBrightness(position); }));
  connect(c.speed, &BitmapSlider::positionChosen, this,
          call([](LightingController& l, int, int position) { l.SetSpeedPosition(position); }));
  connect(c.firstArrow, &SkinPicture::clicked, this,
          call([](LightingController& l) { l.SetDirection(DirectionArrow::kFirst); }));
  connect(c.secondArrow, &SkinPicture::clicked, this,
          call([](LightingController& l) { l.SetDirection(DirectionArrow::kSecond); }));
  for (const ColourGroup* group : {&c.groupA, &c.groupB}) {
    connect(group->button, &ColourButton::colourChosen, this,
            call([](LightingController& l, const QColor& colour) { l.SetColour(ToLightingColour(colour)); }));
    connect(group->randomPicture, &SkinPicture::clicked, this,
            call([](LightingController& l) { l.ToggleRandomColour(); }));
  }
  for (int choice = 0; choice < static_cast<int>(c.choices.size()); ++choice) {
    connect(c.choices[static_cast<std::size_t>(choice)], &SkinPicture::clicked, this,
            call([choice](LightingController& l) { l.SetColourChoice(choice); }));
  }
  for (int n = 0; n < kReportRateButtons; ++n) {
    connect(c.reportRate[static_cast<std::size_t>(n)], &ImageButton::clicked, this, [this, n] {
      if (LightingController* lighting = Lighting()) lighting->SetReportRate(n);
      // A click toggles the button by itself; the keyboard's value decides.
      ShowReportRateFromState();
    });
  }
  for (QLineEdit* field : c.rgbFields) {
    connect(field, &QLineEdit::textEdited, field, [field](const QString& text) {
      const QString normal = QString::fromStdString(NormaliseColourField(text.toStdString()));
      if (normal != text) field->setText(normal);
    });
  }
}

void LightingPanel::ShowReportRateFromState() {
  CheckReportRate(Lighting() != nullptr ? Lighting()->State().reportRate : -1);
}

void LightingPanel::ApplyLanguage() {
  Controls& c = *controls_;
  c.switchLabel->setText(Text(LookupLight("Deng")));
  c.brightnessLabel->setText(Text(LookupLight("Light")));
  c.speedLabel->setText(Text(LookupLight("Speed")));
  c.directionLabel->setText(Text(LookupLight("FX")));
  for (const ColourGroup* group : {&c.groupA, &c.groupB}) {
    group->label->setText(Text(LookupLight("Color")));
    group->randomLabel->setText(Text(LookupLight("DC")));
  }
  c.usbLabel->setText(Text(LookupLight("Usb")));
  // The skin's pictures carry the rates' numbers; the names are for screen
  // readers ("Report rate 1" .. "Report rate 4").
  for (int n = 0; n < kReportRateButtons; ++n) {
    c.reportRate[static_cast<std::size_t>(n)]->SetCaption(Text(LookupLight("Usb")) + ' ' + QString::number(n + 1));
  }
  c.switchPicture->setToolTip(Text(LookupLight("Deng")));
  for (const ColourGroup* group : {&c.groupA, &c.groupB}) {
    group->button->setAccessibleName(Text(LookupLight("Color")));
    group->randomPicture->setToolTip(Text(LookupLight("DC")));
  }
  c.unreadNotice->setText(Text(LookupText("LIGHT_READ_ERROR")));
  c.userGroup.ApplyLanguage();
}

void LightingPanel::SetEffectList(const std::vector<EffectListEntry>& entries) {
  QComboBox* list = controls_->effectList;
  const QSignalBlocker blocker(list);
  list->clear();
  for (const EffectListEntry& entry : entries) list->addItem(Text(entry.name), entry.effect);
}

void LightingPanel::SelectEffectEntry(int position) {
  const QSignalBlocker blocker(controls_->effectList);
  controls_->effectList->setCurrentIndex(position);
}

void LightingPanel::SetPanelVisibility(const PanelVisibility& v) {
  Controls& c = *controls_;
  const EffectControls& e = v.controls;
  c.effectList->setVisible(v.effectList);
  c.unreadNotice->setVisible(v.unreadNotice);
  for (QWidget* w : std::initializer_list<QWidget*>{c.brightnessLabel, c.brightness}) w->setVisible(e.brightness);
  for (QWidget* w : std::initializer_list<QWidget*>{c.speedLabel, c.speed}) w->setVisible(e.speed);
  for (QWidget* w : std::initializer_list<QWidget*>{c.directionLabel, c.firstArrow, c.secondArrow})
    w->setVisible(e.direction);
  c.groupA.SetVisible(e.colourGroupA);
  c.groupB.SetVisible(e.colourGroupB);
  for (SkinPicture* choice : c.choices) choice->setVisible(e.colourChoice);
  c.userGroup.SetVisible(e.userGroup);
  // The report rate belongs to no effect: it shows whenever the panel's
  // controls do (the switch on, the profile read), where a click sets it.
  for (ImageButton* button : c.reportRate) button->setVisible(v.reportRate);
  c.usbLabel->setVisible(v.reportRate);
  // No effect reads the colour number fields and nothing fills them: they
  // would take numbers that change nothing, so they are never shown.
  c.rgbLabel->setVisible(false);
  for (QLineEdit* field : c.rgbFields) field->setVisible(false);
}

void LightingPanel::PlaceDirectionControls(const DirectionPlacementKeys& keys) {
  PlaceControl(skin_, keys.label, *controls_->directionLabel);
  PlaceControl(skin_, keys.firstArrow, *controls_->firstArrow);
  PlaceControl(skin_, keys.secondArrow, *controls_->secondArrow);
}

void LightingPanel::SetPicture(LightingPicture picture, std::string_view imageName) {
  Controls& c = *controls_;
  switch (picture) {
    case LightingPicture::kSwitch: c.switchPicture->SetImage(imageName); break;
    case LightingPicture::kBrightness: c.brightness->SetPicture(imageName); break;
    case LightingPicture::kSpeed: c.speed->SetPicture(imageName); break;
    case LightingPicture::kFirstArrow: c.firstArrow->SetImage(imageName); break;
    case LightingPicture::kSecondArrow: c.secondArrow->SetImage(imageName); break;
    case LightingPicture::kRandomA: c.groupA.randomPicture->SetImage(imageName); break;
    case LightingPicture::kRandomB: c.groupB.randomPicture->SetImage(imageName); break;
    case LightingPicture::kChoiceRed: c.choices[0]->SetImage(imageName); break;
    case LightingPicture::kChoiceYellow: c.choices[1]->SetImage(imageName); break;
    case LightingPicture::kChoiceGreen: c.choices[2]->SetImage(imageName); break;
    case LightingPicture::kChoiceBlue: c.choices[3]->SetImage(imageName); break;
    case LightingPicture::kFirstTool: c.userGroup.SetToolPicture(true, imageName); break;
    case LightingPicture::kSecondTool: c.userGroup.SetToolPicture(false, imageName); break;
  }
}

void LightingPanel::SetSliderPosition(LightingSlider slider, int position) {
  (slider == LightingSlider::kBrightness ? controls_->brightness : controls_->speed)->SetPosition(position);
}

void LightingPanel::ShowColour(LightingColourButton button, const LightingColour& colour) {
  Controls& c = *controls_;
  const QColor shown = ToQColor(colour);
  switch (button) {
    case LightingColourButton::kColourA: c.groupA.button->SetColour(shown); break;
    case LightingColourButton::kColourB: c.groupB.button->SetColour(shown); break;
    case LightingColourButton::kSecondColour: c.secondColour = shown; break;
    case LightingColourButton::kThirdColour: c.thirdColour = shown; break;
    case LightingColourButton::kPaintColour: c.userGroup.ShowPaintColour(shown); break;
    case LightingColourButton::kBaseColour: c.userGroup.ShowBaseColour(shown); break;
  }
}

QColor LightingPanel::SecondColour() const { return controls_->secondColour; }
QColor LightingPanel::ThirdColour() const { return controls_->thirdColour; }

void LightingPanel::CheckReportRate(int rate) {
  for (int n = 0; n < kReportRateButtons; ++n) {
    ImageButton* button = controls_->reportRate[static_cast<std::size_t>(n)];
    const QSignalBlocker blocker(button);
    button->setChecked(n == rate);
  }
}

void LightingPanel::SetSlotNames(const std::vector<std::string>& names) { controls_->userGroup.SetSlotNames(names); }
void LightingPanel::SetSlotName(int slot, const std::string& name) { controls_->userGroup.SetSlotName(slot, name); }
void LightingPanel::SelectSlot(int slot) { controls_->userGroup.SelectSlot(slot); }

void LightingPanel::ShowKeyFrames(const std::vector<ButtonFrame>& frames) {
  for (const ButtonFrame& frame : frames) ShowKeyFrame(frame);
}

void LightingPanel::ShowKeyFrame(const ButtonFrame& frame) {
  if (ImageButton* button = keys_.KeyButton(frame.buttonId)) {
    button->SetFrameStyle(frame_style_);
    button->SetFrame(ToQColor(frame.colour));
  }
}

void LightingPanel::ShowKeyNotes(const std::vector<ButtonNote>& notes) {
  // Three lookups for all the buttons: each lookup reads the language file.
  const QString noLight = Text(LookupText("LIGHT_KEY_NO_LIGHT"));
  const QString colourOnly = Text(LookupText("LIGHT_KEY_COLOUR_ONLY"));
  const QString userEffectOnly = Text(LookupText("LIGHT_KEY_USER_EFFECT_ONLY"));
  for (int id : keys_.KeyButtonIds()) {
    if (ImageButton* button = keys_.KeyButton(id)) {
      button->SetNote({});
      button->SetDimmed(false);
    }
  }
  for (const ButtonNote& note : notes) {
    ImageButton* button = keys_.KeyButton(note.buttonId);
    if (button == nullptr) continue;
    switch (note.note) {
      case KeyNote::kNoLight:
        button->SetNote(noLight);
        button->SetDimmed(true);
        break;
      case KeyNote::kColourOnly: button->SetNote(colourOnly); break;
      case KeyNote::kUserEffectOnly: button->SetNote(userEffectOnly); break;
    }
  }
}

void LightingPanel::ClearKeyFrames() {
  for (int id : keys_.KeyButtonIds()) {
    ImageButton* button = keys_.KeyButton(id);
    if (button == nullptr) continue;
    button->ClearFrame();
    const QSignalBlocker blocker(button);
    button->setChecked(false);
  }
}

}  // namespace zarvel
