#include "core/store_merge.h"

#include <algorithm>

namespace zarvel {
namespace {

bool HasText(const KeyFunction& f) { return f.type == kFunctionLaunch || f.type == kFunctionText; }

const MacroRecord* Find(const MacroSet& set, std::uint16_t id) { return FindMacroById(set, id); }

bool SameMacro(const MacroRecord* a, const MacroRecord* b) {
  if (a == nullptr || b == nullptr) return a == b;
  return *a == *b;
}

}  // namespace

bool SameRecord(const ProfileStore& a, const ProfileStore& b, std::size_t profile, std::size_t record) {
  const KeyFunction& x = a.Record(profile, record);
  const KeyFunction& y = b.Record(profile, record);
  if (!HasText(x) || !HasText(y)) return x == y;
  // The value of a program or text record is where its text sat in the file
  // it came from; what the key does is its text.
  KeyFunction xs = x, ys = y;
  xs.value = ys.value = 0;
  const std::size_t global = GlobalRecordNumber(profile, record);
  return xs == ys && a.strings.Entry(global).text == b.strings.Entry(global).text;
}

PendingStoreEdits::PendingStoreEdits() = default;
PendingStoreEdits::~PendingStoreEdits() = default;

void PendingStoreEdits::SetBase(const ProfileStore& store) { base_ = std::make_unique<ProfileStore>(store); }

void PendingStoreEdits::ClearBase() { base_.reset(); }

bool PendingStoreEdits::AnyEdits(const ProfileStore& mine) const {
  if (!base_) return false;
  for (std::size_t p = 0; p < mine.image.size(); ++p)
    for (std::size_t r = 0; r < kRecordsPerProfile; ++r)
      if (!SameRecord(mine, *base_, p, r)) return true;
  if (mine.macros.size() != base_->macros.size()) return true;
  for (const MacroRecord& m : mine.macros)
    if (!SameMacro(&m, Find(base_->macros, m.id))) return true;
  return false;
}

StoreMergeReport PendingStoreEdits::LayOver(const ProfileStore& mine, ProfileStore& theirs) const {
  StoreMergeReport report;
  if (!base_) {
    // Nothing to tell edits from the rest: the window's store stands whole.
    theirs = mine;
    return report;
  }
  const ProfileStore& base = *base_;
  for (std::size_t p = 0; p < mine.image.size(); ++p) {
    for (std::size_t r = 0; r < kRecordsPerProfile; ++r) {
      if (SameRecord(mine, base, p, r)) continue;
      report.edited_records.push_back({p, r});
      if (!SameRecord(theirs, base, p, r) && !SameRecord(theirs, mine, p, r))
        report.conflicting_records.push_back({p, r});
      theirs.Record(p, r) = mine.Record(p, r);
      const std::size_t global = GlobalRecordNumber(p, r);
      if (HasText(mine.Record(p, r)))
        theirs.strings.Set(global, mine.strings.Entry(global).text);
      else
        theirs.strings.Clear(global);
    }
  }
  // Macros by id: added, changed or deleted in the window.
  std::vector<std::uint16_t> ids;
  for (const MacroRecord& m : mine.macros) ids.push_back(m.id);
  for (const MacroRecord& m : base.macros) ids.push_back(m.id);
  std::sort(ids.begin(), ids.end());
  ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
  for (const std::uint16_t id : ids) {
    const MacroRecord* ours = Find(mine.macros, id);
    const MacroRecord* was = Find(base.macros, id);
    if (SameMacro(ours, was)) continue;
    report.edited_macros.push_back(id);
    const MacroRecord* file = Find(theirs.macros, id);
    if (!SameMacro(file, was) && !SameMacro(file, ours)) report.conflicting_macros.push_back(id);
    auto at = std::find_if(theirs.macros.begin(), theirs.macros.end(),
                           [id](const MacroRecord& m) { return m.id == id; });
    if (ours == nullptr) {
      if (at != theirs.macros.end()) theirs.macros.erase(at);
    } else if (at != theirs.macros.end()) {
      *at = *ours;
    } else if (theirs.macros.size() < kMaxMacros) {
      theirs.macros.push_back(*ours);
    } else {
      report.dropped_macros.push_back(id);
    }
  }
  for (std::size_t p = 0; p < theirs.image.size(); ++p) {
    for (std::size_t r = 0; r < kRecordsPerProfile; ++r) {
      KeyFunction& record = theirs.Record(p, r);
      const KeyFunction kept = WithoutLostMacro(theirs.macros, record);
      if (kept == record) continue;
      record = kept;
      report.records_without_macro.push_back({p, r});
    }
  }
  return report;
}

}  // namespace zarvel
