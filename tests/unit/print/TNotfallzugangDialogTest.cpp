#include "print/TNotfallzugangDialog.h"

#include "engine/Crypto.h"
#include "recovery/ShareCode.h"
#include "tests/support/TestSupport.h"
#include "util/gui/DirectoryDialogs.h"

#include <QAbstractButton>
#include <QLineEdit>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <regex>
#include <sys/stat.h>

namespace {

using D = TNotfallzugangDialog;

void Type(D& d, int id, const char* text) {
    auto* edit = d.ControlAs<QLineEdit>(id);
    ASSERT_NE(edit, nullptr) << id;
    edit->setText(QString::fromUtf8(text));
}

// The codes printed in the PDF, in page order.
std::vector<std::string> CodesIn(const std::string& pdf) {
    std::string text = CommandOutput("pdftotext -layout '" + pdf + "' -");
    std::vector<std::string> codes;
    std::string current;
    static const std::regex group("\\b[A-HJ-NP-RT-X2-9]{6}\\b");
    for (auto& page : {text}) {
        for (std::sregex_iterator it(page.begin(), page.end(), group), end; it != end; ++it) {
            current += it->str();
            if (current.size() == 36) {
                codes.push_back(current);
                current.clear();
            }
        }
    }
    return codes;
}

} // namespace

// A wrong password or a missing name changes nothing; then the sheets are written (0600, one
// page each, whom for and how many), and the recovery given to the document is the one any two
// of the printed codes put together. A failed install takes the sheets away again.
TEST(TNotfallzugangDialogTest, WritesTheSheetsThenInstallsTheirRecovery) {
    TempDir dir;
    ScriptedMessages messages;
    const std::string target = dir.file("bögen.pdf");
    FileDialogRunner previous =
        SetFileDialogRunner([&](QWidget*, bool, const std::string&, const QString&,
                                const std::string&, const std::string&) {
            return FileDialogRun{true, false, target};
        });
    int installs = 0;
    bool installWorks = false;
    engine::SecretKey installed;
    RecoveryActions actions;
    actions.isPassword = [](const std::string& typed) { return typed == "richtig"; };
    actions.install = [&](QWidget*, const std::string& password, const engine::SecretKey& r) {
        ++installs;
        EXPECT_EQ(password, "richtig");
        installed = r;
        return installWorks;
    };
    for (bool works : {false, true}) {
        installWorks = works;
        messages.clear();
        D d(nullptr, QStringLiteral("Hans"), actions);
        QTimer::singleShot(0, &d, [&] {
            EXPECT_EQ(d.Threshold(), 2);
            EXPECT_EQ(d.Count(), 3);
            Type(d, D::kPasswordId, "falsch");
            d.ControlAs<QAbstractButton>(IDOK)->click();
            Type(d, D::kPasswordId, "richtig");
            Type(d, D::kNameBase + 1, "Anna");
            Type(d, D::kNameBase + 2, "Ben");
            d.ControlAs<QAbstractButton>(IDOK)->click(); // no name for sheet 3
            EXPECT_FALSE(d.Control(D::kNameBase + 4)->isEnabled());
            Type(d, D::kNameBase + 3, "Notar Dr. Weiß");
            d.ControlAs<QAbstractButton>(IDOK)->click();
            if (d.isVisible())
                d.CloseWindow(IDCANCEL);
        });
        d.Execute();
        ASSERT_GE(messages.texts().size(), 3u);
        EXPECT_EQ(messages.texts()[0], "Das Paßwort stimmt nicht.");
        EXPECT_EQ(messages.texts()[1], "Bitte geben Sie an, für wen Bogen 3 ist.");
        if (!works) {
            EXPECT_NE(messages.texts()[2].find("bisherige Notfallzugang gilt weiter"),
                      std::string::npos);
            struct stat st {};
            EXPECT_NE(::stat(target.c_str(), &st), 0) << "sheets that open nothing are removed";
        }
    }
    SetFileDialogRunner(previous);
    EXPECT_EQ(installs, 2);
    struct stat st {};
    ASSERT_EQ(::stat(target.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    std::string text = CommandOutput("pdftotext '" + target + "' -");
    std::replace(text.begin(), text.end(), '\n', ' ');
    for (const char* expected : {"Notfallbogen 1 von 3", "für Anna", "für Notar Dr. Weiß",
                                 "Nötig sind 2 der 3 Bögen", "Notfallzugang…"})
        EXPECT_NE(text.find(expected), std::string::npos) << expected;
    const std::vector<std::string> codes = CodesIn(target);
    ASSERT_EQ(codes.size(), 3u) << text;
    std::vector<recovery::DecodedShare> shares;
    for (const std::string& c : codes)
        shares.push_back(recovery::DecodeShare(c));
    engine::SecretKey combined;
    ASSERT_TRUE(recovery::CombineShares({&shares[2].share, &shares[0].share}, combined));
    EXPECT_TRUE(
        std::equal(combined.data(), combined.data() + engine::kRecoverySize, installed.data()));
}
