#pragma once
// The images each skinned window loads, by file name in the skin folder.
//
// The start-up check (skin/widgets/skin_check.h) loads every one of them,
// plus each window's background and mask named in its skin file, before
// anything else of the program exists: after start-up nothing ends the
// program because of an image.
#include <array>
#include <string_view>

namespace zarvel {

// The main window: its four state images, the arrow buttons' image and the
// two images of the key-selection mode, which is never switched on but whose
// images a complete skin still provides.
inline constexpr std::array<std::string_view, 7> kMainWindowImages = {
    "main_normal.jpg", "main_over.jpg", "main_down.jpg", "main_disable.jpg",
    "Arrow.jpg",       "main_color0.jpg", "main_color1.jpg"};

inline constexpr std::array<std::string_view, 3> kProfileManagerImages = {
    "Profile_normal.jpg", "Profile_over.jpg", "Profile_down.jpg"};

inline constexpr std::array<std::string_view, 17> kKeyDialogImages = {
    "key_normal.jpg",    "key_over.jpg",    "key_down.jpg",
    "macro_normal.jpg",  "macro_over.jpg",  "macro_down.jpg",  "macro_disable.jpg",
    "macro2_normal.jpg", "macro2_over.jpg", "macro2_down.jpg", "macro2_disable.jpg",
    "media_normal.jpg",  "media_over.jpg",  "media_down.jpg",
    "function_normal.jpg", "function_over.jpg", "function_down.jpg"};

}  // namespace zarvel
