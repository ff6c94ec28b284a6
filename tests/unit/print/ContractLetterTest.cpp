#include "print/ContractLetter.h"
#include "print/FolderPainter.h"
#include "store/ContractFields.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <sys/stat.h>

namespace {

// The second contract: a mobile contract from 1.3.2022 in its minimum term, its address with
// the provider's name as the first line already.
LetterFacts SampleFacts() {
    const std::map<int, std::string> personal = {{100, "Anna Beispiel"},
                                                 {101, "Lindenweg 3, 50667 K\xC3\xB6ln"}};
    const std::map<int, std::string> contracts = {
        {ContractFieldId(1, ContractPart::Kind), "Mobilfunk"},
        {ContractFieldId(1, ContractPart::Provider), "Funkwelle GmbH"},
        {ContractFieldId(1, ContractPart::Address),
         "Funkwelle GmbH\r\nKundenservice\r\nPostfach 10 20 30\r\n40210 D\xC3\xBCsseldorf"},
        {ContractFieldId(1, ContractPart::Number), "MV-4711"},
        {ContractFieldId(1, ContractPart::Begin), "01.03.2022"},
        {ContractFieldId(1, ContractPart::Minimum), "24"},
    };
    return ContractLetterFacts(personal, contracts, 1, {2023, 6, 1});
}

TEST(ContractLetterTest, TheLetterNamesTheContractItsEndAndSitsInTheWindow) {
    const LetterFacts facts = SampleFacts();
    EXPECT_EQ(facts.endDate, QStringLiteral("29.02.2024"));
    EXPECT_EQ(facts.place, QStringLiteral("K\u00F6ln"));
    EXPECT_EQ(TownOf(QStringLiteral("Am Markt 1 | 01067 Dresden-Neustadt")),
              QStringLiteral("Dresden-Neustadt"));
    EXPECT_EQ(TownOf(QStringLiteral("Hauptstr. 12345")), QString());

    const auto measure = [](const QString& text, PrintRole) { return text.size() * 2.0; };
    const FolderPage page = BuildContractLetter(facts, measure);
    EXPECT_FALSE(page.framed);
    std::vector<QString> window; // the address zone of the envelope's window
    QString all;
    for (const PageText& text : page.texts) {
        all += text.text + QLatin1Char('\n');
        if (text.y >= LetterGeometry::kAddressTop && text.y < LetterGeometry::kAddressBottom) {
            EXPECT_EQ(text.x, LetterGeometry::kLeft);
            window.push_back(text.text);
        }
    }
    // The provider is named once, not again before its own first line.
    EXPECT_EQ(window, (std::vector<QString>{QStringLiteral("Funkwelle GmbH"),
                                            QStringLiteral("Kundenservice"),
                                            QStringLiteral("Postfach 10 20 30"),
                                            QStringLiteral("40210 D\u00FCsseldorf")}));
    EXPECT_TRUE(all.contains(QStringLiteral("K\u00F6ln, 01.06.2023")));
    EXPECT_TRUE(all.contains(QStringLiteral("K\u00FCndigung des Vertrags MV-4711")));
    // A contract whose end cannot be computed is cancelled to the next possible date only.
    LetterFacts unknown = facts;
    unknown.endDate.clear();
    QString plain;
    for (const PageText& text : BuildContractLetter(unknown, measure).texts)
        plain += text.text + QLatin1Char(' ');
    EXPECT_FALSE(plain.contains(QStringLiteral("hilfsweise")));

    // What a letter lacks is named before it is written.
    EXPECT_TRUE(MissingLetterParts(facts).isEmpty());
    LetterFacts bare = facts;
    bare.senderName = QStringLiteral(" ");
    bare.senderAddress.clear();
    bare.providerAddress.clear();
    EXPECT_EQ(MissingLetterParts(bare).size(), 3);
    EXPECT_TRUE(MissingLetterParts(bare).constFirst().startsWith(QStringLiteral("Ihr Name")));
}

TEST(ContractLetterTest, ThePdfIsPrivateAndReadsAsALetter) {
    const LetterFacts facts = SampleFacts();
    TempDir dir;
    const std::string path = dir.file("K\xC3\xBCndigung Funkwelle.pdf");
    ASSERT_TRUE(SavePdfBytes(path, PagesPdf(QStringLiteral("K\u00FCndigung"), facts.senderName,
                                            [&](const TextWidth& width) {
                                                return std::vector<FolderPage>{
                                                    BuildContractLetter(facts, width)};
                                            })));
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    const std::string text = CommandOutput("pdftotext -layout '" + path + "' -");
    const char* inOrder[] = {"Anna Beispiel",
                             "Funkwelle GmbH",
                             "K\xC3\xB6ln, 01.06.2023",
                             "K\xC3\xBCndigung des Vertrags MV-4711",
                             "fristgerecht zum 29.02.2024,",
                             "hilfsweise zum n\xC3\xA4"
                             "chstm\xC3\xB6glichen Termin",
                             "schriftlich",
                             "Mit freundlichen Gr\xC3\xBC\xC3\x9F"
                             "en"};
    size_t at = 0;
    for (const char* part : inOrder) {
        const size_t found = text.find(part, at);
        ASSERT_NE(found, std::string::npos) << part << "\n" << text;
        at = found;
    }
    EXPECT_FALSE(SavePdfBytes(dir.file("empty.pdf"), QByteArray()));
}

} // namespace
