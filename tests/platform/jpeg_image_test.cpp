#include <gtest/gtest.h>

#include <QFile>

#include "platform/errors.h"
#include "platform/qt/jpeg_image.h"

namespace tumbo {
namespace {

QByteArray SplashPicture() {
    QFile file(QString(TUMBO_SOURCE_DIR) + "/resources/art/splash.jpg");
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    return file.readAll();
}

TEST(JpegImage, DecodesOurSplashPicture) {
    const QImage image = DecodeJpeg(SplashPicture());
    EXPECT_EQ(image.size(), QSize(536, 340));
    EXPECT_FALSE(image.isNull());
}

TEST(JpegImage, ATruncatedPictureIsAFailureNotAGreyHalf) {
    const QByteArray whole = SplashPicture();
    try {
        DecodeJpeg(whole.left(whole.size() / 2));
        ADD_FAILURE() << "decoded half a picture";
    } catch (const TumboError& error) {
        EXPECT_NE(std::string(error.what()).find("picture cannot be read"), std::string::npos);
    }
}

TEST(JpegImage, GarbageAndNothingAreFailures) {
    EXPECT_THROW(DecodeJpeg(QByteArray("\xff\xd8\xff garbage", 12)), TumboError);
    EXPECT_THROW(DecodeJpeg(QByteArray(1000, 'x')), TumboError);
    EXPECT_THROW(DecodeJpeg(QByteArray()), TumboError);
}

TEST(JpegImage, AHeaderClaimingAHugePictureIsRefused) {
    // The splash picture's own data under a header that claims 60000 x 60000 pixels.
    QByteArray data = SplashPicture();
    const auto frame = data.indexOf(QByteArray("\xff\xc0", 2));
    ASSERT_GE(frame, 0);
    for (const qsizetype at : {frame + 5, frame + 7}) {
        data[at] = static_cast<char>(0xEA);
        data[at + 1] = static_cast<char>(0x60);
    }
    try {
        DecodeJpeg(data);
        ADD_FAILURE() << "decoded a picture of 60000 x 60000";
    } catch (const TumboError& error) {
        EXPECT_STREQ(error.what(),
                     "The picture cannot be read: it is 60000 x 60000 pixels, more than "
                     "8192 x 8192");
    }
}

}  // namespace
}  // namespace tumbo
