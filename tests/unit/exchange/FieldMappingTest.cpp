#include "ExchangeTestData.h"
#include "tests/support/TestSupport.h"

#include "exchange/FieldMapping.h"
#include "exchange/KdbxFile.h"

#include <QString>

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using R = ValueRole;

// A few rows shaped like the forms': rows with a title, rows named only by their row, two
// notes in one row, secrets, short fields, and free rows of a title and its content.
std::vector<ExchangeField> Fields() {
    std::vector<ExchangeField> f = {
        {1, 100, "Persönliches", "Person", "Name", 47, false, R::Title},
        {1, 101, "Persönliches", "Person", "Adresse", 47},
        {1, 127, "Persönliches", "Person", "Paß-Nr.", 47},
        {1, 123, "Persönliches", "Gesundheit", "Chronische Krankheiten", 0, false, R::Notes},
        {1, 124, "Persönliches", "Gesundheit", "Allergien", 0, false, R::Notes},
        {1, 121, "Persönliches", "Gesundheit", "Blutgruppe", 19},
    };
    for (int k = 0; k < 2; ++k) {
        const std::string n = " (" + std::to_string(k + 1) + ")";
        const std::string row = "Online-Angebot " + std::to_string(k + 1);
        const int id = 112 + 6 * k;
        f.push_back({4, id, "Online", row, "Online-Angebote: Angebot" + n, 47, false, R::Title});
        f.push_back({4, id + 1, "Online", row, "Online-Angebote: Beitrag" + n, 47});
        f.push_back(
            {4, id + 2, "Online", row, "Online-Angebote: User-Name" + n, 47, false, R::UserName});
        f.push_back(
            {4, id + 3, "Online", row, "Online-Angebote: Paßwort" + n, 47, true, R::Password});
        f.push_back({4, id + 4, "Online", row, "Online-Angebote: Adresse" + n, 47, false, R::Url});
    }
    for (int k = 0; k < 2; ++k) {
        const std::string n = " (" + std::to_string(k + 1) + ". Karte)";
        const std::string row = "Kreditkarten: " + std::to_string(k + 1) + ". Karte";
        const int id = 114 + 4 * k;
        f.push_back(
            {3, 134 + k, "Bankgeschäfte", row, "Kreditkarten: Bank" + n, 47, false, R::Title});
        f.push_back({3, id, "Bankgeschäfte", row, "Kreditkarten: Nummer" + n, 47});
        f.push_back({3, id + 1, "Bankgeschäfte", row, "Kreditkarten: Inhaber" + n, 47});
        f.push_back({3, id + 2, "Bankgeschäfte", row, "Kreditkarten: Gültig bis" + n, 19});
        f.push_back({3, id + 3, "Bankgeschäfte", row, "Kreditkarten: Geheimnr." + n, 47, true,
                     R::Password});
    }
    for (int k = 0; k < 4; ++k) {
        const std::string row = "Feld " + std::to_string(k + 1);
        f.push_back(
            {6, 100 + 2 * k, "Frei definierbare Felder", row, "Feldtitel", 47, false, R::Title});
        f.push_back({6, 101 + 2 * k, "Frei definierbare Felder", row, "Feldinhalt", 47, false,
                     R::Other, 100 + 2 * k});
    }
    return f;
}

// Every field filled with an awkward text that fits it.
FormValues Filled(const std::vector<ExchangeField>& fields) {
    const auto texts = AwkwardTexts();
    FormValues values;
    int i = 0;
    for (const ExchangeField& f : fields) {
        std::string t;
        do {
            t = texts[static_cast<std::size_t>(i++) % texts.size()];
        } while (f.chars > 0 && (t.find_first_of("\r\n") != std::string::npos ||
                                 QString::fromStdString(t).size() > f.chars));
        values[{f.category, f.id}] = t.empty() ? "leer" : t;
    }
    return values;
}

} // namespace

// Export and import again into an empty document: every value in its own field, nothing
// overwritten, nothing left over; through the KDBX file and through the CSV file.
TEST(FieldMapping, BothFormatsComeBackIntoTheSameFields) {
    const auto fields = Fields();
    const FormValues values = Filled(fields);
    const std::string kdbx = kdbx::WriteKdbx(ExportKdbx(fields, values, "Jürgen"), "pw", TestKdf());
    const auto read = kdbx::ReadKdbx(kdbx, "pw");
    ASSERT_TRUE(read.db);
    const ImportPlan viaKdbx = PlanImport(fields, {}, EntriesOf(*read.db));
    EXPECT_EQ(viaKdbx.changes, values);
    EXPECT_EQ(viaKdbx.Unfit(), 0) << ImportReport(viaKdbx);
    const ImportPlan viaCsv =
        PlanCsvImport(fields, {}, ReadFieldCsv(WriteFieldCsv(ExportCsv(fields, values))));
    EXPECT_EQ(viaCsv.changes, values);
    EXPECT_EQ(viaCsv.Unfit(), 0);
    EXPECT_EQ(viaCsv.Overwritten() + viaKdbx.Overwritten(), 0);
}

TEST(FieldMapping, ExportedEntriesUseTheUsualKeysAndProtectSecrets) {
    const auto fields = Fields();
    FormValues values = {{{4, 118}, "GMX"},
                         {{4, 120}, "jürgen"},
                         {{4, 121}, "geheim"},
                         {{1, 123}, "Asthma"},
                         {{1, 124}, "Heu"}};
    const KdbxDatabase db = ExportKdbx(fields, values, "Jürgen");
    ASSERT_EQ(db.root.groups.size(), 2u); // forms without values are left out
    const KdbxEntry& online = db.root.groups[1].entries.at(0);
    EXPECT_EQ(online.Value("Title"), "GMX");
    EXPECT_EQ(online.Value("UserName"), "jürgen");
    EXPECT_EQ(online.strings[3].key, "Password");
    EXPECT_TRUE(online.strings[3].protect);
    EXPECT_EQ(online.Value("Online-Angebote: Beitrag (2)"), "");
    // A row without a title is named by its row; a second note is an attribute.
    const KdbxEntry& health = db.root.groups[0].entries.at(0);
    EXPECT_EQ(health.Value("Title"), "Gesundheit");
    EXPECT_EQ(health.Value("Notes"), "Asthma");
    EXPECT_EQ(health.Value("Allergien"), "Heu");
}

TEST(FieldMapping, ForeignEntriesUpdateTheirRowAndNothingIsDroppedUnlisted) {
    const auto fields = Fields();
    const FormValues current = {
        {{4, 112}, "GMX"}, {{4, 115}, "alt"}, {{6, 100}, "Tresor"}, {{6, 101}, "12-34"}};
    std::vector<SourceEntry> source(3);
    source[0] = {"Internet",
                 "GMX",
                 SourceKind::Entry,
                 {{"Title", "GMX", false, R::Title},
                  {"Password", "neu", true, R::Password},
                  {"Sicherheitsfrage", "Ölkanne", false, R::Other},
                  {"Notes", std::string(60, 'n'), false, R::Notes}},
                 {"scan.pdf (5 Bytes)"},
                 false};
    source[1] = {"", "Alt", SourceKind::Entry, {{"UserName", "weg", false, R::UserName}}, {}, true};
    source[2] = {"",
                 "Web",
                 SourceKind::Entry,
                 {{"Title", "Web", false, R::Title},
                  {"UserName", "ich", false, R::UserName},
                  {"URL", "https://web.de", false, R::Url}},
                 {},
                 false};
    const ImportPlan plan = PlanImport(fields, current, source);
    // The same title updates its row, saying what it overwrites.
    EXPECT_EQ(plan.changes.at({4, 115}), "neu");
    EXPECT_EQ(plan.Overwritten(), 1);
    // What the row has no field for goes into the next free row, with a title naming it.
    EXPECT_EQ(plan.changes.at({6, 102}), "GMX: Sicherheitsfrage");
    EXPECT_EQ(plan.changes.at({6, 103}), "Ölkanne");
    // A new entry takes the first free row it fits best.
    EXPECT_EQ(plan.changes.at({4, 118}), "Web");
    EXPECT_EQ(plan.changes.at({4, 122}), "https://web.de");
    // Too long for any field, in the recycle bin, attachments: listed, and kept in the report.
    EXPECT_EQ(plan.Unfit(), 2);
    const std::string report = ImportReport(plan);
    EXPECT_NE(report.find(std::string(60, 'n')), std::string::npos);
    EXPECT_NE(report.find("scan.pdf"), std::string::npos);
    EXPECT_NE(report.find("Papierkorb"), std::string::npos);
    EXPECT_EQ(report.find("neu"), std::string::npos); // a placed secret stays out of it
}

TEST(FieldMapping, BitwardenItemsFindTheirForms) {
    std::string error;
    const auto items =
        ReadBitwardenJson(ReadFileBytes(TestDataDir() + "exchange-bitwarden.json"), error);
    ASSERT_TRUE(items) << error;
    const ImportPlan plan = PlanImport(Fields(), {}, *items);
    EXPECT_EQ(plan.changes.at({4, 112}), "GMX Postfach");
    EXPECT_EQ(plan.changes.at({4, 114}), "jürgen@gmx.de");
    EXPECT_EQ(plan.changes.at({4, 116}), "https://www.gmx.net");
    EXPECT_EQ(plan.changes.at({3, 114}), "4111111111111111");
    EXPECT_EQ(plan.changes.at({3, 116}), "07/2028");
    EXPECT_EQ(plan.changes.at({3, 115}), "Jürgen Weiß");
    EXPECT_EQ(plan.changes.at({1, 100}), "Herr Jürgen Weiß");
    EXPECT_EQ(plan.changes.at({1, 127}), "C01X00T47");
    // Every value is in a field or in the report.
    const std::string report = ImportReport(plan);
    for (const SourceEntry& e : *items)
        for (const SourceValue& v : e.values) {
            const bool placed = std::any_of(plan.changes.begin(), plan.changes.end(),
                                            [&](const auto& c) { return c.second == v.value; });
            EXPECT_TRUE(placed || report.find(v.value) != std::string::npos) << v.key;
        }
}
