#pragma once
// Keeps a second setup program from running: a lock of the current user
// that the system releases when the process that holds it ends, however it
// ends.

#include <string>

namespace tv {

inline constexpr const char* SetupLockName = "tvSetupStopSecondStart";

class TSetupLock {
public:
    // Tries to take the lock at once; folder empty means WindowsFolder().
    explicit TSetupLock(const std::string& name = SetupLockName, const std::string& folder = {});
    ~TSetupLock();
    TSetupLock(const TSetupLock&) = delete;
    TSetupLock& operator=(const TSetupLock&) = delete;

    bool Acquired() const { return FFd >= 0; }
    // Another setup program holds it.
    bool HeldByAnother() const { return FHeld; }
    // Why it could be neither taken nor found held: the lock file (or the
    // folder when there is none) and the system's reason; "" otherwise.
    const std::string& Error() const { return FError; }

private:
    int FFd = -1;
    bool FHeld = false;
    std::string FError;
};

} // namespace tv
