#include "FormExpectations.h"

#include "catalogue/FieldCatalogue.h"
#include "forms/FormCatalogue.h"
#include "forms/FormFactory.h"
#include "forms/FormHints.h"
#include "forms/SearchEntries.h"
#include "forms/TCategoryForm.h"
#include "forms/TVerlaufDialog.h"
#include "platform/FileServices.h"
#include "platform/SystemDirs.h"
#include "platform/file/FileFault.h"
#include "store/CategorySchema.h"
#include "store/ContractFields.h"
#include "store/DocumentContainer.h"
#include "store/TDataSetManager.h"
#include "store/TQuery.h"
#include "tests/support/TestSupport.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <map>

namespace {

using Values = std::map<std::string, std::string>;

TQuery& TableOf(int category) {
    return FindCategory(category)->table == TableIndex::First ? *DataSetManager().FirstTable
                                                              : *DataSetManager().SecondTable;
}

// Every field of a table by name, read straight from the data set.
Values ReadTable(TableIndex table) {
    Values v;
    TQuery& q =
        table == TableIndex::First ? *DataSetManager().FirstTable : *DataSetManager().SecondTable;
    for (const SchemaField& f : TableFields(table))
        v[f.name] = q.objFieldByName(f.name)->propAsString();
    return v;
}

Values ReadAll() {
    Values v = ReadTable(TableIndex::First);
    v.merge(ReadTable(TableIndex::Second));
    return v;
}

// A value that fills the field to its limit and tells fields apart.
std::string FullValue(int category, int id) {
    const int limit = FieldLimit(category, id);
    std::string base = "Ä" + std::to_string(category) + "-" + std::to_string(id) + " ßü";
    if (limit == 0)
        return "Zeile eins " + base + "\nZeile zwei\n";
    // The car's two date fields do not scroll: they hold what their width shows.
    if (category == 10 && (id == 142 || id == 143))
        return "12/2027";
    std::string v = base;
    while (static_cast<int>(QString::fromStdString(v).size()) < limit - 1)
        v += static_cast<char>('a' + v.size() % 26);
    return v;
}

std::unique_ptr<TCategoryForm> Open(int command) {
    std::unique_ptr<TDialog> d = CreateCategoryForm(command, nullptr);
    auto form = std::unique_ptr<TCategoryForm>(dynamic_cast<TCategoryForm*>(d.release()));
    form->show(); // set-up reads the fields
    QApplication::processEvents();
    return form;
}

std::string Text(TCategoryForm& form, int id) {
    QWidget* c = form.Edit(id);
    if (auto* line = qobject_cast<QLineEdit*>(c))
        return line->text().toStdString();
    return qobject_cast<QPlainTextEdit*>(c)->toPlainText().toStdString();
}

void Type(TCategoryForm& form, int id, const std::string& text) {
    QWidget* c = form.Edit(id);
    if (auto* line = qobject_cast<QLineEdit*>(c)) {
        // Typed as one insertion: the test library cannot synthesise keys for umlauts.
        line->clear();
        line->insert(QString::fromStdString(text));
    } else {
        auto* memo = qobject_cast<QPlainTextEdit*>(c);
        memo->clear();
        memo->insertPlainText(QString::fromStdString(text));
    }
}

void Press(TCategoryForm& form, int id) {
    auto* button = qobject_cast<QAbstractButton*>(form.Control(id));
    ASSERT_NE(button, nullptr);
    button->click();
    QApplication::processEvents();
}

class FormDataTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_dir = new TempDir;
        SystemDirs::SetTempDirectory(s_dir->path());
        SystemDirs::SetProgramDirectory(QUILLORY_TEMPLATE_DIR);
        DataSetManager().DocumentPath = s_dir->file("Prüfer.qlr");
        ScriptedMessages quiet;
        DataSetManager().Create();
        ASSERT_TRUE(DataSetManager().IsOpen) << "templates: " << SystemDirs::ProgramDirectory();
    }
    static void TearDownTestSuite() {
        DataSetManager().Close();
        delete s_dir;
    }
    static TempDir* s_dir;

public:
    static const TempDir& Dir() { return *s_dir; }
};
TempDir* FormDataTest::s_dir = nullptr;

// Every field of every form, filled to its limit, reaches the table whole and shows again
// unchanged at the next opening; the other categories of the table keep their values.
TEST_F(FormDataTest, EveryFieldRoundTripsAtItsLimit) {
    for (const ExpectedForm& e : ExpectedForms()) {
        const FormDescription* d = FormForCommand(e.command);
        const Values before = ReadAll();
        {
            auto form = Open(e.command);
            for (int id = e.first; id <= e.last; ++id)
                Type(*form, id, FullValue(d->category, id));
            Press(*form, 1);
            EXPECT_EQ(form->result(), IDOK) << e.templateName;
        }
        Values after = ReadAll();
        for (auto& [name, value] : after) {
            const std::string ours = e.prefix;
            if (name.rfind(ours, 0) == 0) {
                const int id = std::stoi(name.substr(ours.size()));
                std::string expected = FullValue(d->category, id);
                if (FieldLimit(d->category, id) == 0) {
                    // Memo lines are kept as CR LF with the ending the manager appends.
                    QString q = QString::fromStdString(expected);
                    q.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
                    expected = q.toStdString() + "\r\n";
                }
                EXPECT_EQ(value, expected) << name;
            } else {
                EXPECT_EQ(value, before.at(name)) << e.templateName << " touched " << name;
            }
        }
        auto again = Open(e.command);
        for (int id = e.first; id <= e.last; ++id)
            EXPECT_EQ(Text(*again, id), FullValue(d->category, id)) << e.templateName << " " << id;
        again->CloseWindow(IDCANCEL);
    }
}

// A single-line field admits 47 characters, a short one 19; typing more is cut there.
TEST_F(FormDataTest, TypingStopsAtTheLimit) {
    auto form = Open(8);
    Type(*form, 100, std::string(60, 'x'));
    Type(*form, 103, std::string(30, 'y'));
    EXPECT_EQ(Text(*form, 100), std::string(47, 'x'));
    EXPECT_EQ(Text(*form, 103), std::string(19, 'y'));
    Press(*form, 1);
    EXPECT_EQ(TableOf(8).objFieldByName("E8_100")->propAsString(), std::string(47, 'x'));
    EXPECT_EQ(TableOf(8).objFieldByName("E8_103")->propAsString(), std::string(19, 'y'));
}

// Exactly the secret fields are masked; one is shown while focused, all after Ctrl+H, masked
// again by the eye; a screen reader hears password text and stars; the text stays as typed.
TEST_F(FormDataTest, SecretFieldsAreMaskedUntilFocusedOrShownAndKeepTheirText) {
    for (const FormDescription& d : FormCatalogue()) {
        if (d.category == kContractCategory)
            continue; // one detail area for many entries: its own test
        auto form = Open(d.command);
        QApplication::setActiveWindow(form.get());
        std::vector<QLineEdit*> secrets;
        for (int id = kFirstFieldId; form->Edit(id); ++id) {
            auto* line = qobject_cast<QLineEdit*>(form->Edit(id));
            if (line && line->echoMode() == QLineEdit::Password)
                secrets.push_back(line);
            EXPECT_EQ(line && line->echoMode() == QLineEdit::Password,
                      IsMaskedField(d.category, id));
        }
        auto* eye = form->findChild<QToolButton*>();
        ASSERT_EQ(eye != nullptr, !secrets.empty()) << CategoryTitle(d.category);
        if (!eye)
            continue;
        auto shown = [&secrets] {
            return std::count_if(secrets.begin(), secrets.end(), [](const QLineEdit* l) {
                return l->echoMode() == QLineEdit::Normal;
            });
        };
        secrets.front()->setFocus();
        secrets.front()->clear();
        secrets.front()->insert(QStringLiteral("47 11"));
        EXPECT_EQ(shown(), 1);
        QAccessibleInterface* spoken = QAccessible::queryAccessibleInterface(secrets.front());
        EXPECT_TRUE(spoken->state().passwordEdit);
        EXPECT_EQ(spoken->text(QAccessible::Value), QStringLiteral("*****"));
        eye->setFocus();
        EXPECT_EQ(shown(), 0);
        QTest::keyClick(form.get(), Qt::Key_H, Qt::ControlModifier);
        EXPECT_EQ(shown(), static_cast<long>(secrets.size()));
        eye->click();
        EXPECT_EQ(shown(), 0);
        EXPECT_EQ(secrets.front()->text(), QStringLiteral("47 11"));
    }
}

TEST_F(FormDataTest, UnchangedOkRewritesEveryFieldWithItsOwnValue) {
    for (const ExpectedForm& e : ExpectedForms()) {
        // A memo never confirmed is empty; once stored it holds its closing line break, so the
        // first confirmation settles it and every later one must change nothing.
        Press(*Open(e.command), 1);
        const Values before = ReadAll();
        auto form = Open(e.command);
        Press(*form, 1);
        EXPECT_EQ(ReadAll(), before) << e.templateName;
    }
}

TEST_F(FormDataTest, CancelAfterEditsWritesNothing) {
    for (const ExpectedForm& e : ExpectedForms()) {
        const Values before = ReadAll();
        auto form = Open(e.command);
        for (int id = e.first; id <= e.last; ++id)
            Type(*form, id, "geändert");
        Press(*form, 2);
        EXPECT_EQ(form->result(), IDCANCEL);
        EXPECT_EQ(ReadAll(), before) << e.templateName;
    }
}

// Enter in a memo starts a new line; Enter in a single-line field confirms the form.
TEST_F(FormDataTest, EnterInMemoIsANewLineAndElsewhereOk) {
    auto form = Open(12);
    QWidget* memo = form->Edit(123);
    memo->setFocus();
    Type(*form, 123, "erste");
    QTest::keyClick(memo, Qt::Key_Return);
    QTest::keyClicks(memo, QStringLiteral("zweite"));
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(Text(*form, 123), "erste\nzweite");

    QWidget* line = form->Edit(100);
    line->setFocus();
    Type(*form, 100, "Eingabe");
    QTest::keyClick(line, Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(form->result(), IDOK);
    EXPECT_EQ(TableOf(1).objFieldByName("E1_100")->propAsString(), "Eingabe");
    EXPECT_EQ(TableOf(1).objFieldByName("E1_123")->propAsString(), "erste\r\nzweite\r\n");
}

// A memo with a line break after its last line keeps it; a row's title and content are two
// fields, so an empty title stays empty next to its content.
TEST_F(FormDataTest, MemoLineBreaksAndEmptyTitles) {
    {
        auto form = Open(13);
        Type(*form, 134, "Zeile 1\nZeile 2\n");
        Type(*form, 140, "einzeilig");
        Press(*form, 1);
    }
    EXPECT_EQ(TableOf(10).objFieldByName("E10_134")->propAsString(), "Zeile 1\r\nZeile 2\r\n\r\n");
    {
        auto form = Open(10);
        Type(*form, 100, "");
        Type(*form, 101, "Inhalt ohne Titel");
        Press(*form, 1);
    }
    auto car = Open(13);
    EXPECT_EQ(Text(*car, 134), "Zeile 1\nZeile 2\n");
    auto free = Open(10);
    EXPECT_EQ(Text(*free, 100), "");
    EXPECT_EQ(Text(*free, 101), "Inhalt ohne Titel");
}

// With the tables closed a form shows its fields read-only and cannot confirm.
TEST_F(FormDataTest, ClosedTablesWriteNothing) {
    const Values before = ReadAll();
    DataSetManager().IsOpen = false;
    auto form = Open(8);
    DataSetManager().IsOpen = true;
    EXPECT_FALSE(form->Writable());
    EXPECT_FALSE(form->Control(1)->isEnabled());
    // The form says in its own window why nothing is stored.
    EXPECT_TRUE(form->NoticeShown());
    // Picture buttons speak the text of the buttons they stand for.
    EXPECT_EQ(form->Control(1)->accessibleName(), QStringLiteral("OK"));
    EXPECT_EQ(form->Control(2)->accessibleName(), QStringLiteral("Abbruch"));
    EXPECT_TRUE(qobject_cast<QLineEdit*>(form->Edit(100))->isReadOnly());
    QTest::keyClick(form->Edit(100), Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_EQ(ReadAll(), before);
}

// The id of the form's field that holds the focus, 0 for none.
int FocusedField(const TCategoryForm& form) {
    for (int id = kFirstFieldId; form.Edit(id) != nullptr; ++id)
        if (form.focusWidget() == form.Edit(id))
            return id;
    return 0;
}

// Opened at a field, the form shows with that field focused and, when asked, its whole text
// selected (a memo too); an id outside the form leaves the form's usual focus.
TEST_F(FormDataTest, OpensAtAField) {
    {
        auto form = Open(12);
        Type(*form, 101, "Müller");
        Type(*form, 123, "Zeile 1\nZeile 2");
        Press(*form, 1);
    }
    const int usual = FocusedField(*Open(12));
    struct Case {
        int id;
        bool select;
        int focused;
        QString selected;
    };
    const Case cases[] = {{101, true, 101, QStringLiteral("Müller")},
                          {101, false, 101, QString()},
                          {123, true, 123, QStringLiteral("Zeile 1\u2029Zeile 2")},
                          {999, true, usual, QString()}};
    for (const Case& c : cases) {
        std::unique_ptr<TDialog> d = CreateCategoryFormAtField(1, c.id, c.select, nullptr);
        d->show();
        QApplication::processEvents();
        auto* form = dynamic_cast<TCategoryForm*>(d.get());
        ASSERT_NE(form, nullptr);
        EXPECT_EQ(FocusedField(*form), c.focused) << c.id;
        QString selected;
        if (c.id == 101)
            selected = qobject_cast<QLineEdit*>(form->Edit(101))->selectedText();
        else if (c.id == 123)
            selected = qobject_cast<QPlainTextEdit*>(form->Edit(123))->textCursor().selectedText();
        EXPECT_EQ(selected, c.selected) << c.id << " " << c.select;
    }
    EXPECT_EQ(CreateCategoryFormAtField(9, 100, true, nullptr), nullptr);
}

// The search reads every field with the label its form shows: a field the template leaves
// unnamed takes the label or the user's title left of it on its line, else the text above it.
TEST_F(FormDataTest, SearchEntriesCarryTheFormsLabels) {
    {
        auto form = Open(10);
        Type(*form, 100, "  Steuer-ID ");
        Type(*form, 101, "12 345 678 901");
        Type(*form, 102, "");
        Press(*form, 1);
    }
    const auto entries = CollectSearchEntries();
    ASSERT_TRUE(entries.has_value());
    std::map<std::pair<int, int>, SearchEntry> byField;
    for (const SearchEntry& e : *entries)
        byField[{e.category, e.id}] = e;
    struct Case {
        int category;
        int id;
        const char* label;
        bool secret;
    };
    const Case cases[] = {{8, 100, "Hausarzt: Name", false},
                          {6, 101, "Steuer-ID", false},
                          {6, 100, "Feldtitel", false},
                          {6, 103, "Feldtitel", false},
                          {7, 102, "Schlüsselnummer (1)", false},
                          {10, 134, "Bemerkungen", false},
                          {3, 102, "Online-Banking: Paßwort (1)", true}};
    for (const Case& c : cases) {
        const SearchEntry& e = byField[std::make_pair(c.category, c.id)];
        EXPECT_EQ(e.label, c.label) << c.category << " " << c.id;
        EXPECT_EQ(e.secret, c.secret) << c.category << " " << c.id;
    }
    EXPECT_EQ((byField[{6, 101}].value), "12 345 678 901");
}

// A field of the first table as the document on disk holds it, through the container reader.
std::string DocumentField(const std::string& name) {
    DocumentFiles files;
    for (int i = 0; i < kSlotCount; ++i)
        files[i] = FormDataTest::Dir().file("check" + std::to_string(i / 3) + SlotExtension(i));
    if (!UnpackDocument(DataSetManager().DocumentPath, files))
        return "<unreadable>";
    TQuery query;
    query.propSQL().Add("SELECT * FROM \"" + files[0] + "\" ");
    query.propSQL().Add(";");
    query.Open();
    return query.propActive() ? query.objFieldByName(name)->propAsString() : "<closed>";
}

// Every confirmation reaches the document at once; Cancel writes nothing; a save that fails
// keeps the previous document, says so, and the next confirmation writes it all.
TEST_F(FormDataTest, OkWritesTheDocumentCancelDoesNotAndAFailedSaveKeepsThePrevious) {
    const std::string doc = DataSetManager().DocumentPath;
    auto form = Open(8);
    Type(*form, 100, "Dr. Erste");
    Press(*form, 1);
    EXPECT_EQ(DocumentField("E8_100"), "Dr. Erste");
    const std::string saved = ReadFileBytes(doc);

    form = Open(8);
    Type(*form, 100, "Dr. Verworfen");
    Press(*form, 2);
    EXPECT_EQ(ReadFileBytes(doc), saved);

    ScriptedMessages messages;
    form = Open(8);
    Type(*form, 100, "Dr. Zweite");
    {
        // The disk fills half-way through the document's new file.
        const auto fault = ScopedFileFault::Quota(
            [doc](const std::string& path, size_t n) { return path == doc ? n / 2 : n; });
        Press(*form, 1);
    }
    ASSERT_EQ(messages.texts().size(), 2u);
    EXPECT_EQ(messages.texts()[0], "Fehler 03 beim Speichern!");
    EXPECT_NE(messages.texts()[1].find("nicht gespeichert"), std::string::npos);
    EXPECT_EQ(ReadFileBytes(doc), saved);
    EXPECT_FALSE(form->isVisible()) << "the record is posted; the form closes";

    form = Open(16);
    Press(*form, 1);
    EXPECT_EQ(DocumentField("E8_100"), "Dr. Zweite");
}

// A wrong card number gets its hint on the field, its mark and, focused, the line at the foot;
// the mark takes no focus and stays within the field; OK stores the number as typed.
TEST_F(FormDataTest, HintsShowAndStoreNothing) {
    auto form = Open(9);
    auto* hints = form->findChild<FormHints*>();
    ASSERT_NE(hints, nullptr);
    QApplication::setActiveWindow(form.get());
    const QString wrong = QStringLiteral("Die Prüfziffer dieser Kartennummer stimmt nicht.");
    Type(*form, 114, "4111 1111 1111 1112");
    form->Edit(114)->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(form->Edit(114)->accessibleDescription(), wrong);
    EXPECT_EQ(hints->LineText(), wrong);
    const QWidget* mark = hints->Mark(114);
    ASSERT_NE(mark, nullptr);
    EXPECT_EQ(mark->focusPolicy(), Qt::NoFocus);
    EXPECT_TRUE(form->Edit(114)->geometry().contains(mark->geometry()));
    // Another field focused takes the line; an empty field has no hint.
    form->Edit(115)->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(hints->LineText(), QString());
    Type(*form, 118, "x");
    Type(*form, 118, "");
    EXPECT_EQ(hints->Mark(118), nullptr);
    EXPECT_EQ(form->Edit(118)->accessibleDescription(), QString());
    Press(*form, 1);
    EXPECT_EQ(form->result(), IDOK);
    EXPECT_EQ(TableOf(3).objFieldByName("E3_114")->propAsString(), "4111 1111 1111 1112");
    // A form without checked fields has no hints.
    EXPECT_EQ(Open(8)->findChild<FormHints*>(), nullptr);

    // A derived IBAN: "Kopieren" beside it, or its key, copies the IBAN alone; it takes no
    // focus, so the line keeps the account's hint. (A published test account of the bank data.)
    form = Open(12);
    hints = form->findChild<FormHints*>();
    ASSERT_NE(hints, nullptr);
    QApplication::setActiveWindow(form.get());
    Type(*form, 107, "240 334 000");
    Type(*form, 108, "20210200");
    form->Edit(107)->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(form->Edit(107)->toolTip(), hints->LineText());
    ASSERT_TRUE(hints->CopyButton()->isVisibleTo(form.get()));
    hints->CopyButton()->click();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("DE77202102000240334000"));
    QGuiApplication::clipboard()->clear();
    QTest::keyClick(form->Edit(107), Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_TRUE(QTest::qWaitFor([] { // a button's key animates its click first
        return QGuiApplication::clipboard()->text() == QStringLiteral("DE77202102000240334000");
    }));
    form->Edit(108)->setFocus();
    QApplication::processEvents();
    EXPECT_FALSE(hints->CopyButton()->isVisibleTo(form.get())) << "a bank's name offers nothing";
    Press(*form, 2);
}

} // namespace

namespace {

// Calls act with the first widget find returns, polling from the event loop (a menu or a
// dialog that runs its own loop).
void WhenFound(std::function<QWidget*()> find, std::function<void(QWidget*)> act) {
    QTimer::singleShot(5, qApp, [find, act] {
        if (QWidget* w = find(); w && w->isVisible())
            act(w);
        else
            WhenFound(find, act);
    });
}

std::string StoredE8_100() {
    return DocumentField("E8_100");
}

} // namespace

// "Verlauf…" ends every field's context menu and opens the field's earlier values; the one
// restored there is the field's value in the form and in the document. Ctrl+Shift+V in a field
// opens the same window; Esc leaves it with nothing changed.
TEST_F(FormDataTest, VerlaufFromTheContextMenuRestoresAnEarlierValue) {
    for (const char* name : {"Dr. Eins", "Dr. Zwei"}) {
        auto form = Open(8);
        Type(*form, 100, name);
        Press(*form, 1);
    }
    auto form = Open(8);
    QWidget* field = form->Edit(100);
    field->setFocus();
    QString entry;
    bool enabled = false;
    QStringList listed;
    WhenFound([] { return QApplication::activePopupWidget(); },
              [&](QWidget* popup) {
                  auto* menu = qobject_cast<QMenu*>(popup);
                  QAction* last = menu->actions().back();
                  entry = last->text() + QLatin1Char(' ') + last->shortcut().toString();
                  enabled = last->isEnabled();
                  WhenFound([] { return QApplication::activeModalWidget(); },
                            [&](QWidget* box) {
                                auto* dialog = dynamic_cast<TVerlaufDialog*>(box);
                                ASSERT_NE(dialog, nullptr);
                                for (int i = 0; i < dialog->List()->topLevelItemCount(); ++i)
                                    listed << dialog->List()->topLevelItem(i)->text(2);
                                dialog->List()->setCurrentItem(dialog->List()->topLevelItem(0));
                                dialog->OnCommand(IDOK);
                            });
                  menu->setActiveAction(last);
                  QTest::keyClick(menu, Qt::Key_Return);
              });
    emit field->customContextMenuRequested(QPoint(4, 4));
    EXPECT_EQ(entry.toStdString(), "&Verlauf… Ctrl+Shift+V");
    EXPECT_TRUE(enabled);
    ASSERT_FALSE(listed.isEmpty());
    EXPECT_EQ(listed.front(), QStringLiteral("Dr. Eins"));
    EXPECT_EQ(Text(*form, 100), "Dr. Eins");
    EXPECT_EQ(StoredE8_100(), "Dr. Eins");

    bool opened = false;
    WhenFound([] { return QApplication::activeModalWidget(); },
              [&](QWidget* box) {
                  opened = dynamic_cast<TVerlaufDialog*>(box) != nullptr;
                  QTest::keyClick(box, Qt::Key_Escape);
              });
    QApplication::setActiveWindow(form.get());
    form->Edit(101)->setFocus();
    QTest::keyClick(form->Edit(101), Qt::Key_V, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_TRUE(opened);
    EXPECT_EQ(StoredE8_100(), "Dr. Eins");

    // A memo keeps the key for the history too.
    auto personal = Open(12);
    QWidget* memo = personal->Edit(123);
    ASSERT_NE(qobject_cast<QPlainTextEdit*>(memo), nullptr);
    opened = false;
    WhenFound([] { return QApplication::activeModalWidget(); },
              [&](QWidget* box) {
                  opened = dynamic_cast<TVerlaufDialog*>(box) != nullptr;
                  QTest::keyClick(box, Qt::Key_Escape);
              });
    QApplication::clipboard()->setText(QStringLiteral("Eingefügt"));
    QApplication::setActiveWindow(personal.get());
    memo->setFocus();
    QTest::keyClick(memo, Qt::Key_V, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_TRUE(opened);
    EXPECT_TRUE(Text(*personal, 123).empty()) << "nothing pasted";
}

// A screen reader hears every field of every form by a name of its own; a free field's value by
// its row's title, as typed.
TEST_F(FormDataTest, EveryFieldHasANameOfItsOwn) {
    for (const FormDescription& description : FormCatalogue()) {
        auto form = Open(description.command);
        std::map<QString, int> names;
        for (int id : FieldIds(description.category)) {
            if (!form->Edit(id))
                continue; // a field the form shows in another control (Verträge' list)
            const QString name = form->Edit(id)->accessibleName();
            EXPECT_FALSE(name.isEmpty()) << CategoryTitle(description.category) << " " << id;
            EXPECT_EQ(++names[name], 1)
                << CategoryTitle(description.category) << ": " << name.toStdString();
        }
        Press(*form, 2);
    }
    auto free = Open(10);
    Type(*free, 100, "Reisepass");
    Type(*free, 102, "Reisepass");
    EXPECT_EQ(free->Edit(101)->accessibleName(), QStringLiteral("Reisepass: Wert (Freies Feld 1)"));
    Type(*free, 102, "Führerschein");
    Type(*free, 104, "");
    EXPECT_EQ(free->Edit(101)->accessibleName(), QStringLiteral("Reisepass: Wert"));
    EXPECT_EQ(free->Edit(103)->accessibleName(), QStringLiteral("Führerschein: Wert"));
    EXPECT_EQ(free->Edit(105)->accessibleName(), QStringLiteral("Freies Feld 3: Wert"));
    Press(*free, 2);
    // The car's papers: the memo and the keys as the papers name them.
    auto car = Open(13);
    EXPECT_EQ(car->Edit(134)->accessibleName(), QStringLiteral("Bemerkungen"));
    EXPECT_EQ(car->Edit(101)->accessibleName(), QStringLiteral("Herstellerschlüsselnummer (zu 2)"));
    Press(*car, 2);
}
