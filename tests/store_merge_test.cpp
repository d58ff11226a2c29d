// The window's unapplied edits laid over a store file another process
// changed: every edit kept, every other change taken, the records both
// changed reported, and program/text records compared by their text.
#include <gtest/gtest.h>

#include "core/app_core.h"
#include "core/store_merge.h"
#include "support/core_rig.h"

namespace zarvel {
namespace {

using testing::KeyTo;
using testing::MakeMacro;

constexpr KeyCode kB = 0x30, kC = 0x2E, kD = 0x20;

struct Stores {
  Stores() {
    CreateStore(base);
    base.macros.push_back(MakeMacro(1, "one"));
    base.macros.push_back(MakeMacro(2, "two"));
    mine = base;
    theirs = base;
    edits.SetBase(base);
  }
  ProfileStore base, mine, theirs;
  PendingStoreEdits edits;
};

TEST(StoreMergeTest, EditsAreLaidOverTheFileAndBothSidesChangesSurvive) {
  Stores s;
  EXPECT_FALSE(s.edits.AnyEdits(s.mine));
  s.mine.Record(0, 10) = KeyTo(kB);     // only here
  s.theirs.Record(0, 11) = KeyTo(kC);   // only there
  s.mine.Record(0, 12) = KeyTo(kB);     // both, differently: ours wins, reported
  s.theirs.Record(0, 12) = KeyTo(kC);
  s.mine.Record(2, 13) = KeyTo(kD);     // both, the same: no conflict
  s.theirs.Record(2, 13) = KeyTo(kD);
  ASSERT_TRUE(s.edits.AnyEdits(s.mine));
  ProfileStore merged = s.theirs;
  const StoreMergeReport report = s.edits.LayOver(s.mine, merged);
  EXPECT_EQ(merged.Record(0, 10), KeyTo(kB));
  EXPECT_EQ(merged.Record(0, 11), KeyTo(kC));
  EXPECT_EQ(merged.Record(0, 12), KeyTo(kB));
  EXPECT_EQ(merged.Record(2, 13), KeyTo(kD));
  EXPECT_EQ(report.edited_records.size(), 3u);
  EXPECT_EQ(report.conflicting_records, (std::vector<StoreRecordRef>{{0, 12}}));
  // An edit undone again is no edit: the file's value stands.
  Stores u;
  u.mine.Record(1, 5) = KeyTo(kB);
  u.mine.Record(1, 5) = u.base.Record(1, 5);
  u.theirs.Record(1, 5) = KeyTo(kC);
  EXPECT_FALSE(u.edits.AnyEdits(u.mine));
  ProfileStore m2 = u.theirs;
  EXPECT_TRUE(u.edits.LayOver(u.mine, m2).edited_records.empty());
  EXPECT_EQ(m2.Record(1, 5), KeyTo(kC));
}

TEST(StoreMergeTest, MacrosMergeByIdAddedChangedAndDeleted) {
  Stores s;
  s.mine.macros[0].repeat = 3;                      // changed here
  s.mine.macros.erase(s.mine.macros.begin() + 1);   // 2 deleted here
  s.mine.macros.push_back(MakeMacro(5, "mine"));    // added here
  s.theirs.macros.push_back(MakeMacro(7, "theirs"));  // added there
  s.theirs.macros[0].repeat = 9;                    // 1 changed there too: ours wins
  ProfileStore merged = s.theirs;
  const StoreMergeReport report = s.edits.LayOver(s.mine, merged);
  ASSERT_NE(FindMacroById(merged.macros, 1), nullptr);
  EXPECT_EQ(FindMacroById(merged.macros, 1)->repeat, 3);
  EXPECT_EQ(FindMacroById(merged.macros, 2), nullptr);
  EXPECT_NE(FindMacroById(merged.macros, 5), nullptr);
  EXPECT_NE(FindMacroById(merged.macros, 7), nullptr);
  EXPECT_EQ(report.conflicting_macros, (std::vector<std::uint16_t>{1}));
  EXPECT_TRUE(report.dropped_macros.empty());
}

KeyFunction PlaysMacro(std::uint16_t id) {
  KeyFunction f;
  f.type = kFunctionMacro;
  f.value = id;
  return f;
}

// A key left naming a macro the merged store lacks would play whichever
// macro the keyboard finds in that place.
TEST(StoreMergeTest, KeysOfAMacroThatIsGoneOrDidNotFitDoTheirDefault) {
  Stores s;
  s.mine.macros.push_back(MakeMacro(500, "mine"));  // added here, with a key...
  s.mine.Record(0, 20) = PlaysMacro(500);
  s.mine.Record(0, 21) = PlaysMacro(2);  // ...and a key given macro 2, which the other program deletes
  s.theirs.macros.erase(s.theirs.macros.begin() + 1);
  while (s.theirs.macros.size() < kMaxMacros)  // the file fills up to the limit
    s.theirs.macros.push_back(MakeMacro(static_cast<std::uint16_t>(600 + s.theirs.macros.size()), "theirs"));
  s.mine.Record(0, 22) = PlaysMacro(1);  // still there: kept
  ProfileStore merged = s.theirs;
  const StoreMergeReport report = s.edits.LayOver(s.mine, merged);
  EXPECT_EQ(report.dropped_macros, (std::vector<std::uint16_t>{500}));
  EXPECT_EQ(merged.macros.size(), kMaxMacros);
  for (std::size_t r : {20u, 21u}) {
    EXPECT_EQ(merged.Record(0, r).type, kFunctionDefault) << r;
    EXPECT_EQ(merged.Record(0, r).value, 0u) << r;
  }
  EXPECT_EQ(merged.Record(0, 22), PlaysMacro(1));
  EXPECT_EQ(report.records_without_macro, (std::vector<StoreRecordRef>{{0, 20}, {0, 21}}));
}

TEST(StoreMergeTest, TextRecordsCompareByTextAndCarryItOver) {
  Stores s;
  const KeyFunction text{kFunctionText, 0, 0, 0, 0};
  // The file placed the same text at another offset: no change there.
  s.base.Record(0, 20) = text;
  s.base.strings.Set(GlobalRecordNumber(0, 20), u"hello");
  s.edits.SetBase(s.base);
  s.mine = s.base;
  s.theirs = s.base;
  s.theirs.Record(0, 20).value = 96;
  EXPECT_TRUE(SameRecord(s.base, s.theirs, 0, 20));
  // A new text here is laid over with its text; a key that lost its text
  // there takes no stale text along.
  s.mine.Record(0, 21) = text;
  s.mine.strings.Set(GlobalRecordNumber(0, 21), u"typed here");
  s.mine.Record(0, 20) = KeyTo(kB);
  s.mine.strings.Clear(GlobalRecordNumber(0, 20));
  ProfileStore merged = s.theirs;
  s.edits.LayOver(s.mine, merged);
  EXPECT_EQ(merged.strings.Entry(GlobalRecordNumber(0, 21)).text, u"typed here");
  EXPECT_EQ(merged.Record(0, 20), KeyTo(kB));
  EXPECT_TRUE(merged.strings.Entry(GlobalRecordNumber(0, 20)).text.empty());
  // A different text is a change.
  s.theirs.strings.Set(GlobalRecordNumber(0, 20), u"bye");
  EXPECT_FALSE(SameRecord(s.base, s.theirs, 0, 20));
}

// The window tells what the merge could not keep: the user's macro that no
// longer fits, and the key that played it.
TEST(StoreMergeCoreTest, WhatTheMergeLeftOutIsToldByName) {
  testing::CoreRig rig;
  ASSERT_TRUE(rig.Connect());
  constexpr std::size_t kF1Record = 0x3B;
  {
    std::lock_guard lock(rig.core->StoreLock());
    rig.core->Store().macros.push_back(MakeMacro(500, "Combo"));
  }
  ASSERT_TRUE(rig.core->AssignKey(kF1Record, PlaysMacro(500)));
  // Another program fills the store file up to the limit.
  ProfileStore file;
  ASSERT_TRUE(LoadStoreFile(file, rig.core->StoreFile()));
  while (file.macros.size() < kMaxMacros)
    file.macros.push_back(MakeMacro(static_cast<std::uint16_t>(600 + file.macros.size()), "theirs"));
  ASSERT_TRUE(SaveStoreFile(file, rig.core->StoreFile()));
  EXPECT_EQ(rig.core->TakeOtherProcessChanges(), kOtherChangesMerged);
  EXPECT_EQ(rig.core->KeyRecord(kF1Record).type, kFunctionDefault);
  EXPECT_EQ(rig.view.notice_key, kChangedElsewhereNotice);
  EXPECT_NE(rig.view.notice_text.find("Combo"), std::string::npos) << rig.view.notice_text;
  EXPECT_NE(rig.view.notice_text.find("F1"), std::string::npos) << rig.view.notice_text;
}

}  // namespace
}  // namespace zarvel
