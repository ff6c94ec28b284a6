#include "util/LineBreaks.h"

#include <gtest/gtest.h>

#include <QString>

#include <vector>

TEST(LineBreaksTest, EveryKindOfBreakBothWays) {
    EXPECT_EQ(CrLfLineBreaks("a\r\nb\rc\nd\r"), "a\r\nb\r\nc\r\nd\r\n");
    EXPECT_EQ(CrLfLineBreaks("\n\r\r\n\n"), "\r\n\r\n\r\n\r\n");
    EXPECT_EQ(CrLfLineBreaks("Grüße"), "Grüße");
    EXPECT_EQ(CrLfLineBreaks(""), "");
    EXPECT_EQ(LfLineBreaks("a\r\nb\rc\nd\r"), "a\nb\nc\nd\n");
    EXPECT_EQ(LfLineBreaks("\r\r\n\n"), "\n\n\n");
    // A long text with every break kind comes back the same through both.
    std::string text;
    for (int i = 0; i < 10000; ++i)
        text += std::string(static_cast<size_t>(i % 7), 'x') + (i % 3 == 0 ? "\n" : "ä");
    EXPECT_EQ(LfLineBreaks(CrLfLineBreaks(text)), text);
    // In place, the same result; a lone break at either end or beside a pair is found.
    for (std::string t : {"a\r\nb", "a\r\nb\n", "\ra\r\n", "a\r\n\r", "\r\n\n\r\n", "x", ""}) {
        const std::string expected = CrLfLineBreaks(t);
        MakeCrLfLineBreaks(t);
        EXPECT_EQ(t, expected);
    }
}

TEST(LineBreaksTest, ControlTextGivesTheBytesOfItsUtf8) {
    // Lone surrogates (toUtf8 writes '?') beside breaks, a pair, every break kind, and a text of
    // several megabytes.
    std::vector<QString> texts;
    for (const char16_t* t : {u"", u"Grüße\nzweite\r\ndritte\rvierte\n", u"\r\r\n\n",
                              u"x\U0001F600\ny", u"a\xD800\nb\xDC00\r\n\xD800", u"\xDC00"})
        texts.push_back(QString::fromUtf16(t));
    QString large;
    for (int i = 0; i < 300000; ++i)
        large += QString::fromUtf16(i % 5 == 0 ? u"Zeile mit Ümlaut\n" : u"und noch etwas mehr");
    texts.push_back(large);
    for (const QString& text : texts) {
        const QByteArray utf8 = text.toUtf8();
        const std::string expected =
            CrLfLineBreaks(std::string_view(utf8.data(), static_cast<size_t>(utf8.size())));
        const std::string converted = CrLfLineBreaks(QStringView(text));
        EXPECT_EQ(converted, expected) << text.size();
        EXPECT_GE(converted.capacity(), converted.size() + 2);
    }
}
