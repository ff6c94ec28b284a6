#include "forms/TSearchDialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QLineEdit>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Shown {
    QString form;
    QString value;
    QPoint firstMark; // start and length in the shown value; (0, 0) for none
};

std::vector<Shown> Results(const TSearchDialog& dialog) {
    std::vector<Shown> shown;
    for (int i = 0; i < dialog.Results()->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = dialog.Results()->topLevelItem(i);
        const QVariantList marks = item->data(2, Qt::UserRole + 2).toList();
        shown.push_back(
            {item->text(0), item->text(2), marks.isEmpty() ? QPoint() : marks.front().toPoint()});
    }
    return shown;
}

// Every change of the line or the tick box updates the results at once: the form, the value
// with its match marked (a long memo shown from shortly before it), secrets only when ticked
// and then masked; Enter opens the current result, Ctrl+C copies what a secret shows.
TEST(SearchDialogTest, LiveResultsSecretsAndChoice) {
    TSearchDialog dialog(nullptr, {{8, 100, "Hausarzt: Name", "Dr. Grün", false},
                                   {8, 101, "Hausarzt: Adresse", "Kölner Str. 1\r\nKöln", false},
                                   {3, 102, "Paßwort", "Grün4711", true},
                                   {10, 134, "Notizen", std::string(200, 'x') + " Köln", false}});
    dialog.show();
    QApplication::processEvents();
    QLineEdit* line = dialog.Line();
    auto* secret = qobject_cast<QCheckBox*>(dialog.Control(TSearchDialog::kSecretId));
    ASSERT_NE(line, nullptr);
    ASSERT_NE(secret, nullptr);
    EXPECT_EQ(dialog.focusWidget(), line);
    EXPECT_EQ(line->accessibleName(), QStringLiteral("Suchbegriff"));
    EXPECT_EQ(secret->accessibleName(), QStringLiteral("Auch geheime Felder durchsuchen"));
    EXPECT_EQ(dialog.Results()->accessibleName(), QStringLiteral("Treffer"));

    const QString dots = QStringLiteral("\u2022\u2022\u2022\u2022");
    const QString memo = QChar(0x2026) + QString(29, QLatin1Char('x')) + QStringLiteral(" Köln");
    struct Step {
        const char* typed;
        bool ticked;
        std::vector<Shown> expected;
    };
    const Step steps[] = {
        {"gruen", false, {{QStringLiteral("Ärzte"), QStringLiteral("Dr. Grün"), {4, 4}}}},
        {"gruen",
         true,
         {{QStringLiteral("Ärzte"), QStringLiteral("Dr. Grün"), {4, 4}},
          {QStringLiteral("Bankgeschäfte"), dots, {}}}},
        {"KOELN",
         false,
         {{QStringLiteral("Ärzte"), QStringLiteral("Kölner Str. 1 \u21B5Köln"), {0, 4}},
          {QStringLiteral("Fahrzeugschein/brief"), memo, {31, 4}}}},
        {"4711", false, {}},
        {"", true, {}},
        {"4711", true, {{QStringLiteral("Bankgeschäfte"), dots, {}}}},
    };
    for (const Step& step : steps) {
        line->setText(QString::fromUtf8(step.typed));
        if (secret->isChecked() != step.ticked)
            secret->click();
        const std::vector<Shown> shown = Results(dialog);
        ASSERT_EQ(shown.size(), step.expected.size()) << step.typed;
        for (size_t i = 0; i < shown.size(); ++i) {
            EXPECT_EQ(shown[i].form, step.expected[i].form) << step.typed;
            EXPECT_EQ(shown[i].value, step.expected[i].value) << step.typed;
            EXPECT_EQ(shown[i].firstMark, step.expected[i].firstMark) << step.typed;
        }
    }
    QTest::keyClick(dialog.Results(), Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), dots);

    line->setText(QStringLiteral("koeln"));
    QTest::keyClick(line, Qt::Key_Down);
    QTest::keyClick(line, Qt::Key_Return);
    EXPECT_FALSE(dialog.isVisible());
    ASSERT_TRUE(dialog.Chosen().has_value());
    EXPECT_EQ(dialog.Chosen()->category, 10);
    EXPECT_EQ(dialog.Chosen()->id, 134);
}

} // namespace
