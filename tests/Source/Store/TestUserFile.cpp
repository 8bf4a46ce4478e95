// A user's file is written whole, replaces an older one, and keeps the path
// and the system's reason of the first failure.

#include "TempFolder.h"
#include "UFile.h"
#include "UUserFile.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>

using namespace tv;

namespace {

class TUserFileTest : public testing::Test {
protected:
    std::string Read(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    testkit::TTempFolder FFolder{"tv_userfile_"};
    std::string Dir = FFolder.Path();
};

// The failure Check raises: path and reason beside the fixed text.
std::string CheckFailure(const TUserFile& file)
{
    try {
        file.Check();
    } catch (const EFileError& e) {
        return std::string(e.ClassName()) + ": " + e.Text() + " | " + e.Path() + " | " + e.Reason();
    }
    return "none";
}

} // namespace

TEST_F(TUserFileTest, WritesAllAndReplacesAnOlderFile)
{
    const std::string path = Dir + "/list.csv";
    std::ofstream(path) << "an older and longer file than the new one";
    TUserFile file(path);
    const std::string big(3 << 20, 'z');
    EXPECT_TRUE(file.Write("head\r\n"));
    EXPECT_TRUE(file.Write(""));
    EXPECT_TRUE(file.Write(big));
    EXPECT_TRUE(file.Close());
    EXPECT_EQ(file.Error(), 0);
    EXPECT_EQ(CheckFailure(file), "none");
    EXPECT_EQ(Read(path), "head\r\n" + big);
}

TEST_F(TUserFileTest, KeepsTheFirstFailureWithPathAndReason)
{
    struct TCase {
        const char* Name;
        std::string Path;
        int Error;
    };
    for (const TCase& c : {TCase{"missing folder", Dir + "/none/list.txt", ENOENT},
                           TCase{"full disk", "/dev/full", ENOSPC}}) {
        TUserFile file(c.Path);
        file.Write("row\r\n");
        EXPECT_FALSE(file.Write("another row\r\n")) << c.Name;
        EXPECT_FALSE(file.Close()) << c.Name;
        EXPECT_EQ(file.Error(), c.Error) << c.Name;
        EXPECT_EQ(CheckFailure(file),
                  "EInOutError: Cannot write | " + c.Path + " | " + std::strerror(c.Error))
            << c.Name;
    }
    TUserFile closed(Dir + "/closed.txt");
    EXPECT_TRUE(closed.Close());
    EXPECT_FALSE(closed.Write("late")) << "a closed file takes nothing";
    EXPECT_EQ(closed.Error(), EBADF);
}
