#pragma once
// The start-up check of the skin.
//
// Every image of the three skinned windows (each window's background and
// mask from its skin file, and the state images of skin/skin_images.h) is
// loaded once at start-up, before the device threads, the tray icon, the
// semaphores and the single-instance socket exist. A missing or unreadable
// image ends the program at once with exit code 0 (a broken install is not
// an error of the user's command line), with one line on standard error
// naming the file, so it can be diagnosed. After start-up no image ends the program.
#include <string>
#include <vector>

namespace zarvel {

struct SkinCheckResult {
  bool ok = true;
  std::string failed_file;  // full path of the first image that failed
  std::string reason;       // "missing" or "unreadable" (for a skin file:
                            // "names no background image")
};

// `skinFolder` ends with '/'. Loads through SkinImageCache, so the windows
// later find every image ready.
SkinCheckResult CheckSkin(const std::string& skinFolder);
// Every image file name the check loads, in the order it loads them.
std::vector<std::string> SkinImagesToCheck(const std::string& skinFolder);
// The one line printed on standard error for a failed check, naming the file.
std::string DescribeSkinFailure(const SkinCheckResult& result);

}  // namespace zarvel
