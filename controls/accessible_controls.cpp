#include "controls/accessible_controls.h"

#include <QAccessible>
#include <QAccessibleValueInterface>
#include <QAccessibleWidget>
#include <QKeySequence>

#include "controls/bitmap_slider.h"
#include "controls/colour_button.h"
#include "controls/skin_picture.h"
#include "skin/language.h"
#include "skin/message_format.h"
#include "skin/widgets/image_button.h"
#include "skin/widgets/skinned_dialog.h"

namespace zarvel {

namespace {

constexpr const char* kDecorativeProperty = "zarvelDecorative";
constexpr const char* kChoiceProperty = "zarvelChoice";

QString Lookup(std::string_view key) { return QString::fromStdString(LookupText(key)); }

QString WithoutMnemonic(QString text) {
  // "&Apply" is read "Apply"; "&&" stays one ampersand.
  text.replace(QLatin1String("&&"), QChar(0x1));
  text.remove('&');
  text.replace(QChar(0x1), '&');
  return text;
}

QAccessible::Role RoleOf(AccessibleKind kind) {
  switch (kind) {
    // A checkable button: the desktop's bridge calls it a toggle button.
    case AccessibleKind::kToggleButton: return QAccessible::Button;
    case AccessibleKind::kRadioButton: return QAccessible::RadioButton;
    case AccessibleKind::kPicture: return QAccessible::Graphic;
    case AccessibleKind::kKey:
    case AccessibleKind::kPushButton: break;
  }
  return QAccessible::Button;
}

// The shared part of the button-like controls: a name from the accessible
// name, the caption or the tooltip; a press action; a checked state for
// the kinds that stay down.
class ButtonLike : public QAccessibleWidget {
 public:
  ButtonLike(QWidget* widget, AccessibleKind kind) : QAccessibleWidget(widget, RoleOf(kind)) {}

  virtual AccessibleKind Kind() const = 0;
  virtual bool Checked() const = 0;
  virtual void Press() = 0;
  virtual QString Caption() const { return {}; }

  QAccessible::Role role() const override { return RoleOf(Kind()); }

  QAccessible::State state() const override {
    QAccessible::State s = QAccessibleWidget::state();
    const AccessibleKind kind = Kind();
    if (kind == AccessibleKind::kToggleButton || kind == AccessibleKind::kRadioButton) {
      s.checkable = true;
      s.checked = Checked();
    }
    if (kind == AccessibleKind::kToggleButton) s.pressed = Checked();
    return s;
  }

  QString text(QAccessible::Text t) const override {
    switch (t) {
      case QAccessible::Name: {
        QString name = widget()->accessibleName();
        if (name.isEmpty()) name = Caption();
        if (name.isEmpty()) name = widget()->toolTip().section('\n', 0, 0);
        return WithoutMnemonic(name);
      }
      case QAccessible::Description: {
        const QString description = widget()->accessibleDescription();
        if (!description.isEmpty()) return description;
        const QString tip = widget()->toolTip();
        return tip != text(QAccessible::Name) ? tip : QString();
      }
      default: return QAccessibleWidget::text(t);
    }
  }

  QStringList actionNames() const override {
    if (Kind() == AccessibleKind::kPicture || !widget()->isEnabled()) return QAccessibleWidget::actionNames();
    QStringList names;
    names << (Kind() == AccessibleKind::kToggleButton ? toggleAction() : pressAction());
    return names + QAccessibleWidget::actionNames();
  }

  void doAction(const QString& name) override {
    if (!widget()->isEnabled()) return;
    if (name == pressAction() || name == toggleAction()) {
      Press();
      return;
    }
    QAccessibleWidget::doAction(name);
  }
};

class ImageButtonAccessible : public ButtonLike {
 public:
  explicit ImageButtonAccessible(ImageButton* b) : ButtonLike(b, b->GetAccessibleKind()) {}
  ImageButton* Button() const { return static_cast<ImageButton*>(widget()); }
  AccessibleKind Kind() const override { return Button()->GetAccessibleKind(); }
  bool Checked() const override { return Button()->isChecked(); }
  void Press() override { Button()->click(); }
  QString Caption() const override { return Button()->text(); }

  QStringList keyBindingsForAction(const QString& name) const override {
    if ((name == pressAction() || name == toggleAction()) && !Button()->ShortcutText().isEmpty())
      return {Button()->ShortcutText()};
    return ButtonLike::keyBindingsForAction(name);
  }

  QString text(QAccessible::Text t) const override {
    if (t != QAccessible::Description || Kind() != AccessibleKind::kKey) return ButtonLike::text(t);
    // A key: what it does now, whether it has an assignment of its own,
    // and the colour it is painted in while User Colours is shown.
    QStringList parts;
    const QString function = Button()->accessibleDescription();
    if (!function.isEmpty()) parts << function;
    parts << Lookup(Button()->isChecked() ? "ACCESS_KEY_ASSIGNED" : "ACCESS_KEY_NOT_ASSIGNED");
    if (Button()->InFrameMode())
      parts << QString::fromStdString(
          FormatMessage(LookupText("ACCESS_KEY_COLOUR"), {ColourText(Button()->FrameColour()).toStdString()}));
    return parts.join(QStringLiteral(". "));
  }
};

class SkinPictureAccessible : public ButtonLike {
 public:
  explicit SkinPictureAccessible(SkinPicture* p) : ButtonLike(p, p->GetAccessibleKind()) {}
  SkinPicture* Picture() const { return static_cast<SkinPicture*>(widget()); }
  AccessibleKind Kind() const override { return Picture()->GetAccessibleKind(); }
  bool Checked() const override { return Picture()->AccessibleChecked(); }
  void Press() override { Q_EMIT Picture()->clicked(); }
};

class ColourButtonAccessible : public ButtonLike {
 public:
  explicit ColourButtonAccessible(ColourButton* b) : ButtonLike(b, AccessibleKind::kPushButton) {}
  ColourButton* Button() const { return static_cast<ColourButton*>(widget()); }
  AccessibleKind Kind() const override { return AccessibleKind::kPushButton; }
  bool Checked() const override { return false; }
  void Press() override { Button()->click(); }
  QString text(QAccessible::Text t) const override {
    if (t == QAccessible::Description || t == QAccessible::Value) return ColourText(Button()->Colour());
    return ButtonLike::text(t);
  }
};

class SliderAccessible : public QAccessibleWidget, public QAccessibleValueInterface {
 public:
  explicit SliderAccessible(BitmapSlider* s) : QAccessibleWidget(s, QAccessible::Slider) {}
  BitmapSlider* Slider() const { return static_cast<BitmapSlider*>(widget()); }

  void* interface_cast(QAccessible::InterfaceType t) override {
    if (t == QAccessible::ValueInterface) return static_cast<QAccessibleValueInterface*>(this);
    return QAccessibleWidget::interface_cast(t);
  }
  QString text(QAccessible::Text t) const override {
    if (t == QAccessible::Value) return QString::number(Slider()->Position());
    return QAccessibleWidget::text(t);
  }
  QVariant currentValue() const override { return Slider()->Position(); }
  void setCurrentValue(const QVariant& value) override { Slider()->ChooseByUser(value.toInt()); }
  QVariant maximumValue() const override { return Slider()->Maximum(); }
  QVariant minimumValue() const override { return Slider()->Minimum(); }
  QVariant minimumStepSize() const override { return 1; }
};

// A check box that is one of a set of choices.
class ChoiceAccessible : public ButtonLike {
 public:
  explicit ChoiceAccessible(QAbstractButton* b) : ButtonLike(b, AccessibleKind::kRadioButton) {}
  QAbstractButton* Box() const { return static_cast<QAbstractButton*>(widget()); }
  AccessibleKind Kind() const override { return AccessibleKind::kRadioButton; }
  bool Checked() const override { return Box()->isChecked(); }
  void Press() override { Box()->click(); }
  QString Caption() const override { return Box()->text(); }
};

// A skinned window: its pictures that do nothing are left out.
class SkinnedWindowAccessible : public QAccessibleWidget {
 public:
  explicit SkinnedWindowAccessible(QWidget* w) : QAccessibleWidget(w, QAccessible::Dialog) {}

  QList<QWidget*> Exposed() const {
    QList<QWidget*> children;
    for (QObject* o : widget()->children()) {
      auto* w = qobject_cast<QWidget*>(o);
      if (w != nullptr && !w->isWindow() && ExposedToScreenReaders(*w)) children.push_back(w);
    }
    return children;
  }
  int childCount() const override { return static_cast<int>(Exposed().size()); }
  QAccessibleInterface* child(int index) const override {
    const QList<QWidget*> children = Exposed();
    if (index < 0 || index >= children.size()) return nullptr;
    return QAccessible::queryAccessibleInterface(children.at(index));
  }
  int indexOfChild(const QAccessibleInterface* child) const override {
    if (child == nullptr || child->object() == nullptr) return -1;
    return static_cast<int>(Exposed().indexOf(qobject_cast<QWidget*>(child->object())));
  }
};

QAccessibleInterface* Factory(const QString& /*key*/, QObject* object) {
  if (object == nullptr || !object->isWidgetType()) return nullptr;
  if (auto* b = qobject_cast<ImageButton*>(object)) return new ImageButtonAccessible(b);
  if (auto* p = qobject_cast<SkinPicture*>(object)) return new SkinPictureAccessible(p);
  if (auto* c = qobject_cast<ColourButton*>(object)) return new ColourButtonAccessible(c);
  if (auto* s = qobject_cast<BitmapSlider*>(object)) return new SliderAccessible(s);
  if (auto* d = qobject_cast<SkinnedDialog*>(object)) return new SkinnedWindowAccessible(d);
  if (auto* box = qobject_cast<QAbstractButton*>(object); box != nullptr && box->property(kChoiceProperty).toBool())
    return new ChoiceAccessible(box);
  return nullptr;
}

}  // namespace

void InstallAccessibleControls() {
  static const bool installed = [] {
    QAccessible::installFactory(Factory);
    return true;
  }();
  (void)installed;
}

QString ColourText(const QColor& colour) {
  return QString::fromStdString(FormatMessage(
      LookupText("ACCESS_COLOUR_TEXT"),
      {std::int64_t{colour.red()}, std::int64_t{colour.green()}, std::int64_t{colour.blue()}}));
}

bool ExposedToScreenReaders(const QWidget& widget) {
  if (widget.property(kDecorativeProperty).toBool()) return false;
  if (auto* b = qobject_cast<const ImageButton*>(&widget)) return b->GetAccessibleKind() != AccessibleKind::kPicture;
  if (auto* p = qobject_cast<const SkinPicture*>(&widget)) return p->GetAccessibleKind() != AccessibleKind::kPicture;
  return true;
}

void MarkDecorative(QWidget& widget) { widget.setProperty(kDecorativeProperty, true); }

void MarkAsChoice(QWidget& check_box) {
  check_box.setProperty(kChoiceProperty, true);
  // Made before it was marked: ask again.
  if (QAccessibleInterface* early = QAccessible::queryAccessibleInterface(&check_box);
      early != nullptr && dynamic_cast<ChoiceAccessible*>(early) == nullptr)
    QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(early));
}

bool IsSkinnedWindowInterface(QAccessibleInterface& iface) {
  return dynamic_cast<SkinnedWindowAccessible*>(&iface) != nullptr;
}

void NotifyCheckedChanged(QWidget& widget, bool /*checked*/) {
  if (!QAccessible::isActive()) return;
  QAccessible::State changed;
  changed.checked = true;
  changed.pressed = true;
  QAccessibleStateChangeEvent event(&widget, changed);
  QAccessible::updateAccessibility(&event);
}

}  // namespace zarvel
