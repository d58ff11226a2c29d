#pragma once
// Temporary files of atomic writes that must not outlive the write.
//
// A write of the store file or an exported profile goes through a temporary
// sibling "NAME.tmp-XXXXXX" of up to a few megabytes. A process stopped by
// SIGTERM or SIGINT while one exists removes it before it ends; a process
// killed outright cannot, so the next write beside the same target removes
// such leftovers once they are clearly abandoned.
#include <string>

namespace zarvel {

// Registers a live temporary file; SIGTERM and SIGINT remove it. The
// handlers are installed with the first registration, and only where the
// signal still has its default action (a program with handlers of its own
// shuts down through them, and its writers clean up as they unwind).
// Returns a slot to pass to Forget, or -1 when every slot is taken (the file
// is then only removed by its writer).
int RememberTempFile(const std::string& path);
void ForgetTempFile(int slot);

// The start of a temporary file's path beside `target`, to be followed by
// six random characters: "TARGET.tmp-". A name too long for that to fit the
// folder's name limit (a profile file named up to the limit itself) gets a
// short hidden one instead, ".zarvel-HASH.tmp-", HASH being the name's
// 64-bit FNV-1a in hexadecimal, so each target still has prefixes of its own.
std::string TempFilePrefix(const std::string& target);

// Removes the files named `temp_prefix` (a TempFilePrefix) and six more
// characters that are regular files owned by this user and unchanged for
// `min_age_seconds`. Returns how many were removed.
int RemoveStaleTempFiles(const std::string& temp_prefix, long min_age_seconds = 60);

}  // namespace zarvel
