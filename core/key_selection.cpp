#include "core/key_selection.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <iterator>

namespace zarvel {

namespace {

// Button identifiers of the main window's keys, grouped as people paint
// them. Keys without a light are listed too: the window offers only the
// lit ones in user colours, while a paste may go to any key.
const std::vector<int> kLetters = {1044, 1045, 1046, 1047, 1048, 1049, 1050, 1051, 1052, 1053,  // Q..P
                                   1058, 1059, 1060, 1061, 1062, 1063, 1064, 1065, 1066,        // A..L
                                   1071, 1072, 1073, 1074, 1075, 1076, 1077};                   // Z..M
const std::vector<int> kNumberRow = {1029, 1030, 1031, 1032, 1033, 1034, 1035, 1036,  // grave, 1..7
                                     1037, 1038, 1039, 1040, 1041};                    // 8, 9, 0, -, =
const std::vector<int> kFunctionRow = {1010, 1011, 1012, 1013, 1014, 1015,  // F1..F6
                                       1023, 1024, 1025, 1026, 1027, 1028}; // F7..F12
const std::vector<int> kWasd = {1045, 1058, 1059, 1060};
const std::vector<int> kArrows = {1103, 1100, 1101, 1102};
const std::vector<int> kGKeys = {1000, 1001, 1002, 1003, 1004, 1140, 1141, 1142, 1143};

std::string Lower(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lower;
}

}  // namespace

bool KeyRect::Touches(const KeyRect& other) const {
  return left < other.left + other.width && other.left < left + width && top < other.top + other.height &&
         other.top < top + height;
}

const std::vector<KeyGroupName>& KeyGroupNames() {
  static const std::vector<KeyGroupName> names = {
      {KeyGroup::kLetters, "letters", "SELECT_GROUP_LETTERS"},
      {KeyGroup::kNumberRow, "numbers", "SELECT_GROUP_NUMBERS"},
      {KeyGroup::kFunctionRow, "f-row", "SELECT_GROUP_FROW"},
      {KeyGroup::kWasd, "wasd", "SELECT_GROUP_WASD"},
      {KeyGroup::kArrows, "arrows", "SELECT_GROUP_ARROWS"},
      {KeyGroup::kGKeys, "g-keys", "SELECT_GROUP_GKEYS"},
  };
  return names;
}

bool FindKeyGroup(std::string_view name, KeyGroup& group) {
  const std::string lower = Lower(name);
  for (const KeyGroupName& entry : KeyGroupNames()) {
    if (entry.name == lower) {
      group = entry.group;
      return true;
    }
  }
  return false;
}

std::vector<int> KeyGroupButtons(KeyGroup group) {
  switch (group) {
    case KeyGroup::kLetters: return kLetters;
    case KeyGroup::kNumberRow: return kNumberRow;
    case KeyGroup::kFunctionRow: return kFunctionRow;
    case KeyGroup::kWasd: return kWasd;
    case KeyGroup::kArrows: return kArrows;
    case KeyGroup::kGKeys: return kGKeys;
  }
  return {};
}

void KeySelection::SetSelectable(std::vector<KeyRect> keys) {
  keys_ = std::move(keys);
  for (auto it = selected_.begin(); it != selected_.end();) {
    it = Selectable(*it) ? std::next(it) : selected_.erase(it);
  }
  if (!Selectable(anchor_)) anchor_ = -1;
}

const KeyRect* KeySelection::Find(int buttonId) const {
  for (const KeyRect& key : keys_) {
    if (key.buttonId == buttonId) return &key;
  }
  return nullptr;
}

bool KeySelection::Selectable(int buttonId) const { return Find(buttonId) != nullptr; }

bool KeySelection::Clear() {
  anchor_ = -1;
  if (selected_.empty()) return false;
  selected_.clear();
  return true;
}

bool KeySelection::SelectAll() {
  std::set<int> all;
  for (const KeyRect& key : keys_) all.insert(key.buttonId);
  if (all == selected_) return false;
  selected_ = std::move(all);
  return true;
}

bool KeySelection::Toggle(int buttonId) {
  if (!Selectable(buttonId)) return false;
  anchor_ = buttonId;
  if (!selected_.erase(buttonId)) selected_.insert(buttonId);
  return true;
}

bool KeySelection::Extend(int buttonId) {
  const KeyRect* to = Find(buttonId);
  if (to == nullptr) return false;
  const KeyRect* from = Find(anchor_);
  if (from == nullptr) return Toggle(buttonId);
  // The rectangle from the anchor's centre to this key's centre, so a row
  // extended along itself does not catch the keys of the rows above and
  // below that the keys' own edges reach into.
  const int x0 = from->left + from->width / 2;
  const int y0 = from->top + from->height / 2;
  const int x1 = to->left + to->width / 2;
  const int y1 = to->top + to->height / 2;
  KeyRect span{0, std::min(x0, x1), std::min(y0, y1), std::abs(x1 - x0) + 1, std::abs(y1 - y0) + 1};
  const std::size_t before = selected_.size();
  for (const KeyRect& key : keys_) {
    if (key.Touches(span)) selected_.insert(key.buttonId);
  }
  return selected_.size() != before;
}

bool KeySelection::Band(const KeyRect& band, SelectMode mode) {
  std::vector<int> touched;
  for (const KeyRect& key : keys_) {
    if (key.Touches(band)) touched.push_back(key.buttonId);
  }
  return SelectButtons(touched, mode);
}

bool KeySelection::SelectButtons(const std::vector<int>& buttons, SelectMode mode) {
  const std::set<int> before = selected_;
  if (mode == SelectMode::kReplace) selected_.clear();
  for (int buttonId : buttons) {
    if (!Selectable(buttonId)) continue;
    if (mode == SelectMode::kToggle && selected_.erase(buttonId)) continue;
    selected_.insert(buttonId);
  }
  return before != selected_;
}

std::vector<int> KeySelection::ClickTargets(int buttonId) {
  if (selected_.size() > 1 && IsSelected(buttonId)) return SelectedList();
  selected_.clear();
  anchor_ = Selectable(buttonId) ? buttonId : -1;
  return {buttonId};
}

}  // namespace zarvel
