#pragma once
// The stock book's two files copied as one pair. A new pair is staged as
// "*.new" files in the target folder, each on the disk before it takes its
// file's name, store.dat first; a cut leaves the former pair or, once
// FinishPair ran, the new one, never one file of each.

#include <string>

namespace tv {

extern const char* const StoreFileName;
extern const char* const MovesFileName;

// The folder of a file name; "." when it has none.
std::string FolderOf(const std::string& name);

// Copies through a temporary file beside the target, on the disk before it
// replaces the target, so that a copy cut short leaves the target as it
// was. A file is not copied onto itself.
bool CopyOver(const std::string& from, const std::string& to);

// Completes or drops a replacement of a folder's pair that was cut short.
void FinishPair(const std::string& folder);

// Completes cut replacements in both folders, then copies the pair; the
// target's pair is replaced as one when the source has both files and the
// target may take both. Without Overwrite a file already in the target
// stays. True when every copy to be made was made.
bool CopyPair(const std::string& from, const std::string& to, bool Overwrite);

// Copies both files of one folder over those of another as a pair. False,
// with the target's pair as before, when a copy fails or the folders are one.
bool ReplacePair(const std::string& from, const std::string& to);

} // namespace tv
