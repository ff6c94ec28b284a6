#include "exchange/CatalogueFields.h"
#include "exchange/gui/ExchangeCommands.h"
#include "exchange/gui/TExportDialog.h"
#include "exchange/gui/TImportPreview.h"
#include "store/CategoryValues.h"
#include "store/TDataSetManager.h"
#include "tests/support/TestSupport.h"

#include <QAbstractButton>
#include <QHeaderView>
#include <QLineEdit>
#include <QTimer>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <functional>

namespace {

template <class D> int RunWith(D& d, std::function<void(D&)> act) {
    QTimer::singleShot(0, &d, [&d, act] { act(d); });
    return d.Execute();
}

void Type(TDialog& d, int id, const char* text) {
    auto* edit = d.ControlAs<QLineEdit>(id);
    ASSERT_NE(edit, nullptr);
    edit->setText(QString::fromUtf8(text));
}

// Counts the value rows of a colour: overwrites are yellow, what fits nowhere red.
int Marked(QTreeWidget* list, QColor colour) {
    int n = 0;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        for (int j = 0; j < list->topLevelItem(i)->childCount(); ++j)
            n += list->topLevelItem(i)->child(j)->background(0).color() == colour;
    return n;
}
const QColor kYellow(252, 236, 180);
const QColor kRed(250, 205, 200);

// An open document of a new user, closed (not saved) at the end.
class OpenDocument : public ::testing::Test {
protected:
    TempDir m_temp;
    TempDir m_docs;
    ScopedSystemDirs m_dirs{QUILLORY_TEMPLATE_DIR, m_temp.path()};
    OpenDocument() {
        DataSetManager().SetDocumentPath(m_docs.file("Prüfer.qlr"));
        DataSetManager().Create();
    }
    ~OpenDocument() override { DataSetManager().Close(); }
};

} // namespace

TEST(TExportDialog, OffersTheDocumentsPasswordAndChecksATypedOneTwice) {
    ScriptedMessages messages({IDOK, IDNO, IDYES});
    TExportDialog own(nullptr, "Dokument");
    EXPECT_EQ(RunWith<TExportDialog>(own,
                                     [](TExportDialog& d) {
                                         EXPECT_TRUE(d.Checked(TExportDialog::kOwnPasswordId));
                                         EXPECT_FALSE(
                                             d.Control(TExportDialog::kPasswordId)->isEnabled());
                                         d.ControlAs<QAbstractButton>(IDOK)->click();
                                     }),
              IDOK);
    EXPECT_EQ(own.Password(), "Dokument");

    TExportDialog typed(nullptr, "");
    RunWith<TExportDialog>(typed, [&](TExportDialog& d) {
        EXPECT_FALSE(d.Control(TExportDialog::kOwnPasswordId)->isEnabled());
        Type(d, TExportDialog::kPasswordId, "eins");
        Type(d, TExportDialog::kRepeatId, "zwei");
        d.ControlAs<QAbstractButton>(IDOK)->click(); // differ: said, stays open
        EXPECT_TRUE(d.isVisible());
        d.ControlAs<QAbstractButton>(TExportDialog::kCsvId)->click();
        d.ControlAs<QAbstractButton>(IDOK)->click(); // the warning, answered No: stays
        EXPECT_TRUE(d.isVisible());
        d.ControlAs<QAbstractButton>(IDOK)->click(); // answered Yes
    });
    EXPECT_EQ(typed.Chosen(), TExportDialog::Format::Csv);
    ASSERT_EQ(messages.texts().size(), 3u);
    EXPECT_NE(messages.texts()[1].find("nicht verschlüsselt"), std::string::npos);
}

// The whole way of an import into a real document: preview, the question for the report,
// one write of both tables, and every value read back from the tables.
TEST_F(OpenDocument, PreviewMarksWhatItChangesAndTakenOverValuesReachTheTables) {
    const auto fields = CatalogueFields();
    ASSERT_TRUE(ApplyImportPlan({{}, {{{4, 112}, "GMX"}, {{4, 115}, "alt"}}, {}}));
    FormValues current;
    ASSERT_TRUE(ReadDocumentValues(fields, current));
    std::vector<SourceEntry> source(1);
    source[0] = {"",
                 "GMX",
                 SourceKind::Login,
                 {{"Title", "GMX", false, ValueRole::Title},
                  {"Password", "neu", true, ValueRole::Password},
                  {"Notes", "eine\nzweite Zeile", false, ValueRole::Notes},
                  {"Kfz-Kennzeichen", "K-AB 123", false, ValueRole::Other},
                  {"Kennwort der Kundenkarte beim Energieversorger (Zusatz)", "4711", false,
                   ValueRole::Other}},
                 {"scan.pdf (5 Bytes)"},
                 false};
    ScriptedMessages messages({IDCANCEL, IDNO});
    TImportPreview preview(nullptr, "test.kdbx", [&](const ImportOptions& o) {
        return PlanImport(fields, current, source, o);
    });
    const int result = RunWith<TImportPreview>(preview, [](TImportPreview& d) {
        EXPECT_EQ(Marked(d.List(), kYellow), 1); // the password's overwrite
        EXPECT_EQ(Marked(d.List(), kRed), 2);    // the notes' two lines, the attachment
        // The columns fit the list: no sideways scrolling; a cut text is whole on hover.
        int width = 0;
        for (int c = 0; c < d.List()->columnCount(); ++c)
            width += d.List()->header()->sectionSize(c);
        EXPECT_LE(width, d.List()->viewport()->width());
        const QTreeWidgetItem* first = d.List()->topLevelItem(0)->child(0);
        EXPECT_EQ(first->toolTip(2), first->text(2));
        d.ControlAs<QAbstractButton>(TImportPreview::kSpillId)->click();
        EXPECT_EQ(Marked(d.List(), kRed), 4); // the two extra fields too, without free rows
        d.ControlAs<QAbstractButton>(TImportPreview::kSpillId)->click();
        d.ControlAs<QAbstractButton>(IDOK)->click(); // Cancel to the report question
        EXPECT_TRUE(d.isVisible());
        d.ControlAs<QAbstractButton>(IDOK)->click(); // No: taken over without a report
    });
    ASSERT_EQ(result, IDOK);
    EXPECT_NE(messages.texts().at(0).find("passen in kein Feld"), std::string::npos);
    ASSERT_TRUE(ApplyImportPlan(preview.Plan()));
    std::map<int, std::string> online, free;
    ASSERT_TRUE(ReadCategoryValues(4, online));
    ASSERT_TRUE(ReadCategoryValues(6, free));
    EXPECT_EQ(online[115], "neu");
    EXPECT_EQ(free[100], "GMX: Kfz-Kennzeichen");
    EXPECT_EQ(free[101], "K-AB 123");
}

// Every field of every form filled (a memo with its line breaks), through the CSV into an empty
// document (the formats' own round trips are FieldMappingTest's): every value in its own field.
TEST_F(OpenDocument, EveryCatalogueFieldMakesTheRoundTrip) {
    const auto fields = CatalogueFields();
    FormValues values;
    for (const ExchangeField& f : fields)
        values[{f.category, f.id}] =
            f.chars == 0
                ? "Zeile 1 ä\r\nZeile 2; \"ß\""
                : std::string("Ä€;\"") + std::to_string(f.category) + "_" + std::to_string(f.id);
    const ImportPlan viaCsv =
        PlanCsvImport(fields, {}, ReadFieldCsv(WriteFieldCsv(ExportCsv(fields, values))));
    ASSERT_TRUE(ApplyImportPlan(viaCsv));
    FormValues back;
    ASSERT_TRUE(ReadDocumentValues(fields, back));
    EXPECT_EQ(back, values);
}
