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

    // False when another holder has it (or the lock file cannot be opened).
    bool Acquired() const { return FFd >= 0; }

private:
    int FFd = -1;
};

} // namespace tv
