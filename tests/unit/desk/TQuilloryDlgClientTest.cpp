#include "desk/TQuilloryDlgClient.h"

#include "desk/HotSpotTable.h"
#include "graphics/TBitmapRegion.h"
#include "platform/SystemDirs.h"
#include "platform/gui/HelpViewer.h"
#include "platform/gui/MessageBoxQt.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include "desk/THotSpotButton.h"

#include <QApplication>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QTest>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace {

QPoint Centre(int command) {
    for (const auto& row : kHotSpotTable) {
        if (row.command == command) {
            return {row.x + row.w / 2, row.y + row.h / 2};
        }
    }
    return {};
}

const QPoint kBackground(330, 90);

// A desk inside a plain top-level window, with recording services.
struct DeskRig {
    TempDir dir;
    std::vector<std::string> calls;
    std::function<void(int)> onForm;
    bool protectedTables;
    std::unique_ptr<QWidget> frame;
    TQuilloryDlgClient* desk = nullptr;

    DeskServices services() {
        DeskServices s;
        s.attachPasswordRequest = [this](QWidget*, DeskPasswordState&) {
            calls.push_back("attach");
        };
        s.detachPasswordRequest = [this] { calls.push_back("detach"); };
        s.login = [this] {
            calls.push_back("login");
            return true;
        };
        s.queryProtection = [this] {
            calls.push_back("protection");
            return protectedTables;
        };
        s.runForm = [this](int command, QWidget*) {
            calls.push_back("form " + std::to_string(command));
            if (onForm) {
                onForm(command);
            }
        };
        s.backup = [this](QWidget*, const std::string&) { calls.push_back("backup"); };
        s.setPassword = [this](QWidget*, DeskPasswordState& st) {
            calls.push_back("set");
            st.isProtected = true;
        };
        s.removePassword = [this](QWidget*, DeskPasswordState& st) {
            calls.push_back("remove");
            st.isProtected = false;
        };
        s.quit = [this] { calls.push_back("quit"); };
        s.emergencyFolder = [this](QWidget*, const DeskPasswordState&) {
            calls.push_back("folder, spot " + std::to_string(state(CmEmergencyFolder)));
        };
        return s;
    }

    explicit DeskRig(bool show = true, bool protectedAtStart = false)
        : protectedTables(protectedAtStart) {
        SystemDirs::SetProgramDirectory(dir.path());
        frame = std::make_unique<QWidget>(nullptr, Qt::Window | Qt::FramelessWindowHint);
        desk = new TQuilloryDlgClient(nullptr, services());
        desk->setParent(frame.get());
        desk->SetupWindow();
        if (show) {
            frame->show();
        }
        calls.clear();
    }
    ~DeskRig() { SystemDirs::SetProgramDirectory(""); }

    int state(int command) const {
        return desk->HotSpots()[static_cast<size_t>(desk->HotSpotOf(command))]->state;
    }
    std::vector<int> states() const {
        std::vector<int> result;
        for (const auto& spot : desk->HotSpots()) {
            result.push_back(spot->state);
        }
        return result;
    }
    void move(const QPoint& p) {
        QMouseEvent event(QEvent::MouseMove, p, desk->mapToGlobal(p), Qt::NoButton, Qt::NoButton,
                          Qt::NoModifier);
        QApplication::sendEvent(desk, &event);
    }
    // A key as the keyboard delivers it: to the widget holding the focus.
    void key(int key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QWidget* target = QApplication::focusWidget();
        ASSERT_NE(target, nullptr);
        QTest::keyClick(target, Qt::Key(key), mods);
    }
    std::string focusName() const {
        const THotSpotButton* b = desk->Button(desk->FocusedSpot());
        return b ? b->accessibleName().toStdString() : std::string("-");
    }
    bool press(const QPoint& p) {
        QMouseEvent event(QEvent::MouseButtonPress, p, desk->mapToGlobal(p), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        event.setAccepted(true);
        QApplication::sendEvent(desk, &event);
        return event.isAccepted();
    }
};

} // namespace

TEST(Desk, BuildsHotSpotsBeforeTheLoginAndReadsProtectionAfterIt) {
    DeskRig rig(false);
    std::vector<std::string> order;
    DeskServices s = rig.services();
    s.login = [&] {
        order.push_back("login");
        return true;
    };
    s.attachPasswordRequest = [&](QWidget*, DeskPasswordState&) { order.push_back("attach"); };
    s.queryProtection = [&] {
        order.push_back("protection");
        return true;
    };
    auto desk = std::make_unique<TQuilloryDlgClient>(nullptr, s);
    EXPECT_EQ(order, (std::vector<std::string>{"attach", "login", "protection"}));
    EXPECT_TRUE(desk->PasswordState().isProtected);
    ASSERT_EQ(desk->HotSpots().size(), kHotSpotTable.size());
    for (size_t i = 0; i < kHotSpotTable.size(); ++i) {
        const auto& row = kHotSpotTable[i];
        const auto& spot = *desk->HotSpots()[i];
        EXPECT_EQ(spot.id, row.command);
        EXPECT_EQ(spot.state, 0);
        for (int s2 = 0; s2 < 3; ++s2) {
            EXPECT_EQ(spot.region[s2], QRegion(QRect(row.x, row.y, row.w, row.h)));
            EXPECT_EQ(spot.origin[s2], QPoint(row.x, row.y));
        }
    }
}

TEST(Desk, CancelledLoginThrowsAndDetachesThePasswordRequest) {
    DeskRig rig(false);
    std::vector<std::string> order;
    DeskServices s = rig.services();
    s.login = [] { return false; };
    s.queryProtection = [&] {
        order.push_back("protection");
        return false;
    };
    s.detachPasswordRequest = [&] { order.push_back("detach"); };
    EXPECT_THROW(TQuilloryDlgClient(nullptr, s), LoginCancelled);
    EXPECT_EQ(order, std::vector<std::string>{"detach"});
}

TEST(Desk, WindowHasTheBackgroundSizeIsCentredAndRectangularWithoutAnOutline) {
    DeskRig rig;
    const QSize size = rig.desk->BackgroundSize();
    EXPECT_FALSE(size.isEmpty());
    EXPECT_EQ(rig.frame->size(), size);
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_EQ(rig.frame->pos(),
              QPoint((screen.width() - size.width()) / 2, (screen.height() - size.height()) / 2));
    EXPECT_EQ(rig.frame->mask(), QRegion(QRect(QPoint(0, 0), size)));
}

TEST(Desk, OutlineFromTheContourFileShapesTheWindow) {
    TempDir dir;
    std::string bytes;
    const auto put = [&](int32_t v) {
        for (int shift = 0; shift < 32; shift += 8) {
            bytes.push_back(static_cast<char>((static_cast<uint32_t>(v) >> shift) & 0xFF));
        }
    };
    put(3);
    for (const int32_t v : {0, 0, 400, 0, 0, 300}) {
        put(v);
    }
    WriteFileBytes(dir.file("kontur.dat"), bytes);
    DeskRig rig(false);
    SystemDirs::SetProgramDirectory(dir.path());
    rig.desk->SetupWindow();
    EXPECT_TRUE(rig.frame->mask().contains(QPoint(10, 10)));
    EXPECT_FALSE(rig.frame->mask().contains(QPoint(390, 290)));
}

TEST(Desk, HoverMovesStraightFromSpotToSpotAndTheBackgroundClearsIt) {
    DeskRig rig;
    rig.move(Centre(CmAbout));
    EXPECT_EQ(rig.state(CmAbout), 2);
    rig.move(Centre(CmHelp));
    EXPECT_EQ(rig.state(CmHelp), 2);
    EXPECT_EQ(rig.state(CmAbout), 0);
    rig.move(kBackground);
    EXPECT_EQ(rig.states(), std::vector<int>(kHotSpotTable.size(), 0));
}

TEST(Desk, PressOnTheBackgroundChangesNothingRunsNothingAndGoesToTheFrame) {
    DeskRig rig;
    const auto before = rig.states();
    EXPECT_FALSE(rig.press(kBackground)) << "the frame must get the press to move the window";
    EXPECT_EQ(rig.states(), before);
    EXPECT_TRUE(rig.calls.empty());
    EXPECT_FALSE(rig.desk->Busy());
}

TEST(Desk, SpotShowsPressedWhileItsDialogRunsAndNormalAfterIt) {
    DeskRig rig;
    std::vector<int> during;
    bool busyDuring = false;
    rig.onForm = [&](int command) {
        during.push_back(rig.state(command));
        busyDuring = rig.desk->Busy();
        // Moving the mouse while the form runs changes no highlight.
        rig.move(Centre(CmAbout));
    };
    for (int command = CmFirstForm; command <= CmLastForm; ++command) {
        rig.move(Centre(command));
        ASSERT_TRUE(rig.press(Centre(command)));
        EXPECT_EQ(rig.state(command), 0) << command;
        EXPECT_EQ(rig.state(CmAbout), 0);
        EXPECT_FALSE(rig.desk->Busy());
    }
    EXPECT_EQ(during, std::vector<int>(9, 1));
    EXPECT_TRUE(busyDuring);
    EXPECT_EQ(rig.calls.size(), 9u);
    EXPECT_EQ(rig.calls.front(), "form 8");
    EXPECT_EQ(rig.calls.back(), "form 16");
}

TEST(Desk, CommandsReachTheirServices) {
    DeskRig rig;
    rig.press(Centre(CmBackup));
    rig.press(Centre(CmSetPassword));
    rig.press(Centre(CmRemovePassword));
    rig.press(Centre(CmEmergencyFolder));
    // Ctrl+P on the desk does what the quill does.
    QApplication::setActiveWindow(rig.frame.get());
    QTest::keyClick(rig.desk, Qt::Key_P, Qt::ControlModifier);
    EXPECT_EQ(rig.calls, (std::vector<std::string>{"backup", "set", "remove", "folder, spot 1",
                                                   "folder, spot 1"}));
    // The contracts' form opens by its spot and by Ctrl+Shift+K, as the other forms do.
    rig.calls.clear();
    rig.press(Centre(CmContracts));
    QTest::keyClick(rig.desk, Qt::Key_K, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(rig.calls, (std::vector<std::string>{"form 20", "form 20"}));
    rig.calls.clear();
    QTest::keyClick(rig.desk, Qt::Key_P, Qt::ControlModifier);
    // The key leaves the keyboard focus on the quill, highlighted; every other spot is normal.
    std::vector<int> expected(kHotSpotTable.size(), 0);
    expected[static_cast<size_t>(rig.desk->HotSpotOf(CmEmergencyFolder))] = 2;
    EXPECT_EQ(rig.states(), expected);
}

// A key (L, Alt+L) asks before the protection goes, No the default; the mouse does not ask.
// The desk's description follows the protection.
TEST(Desk, RemovingThePasswordByKeyAsksFirstAndTheDescriptionFollowsTheProtection) {
    DeskRig rig(true, true);
    auto described = [&rig] { return rig.desk->accessibleDescription().toStdString(); };
    EXPECT_EQ(described(), "Die Daten sind durch ein Paßwort geschützt.");
    QApplication::setActiveWindow(rig.frame.get());
    rig.desk->setFocus();
    ScriptedMessages messages({IDNO, IDYES});
    rig.key(Qt::Key_L, Qt::AltModifier);
    EXPECT_TRUE(rig.calls.empty()) << "No keeps the protection";
    rig.key(Qt::Key_L);
    ASSERT_EQ(messages.shown().size(), 2u);
    EXPECT_NE(messages.texts()[0].find("nicht mehr verschlüsselt"), std::string::npos);
    EXPECT_TRUE(messages.shown()[0].flags & MB_DEFBUTTON2);
    EXPECT_EQ(rig.calls, std::vector<std::string>{"remove"});
    EXPECT_EQ(described(), "Die Daten sind nicht durch ein Paßwort geschützt.");
    rig.press(Centre(CmSetPassword));
    rig.press(Centre(CmRemovePassword));
    EXPECT_EQ(messages.shown().size(), 2u) << "the mouse removes without a question";
    EXPECT_EQ(rig.calls.back(), "remove");
}

TEST(Desk, MinimiseShowsTheFrameMinimisedAndTheSpotNormal) {
    DeskRig rig;
    rig.press(Centre(CmMinimise));
    EXPECT_TRUE(rig.frame->windowState() & Qt::WindowMinimized);
    rig.frame->showNormal();
    EXPECT_EQ(rig.state(CmMinimise), 0);
    EXPECT_FALSE(rig.desk->Busy());
}

TEST(Desk, ExitQuitsAndStaysPressedAndBusy) {
    DeskRig rig;
    rig.press(Centre(CmExit));
    EXPECT_EQ(rig.calls, std::vector<std::string>{"quit"});
    EXPECT_EQ(rig.state(CmExit), 1);
    EXPECT_TRUE(rig.desk->Busy());
    rig.move(Centre(CmAbout));
    EXPECT_EQ(rig.state(CmAbout), 0);
}

// A screen reader names a spot's keys as a German keyboard labels them.
TEST(Desk, SpotKeysAreDescribedInGerman) {
    ASSERT_TRUE(LoadGermanTranslations(*qApp));
    DeskRig rig;
    for (size_t i = 0; i < kHotSpotTable.size(); ++i) {
        if (kHotSpotTable[i].command == CmEmergencyFolder) {
            EXPECT_EQ(rig.desk->Button(static_cast<int>(i))->accessibleDescription(),
                      QStringLiteral("Taste Strg+P"));
        }
        if (kHotSpotTable[i].command == CmDeadlines) {
            EXPECT_EQ(rig.desk->Button(static_cast<int>(i))->accessibleName(),
                      QStringLiteral("Fristen"));
            EXPECT_EQ(rig.desk->Button(static_cast<int>(i))->accessibleDescription(),
                      QStringLiteral("Taste T"));
        }
    }
}

TEST(Desk, KeyboardWalksTheSpotsInScreenOrderAndEnterRunsTheFocusedOneAsAPressDoes) {
    DeskRig rig;
    rig.frame->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(rig.frame.get()));
    // The desk holds the focus from the start; the first key only shows where it is.
    ASSERT_NE(rig.desk->FocusedSpot(), -1);
    EXPECT_FALSE(rig.desk->KeyboardLeads());
    rig.key(Qt::Key_Tab);
    EXPECT_TRUE(rig.desk->KeyboardLeads());
    std::vector<std::string> walked{rig.focusName()};
    for (size_t i = 0; i < rig.desk->HotSpots().size(); ++i) {
        rig.key(Qt::Key_Tab);
        walked.push_back(rig.focusName());
    }
    // Left column, middle column (the knob above the cards), right column; then round again.
    const std::vector<std::string> columns{"Fristen",
                                           "Paßwort vergeben",
                                           "Paßwort löschen",
                                           "Backup",
                                           "Minimieren",
                                           "Persönliches",
                                           "Wichtige Nummern",
                                           "Ärzte",
                                           "Bankgeschäfte",
                                           "Softwareregistrierung",
                                           "Online",
                                           "Seriennummern",
                                           "Fahrzeugschein/brief",
                                           "Frei definierbare Felder",
                                           "Hilfe",
                                           "Information",
                                           "Programm beenden"};
    std::vector<std::string> known;
    for (const std::string& name : walked) {
        if (std::find(columns.begin(), columns.end(), name) != columns.end()) {
            known.push_back(name);
        }
    }
    ASSERT_EQ(known.size(), columns.size() + 1);
    EXPECT_EQ(std::vector<std::string>(known.begin(), known.end() - 1), columns);
    EXPECT_EQ(known.back(), walked.front()) << "Tab wraps round";
    rig.key(Qt::Key_Backtab);
    EXPECT_EQ(rig.focusName(), walked[walked.size() - 2]);

    // Arrows: down the column, across to the card on the same line, up to the knob.
    while (rig.focusName() != "Paßwort löschen") {
        rig.key(Qt::Key_Tab);
    }
    rig.key(Qt::Key_Right);
    EXPECT_EQ(rig.focusName(), "Bankgeschäfte");
    rig.key(Qt::Key_Down);
    EXPECT_EQ(rig.focusName(), "Softwareregistrierung");
    rig.key(Qt::Key_Up);
    rig.key(Qt::Key_Up);
    rig.key(Qt::Key_Up);
    rig.key(Qt::Key_Up);
    rig.key(Qt::Key_Up);
    EXPECT_EQ(rig.focusName(), "Minimieren");

    // The focused spot alone is highlighted; a mouse move takes the highlight, a key returns it.
    const int focused = rig.desk->FocusedSpot();
    EXPECT_EQ(rig.desk->HotSpots()[static_cast<size_t>(focused)]->state, 2);
    const std::vector<int> states = rig.states();
    EXPECT_EQ(std::count(states.begin(), states.end(), 2), 1);
    rig.move(Centre(CmAbout));
    EXPECT_FALSE(rig.desk->KeyboardLeads());
    EXPECT_EQ(rig.state(CmAbout), 2);
    EXPECT_EQ(rig.desk->HotSpots()[static_cast<size_t>(focused)]->state, 0);
    rig.key(Qt::Key_Down);
    EXPECT_TRUE(rig.desk->KeyboardLeads());
    EXPECT_EQ(rig.desk->FocusedSpot(), focused) << "the first key shows the focus, moves nothing";
    EXPECT_EQ(rig.state(CmAbout), 0);

    // Enter and Space run the focused command with the pressed picture; the spot's own key
    // moves the focus there and runs it; afterwards the focused spot is highlighted again.
    std::vector<std::pair<int, int>> during; // command, state while it runs
    rig.onForm = [&](int command) { during.emplace_back(command, rig.state(command)); };
    while (rig.focusName() != "Ärzte") {
        rig.key(Qt::Key_Down);
    }
    rig.key(Qt::Key_Return);
    rig.key(Qt::Key_Space);
    rig.key(Qt::Key_P);
    EXPECT_EQ(rig.focusName(), "Persönliches");
    rig.key(Qt::Key_Adiaeresis, Qt::AltModifier);
    EXPECT_EQ(during, (std::vector<std::pair<int, int>>{{8, 1}, {8, 1}, {12, 1}, {8, 1}}));
    EXPECT_EQ(rig.state(8), 2);
    EXPECT_FALSE(rig.desk->Busy());
    rig.key(Qt::Key_F1);
    EXPECT_EQ(rig.state(CmHelp), 2);
    CloseHelpWindow();
    rig.key(Qt::Key_E);
    EXPECT_EQ(rig.calls.back(), "quit");
    EXPECT_EQ(rig.state(CmExit), 1);
    EXPECT_TRUE(rig.desk->Busy());
}

// The conflict note is a button in a free place of the desk: it covers no hot spot, keeps its
// text inside (wrapped, cut with "…" when too long), names itself whole, and its key presses it
// only while it is shown.
TEST(Desk, ConflictNoteIsAButtonBesideTheSpotsWithAKey) {
    DeskRig rig;
    int requests = 0;
    QObject::connect(rig.desk, &TQuilloryDlgClient::conflictsRequested, [&] { ++requests; });
    QApplication::setActiveWindow(rig.frame.get());
    rig.desk->setFocus();
    rig.key(Qt::Key_K, Qt::ControlModifier);
    EXPECT_EQ(requests, 0) << "no note, no window";

    const QString forms = QStringLiteral("Persönliches, Wichtige Nummern, Bankgeschäfte, Online, "
                                         "Seriennummern, Frei definierbare Felder und Ärzte");
    rig.desk->SetConflictNote(QStringLiteral("Konflikte: 12 Felder\n") + forms);
    QPushButton* note = rig.desk->ConflictButton();
    ASSERT_NE(note, nullptr);
    ASSERT_TRUE(note->isVisible());
    for (const HotSpotRow& row : kHotSpotTable) {
        EXPECT_FALSE(note->geometry().intersects(QRect(row.x, row.y, row.w, row.h))) << row.name;
    }
    EXPECT_TRUE(QRect(QPoint(0, 0), rig.desk->size()).contains(note->geometry()));
    EXPECT_EQ(note->accessibleName(), QStringLiteral("Konflikte: 12 Felder ") + forms);
    EXPECT_TRUE(note->accessibleDescription().startsWith(QStringLiteral("Taste ")));
    const QStringList lines = note->text().split(QLatin1Char('\n'));
    EXPECT_GE(lines.size(), 2);
    EXPECT_TRUE(lines.front().startsWith(QStringLiteral("Konflikte: 12 Felder")));
    EXPECT_TRUE(lines.back().endsWith(QStringLiteral("…")));
    const QFontMetrics metrics(note->font());
    for (const QString& line : lines) {
        EXPECT_LE(metrics.horizontalAdvance(line), note->width()) << line.toStdString();
    }
    EXPECT_LE(static_cast<int>(lines.size()) * metrics.lineSpacing(), note->height());

    rig.key(Qt::Key_K, Qt::ControlModifier);
    note->click();
    EXPECT_EQ(requests, 2);
    rig.key(Qt::Key_K);
    EXPECT_EQ(rig.calls, std::vector<std::string>{"backup"}) << "K stays the backup's key";

    rig.desk->SetConflictNote(QString());
    EXPECT_FALSE(note->isVisible());
    rig.key(Qt::Key_K, Qt::ControlModifier);
    EXPECT_EQ(requests, 2);
}

// Shown, the note is a stop of the Tab walk where it lies (below the backup box, before the
// cards' column) and of the arrows; the hot spots' walk is otherwise the same. Enter presses it;
// hidden while it holds the focus, the focus goes on to the next stop.
TEST(Desk, TabReachesTheConflictNoteWhereItLies) {
    DeskRig rig;
    rig.frame->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(rig.frame.get()));
    int requests = 0;
    QObject::connect(rig.desk, &TQuilloryDlgClient::conflictsRequested, [&] { ++requests; });
    const auto name = [&] {
        const QPushButton* note = rig.desk->ConflictButton();
        return note && note->hasFocus() ? std::string("Konflikte") : rig.focusName();
    };
    const auto cycle = [&] {
        rig.key(Qt::Key_Tab);
        while (name() != "Fristen")
            rig.key(Qt::Key_Tab);
        std::vector<std::string> names;
        do {
            names.push_back(name());
            rig.key(Qt::Key_Tab);
        } while (name() != "Fristen" && names.size() < 40);
        return names;
    };
    std::vector<std::string> expected = cycle();
    expected.insert(std::find(expected.begin(), expected.end(), "Backup") + 1, "Konflikte");

    rig.desk->SetConflictNote(QStringLiteral("Konflikte: 1 Feld\nÄrzte"));
    EXPECT_EQ(cycle(), expected);
    while (name() != "Backup")
        rig.key(Qt::Key_Tab);
    rig.key(Qt::Key_Down);
    EXPECT_EQ(name(), "Konflikte");
    EXPECT_TRUE(rig.desk->KeyboardLeads());
    rig.key(Qt::Key_Return);
    rig.key(Qt::Key_Space);
    EXPECT_EQ(requests, 2);
    EXPECT_TRUE(rig.calls.empty()) << "no hot spot ran";
    rig.key(Qt::Key_Backtab);
    EXPECT_EQ(name(), "Backup");
    rig.key(Qt::Key_Tab);
    rig.desk->SetConflictNote(QString());
    EXPECT_EQ(name(), "Minimieren");
    rig.key(Qt::Key_Backtab);
    EXPECT_EQ(name(), "Backup");
}
