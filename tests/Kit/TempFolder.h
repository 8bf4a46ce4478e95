#pragma once
// A fresh folder of the test's own in the temporary folder ($TMPDIR, else
// /tmp): made by mkdtemp, so its name is new and only its owner may enter it,
// and removed with everything in it at the end. A folder that cannot be made
// raises std::system_error with the pattern and the system's reason.

#include <cerrno>
#include <filesystem>
#include <string>
#include <system_error>

#include <stdlib.h>

namespace tv::testkit {

class TTempFolder {
public:
    explicit TTempFolder(const std::string& prefix = "tv-")
    {
        std::string pattern = (std::filesystem::temp_directory_path() / (prefix + "XXXXXX")).string();
        if (!::mkdtemp(pattern.data()))
            throw std::system_error(errno, std::generic_category(), "mkdtemp " + pattern);
        FPath = pattern;
    }
    ~TTempFolder()
    {
        std::error_code ec;
        std::filesystem::remove_all(FPath, ec);
    }
    TTempFolder(const TTempFolder&) = delete;
    TTempFolder& operator=(const TTempFolder&) = delete;

    // The folder, without a trailing '/'.
    const std::string& Path() const { return FPath; }

private:
    std::string FPath;
};

} // namespace tv::testkit
