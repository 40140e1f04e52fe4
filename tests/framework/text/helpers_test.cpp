#include "framework/text/base64.h"
#include "framework/text/clock.h"
#include "framework/text/win1251.h"

#include <gtest/gtest.h>

#include <QStringDecoder>

namespace {

TEST(Clock, FixedAndRunning)
{
    const QDateTime moment(QDate(2009, 3, 5), QTime(23, 59, 58));
    {
        FixedClock fixed(moment);
        EXPECT_TRUE(Clock::isFixed());
        EXPECT_EQ(Clock::now(), moment);
        EXPECT_EQ(Clock::today(), QDate(2009, 3, 5));
        Clock::setFixed(moment.addSecs(600));
        EXPECT_EQ(Clock::now(), QDateTime(QDate(2009, 3, 6), QTime(0, 9, 58)));
    }
    EXPECT_FALSE(Clock::isFixed());
    const QDateTime before = QDateTime::currentDateTime();
    const QDateTime now = Clock::now();
    EXPECT_LE(before, now);
    EXPECT_LE(now, QDateTime::currentDateTime());
}

TEST(Base64, EncodesWithoutFill)
{
    struct Case { const char *data, *text; };
    const Case cases[] = {
        {"", ""}, {"f", "Zg"}, {"fo", "Zm8"}, {"foo", "Zm9v"},
        {"foob", "Zm9vYg"}, {"fooba", "Zm9vYmE"}, {"foobar", "Zm9vYmFy"},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(Base64EncodeNoFill(c.data), QByteArray(c.text));
        EXPECT_EQ(Base64DecodeNoFill(c.text), QByteArray(c.data));
    }
}

TEST(Base64, AgreesWithQtAndRoundTrips)
{
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(char(b));
    for (int len = 0; len <= all.size(); len += 17) {
        const QByteArray data = all.left(len) + all.right(len % 5);
        const QByteArray text = Base64EncodeNoFill(data);
        EXPECT_EQ(text, data.toBase64(QByteArray::OmitTrailingEquals));
        EXPECT_EQ(Base64DecodeNoFill(text), data);
    }
}

TEST(Base64, DecodingStopsOutsideTheAlphabet)
{
    EXPECT_EQ(Base64DecodeNoFill("Zm9vYg=="), "foob");
    EXPECT_EQ(Base64DecodeNoFill("Zm9v=YmFy"), "foo");
    EXPECT_EQ(Base64DecodeNoFill("Zm9v\r\nYmFy"), "foo");
    EXPECT_EQ(Base64DecodeNoFill("Zm9v-_"), "foo"); // the URL alphabet is not ours
    EXPECT_EQ(Base64DecodeNoFill("Z"), "");          // six bits make no byte
}

TEST(Win1251, EveryByteRoundTrips)
{
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(char(b));
    const QString text = FromWin1251(all);
    ASSERT_EQ(text.size(), 256);
    EXPECT_EQ(text.at(0x98), QChar(0x98));
    QByteArray withoutUnused = all;
    withoutUnused.remove(0x98, 1);
    EXPECT_EQ(ToWin1251(FromWin1251(withoutUnused)), withoutUnused);
    EXPECT_FALSE(ToWin1251(text).has_value()); // U+0098 is no character of the code page

    // The table agrees with the system's converter where one is available.
    QStringDecoder system("windows-1251");
    if (system.isValid()) {
        EXPECT_EQ(QString(system.decode(withoutUnused)), FromWin1251(withoutUnused));
    }
}

TEST(Win1251, KnownTextAndRefusal)
{
    const QString firm = QString::fromUtf8("Карвонел ЕООД „Юг“ №5 — 12€ «ё»");
    ASSERT_TRUE(IsWin1251Text(firm));
    const auto bytes = ToWin1251(firm);
    ASSERT_TRUE(bytes.has_value());
    EXPECT_EQ(bytes->left(3), QByteArray("\xCA\xE0\xF0"));
    EXPECT_EQ(bytes->size(), firm.size());
    EXPECT_EQ(FromWin1251(*bytes), firm);
    EXPECT_TRUE(IsWin1251Text(QString()));
    EXPECT_EQ(ToWin1251(QString()), QByteArray());

    const QString foreign = QString::fromUtf8("Győr ő 😀 x") + QChar(0x200B) + QChar(0xD800);
    EXPECT_FALSE(IsWin1251Text(foreign));
    EXPECT_FALSE(ToWin1251(foreign).has_value());
    EXPECT_EQ(NonWin1251Chars(foreign), (QList<char32_t>{0x151, 0x1F600, 0x200B, 0xD800}));
    EXPECT_EQ(Win1251RefusalMessage(foreign),
              QString::fromUtf8("Текстът съдържа знаци, които не могат да бъдат записани: "
                                "\"ő\" (U+0151), \"😀\" (U+1F600), U+200B, U+D800.\n"
                                "Премахнете ги или ги заменете и опитайте отново."));
    EXPECT_EQ(Win1251RefusalMessage(firm), QString());

    try {
        ToWin1251OrThrow(QString::fromUtf8("Łódź"));
        FAIL() << "no refusal";
    } catch (const ENotWin1251 &e) {
        EXPECT_TRUE(e.message().contains(QString::fromUtf8("\"Ł\" (U+0141), \"ó\" (U+00F3), \"ź\" (U+017A)")));
    }
    EXPECT_EQ(ToWin1251OrThrow("abc"), "abc");
}

} // namespace
