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
        EXPECT_NE(std::string(error.what()).find("splash picture"), std::string::npos);
    }
}

TEST(JpegImage, GarbageAndNothingAreFailures) {
    EXPECT_THROW(DecodeJpeg(QByteArray("\xff\xd8\xff garbage", 12)), TumboError);
    EXPECT_THROW(DecodeJpeg(QByteArray(1000, 'x')), TumboError);
    EXPECT_THROW(DecodeJpeg(QByteArray()), TumboError);
}

}  // namespace
}  // namespace tumbo
