#pragma once
// A file made for the user, an export or a printed list: created or
// replaced, written straight through to the system and closed. The first
// failure is kept with the system's error number, so a box or a test can
// say why the file is not as it should be.

#include <string>
#include <string_view>

namespace tv {

class TUserFile {
public:
    // Creates or empties the file; a failure is kept.
    explicit TUserFile(std::string path);
    // Closes the file when it is still open.
    ~TUserFile();
    TUserFile(const TUserFile&) = delete;
    TUserFile& operator=(const TUserFile&) = delete;

    // Writes all of data; false, and nothing written, once anything failed.
    bool Write(std::string_view data);
    // Closes the file; false when this or anything before failed.
    bool Close();

    const std::string& Path() const { return FPath; }
    // errno of the first failure, 0 while none.
    int Error() const { return FError; }
    // Raises "Cannot write" with the path and the system's reason (kind
    // EInOutError) when anything failed.
    void Check() const;

private:
    std::string FPath;
    int FFd = -1;
    int FError = 0;
};

} // namespace tv
