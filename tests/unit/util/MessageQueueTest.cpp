#include "util/gui/MessageQueue.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScreen>
#include <QWidget>

namespace {

// Counts what reaches it.
class Probe : public QWidget {
public:
    int keys = 0;
    int mice = 0;
    int paints = 0;

protected:
    void keyPressEvent(QKeyEvent*) override { ++keys; }
    void mousePressEvent(QMouseEvent*) override { ++mice; }
    void paintEvent(QPaintEvent*) override { ++paints; }
};

void PostKey(QWidget* target, int key) {
    QCoreApplication::postEvent(target, new QKeyEvent(QEvent::KeyPress, key, Qt::NoModifier));
}

class MessageQueueTest : public ::testing::Test {
protected:
    void SetUp() override {
        probe.resize(120, 80);
        probe.show();
        PumpMessages();
        probe.keys = probe.mice = probe.paints = 0;
    }
    Probe probe;
};

TEST_F(MessageQueueTest, CheckAbortNotesEnterExactlyAsEscape) {
    for (int key : {int(Qt::Key_Escape), int(Qt::Key_Return), int(Qt::Key_Enter)}) {
        bool cancel = false;
        PostKey(&probe, key);
        CheckAbort(&cancel);
        EXPECT_TRUE(cancel) << key;
        EXPECT_EQ(probe.keys, 0) << key;
    }
}

TEST_F(MessageQueueTest, CheckAbortDropsOtherInputAndNeverClearsTheFlag) {
    bool cancel = false;
    PostKey(&probe, Qt::Key_A);
    PostKey(&probe, Qt::Key_Space);
    QPointF at(5, 5);
    QCoreApplication::postEvent(&probe, new QMouseEvent(QEvent::MouseButtonPress, at, at,
                                                        probe.mapToGlobal(at), Qt::LeftButton,
                                                        Qt::LeftButton, Qt::NoModifier));
    CheckAbort(&cancel);
    EXPECT_FALSE(cancel);
    EXPECT_EQ(probe.keys, 0);
    EXPECT_EQ(probe.mice, 0);

    cancel = true;
    PostKey(&probe, Qt::Key_A);
    CheckAbort(&cancel);
    EXPECT_TRUE(cancel);
    CheckAbort(nullptr); // harmless

    // Outside CheckAbort input is delivered again.
    PostKey(&probe, Qt::Key_A);
    PumpMessages();
    EXPECT_EQ(probe.keys, 1);
}

TEST_F(MessageQueueTest, CheckAbortServesPaint) {
    bool cancel = false;
    probe.update();
    CheckAbort(&cancel);
    EXPECT_GE(probe.paints, 1);
    EXPECT_FALSE(cancel);
}

TEST_F(MessageQueueTest, CentreWindowMovesToTheMiddleTruncating) {
    QRect screen = probe.screen()->geometry();
    probe.resize(301, 201);
    probe.move(3, 4);
    PumpMessages();
    QSize outer = probe.frameGeometry().size();
    CentreWindow(&probe);
    PumpMessages();
    EXPECT_EQ(probe.frameGeometry().topLeft(),
              screen.topLeft() + QPoint((screen.width() - outer.width()) / 2,
                                        (screen.height() - outer.height()) / 2));
    EXPECT_EQ(probe.frameGeometry().size(), outer);
    CentreWindow(nullptr);
}

TEST_F(MessageQueueTest, PumpMessagesDeliversEverythingPending) {
    for (int i = 0; i < 5; ++i) {
        PostKey(&probe, Qt::Key_B);
    }
    PumpMessages();
    EXPECT_EQ(probe.keys, 5);
}

} // namespace
