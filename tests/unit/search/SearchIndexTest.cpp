#include "search/SearchIndex.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct MatchCase {
    const char* query;
    const char* text;
    bool match;
};

// The field's label is "Notiz"; the query is matched against text and label.
const MatchCase kMatches[] = {
    // Case and umlauts in every spelling, both ways round.
    {"köln", "KÖLN", true},
    {"Koeln", "Köln", true},
    {"Koln", "Köln", true},
    {"Köln", "Koeln", true},
    {"MUELLER", "Müller", true},
    {"Äpfel", "aepfel", true},
    {"uebersee", "ÜBERSEE", true},
    {"Koln", "Koeln", false},
    {"Baur", "Bauer", false},
    {"Müller", "Miller", false},
    // ß, and accents.
    {"Strasse", "Hauptstraße 5", true},
    {"strase", "Straße", false},
    {"cafe", "Café Crème", true},
    {"Café", "cafe", true},
    {"Cafe", "Kaffee", false},
    // Decomposed text (u and a combining diaeresis) is the same as composed.
    {"mueller", "Mu\xCC\x88ller", true},
    // Several words: all of them, any order, the label counts.
    {"straße haupt", "Hauptstraße 5", true},
    {"5 haupt", "Hauptstraße 5", true},
    {"haupt 6", "Hauptstraße 5", false},
    {"notiz haupt", "Hauptstraße 5", true},
    {"notiz neben", "Hauptstraße 5", false},
    // Blanks, dashes, dots and slashes inside numbers.
    {"DE89370400440532013000", "DE89 3704 0044 0532 0130 00", true},
    {"3704 0044", "DE89370400440532013000", true},
    {"0170/1234567", "0170 123 45 67", true},
    {"12345", "SN 12-34-5", true},
    {"12345", "12 Äpfel, 345 Birnen", false},
    {"01701234568", "0170 1234567", false},
    // German numbers in their international form.
    {"+49 170 1234567", "0170/1234567", true},
    {"0049 170 1234567", "0170 1234567", true},
    {"0170 1234567", "+49 170 1234567", true},
    {"01701234567", "+43 170 1234567", false},
    {"0041 1234", "+41 1234", false},
    {"10049 123", "1 0123", false},
    // Nothing to look for finds nothing.
    {"", "irgendwas", false},
    {"   ", "irgendwas", false},
};

TEST(SearchIndexTest, MatchingRules) {
    for (const MatchCase& c : kMatches) {
        SearchIndex index({{1, 100, "Notiz", c.text, false}});
        EXPECT_EQ(!index.Find(c.query, false).empty(), c.match)
            << "query \"" << c.query << "\", text \"" << c.text << "\"";
    }
}

// Marks cover the source characters a match came from, whatever the query's spelling; a secret
// field is found only when asked and then shows no marks; empty fields are never found.
TEST(SearchIndexTest, MarksSecretsAndEmptyFields) {
    SearchIndex index({{1, 100, "Ort", "In Köln, Hauptstraße 5", false},
                       {3, 105, "Paßwort", "Köln1234", true},
                       {4, 100, "Köln", "", false},
                       {5, 101, "Telefon", "+49 (0)170 / 12 34", false}});
    const auto plain = index.Find("koeln strasse", false);
    ASSERT_EQ(plain.size(), 1u);
    EXPECT_EQ(plain[0].entry, 0u);
    const std::string& value = index.Entries()[0].value;
    ASSERT_EQ(plain[0].marks.size(), 2u);
    EXPECT_EQ(
        value.substr(plain[0].marks[0].begin, plain[0].marks[0].end - plain[0].marks[0].begin),
        "Köln");
    EXPECT_EQ(
        value.substr(plain[0].marks[1].begin, plain[0].marks[1].end - plain[0].marks[1].begin),
        "straße");

    const auto secret = index.Find("Köln", true);
    ASSERT_EQ(secret.size(), 2u);
    EXPECT_EQ(secret[1].entry, 1u);
    EXPECT_TRUE(secret[1].marks.empty());

    const auto digits = index.Find("1701234", false);
    ASSERT_EQ(digits.size(), 1u);
    const TextRange m = digits[0].marks.at(0);
    EXPECT_EQ(index.Entries()[3].value.substr(m.begin, m.end - m.begin), "170 / 12 34");
}

} // namespace
