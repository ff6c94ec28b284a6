#include "ExchangeTestData.h"

#include "exchange/FieldCsv.h"

#include <gtest/gtest.h>

TEST(FieldCsv, EveryAwkwardValueComesBackExactly) {
    std::vector<CsvRow> rows;
    for (const std::string& t : AwkwardTexts())
        rows.push_back({"Ärzte", "Hausarzt; \"Name\"", t});
    const std::string csv = WriteFieldCsv(rows);
    EXPECT_TRUE(csv.starts_with("\xEF\xBB\xBF"
                                "Formular;Feld;Wert\r\n"));
    // Formulas are kept text for spreadsheets; telephone numbers stay as typed.
    EXPECT_NE(csv.find("\r\nÄrzte;\"Hausarzt; \"\"Name\"\"\";'=SUMME(A1:A3)\r\n"),
              std::string::npos);
    EXPECT_NE(csv.find(";+49 30 1234567\r\n"), std::string::npos);
    EXPECT_NE(csv.find(";''=kein Formel\r\n"), std::string::npos);
    const CsvRead read = ReadFieldCsv(csv);
    EXPECT_TRUE(read.rejected.empty());
    EXPECT_EQ(read.rows, rows);
}

TEST(FieldCsv, ForeignVariantsReadAndBrokenLinesAreListed) {
    const CsvRead lf = ReadFieldCsv("Formular;Feld;Wert\nOnline;Dienst;GMX\n\nOnline;x;\"a\nb\"\n");
    EXPECT_EQ(lf.rows, (std::vector<CsvRow>{{"Online", "Dienst", "GMX"}, {"Online", "x", "a\nb"}}));
    const CsvRead comma = ReadFieldCsv("Formular,Feld,Wert\r\nA,B,\"C;D\"\r\n");
    EXPECT_EQ(comma.rows, (std::vector<CsvRow>{{"A", "B", "C;D"}}));
    const CsvRead broken = ReadFieldCsv("A;B\r\nA;B;C;D\r\nA;B;\"offen\r\n");
    EXPECT_TRUE(broken.rows.empty());
    ASSERT_EQ(broken.rejected.size(), 3u);
    EXPECT_EQ(broken.rejected[0], "Zeile 1: A;B");
}
