#include "catalogue/FieldCatalogue.h"
#include "print/FolderContent.h"
#include "print/FolderPainter.h"
#include "store/CategorySchema.h"
#include "tests/support/TestSupport.h"

#include <QPrinter>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <sstream>
#include <sys/stat.h>

namespace {

std::string WithoutSpace(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c != ' ' && c != '\n' && c != '\r' && c != '\f' && c != '\t')
            out += c;
    }
    return out;
}

// The value of an entry of pdfinfo's listing ("Pages:          10" gives "10").
std::string InfoEntry(const std::string& info, const std::string& key) {
    std::istringstream lines(info);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.rfind(key + ":", 0) == 0) {
            const size_t start = line.find_first_not_of(' ', key.size() + 1);
            return start == std::string::npos ? std::string() : line.substr(start);
        }
    }
    return {};
}

// A short value of its own for every field: a letter per category and the id in base 36, so
// it fits even the narrowest field on one line.
QString Token(int categoryIndex, int id) {
    return QChar(QLatin1Char(static_cast<char>('a' + categoryIndex))) +
           QString::number(id - kFirstFieldId, 36).rightJustified(2, QLatin1Char('0'));
}

} // namespace

TEST(FolderPdfTest, AllNineFormsFilledReadBackByARealReader) {
    const std::vector<int> order{1, 2, 8, 3, 7, 4, 5, 10, 6};
    auto categories = ReadFolderCategories(order);
    ASSERT_TRUE(categories.has_value());
    ASSERT_EQ(categories->size(), 9u);
    std::vector<std::string> shown;
    int masked = 0;
    for (size_t i = 0; i < categories->size(); ++i) {
        FolderCategory& c = (*categories)[i];
        for (int id : FieldIds(c.category)) {
            const QString token = Token(static_cast<int>(i), id);
            if (IsMaskedField(c.category, id)) {
                c.values[id] = QStringLiteral("GEHEIM") + token;
                ++masked;
            } else if (IsMemoField(c.category, id)) {
                c.values[id] = token + QStringLiteral("\r\nzweite Zeile");
                shown.push_back(token.toStdString());
            } else {
                c.values[id] = token;
                shown.push_back(token.toStdString());
            }
        }
    }
    const FolderFacts facts{QStringLiteral("Hans Müßig"), QStringLiteral("08.12.2026"), true, {}};
    TempDir dir;
    const std::string pdf = dir.file("Hans Müßig-Notfallmappe.pdf");
    // An earlier, readable file of that name is replaced by a private one.
    WriteFileBytes(pdf, "old");
    ::chmod(pdf.c_str(), 0644);
    ASSERT_TRUE(SaveFolderPdf(pdf, facts, *categories, FolderOptions{}));

    // Nothing but the chosen file, and that one private.
    struct stat st {};
    ASSERT_EQ(::stat(pdf.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                            std::filesystem::directory_iterator()),
              1);

    const std::string quoted = "'" + pdf + "'";
    const std::string text = CommandOutput("pdftotext -raw -enc UTF-8 " + quoted + " -");
    ASSERT_FALSE(text.empty()) << "pdftotext (poppler-utils) did not read the PDF";
    const std::string flat = WithoutSpace(text);
    for (const std::string& token : shown)
        EXPECT_NE(flat.find(token), std::string::npos) << "value " << token << " missing";
    EXPECT_EQ(flat.find("GEHEIM"), std::string::npos) << "a masked value was printed";
    const std::string mask = "••••";
    size_t masks = 0;
    for (size_t at = flat.find(mask); at != std::string::npos;
         at = flat.find(mask, at + mask.size()))
        ++masks;
    // Each masked field, and the cover's note that they are masked.
    EXPECT_EQ(masks, static_cast<size_t>(masked) + 1);
    for (const char* line : {"Notfallmappe von Hans Müßig", "Paßwort hinterlegt bei:",
                             "Vertrauensperson:", "Seite 10 von 10", "Fahrzeugschein/brief"})
        EXPECT_NE(text.find(line), std::string::npos) << line;

    const std::string info = CommandOutput("pdfinfo -enc UTF-8 " + quoted);
    EXPECT_EQ(InfoEntry(info, "Pages"), "10");
    EXPECT_EQ(InfoEntry(info, "Title"), "Notfallmappe");
    EXPECT_EQ(InfoEntry(info, "Creator"), "Hans Müßig");
    EXPECT_EQ(InfoEntry(info, "Page size"), "595 x 842 pts (A4)");
    const std::string metadata = CommandOutput("pdfinfo -meta " + quoted);
    EXPECT_NE(metadata.find("<rdf:li>Hans Müßig</rdf:li>"), std::string::npos) << metadata;

    // Every font is embedded: the folder prints the same on any machine.
    const std::string fonts = CommandOutput("pdffonts " + quoted);
    size_t listed = 0;
    std::istringstream lines(fonts);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.find("TrueType") == std::string::npos && line.find("Type") == std::string::npos)
            continue;
        if (line.rfind("name", 0) == 0)
            continue;
        ++listed;
        EXPECT_NE(line.find(" yes "), std::string::npos) << line;
    }
    EXPECT_GT(listed, 0u) << fonts;
}

// The printer path paints the same pages on a printer's own device and resolution.
TEST(FolderPdfTest, PrinterGetsEveryPage) {
    auto categories = ReadFolderCategories({8, 10});
    ASSERT_TRUE(categories.has_value());
    (*categories)[0].values[100] = QStringLiteral("Dr. Eisenbart");
    TempDir dir;
    const std::string file = dir.file("drucker.pdf");
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(file));
    const FolderFacts facts{QStringLiteral("Hans"), QStringLiteral("08.12.2026"), false, {}};
    ASSERT_TRUE(PrintFolder(printer, facts, *categories, FolderOptions{}));
    const std::string info = CommandOutput("pdfinfo '" + file + "'");
    EXPECT_EQ(InfoEntry(info, "Pages"), "3");
    EXPECT_EQ(InfoEntry(info, "Page size"), "595 x 842 pts (A4)");
    const std::string text = CommandOutput("pdftotext -layout -enc UTF-8 '" + file + "' -");
    EXPECT_NE(text.find("Dr. Eisenbart"), std::string::npos) << text;
    EXPECT_NE(text.find("Seite 3 von 3"), std::string::npos) << text;
}

namespace {

struct WordBox {
    double x0, y0, x1, y1;
    std::string text;
};

// The words of each page as a real reader places them, in points.
std::vector<std::vector<WordBox>> PageWords(const std::string& bboxHtml) {
    std::vector<std::vector<WordBox>> pages;
    auto attribute = [](const std::string& tag, const char* name) {
        const size_t at = tag.find(std::string(" ") + name + "=\"");
        return at == std::string::npos ? 0.0 : std::stod(tag.substr(at + std::strlen(name) + 3));
    };
    for (size_t at = bboxHtml.find('<'); at != std::string::npos; at = bboxHtml.find('<', at + 1)) {
        if (bboxHtml.compare(at, 6, "<page ") == 0)
            pages.emplace_back();
        if (bboxHtml.compare(at, 6, "<word ") != 0 || pages.empty())
            continue;
        const size_t close = bboxHtml.find('>', at);
        const size_t end = bboxHtml.find("</word>", close);
        const std::string tag = bboxHtml.substr(at, close - at);
        pages.back().push_back({attribute(tag, "xMin"), attribute(tag, "yMin"),
                                attribute(tag, "xMax"), attribute(tag, "yMax"),
                                bboxHtml.substr(close + 1, end - close - 1)});
    }
    return pages;
}

// Long values as people type them: names, numbers, dates and codes that must print whole.
const char* const kLongTokens[] = {"Commerzbank",
                                   "0B7X3CAT700123K",
                                   "31.12.2026",
                                   "Hauptstraße",
                                   "Kreditkarten/Debitkarten",
                                   "DE89370400440532013000",
                                   "Zahnärztin",
                                   "Fahrzeugschein/brief",
                                   "2 Jahre ab Kauf",
                                   "Ludwigshafen-Oggersheim"};

QString LongValue(int limit, size_t& next) {
    if (limit == 19) // a short field
        return QStringLiteral("4111111111111111111");
    QString value;
    for (int tries = 0; tries < 4; ++tries) {
        const QString token = QString::fromUtf8(kLongTokens[next++ % std::size(kLongTokens)]);
        const QString joined = value.isEmpty() ? token : value + QLatin1Char(' ') + token;
        if (limit > 0 && joined.size() > limit)
            break;
        value = joined;
    }
    return value;
}

} // namespace

// Every field filled to its limit with long values, long deadlines: a real reader finds no two
// words on a page over each other, none across the margins, and every token whole.
TEST(FolderPdfTest, LongValuesStayInsideTheirPlaces) {
    auto categories = ReadFolderCategories({1, 2, 3, 4, 5, 6, 7, 8, 10});
    ASSERT_TRUE(categories.has_value());
    size_t next = 0;
    for (FolderCategory& c : *categories) {
        for (int id : FieldIds(c.category)) {
            const int limit = FieldCharLimit(c.category, id);
            c.values[id] = limit == 0
                               ? LongValue(0, next) + QStringLiteral("\r\n") + LongValue(0, next)
                               : LongValue(limit, next);
        }
    }
    FolderFacts facts{QStringLiteral("Hans-Christian Müller-Lüdenscheidt"),
                      QStringLiteral("08.12.2026"),
                      true,
                      {}};
    for (int i = 0; i < 12; ++i) {
        facts.deadlines.push_back(
            {i % 2 ? QStringLiteral("abgelaufen") : QStringLiteral("nicht lesbar"),
             i % 2 ? QStringLiteral("31.12.2026") : QStringLiteral("2 Jahre ab Kauf"),
             QStringLiteral("Fahrzeugschein/brief"),
             QStringLiteral("Kreditkarten: 2. Karte, Inhaberin "
                            "Ludwigshafen-Oggersheim Commerzbank "
                            "0B7X3CAT700123K")});
    }
    TempDir dir;
    const std::string pdf = dir.file("lang.pdf");
    // Unmasked, so that the secret fields carry long values too.
    ASSERT_TRUE(SaveFolderPdf(pdf, facts, *categories, FolderOptions{false, true}));
    if (const char* keep = std::getenv("QUILLORY_KEEP_FOLDER_PDF"))
        WriteFileBytes(keep, ReadFileBytes(pdf));

    const auto pages =
        PageWords(CommandOutput("pdftotext -bbox-layout -enc UTF-8 '" + pdf + "' -"));
    ASSERT_GT(pages.size(), 10u);
    const double mm = 72 / 25.4, slack = 0.3;
    std::map<std::string, int> whole;
    for (size_t p = 0; p < pages.size(); ++p) {
        const auto& words = pages[p];
        for (size_t i = 0; i < words.size(); ++i) {
            const WordBox& a = words[i];
            ++whole[a.text];
            EXPECT_TRUE(a.x0 >= FolderGeometry::kLeft * mm - slack &&
                        a.x1 <= (FolderGeometry::kPageWidth - FolderGeometry::kRight) * mm + slack)
                << "page " << p + 1 << ": '" << a.text << "' crosses a side margin";
            for (size_t j = i + 1; j < words.size(); ++j) {
                const WordBox& b = words[j];
                const bool over = a.x0 < b.x1 - slack && b.x0 < a.x1 - slack &&
                                  a.y0 < b.y1 - slack && b.y0 < a.y1 - slack;
                EXPECT_FALSE(over)
                    << "page " << p + 1 << ": '" << a.text << "' over '" << b.text << "'";
            }
        }
    }
    // Words that ran into each other would be read as one.
    for (const char* token : {"Commerzbank", "0B7X3CAT700123K", "31.12.2026", "Hauptstraße",
                              "DE89370400440532013000", "4111111111111111111", "Zahnärztin", "Kauf",
                              "abgelaufen", "Fahrzeugschein/brief", "Kreditkarten/Debitkarten"})
        EXPECT_GT(whole[token], 0) << token << " never printed whole";
}
