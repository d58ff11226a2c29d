// Placeholder until the lighting panel lands: shows nothing.
#include "app/lighting_panel.h"

#include <QWidget>

#include "app/window_parts.h"

namespace zarvel {

struct LightingPanel::Controls {};

LightingPanel::LightingPanel(QWidget& window, const CIniFile&, KeyButtonAccess& keys)
    : QObject(&window), window_(window), keys_(keys), controls_(std::make_unique<Controls>()) {}
LightingPanel::~LightingPanel() = default;
void LightingPanel::Connect(AppCore& core) { core_ = &core; }
void LightingPanel::ApplyLanguage() {}
void LightingPanel::SetEffectList(const std::vector<EffectListEntry>&) {}
void LightingPanel::SelectEffectEntry(int) {}
void LightingPanel::SetPanelVisibility(const PanelVisibility&) {}
void LightingPanel::PlaceDirectionControls(const DirectionPlacementKeys&) {}
void LightingPanel::SetPicture(LightingPicture, std::string_view) {}
void LightingPanel::SetSliderPosition(LightingSlider, int) {}
void LightingPanel::ShowColour(LightingColourButton, const LightingColour&) {}
void LightingPanel::CheckReportRate(int) {}
void LightingPanel::SetSlotNames(const std::vector<std::string>&) {}
void LightingPanel::SetSlotName(int, const std::string&) {}
void LightingPanel::SelectSlot(int) {}
void LightingPanel::ShowKeyFrames(const std::vector<ButtonFrame>&) {}
void LightingPanel::ShowKeyFrame(const ButtonFrame&) {}
void LightingPanel::ClearKeyFrames() {}

}  // namespace zarvel
