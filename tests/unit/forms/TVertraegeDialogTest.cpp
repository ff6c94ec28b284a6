#include "forms/TVertraegeDialog.h"
#include "forms/FormFactory.h"
#include "forms/FormHints.h"
#include "platform/SystemDirs.h"
#include "store/CategoryValues.h"
#include "store/TDataSetManager.h"
#include "tests/support/TestSupport.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include <gtest/gtest.h>

namespace {

constexpr int kListId = 500;
constexpr int kCancelDateId = 520;
constexpr int kReasonId = 521;
constexpr int kLetterId = 522;

int PartId(ContractPart part) {
    return 501 + static_cast<int>(part);
}

class ContractFormTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_dir = new TempDir;
        SystemDirs::SetTempDirectory(s_dir->path());
        SystemDirs::SetProgramDirectory(QUILLORY_TEMPLATE_DIR);
        DataSetManager().DocumentPath = s_dir->file("Vertr\xC3\xA4ge.qlr");
        ScriptedMessages quiet;
        DataSetManager().Create();
        ASSERT_TRUE(DataSetManager().IsOpen);
        TVertraegeDialog::SetToday([] { return CalendarDate{2026, 12, 10}; });
    }
    static void TearDownTestSuite() {
        TVertraegeDialog::SetLetterWriter({});
        DataSetManager().Close();
        delete s_dir;
    }
    static TempDir* s_dir;

    static std::unique_ptr<TVertraegeDialog> Open(int field = 0) {
        std::unique_ptr<TDialog> d =
            field ? CreateCategoryFormAtField(kContractCategory, field, false, nullptr)
                  : CreateCategoryForm(20, nullptr);
        auto form = std::unique_ptr<TVertraegeDialog>(dynamic_cast<TVertraegeDialog*>(d.release()));
        form->show();
        QApplication::processEvents();
        return form;
    }
    static void Type(TDialog& form, int id, const char* text) {
        auto* line = form.ControlAs<QLineEdit>(id);
        line->clear();
        line->insert(QString::fromUtf8(text));
    }
    static std::string Stored(int id) {
        std::map<int, std::string> values;
        EXPECT_TRUE(ReadCategoryValues(kContractCategory, values));
        return values[id];
    }
};
TempDir* ContractFormTest::s_dir = nullptr;

// Two contracts typed through the one detail area, the computed day shown beside them, the
// Vorsorge block checked without blocking: OK stores them all, the next opening shows them.
TEST_F(ContractFormTest, ContractsTypedInTheDetailAreaReachTheTableAndComeBack) {
    {
        auto form = Open();
        EXPECT_TRUE(form->ControlAs<QListWidget>(kListId)->item(0)->isSelected())
            << "the list marks the contract shown";
        form->ControlAs<QComboBox>(PartId(ContractPart::Kind))
            ->setCurrentText(QStringLiteral("Mobilfunk"));
        Type(*form, PartId(ContractPart::Provider), "Funkwelle");
        Type(*form, PartId(ContractPart::Begin), "01.03.2025");
        Type(*form, PartId(ContractPart::Minimum), "24");
        Type(*form, PartId(ContractPart::Password), "geheim");
        form->ControlAs<QCheckBox>(PartId(ContractPart::CancelOnDeath))->setChecked(true);
        EXPECT_EQ(form->ItemText(kCancelDateId), "31.01.2027 (Ende 28.02.2027)");
        EXPECT_NE(form->ItemText(kReasonId).find("Telekommunikation, Vertrag ab 1.3.2022"),
                  std::string::npos);
        auto* list = form->ControlAs<QListWidget>(kListId);
        EXPECT_EQ(list->item(0)->text(), QStringLiteral("1. Funkwelle: bis 31.01.2027"));
        list->setCurrentRow(2);
        EXPECT_EQ(form->ItemText(PartId(ContractPart::Provider)), "");
        Type(*form, PartId(ContractPart::Provider), "Stadtwerke");
        Type(*form, PartId(ContractPart::Begin), "01.01.2024");
        Type(*form, PartId(ContractPart::Notice), "zum Quartal");
        EXPECT_EQ(form->ItemText(kCancelDateId),
                  "nicht berechenbar: K\xC3\xBCndigungsfrist zum Quartal");
        list->setCurrentRow(0);
        EXPECT_EQ(form->ItemText(PartId(ContractPart::Provider)), "Funkwelle");
        // A wrong check digit is told, and stored all the same.
        Type(*form, static_cast<int>(ProvisionField::TaxId), "86095742718");
        auto* hints = form->findChild<FormHints*>();
        ASSERT_NE(hints, nullptr);
        EXPECT_FALSE(hints->HintText(static_cast<int>(ProvisionField::TaxId)).isEmpty());
        form->ControlAs<QPushButton>(IDOK)->click();
        EXPECT_EQ(form->result(), IDOK);
    }
    EXPECT_EQ(Stored(ContractFieldId(0, ContractPart::Provider)), "Funkwelle");
    EXPECT_EQ(Stored(ContractFieldId(0, ContractPart::Kind)), "Mobilfunk");
    EXPECT_EQ(Stored(ContractFieldId(0, ContractPart::CancelOnDeath)), "ja");
    EXPECT_EQ(Stored(ContractFieldId(0, ContractPart::Password)), "geheim");
    EXPECT_EQ(Stored(ContractFieldId(2, ContractPart::Provider)), "Stadtwerke");
    EXPECT_EQ(Stored(static_cast<int>(ProvisionField::TaxId)), "86095742718");

    // Opened at a field of the third contract: that contract is chosen, its field focused.
    auto again = Open(ContractFieldId(2, ContractPart::Notice));
    EXPECT_EQ(again->CurrentContract(), 2);
    EXPECT_EQ(again->ItemText(PartId(ContractPart::Provider)), "Stadtwerke");
    EXPECT_EQ(QApplication::focusWidget(), again->Control(PartId(ContractPart::Notice)));
    // Cancel after a change writes nothing.
    Type(*again, PartId(ContractPart::Provider), "Andere Werke");
    again->CloseWindow(IDCANCEL);
    EXPECT_EQ(Stored(ContractFieldId(2, ContractPart::Provider)), "Stadtwerke");
}

// The screen reader hears every control by its label; the customer password is masked; the
// letter button hands the chosen contract's values on, as typed.
TEST_F(ContractFormTest, LabelsPasswordAndLetter) {
    auto form = Open();
    const std::pair<int, const char*> names[] = {
        {kListId, "Vertr\xC3\xA4ge"},
        {PartId(ContractPart::Provider), "Anbieter"},
        {PartId(ContractPart::Kind), "Art"},
        {PartId(ContractPart::Begin), "Beginn"},
        {PartId(ContractPart::Notice), "K\xC3\xBCndigungsfrist"},
        {PartId(ContractPart::Period), "Zeitraum"},
        {kCancelDateId, "K\xC3\xBCndigen bis"},
        {kReasonId, "Begr\xC3\xBCndung"},
        {static_cast<int>(ProvisionField::InsuredNumber), "Versichertennummer"},
    };
    for (const auto& [id, name] : names)
        EXPECT_EQ(form->Control(id)->accessibleName().toStdString(), name) << id;
    EXPECT_EQ(form->ControlAs<QLineEdit>(PartId(ContractPart::Password))->echoMode(),
              QLineEdit::Password);
    std::map<int, std::string> handed;
    int contract = -1;
    TVertraegeDialog::SetLetterWriter(
        [&](QWidget*, const std::map<int, std::string>& values, int c) {
            handed = values;
            contract = c;
        });
    form->SelectContract(2);
    Type(*form, PartId(ContractPart::Provider), "Stadtwerke");
    form->ControlAs<QPushButton>(kLetterId)->click();
    EXPECT_EQ(contract, 2);
    EXPECT_EQ(handed[ContractFieldId(2, ContractPart::Provider)], "Stadtwerke");
    form->CloseWindow(IDCANCEL);
}

} // namespace
