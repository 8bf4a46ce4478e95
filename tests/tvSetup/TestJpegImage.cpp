// The wizard's picture as the setup carries it, decoded with libjpeg, and
// data that are no whole JPEG picture.

#include "UCarried.h"
#include "UJpegImage.h"

#include <gtest/gtest.h>

using namespace tv;

TEST(JpegImage, CarriedPictureDecodes)
{
    std::string data;
    ASSERT_TRUE(ReadCarriedFile("JPEG", "WIZARD", data));
    const QImage picture = DecodeJpeg(data);
    ASSERT_EQ(picture.size(), QSize(600, 350));
    // The page behind the texts is white, the picture's panel dark.
    const QColor page = picture.pixelColor(450, 200);
    EXPECT_GE(page.lightness(), 250);
    EXPECT_LT(picture.pixelColor(10, 10).lightness(), 128);
}

TEST(JpegImage, DamagedDataGiveNoPicture)
{
    std::string data;
    ASSERT_TRUE(ReadCarriedFile("JPEG", "WIZARD", data));
    const struct {
        const char* Name;
        std::string Data;
    } rows[] = {
        {"empty", ""},
        {"no JPEG", "GIF89a not a picture"},
        {"header only", data.substr(0, 200)},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.Name);
        EXPECT_TRUE(DecodeJpeg(row.Data).isNull());
    }
}
