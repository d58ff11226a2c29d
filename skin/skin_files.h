#pragma once
// The skin folder and what a window's skin file says about its pictures.
//
// Every window but the About box takes its look from one INI file in the
// program folder's "Skins" subfolder: section "SCREEN" names the background
// and mask images (relative to the skin folder), section "BUTTONINFO" places
// the controls (skin/placement.h).
#include <string>
#include <string_view>

namespace zarvel {

class CIniFile;

inline constexpr std::string_view kMainSkinFile = "Main.ini";
inline constexpr std::string_view kProfileSkinFile = "Profile.ini";
inline constexpr std::string_view kCompositeSkinFile = "Composite.ini";
inline constexpr std::string_view kScreenSection = "SCREEN";
// Opened by the main window's link button when the main skin names no "Link".
inline constexpr std::string_view kDefaultLinkAddress = "https://www.varnok.com/";

// ProgramFolder() + "Skins/".
std::string SkinFolder();
// A skin file or image: SkinFolder() + name.
std::string SkinPath(std::string_view name);

struct SkinScreen {
  std::string background;  // full path of the background image; empty when not named
  std::string mask;        // full path of the mask image; the background when not named
  std::string link;        // the main skin's web address
};

// Reads "SCREEN" of a skin file; `skinFolder` ends with '/'.
SkinScreen ReadSkinScreen(const CIniFile& skin, const std::string& skinFolder);

}  // namespace zarvel
