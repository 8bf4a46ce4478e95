#include "UFileUtils.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <filesystem>
#include <sys/stat.h>

using namespace tv;

TEST(FileUtils, AtomicWriteReplacesWholeFileAndLeavesNoTemporary)
{
    QTemporaryDir dir;
    const std::string file = dir.path().toStdString() + "/a.cfg";
    ASSERT_TRUE(WriteFileAtomic(file, "first content, long"));
    ASSERT_TRUE(WriteFileAtomic(file, std::string("x\0y", 3)));
    std::string data;
    ASSERT_TRUE(ReadWholeFile(file, data));
    EXPECT_EQ(data, std::string("x\0y", 3));
    int entries = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.path().toStdString()))
        ++entries;
    EXPECT_EQ(entries, 1);
}

TEST(FileUtils, AtomicWriteKeepsTheFilesMode)
{
    QTemporaryDir dir;
    const std::string file = dir.path().toStdString() + "/a.cfg";
    ASSERT_TRUE(WriteFileAtomic(file, "1"));
    ASSERT_EQ(::chmod(file.c_str(), 0640), 0);
    ASSERT_TRUE(WriteFileAtomic(file, "2"));
    struct stat st {};
    ASSERT_EQ(::stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST(FileUtils, FailuresAreReportedAndChangeNothing)
{
    QTemporaryDir dir;
    const std::string base = dir.path().toStdString();
    ASSERT_TRUE(WriteFileAtomic(base + "/plain", "old"));
    ASSERT_TRUE(WriteFileAtomic(base + "/readonly", "old"));
    ASSERT_EQ(::chmod((base + "/readonly").c_str(), 0444), 0);
    struct Row {
        const char* name;
        std::string path;
    };
    const std::vector<Row> rows = {
        {"missing folder", base + "/no/such/file.cfg"},
        {"folder is a file", base + "/plain/file.cfg"},
        {"target is a folder", base},
        {"read-only file", base + "/readonly"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_FALSE(WriteFileAtomic(row.path, "new"));
    }
    std::string data;
    ASSERT_TRUE(ReadWholeFile(base + "/plain", data));
    EXPECT_EQ(data, "old");
    ASSERT_TRUE(ReadWholeFile(base + "/readonly", data));
    EXPECT_EQ(data, "old");
    EXPECT_FALSE(ReadWholeFile(base + "/missing", data));
    EXPECT_TRUE(data.empty());
}
