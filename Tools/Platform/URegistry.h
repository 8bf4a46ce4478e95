#pragma once
// The current user's registry: a tree of keys, each holding named, typed
// values. It is kept in one file per user, $XDG_CONFIG_HOME/tarnovell/registry
// (~/.config when the variable is unset), which is read at every call and
// rewritten whole, atomically, by every change. Key and value names compare
// without regard to the case of ASCII letters.
//
// A key path is a list of names separated by backslashes. A path that begins
// with a backslash is taken from the root; any other path from the open key.

#include <cstdint>
#include <string>
#include <vector>

#include "UException.h"

namespace tv {

enum class TRegDataType { rdUnknown, rdString, rdInteger, rdBinary };

// Failed registry operation (a value of another type, a file that cannot be
// written).
class ERegistryException : public Exception {
public:
    explicit ERegistryException(const std::string& message)
        : Exception(message, "ERegistryException") {}
};

class TRegistry {
public:
    // Works on the store of the current user's configuration folder as the
    // environment names it at construction.
    TRegistry();
    // Works on the given store file (used by tests).
    explicit TRegistry(std::string storeFile);

    TRegistry(const TRegistry&) = delete;
    TRegistry& operator=(const TRegistry&) = delete;

    // The store file of the current user.
    static std::string DefaultStoreFile();
    const std::string& StoreFile() const { return FStoreFile; }

    // Makes the key the open key. Without canCreate, false when it does not
    // exist; with it, the key and its missing parents are created (raises
    // when the store cannot be written).
    bool OpenKey(const std::string& key, bool canCreate);
    // Returns to the root; the root is open after construction.
    void CloseKey();
    // Path of the open key from the root, without a leading backslash.
    const std::string& CurrentPath() const { return FCurrentPath; }

    bool KeyExists(const std::string& key) const;
    // True when the key exists and holds neither values nor keys.
    bool KeyIsEmpty(const std::string& key) const;
    // Deletes the key with all keys below it; false when it did not exist.
    bool DeleteKey(const std::string& key);

    // Values of the open key.
    bool ValueExists(const std::string& name) const;
    TRegDataType GetDataType(const std::string& name) const;
    // Size of the value's data in bytes; -1 when the value does not exist.
    int GetDataSize(const std::string& name) const;
    bool DeleteValue(const std::string& name);

    // Readers raise ERegistryException when the value is missing or of
    // another type; ReadString gives "" for a missing value.
    std::string ReadString(const std::string& name) const;
    int32_t ReadInteger(const std::string& name) const;
    std::vector<uint8_t> ReadBinaryData(const std::string& name) const;

    // Writers create or replace the value of the open key; they raise when
    // the key has gone or the store cannot be written.
    void WriteString(const std::string& name, const std::string& value);
    void WriteInteger(const std::string& name, int32_t value);
    void WriteBinaryData(const std::string& name, const std::vector<uint8_t>& data);

private:
    std::string Resolve(const std::string& key) const;
    void WriteValue(const std::string& name, TRegDataType type, const std::vector<uint8_t>& data);

    std::string FStoreFile;
    std::string FCurrentPath;
};

} // namespace tv
