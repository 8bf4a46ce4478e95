#pragma once
// Typed configuration values and the stores that keep them.
//
// A parameter knows its section and key and caches its value: a value of 0
// or "" counts as not yet read and is read from the store again on every
// get; any other value is kept until a set changes it. Every set writes the
// whole configuration file at once. Gets and sets never raise towards the
// caller: a value that cannot be read is 0 or "", and a set that fails
// leaves the parameter empty so that the next get asks the store again.
//
// A store and its parameters may be used from several threads: every get
// and set holds the store's lock.

#include <memory>
#include <mutex>
#include <string>

#include "UIniFile.h"
#include "URegistry.h"

namespace tv {

class TCfgOptions;
class TParam;

// Binds a parameter to its reading and writing routines for the INI file.
class ICfgReader {
public:
    explicit ICfgReader(TParam* param) : FParam(param) {}
    virtual ~ICfgReader() = default;
    ICfgReader(const ICfgReader&) = delete;
    ICfgReader& operator=(const ICfgReader&) = delete;

    TParam* Param() const { return FParam; }
    // Both may raise; the store's callers catch.
    virtual void ReadIni(const TIniFile& ini) = 0;
    virtual void WriteIni(TIniFile& ini) = 0;

protected:
    TParam* FParam;
};

// A reader that also reaches the registry; only parameters whose reader is
// an IRegReader have a registry fallback. The registry is positioned on the
// opened key.
class IRegReader : public ICfgReader {
public:
    using ICfgReader::ICfgReader;
    virtual void ReadReg(TRegistry& reg) = 0;
    virtual void WriteReg(TRegistry& reg) = 0;
};

// One configuration value in (section, key) of its owner's file.
class TParam {
public:
    // owner must be given and outlive the parameter; the names must not be empty.
    TParam(TCfgOptions* owner, std::string scName, std::string prName);
    virtual ~TParam();
    TParam(const TParam&) = delete;
    TParam& operator=(const TParam&) = delete;

    virtual bool IsEmpty() const = 0;
    virtual void Clear() = 0;

    ICfgReader* Reader() const { return FReader.get(); }

protected:
    // Reads the value from the owner unless it is cached; the caller holds
    // the owner's lock.
    void Load();
    // Writes the value through the owner; the caller holds the owner's lock.
    void Save();
    std::recursive_mutex& OwnerLock() const;

    TCfgOptions* FOwner;
    std::string FScName;
    std::string FPrName;
    std::unique_ptr<ICfgReader> FReader;
};

// The configuration file, read whole when the store is made and rewritten
// whole by every write.
class TCfgOptions {
public:
    // An absent file gives an empty store; nothing is written until a set.
    explicit TCfgOptions(const std::string& fileName);
    virtual ~TCfgOptions();
    TCfgOptions(const TCfgOptions&) = delete;
    TCfgOptions& operator=(const TCfgOptions&) = delete;

    const std::string& FileName() const { return FIni.FileName(); }
    std::recursive_mutex& Lock() const { return FLock; }

    // Reads the parameter from the memory image; may raise.
    virtual void ReadParam(TParam& param);
    // Writes the parameter into the memory image and rewrites the file.
    // When the file cannot be written the memory image is put back as it
    // was (so it keeps matching the disk) and an exception is raised.
    virtual void WriteParam(TParam& param);

protected:
    TIniFile FIni;

private:
    mutable std::recursive_mutex FLock;
};

// A configuration file with a fallback on one key of the current user's
// registry for the parameters declared with a registry reader.
class TRegOptions : public TCfgOptions {
public:
    // regKeyName must not be empty; a path beginning with a backslash is
    // taken from the registry's root.
    TRegOptions(const std::string& fileName, const std::string& regKeyName);
    ~TRegOptions() override;

    const std::string& RegKeyName() const { return FRegKeyName; }

    // An empty value from the file is looked up in the registry key; a value
    // found there is copied into the file (the registry keeps it).
    void ReadParam(TParam& param) override;
    // Writes the file, then the registry key when it exists.
    void WriteParam(TParam& param) override;

private:
    TRegistry FRegistry;
    std::string FRegKeyName;
};

} // namespace tv
