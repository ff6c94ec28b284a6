#include "platform/gui/FieldNames.h"

#include "platform/gui/TDialog.h"

#include <gtest/gtest.h>

#include <QWidget>

#include <set>

namespace {

std::map<int, std::string> NamesById(const char* dialog) {
    std::map<int, std::string> byId;
    const DialogTemplate* t = AppResources().dialog(ResId(dialog));
    if (t != nullptr) {
        for (const auto& [index, name] : FieldAccessibleNames(*t)) {
            byId[t->controls[index].id] = name;
        }
    }
    return byId;
}

} // namespace

// The real templates: a field is named by its label, with the heading above where the label
// repeats, and no two fields of one dialog sound alike.
TEST(FieldNames, LabelsHeadingsAndNoTwoFieldsAlike) {
    const auto doctors = NamesById("IDD_AERZTE");
    EXPECT_EQ(doctors.at(100), "Hausarzt: Name");
    EXPECT_EQ(doctors.at(101), "Hausarzt: Adresse");
    EXPECT_EQ(doctors.at(114), "Spezialarzt 2: Fax");
    const auto password = NamesById("IDD_PASSWORD");
    EXPECT_EQ(password.at(122), "Paßwort");
    EXPECT_EQ(password.at(123), "Paßwort bestätigen");
    const auto banking = NamesById("IDD_BANKEN");
    EXPECT_EQ(banking.at(130), "Online-Banking: Bank (1)");
    EXPECT_EQ(banking.at(133), "Scheckkarten: Bank (2)");
    EXPECT_EQ(banking.at(109), "Scheckkarten: Geheimnr. (1)");
    EXPECT_EQ(NamesById("BACKUP_DIALOG").at(103), "Zu sichernde Dateien");

    for (const auto& [id, t] : AppResources().dialogs()) {
        std::set<std::string> seen;
        for (const auto& [index, name] : FieldAccessibleNames(t)) {
            EXPECT_TRUE(seen.insert(name).second) << id.toString() << ": " << name;
            EXPECT_EQ(name.find(':', name.size() - 1), std::string::npos) << name;
        }
    }
    // The dialog built from the template carries the names.
    TDialog dialog(nullptr, ResId("IDD_AERZTE"));
    ASSERT_NE(dialog.Control(105), nullptr);
    EXPECT_EQ(dialog.Control(105)->accessibleName(), QStringLiteral("Spezialarzt 1: Name"));
    EXPECT_EQ(SpokenText("&Löschen"), "Löschen");
    EXPECT_EQ(SpokenText(" Geheimnr.: "), "Geheimnr.");
}
