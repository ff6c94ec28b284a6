#include "platform/gui/SecretClipboard.h"

#include <QGuiApplication>
#include <QLineEdit>
#include <QMimeData>

#include <gtest/gtest.h>

#include <memory>

using namespace std::chrono_literals;

namespace {

// The application's clipboard with a hand-moved clock. The offscreen clipboard knows no
// other program, so `foreign` says whose text the next change is.
class SecretClipboardTest : public ::testing::Test {
protected:
    QClipboard* clipboard = QGuiApplication::clipboard();
    std::chrono::steady_clock::time_point now{};
    bool foreign = false;
    std::unique_ptr<SecretClipboard> guard;

    void SetUp() override {
        clipboard->clear();
        guard = std::make_unique<SecretClipboard>(
            clipboard, [this] { return now; }, [this](QClipboard::Mode) { return !foreign; });
    }
    void TearDown() override {
        guard.reset();
        clipboard->clear();
    }
    QString Hint() const {
        const QMimeData* data = clipboard->mimeData();
        return data ? QString::fromLatin1(
                          data->data(QString::fromLatin1(SecretClipboard::kHintFormat)))
                    : QString();
    }
    // Copies (or cuts) the whole text of a field, as Ctrl+C and the context menu do.
    static void CopyField(QLineEdit& field, bool cut = false) {
        field.selectAll();
        cut ? field.cut() : field.copy();
    }
};

} // namespace

TEST_F(SecretClipboardTest, CopiedTextIsMarkedSecretAndLeavesAfterThirtySeconds) {
    QLineEdit field(QStringLiteral("PIN 4711"));
    CopyField(field);
    EXPECT_EQ(clipboard->text(), QStringLiteral("PIN 4711"));
    EXPECT_EQ(Hint(), QStringLiteral("secret"));
    EXPECT_TRUE(guard->HoldsOurs());

    now += 29s;
    guard->Expire();
    EXPECT_EQ(clipboard->text(), QStringLiteral("PIN 4711"));

    // A second copy starts its own thirty seconds.
    QLineEdit other(QStringLiteral("Super-PIN 0815"));
    CopyField(other, /*cut=*/true);
    EXPECT_TRUE(other.text().isEmpty());
    EXPECT_EQ(Hint(), QStringLiteral("secret"));
    now += 29s;
    guard->Expire();
    EXPECT_EQ(clipboard->text(), QStringLiteral("Super-PIN 0815"));
    now += 1s;
    guard->Expire();
    EXPECT_TRUE(clipboard->text().isEmpty());
    EXPECT_FALSE(guard->HoldsOurs());
}

TEST_F(SecretClipboardTest, AnotherProgramsTextIsNeitherMarkedNorCleared) {
    QLineEdit field(QStringLiteral("PIN 4711"));
    CopyField(field);
    foreign = true;
    clipboard->setText(QStringLiteral("PIN 4711")); // the same text, but not ours
    foreign = false;
    EXPECT_TRUE(Hint().isEmpty());
    EXPECT_FALSE(guard->HoldsOurs());
    now += 31s;
    guard->Expire();
    guard.reset(); // the program ends
    EXPECT_EQ(clipboard->text(), QStringLiteral("PIN 4711"));
}

TEST_F(SecretClipboardTest, TheEndOfTheProgramTakesOurTextAlong) {
    QLineEdit field(QStringLiteral("Kennwort: Sommer"));
    CopyField(field);
    guard.reset();
    EXPECT_TRUE(clipboard->text().isEmpty());
}
