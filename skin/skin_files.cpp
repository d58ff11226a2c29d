#include "skin/skin_files.h"

#include "skin/ini_file.h"
#include "skin/program_paths.h"

namespace zarvel {

std::string SkinFolder() { return ProgramFolder() + "Skins/"; }

std::string SkinPath(std::string_view name) { return SkinFolder() + std::string(name); }

SkinScreen ReadSkinScreen(const CIniFile& skin, const std::string& skinFolder) {
  SkinScreen screen;
  std::string background = skin.ReadString(kScreenSection, "Main").value_or("");
  std::string mask = skin.ReadString(kScreenSection, "Mask", background).value_or(background);
  if (!background.empty()) screen.background = skinFolder + background;
  if (!mask.empty()) screen.mask = skinFolder + mask;
  screen.link = skin.ReadString(kScreenSection, "Link", kDefaultLinkAddress).value_or("");
  return screen;
}

}  // namespace zarvel
