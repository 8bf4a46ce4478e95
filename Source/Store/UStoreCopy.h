#pragma once
// The stock book's two files copied as one pair, through a file environment.
// A new pair is staged as "*.new" files in the target folder, each on the
// disk before it takes its file's name, store.dat first; a cut leaves the
// former pair or, once FinishPair ran, the new one, never one file of each.
// Every operation reports false when a step of it failed, a flush included:
// what it made may then not be on the disk.

#include <functional>
#include <string>

namespace tv {

class TFileEnv;

extern const char* const StoreFileName;
extern const char* const MovesFileName;

// The folder of a file name; "." when it has none.
std::string FolderOf(const std::string& name);

// The name in the folder, with one slash between them.
std::string InFolder(const std::string& folder, const std::string& name);

// The folder exists, or has been created and its entry is on the disk.
bool MakeFolder(TFileEnv& env, const std::string& folder);

// Removes the folder with the files in it; true when it is gone.
bool RemoveFolderWithFiles(TFileEnv& env, const std::string& folder);

// Copies through a temporary file beside the target, on the disk before it
// replaces the target, so that a copy cut short leaves the target as it
// was. A file is not copied onto itself.
bool CopyOver(TFileEnv& env, const std::string& from, const std::string& to);

// Completes or drops a replacement of a folder's pair that was cut short.
bool FinishPair(TFileEnv& env, const std::string& folder);

// Completes cut replacements in both folders, then copies the pair; the
// target's pair is replaced as one when the source has both files and the
// target may take both. Without Overwrite a file already in the target
// stays. True when every copy to be made was made.
bool CopyPair(TFileEnv& env, const std::string& from, const std::string& to, bool Overwrite);

// Copies both files of one folder over those of another as a pair. False
// when a copy fails or the folders are one; the target's pair is then as
// before, unless Begun is set: the new pair had begun to take the files'
// names when a flush failed, so either pair may be on the disk.
// A staged pair, given its two files, may take the files' names; when
// Check refuses it, the target's pair stays.
using TPairCheck = std::function<bool(const std::string& store, const std::string& moves)>;
bool ReplacePair(TFileEnv& env, const std::string& from, const std::string& to,
                 bool* Begun = nullptr, const TPairCheck& Check = nullptr);

// Both files of the two folders hold the same bytes.
bool SamePairContents(TFileEnv& env, const std::string& a, const std::string& b);

} // namespace tv
