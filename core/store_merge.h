#pragma once
// The window's unapplied edits laid over a store file another process
// changed (zarvelctl, a second tool), so that neither side's change is lost.
//
// The window keeps a copy of the store as it last matched the store file
// (loaded, read from the keyboard, saved): the base. The user's unapplied
// edits are exactly the records and macros where the window's store differs
// from the base, whatever made them (the key dialog, a paste, an undo, the
// macro page, Default), so no edit path can slip past the merge; an edit
// undone again is no edit. When another process replaced the store file,
// the window loads it ("theirs") and copies each edited record and macro over
// it; everything else comes from the file. A record or macro the other
// process changed too keeps the window's version (the user sees the edit on
// the screen and is about to apply it) and is reported, so the user can be
// told which keys were also changed elsewhere.
//
// Records compare by function; a program or text-block record compares by its
// text, not by the string-area offset the file happens to give it. Macros are
// matched by id. The class holds no lock: its caller holds the store lock.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "model/profile_store.h"

namespace zarvel {

struct StoreRecordRef {
  std::size_t profile = 0;
  std::size_t record = 0;
  bool operator==(const StoreRecordRef&) const = default;
};

struct StoreMergeReport {
  std::vector<StoreRecordRef> edited_records;     // the window's edits laid over the file
  std::vector<StoreRecordRef> conflicting_records;  // edited here and changed in the file: ours kept
  std::vector<std::uint16_t> edited_macros;
  std::vector<std::uint16_t> conflicting_macros;
  // Macros the window added that no longer fit beside the file's (100 at most).
  std::vector<std::uint16_t> dropped_macros;
  // Keys of the merged store that named a macro it no longer holds (dropped
  // above, or deleted by the other process under a key the window assigned):
  // they now do their default, as the keyboard would otherwise play
  // whichever macro it finds in that place.
  std::vector<StoreRecordRef> records_without_macro;
};

class PendingStoreEdits {
 public:
  PendingStoreEdits();
  ~PendingStoreEdits();

  // The store as the store file holds it now.
  void SetBase(const ProfileStore& store);
  bool HasBase() const { return base_ != nullptr; }
  // Forgets the base: without one there is nothing to merge against, and
  // LayOver keeps the window's whole store.
  void ClearBase();
  // Whether `mine` differs from the base in any record or macro.
  bool AnyEdits(const ProfileStore& mine) const;
  // Copies the records and macros where `mine` differs from the base over
  // `theirs` (the store file as the other process left it). `theirs` then
  // holds the merged store.
  StoreMergeReport LayOver(const ProfileStore& mine, ProfileStore& theirs) const;

 private:
  std::unique_ptr<ProfileStore> base_;
};

// Whether record `record` of `profile` does the same in both stores.
bool SameRecord(const ProfileStore& a, const ProfileStore& b, std::size_t profile, std::size_t record);

}  // namespace zarvel
