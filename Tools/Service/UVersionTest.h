#pragma once
// One check for a newer version: an HTTP GET of the version file, whose
// body is the newest version (with or without a line end), compared with the running program's
// product version.

#include <cstddef>
#include <string>

namespace tv {

// The maker's web server and the address of the check for this program.
inline constexpr const char* MakerServer = "tarnovell.example.org";
// "http://" + MakerServer + "/download/store.ver?" + VersionQuery().
std::string VersionCheckAddress();

// The longest version text a reply may hold; no more of a reply than this
// and a line end is read.
inline constexpr std::size_t MaxVersionLength = 64;
// How long a check waits for the whole reply.
inline constexpr int VersionTestTimeoutMs = 20000;

class TVersionTest {
public:
    // Performs the whole check: one GET of the address (blanks around it
    // are ignored), blocking the calling thread until the answer, the
    // failure or the time-out. Needs a QCoreApplication. The reply must be
    // a version text: 1 to MaxVersionLength printable ASCII characters, not
    // all blanks, and at most one line end (CR LF or LF) after them, as an
    // editor saves the file. Every failure (no connection, a name that does not
    // resolve, an HTTP error status, a broken transfer, no whole reply
    // within timeoutMs, a reply that is no version text) leaves the object
    // not tested, without a new version.
    explicit TVersionTest(const std::string& address, int timeoutMs = VersionTestTimeoutMs);
    TVersionTest(const TVersionTest&) = delete;
    TVersionTest& operator=(const TVersionTest&) = delete;

    // True when the request succeeded.
    bool Tested() const { return FTested; }
    // True when the body differs in any byte from the product version, a
    // line end after the same version too.
    bool NewVersionAvailable() const { return FNewVersionAvailable; }
    // The version text of the body, without its line end; "" after a
    // failure.
    const std::string& NewVersion() const { return FNewVersion; }
    // NewVersion; asserts that NewVersionAvailable is true.
    const std::string& GetNewVersion() const;

private:
    bool FTested = false;
    bool FNewVersionAvailable = false;
    std::string FNewVersion;
};

} // namespace tv
