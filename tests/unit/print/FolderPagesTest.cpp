#include "print/FolderPages.h"
#include "catalogue/FieldCatalogue.h"
#include "print/FolderContent.h"
#include "store/CategorySchema.h"
#include "util/GermanBanks.h"

#include <QStringList>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>

using namespace FolderGeometry;

namespace {

// Every character 1.5 mm wide: wrapping is predictable without any font.
double FixedWidth(const QString& text, PrintRole) {
    return text.size() * 1.5;
}

FolderFacts Facts() {
    return FolderFacts{QStringLiteral("Hans"), QStringLiteral("08.12.2026"), false, {}};
}

// The forms of the categories, every field empty.
std::vector<FolderCategory> Blank(const std::vector<int>& numbers) {
    auto categories = ReadFolderCategories(numbers);
    EXPECT_TRUE(categories.has_value());
    return categories ? *categories : std::vector<FolderCategory>{};
}

std::vector<const PageText*> Find(const FolderPage& page, const QString& text) {
    std::vector<const PageText*> found;
    for (const PageText& t : page.texts) {
        if (t.text == text)
            found.push_back(&t);
    }
    return found;
}

int CountEverywhere(const std::vector<FolderPage>& pages, const QString& text) {
    int n = 0;
    for (const FolderPage& page : pages)
        n += static_cast<int>(Find(page, text).size());
    return n;
}

} // namespace

TEST(FolderPagesTest, WrapKeepsLineBreaksMovesWordsAndBreaksLongWords) {
    const double width = 15; // ten characters
    EXPECT_TRUE(WrapText(QString(), width, PrintRole::Value, FixedWidth).empty());
    EXPECT_EQ(WrapText(QStringLiteral("eins zwei drei vier"), width, PrintRole::Value, FixedWidth),
              (std::vector<QString>{QStringLiteral("eins zwei"), QStringLiteral("drei vier")}));
    EXPECT_EQ(WrapText(QStringLiteral("Zeile eins\r\n\r\nZeile zwei\r\n"), width, PrintRole::Value,
                       FixedWidth),
              (std::vector<QString>{QStringLiteral("Zeile eins"), QString(),
                                    QStringLiteral("Zeile zwei")}));
    EXPECT_EQ(
        WrapText(QStringLiteral("ab 0123456789012345 cd"), width, PrintRole::Value, FixedWidth),
        (std::vector<QString>{QStringLiteral("ab"), QStringLiteral("0123456789"),
                              QStringLiteral("012345 cd")}));
}

// Whatever the values, a page never prints one value over another, stays inside its body and
// prints every value in full.
TEST(FolderPagesTest, FilledFormsNeitherOverlapNorLeaveThePage) {
    std::vector<FolderCategory> categories = Blank({1, 2, 3, 4, 5, 6, 7, 8, 10});
    ASSERT_EQ(categories.size(), 9u);
    auto token = [](int category, int id) { return QStringLiteral("%1x%2").arg(category).arg(id); };
    for (FolderCategory& c : categories) {
        for (int id : FieldIds(c.category)) {
            c.values[id] = IsMemoField(c.category, id)
                               ? QStringLiteral("eins\r\nzwei\r\ndrei\r\nvier\r\nfünf")
                               : QStringLiteral("Wort ").repeated(8) + token(c.category, id);
        }
    }
    // One millimetre a character: the narrowest field still holds a word.
    auto narrow = [](const QString& text, PrintRole) { return text.size() * 1.0; };
    const auto pages = BuildFolderPages(Facts(), categories, FolderOptions{}, narrow);
    int words = 0, masks = 0, memoEnds = 0;
    std::map<QString, int> tokens;
    for (size_t p = 0; p < pages.size(); ++p) {
        const auto& texts = pages[p].texts;
        for (size_t i = 0; i < texts.size(); ++i) {
            const PageText& a = texts[i];
            EXPECT_GE(a.y, kBodyTop - 1e-6) << "page " << p;
            EXPECT_LE(a.y + LineHeight(a.role), kBodyBottom + 1e-6) << "page " << p;
            const QStringList parts = a.text.split(QLatin1Char(' '));
            words += static_cast<int>(parts.count(QStringLiteral("Wort")));
            masks += a.text == kMaskText;
            memoEnds += a.text == QStringLiteral("fünf");
            if (a.role == PrintRole::Value)
                ++tokens[parts.back()];
            for (size_t j = i + 1; j < texts.size(); ++j) {
                const PageText& b = texts[j];
                const bool across = a.x < b.x + b.width - 1e-6 && b.x < a.x + a.width - 1e-6;
                const bool down =
                    a.y < b.y + LineHeight(b.role) - 1e-6 && b.y < a.y + LineHeight(a.role) - 1e-6;
                EXPECT_FALSE(across && down && a.role == PrintRole::Value &&
                             b.role == PrintRole::Value)
                    << "page " << p << ": '" << a.text.toStdString() << "' over '"
                    << b.text.toStdString() << "'";
            }
        }
    }
    int plain = 0;
    for (const FolderCategory& c : categories) {
        for (int id : FieldIds(c.category)) {
            if (IsMemoField(c.category, id) || IsMaskedField(c.category, id))
                continue;
            ++plain;
            EXPECT_EQ(tokens[token(c.category, id)], 1) << c.category << "/" << id;
        }
    }
    EXPECT_EQ(words, 8 * plain);
    const auto fields = AllFields();
    EXPECT_EQ(masks, std::count_if(fields.begin(), fields.end(), [&](const FieldFacts& f) {
                  return f.secret && std::any_of(categories.begin(), categories.end(),
                                                 [&](const FolderCategory& c) {
                                                     return c.category == f.category;
                                                 });
              }));
    EXPECT_EQ(memoEnds, 3);
}

TEST(FolderPagesTest, FieldsStandWhereTheFormHasThemAndSecretsAreMasked) {
    std::vector<FolderCategory> bank = Blank({3});
    ASSERT_EQ(bank.size(), 1u);
    bank[0].values[130] = QStringLiteral("Sparkasse");
    bank[0].values[101] = QStringLiteral("12345");
    bank[0].values[102] = QStringLiteral("Geheim1"); // online-banking password
    bank[0].values[109] = QStringLiteral("4711");    // card secret number
    FolderOptions options;
    options.cover = false;

    auto pages = BuildFolderPages(Facts(), bank, options, FixedWidth);
    ASSERT_EQ(pages.size(), 1u);
    const FolderPage& page = pages[0];
    EXPECT_EQ(page.headerLeft, QStringLiteral("Bankgeschäfte"));
    EXPECT_EQ(page.headerRight, QStringLiteral("Hans"));
    const auto bankName = Find(page, QStringLiteral("Sparkasse"));
    const auto number = Find(page, QStringLiteral("12345"));
    ASSERT_EQ(bankName.size(), 1u);
    ASSERT_EQ(number.size(), 1u);
    // "Bank:" at the left edge, the number to its right on the same row.
    EXPECT_LT(bankName[0]->x, number[0]->x);
    EXPECT_NEAR(bankName[0]->y, number[0]->y, 0.01);
    EXPECT_EQ(Find(page, kMaskText).size(), 2u);
    EXPECT_TRUE(Find(page, QStringLiteral("Geheim1")).empty());
    EXPECT_TRUE(Find(page, QStringLiteral("4711")).empty());
    // Empty fields, secret or not, are lines to fill in; a printed value gets a light line.
    const auto toFill = std::count_if(page.rules.begin(), page.rules.end(),
                                      [](const PageRule& r) { return r.toFill; });
    EXPECT_EQ(toFill, 38 - 4);

    options.mask = false;
    pages = BuildFolderPages(Facts(), bank, options, FixedWidth);
    EXPECT_EQ(Find(pages[0], QStringLiteral("Geheim1")).size(), 1u);
    EXPECT_EQ(Find(pages[0], QStringLiteral("4711")).size(), 1u);
    EXPECT_TRUE(Find(pages[0], kMaskText).empty());
}

// The cover names the user (not where his document lies) and its protection and says where each
// form starts, also behind a form that runs on to further pages.
TEST(FolderPagesTest, CoverListsWhereEachFormStartsAndLongMemosRunOn) {
    std::vector<FolderCategory> categories = Blank({10, 8});
    QString memo;
    for (int i = 1; i <= 150; ++i)
        memo += QStringLiteral("Bemerkung %1\r\n").arg(i);
    categories[0].values[134] = memo;
    categories[0].values[143] = QStringLiteral("05/2027"); // "ASU bis:" below the memo
    FolderFacts facts = Facts();
    facts.isProtected = true;
    const auto pages = BuildFolderPages(facts, categories, FolderOptions{}, FixedWidth);
    ASSERT_EQ(pages.size(), 5u); // cover, three pages of the car, the doctors
    const FolderPage& cover = pages[0];
    EXPECT_EQ(cover.headerLeft, QStringLiteral("Notfallmappe"));
    for (const char* line :
         {"Notfallmappe von Hans", "Stand: 08.12.2026",
          "Das Dokument ist durch ein Paßwort geschützt.", "Fahrzeugschein/brief", "Seite 2",
          "Ärzte", "Seite 5", "Paßwort hinterlegt bei:", "Vertrauensperson:"}) {
        EXPECT_EQ(Find(cover, QString::fromUtf8(line)).size(), 1u) << line;
    }
    EXPECT_EQ(std::count_if(cover.texts.begin(), cover.texts.end(),
                            [](const PageText& t) {
                                return t.text.contains(QStringLiteral("Dokument:")) ||
                                       t.text.contains(QStringLiteral(".qlr"));
                            }),
              0);
    // Two lines to write on beside "Paßwort hinterlegt bei:" and "Vertrauensperson:" each.
    EXPECT_EQ(std::count_if(cover.rules.begin(), cover.rules.end(),
                            [](const PageRule& r) { return r.toFill; }),
              4);

    EXPECT_EQ(pages[1].headerLeft, QStringLiteral("Fahrzeugschein/brief"));
    EXPECT_EQ(pages[2].headerLeft, QStringLiteral("Fahrzeugschein/brief (Fortsetzung)"));
    EXPECT_EQ(pages[4].headerLeft, QStringLiteral("Ärzte"));
    int next = 1;
    for (size_t p = 0; p < pages.size(); ++p) {
        for (const PageText& t : pages[p].texts) {
            if (t.text == QStringLiteral("Bemerkung %1").arg(next))
                ++next;
        }
        EXPECT_EQ(pages[p].footerRight, QStringLiteral("Seite %1 von 5").arg(p + 1));
    }
    EXPECT_EQ(next, 151) << "the memo's lines, each once and in order";
    EXPECT_EQ(CountEverywhere(pages, QStringLiteral("05/2027")), 1);

    FolderOptions noCover;
    noCover.cover = false;
    const auto bare = BuildFolderPages(facts, categories, noCover, FixedWidth);
    ASSERT_EQ(bare.size(), 4u);
    EXPECT_EQ(bare[0].footerRight, QStringLiteral("Seite 1 von 4"));

    // The deadlines' page follows the cover; the forms behind it are numbered on.
    // The state in words as of the print date, beside an absolute date.
    facts.deadlines = {{QStringLiteral("abgelaufen"), QStringLiteral("27.11.2026"),
                        QStringLiteral("Fahrzeugschein/brief"), QStringLiteral("ASU")},
                       {QStringLiteral("gültig bis"), QStringLiteral("31.05.2027"),
                        QStringLiteral("Bankgeschäfte"),
                        QStringLiteral("Kreditkarten: 2. Karte, Inhaber Anna Beispiel")}};
    const auto withDeadlines = BuildFolderPages(facts, categories, FolderOptions{}, FixedWidth);
    ASSERT_EQ(withDeadlines.size(), 6u);
    EXPECT_EQ(withDeadlines[1].headerLeft, QStringLiteral("Fristen"));
    for (const char* cell : {"Stand: 08.12.2026", "abgelaufen", "27.11.2026", "ASU", "gültig bis",
                             "Kreditkarten: 2. Karte, Inhaber Anna Beispiel"})
        EXPECT_EQ(Find(withDeadlines[1], QString::fromUtf8(cell)).size(), 1u) << cell;
    for (const char* line : {"Seite 3", "Seite 6"})
        EXPECT_EQ(Find(withDeadlines[0], QString::fromUtf8(line)).size(), 1u) << line;
    EXPECT_EQ(withDeadlines[2].headerLeft, QStringLiteral("Fahrzeugschein/brief"));
}

// An account that passes its bank's check gets its IBAN printed small under it, marked as
// derived; a failing one and an IBAN get nothing. (A published test account of the bank data.)
TEST(FolderPagesTest, DerivedIbanStandsUnderItsAccount) {
    std::vector<FolderCategory> personal = Blank({1});
    ASSERT_EQ(personal.size(), 1u);
    auto& values = personal[0].values;
    values[107] = QStringLiteral("240 334 000");
    values[108] = QStringLiteral("20210200");
    values[111] = QStringLiteral("240334001");
    values[112] = QStringLiteral("20210200");
    values[115] = QStringLiteral("DE77202102000240334000");
    values[116] = QStringLiteral("20210200");
    personal[0].notes = DerivedIbanNotes(1, values, GermanBanks());
    EXPECT_EQ(personal[0].notes,
              (std::map<int, QString>{{107, QStringLiteral("IBAN (abgeleitet): DE77 2021 0200 "
                                                           "0240 3340 00")}}));

    FolderOptions options;
    options.cover = false;
    const auto pages = BuildFolderPages(Facts(), personal, options, FixedWidth);
    ASSERT_EQ(pages.size(), 1u);
    const auto account = Find(pages[0], QStringLiteral("240 334 000"));
    ASSERT_EQ(account.size(), 1u);
    // The note's lines stand under the account and above the next row, which moved down.
    const auto next = Find(pages[0], QStringLiteral("240334001"));
    ASSERT_EQ(next.size(), 1u);
    QString note;
    for (const PageText& t : pages[0].texts) {
        if (t.role != PrintRole::Small || std::abs(t.x - account[0]->x) > 0.01)
            continue;
        EXPECT_TRUE(t.y > account[0]->y && t.y < next[0]->y) << t.text.toStdString();
        note += (note.isEmpty() ? QString() : QStringLiteral(" ")) + t.text;
    }
    EXPECT_EQ(note, personal[0].notes[107]);

    // A failing account is marked on paper as on screen.
    EXPECT_EQ(FieldNotes(1, values, GermanBanks())[111],
              QStringLiteral("\u26A0 Diese Kontonummer besteht die Prüfung ihrer Bank nicht."));
    EXPECT_EQ(FieldNotes(1, values, GermanBanks())[107], personal[0].notes[107]);
}

// A value wraps at blanks; a number, date or word under 25 characters is kept whole by a smaller
// font while one within reason does; only then, or for a longer word, is a word broken, after a
// separator first.
TEST(FolderPagesTest, FitShrinksBeforeItBreaksAWord) {
    struct Case {
        const char* text;
        double width;
        std::vector<const char*> lines;
        double scale;
    } const cases[] = {
        {"eins zwei drei vier", 15, {"eins zwei", "drei vier"}, 1.0},
        {"31.12.2026", 14, {"31.12.2026"}, 0.92},
        {"Kto 0B7X3CAT700123K", 20, {"Kto", "0B7X3CAT700123K"}, 0.88},
        {"Kreditkarten/Debitkarten", 15, {"Kreditkarten/", "Debitkarten"}, kMinTextScale},
        {"0123456789012345", 15, {"0123456789012", "345"}, kMinTextScale},
        {"ab ABCDEFGHIJKLMNOPQRSTUVWXYZ", 15, {"ab", "ABCDEFGHIJ", "KLMNOPQRST", "UVWXYZ"}, 1.0},
    };
    for (const Case& c : cases) {
        const FittedText fitted =
            FitText(QString::fromUtf8(c.text), c.width, PrintRole::Value, FixedWidth);
        std::vector<QString> expected;
        for (const char* line : c.lines)
            expected.push_back(QString::fromUtf8(line));
        EXPECT_EQ(fitted.lines, expected) << c.text;
        EXPECT_NEAR(fitted.scale, c.scale, 1e-9) << c.text;
    }
}
