#include <gtest/gtest.h>

#include <QString>

#include "platform/qt/codepage.h"

namespace tumbo {
namespace {

TEST(CodePage, RussianTextCrossesBothWays) {
    const QString text = QString::fromUtf8("Привет, Ёжик! ёж №5 «€»");
    const std::string bytes = EncodeCp1251(text);
    EXPECT_EQ(bytes,
              "\xcf\xf0\xe8\xe2\xe5\xf2, \xa8\xe6\xe8\xea! \xb8\xe6 \xb9"
              "5 \xab\x88\xbb");
    EXPECT_EQ(DecodeCp1251(bytes), text);
}

TEST(CodePage, EveryDefinedByteSurvivesARoundTrip) {
    for (int value = 0; value < 256; ++value) {
        const std::string byte(1, static_cast<char>(value));
        EXPECT_EQ(EncodeCp1251(DecodeCp1251(byte)), byte) << value;
    }
}

TEST(CodePage, WhatTheCodePageCannotHoldBecomesAQuestionMark) {
    EXPECT_EQ(EncodeCp1251(QString::fromUtf8("日本")), "??");
    EXPECT_EQ(EncodeCp1251(QString::fromUtf8("a😀b")), "a?b") << "a surrogate pair is one character";
    EXPECT_EQ(EncodeCp1251(QString(QChar(0xFFFD))), "?");
}

}  // namespace
}  // namespace tumbo
