#include "UVersion.h"

#include "UExeFile.h"
#include "UFileUtils.h"
#include "UVersionInfo.h"
#include "UVersionTest.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

using namespace tv;

TEST(Version, RunningProgramCarriesTheBuildsVersion)
{
    const std::string self = ExeFileName();
    ASSERT_FALSE(self.empty());
    EXPECT_EQ(GetProductVersion(self), TV_PRODUCT_VERSION);
    EXPECT_EQ(GetLegalCopyright(self), TV_LEGAL_COPYRIGHT);
    std::string bare = TV_PRODUCT_VERSION;
    std::erase(bare, ' ');
    EXPECT_EQ(VersionQuery(), "ver=" + bare);
    EXPECT_EQ(VersionCheckAddress(), "http://tarnovell.example.org/download/store.ver?ver=" + bare);
}

TEST(Version, FilesWithoutAVersionBlockGiveEmptyTexts)
{
    QTemporaryDir dir;
    const std::string base = dir.path().toStdString();
    std::string image;
    ASSERT_TRUE(ReadWholeFile(ExeFileName(), image));
    std::string renamed = image;
    const std::string name = std::string(TV_VERSION_SECTION) + '\0';
    const auto at = renamed.rfind(name);  // the section-name table lies near the end
    ASSERT_NE(at, std::string::npos);
    renamed[at + 1] = 'X';  // the section is still there under another name
    ASSERT_TRUE(WriteFileAtomic(base + "/renamed", renamed));
    ASSERT_TRUE(WriteFileAtomic(base + "/text", "ProductVersion\0" "9.9\0"));
    ASSERT_TRUE(WriteFileAtomic(base + "/truncated", image.substr(0, 100)));
    ASSERT_TRUE(WriteFileAtomic(base + "/copy", image));
    const std::vector<std::string> files = {
        base + "/renamed", base + "/text", base + "/truncated", base + "/missing", base};
    for (const auto& file : files) {
        SCOPED_TRACE(file);
        EXPECT_EQ(GetProductVersion(file), "");
        EXPECT_EQ(GetLegalCopyright(file), "");
    }
    EXPECT_EQ(GetProductVersion(base + "/copy"), TV_PRODUCT_VERSION) << "read from the file, not the process";
}
