#include "graphics/TOwnerDrawPushbutton.h"

#include <QApplication>
#include <QMouseEvent>
#include <QWidget>

#include <algorithm>

#include <gtest/gtest.h>

namespace {

Dib Plain(int w, int h, uint32_t colour) {
    Dib dib = Dib::Create(w, h, 8, 256);
    dib.setColour(0, colour);
    return dib;
}

struct ButtonRig {
    QWidget dialog;
    TOwnerDrawPushbutton* button;
    ButtonRig()
        : button(new TOwnerDrawPushbutton(&dialog, Plain(75, 23, ColourRef(10, 200, 10)),
                                          Plain(75, 23, ColourRef(200, 10, 10)))) {
        dialog.resize(300, 200);
    }
    void send(QEvent::Type type, Qt::MouseButtons held) {
        QMouseEvent event(type, QPointF(5, 5), button->mapToGlobal(QPointF(5, 5)), Qt::LeftButton,
                          held, Qt::NoModifier);
        QApplication::sendEvent(button, &event);
    }
    QRgb shown() { return button->grab().toImage().pixel(10, 10); }
};

TEST(TOwnerDrawPushbutton, IsExactlyAsLargeAsItsUpPictureWhereverItIsPlaced) {
    ButtonRig rig;
    rig.button->setGeometry(12, 30, 150, 40); // a template rectangle of another size
    EXPECT_EQ(rig.button->geometry(), QRect(12, 30, 75, 23));
    EXPECT_EQ(rig.button->sizeHint(), QSize(75, 23));
}

TEST(TOwnerDrawPushbutton, ShowsTheDownPictureWhileHeldAndTheUpPictureAfter) {
    ButtonRig rig;
    rig.dialog.show();
    EXPECT_EQ(rig.shown(), qRgb(10, 200, 10));
    rig.send(QEvent::MouseButtonPress, Qt::LeftButton);
    EXPECT_TRUE(rig.button->isDown());
    EXPECT_EQ(rig.shown(), qRgb(200, 10, 10));
    rig.send(QEvent::MouseButtonRelease, Qt::NoButton);
    EXPECT_EQ(rig.shown(), qRgb(10, 200, 10));
    rig.button->setFocus();
    EXPECT_EQ(&rig.button->currentPicture(), &rig.button->upPicture());
}

TEST(TOwnerDrawPushbutton, DisabledShowsItsUpPictureGreyedAndEnabledAgainTheUpPicture) {
    ButtonRig rig;
    rig.dialog.show();
    rig.button->setEnabled(false);
    const QRgb grey = rig.shown();
    EXPECT_EQ(qRed(grey), qGreen(grey));
    EXPECT_EQ(qGreen(grey), qBlue(grey));
    EXPECT_GT(qGray(grey), qGray(qRgb(10, 200, 10))) << "faded, lighter than the picture";
    rig.send(QEvent::MouseButtonPress, Qt::LeftButton);
    EXPECT_EQ(rig.shown(), grey) << "a disabled button shows no down picture";
    rig.button->setEnabled(true);
    EXPECT_EQ(rig.shown(), qRgb(10, 200, 10));
}

TEST(TOwnerDrawPushbutton, DoubleClickIsTwoPresses) {
    ButtonRig rig;
    rig.dialog.show();
    int clicks = 0;
    QObject::connect(rig.button, &QAbstractButton::clicked, [&clicks] { ++clicks; });
    rig.send(QEvent::MouseButtonPress, Qt::LeftButton);
    rig.send(QEvent::MouseButtonRelease, Qt::NoButton);
    rig.send(QEvent::MouseButtonDblClick, Qt::LeftButton);
    EXPECT_TRUE(rig.button->isDown());
    rig.send(QEvent::MouseButtonRelease, Qt::NoButton);
    EXPECT_EQ(clicks, 2);
}

// The keyboard focus shows as a mark near the edge; a disabled button takes no focus.
TEST(TOwnerDrawPushbutton, FocusDrawsAMarkInsideTheEdgeAndADisabledButtonTakesNoFocus) {
    ButtonRig rig;
    rig.dialog.show();
    QApplication::setActiveWindow(&rig.dialog);
    rig.button->clearFocus();
    const QImage without = rig.button->grab().toImage();
    rig.button->setFocus();
    const QImage with = rig.button->grab().toImage();
    int changed = 0;
    for (int y = 0; y < with.height(); ++y)
        for (int x = 0; x < with.width(); ++x)
            if (with.pixel(x, y) != without.pixel(x, y)) {
                ++changed;
                EXPECT_TRUE(std::min({x, y, with.width() - 1 - x, with.height() - 1 - y}) <= 4);
            }
    EXPECT_GT(changed, 2 * (with.width() + with.height()));
    EXPECT_EQ(with.pixel(0, 0), without.pixel(0, 0)) << "the outermost edge is the picture's";
    rig.button->setEnabled(false);
    rig.button->setFocus();
    EXPECT_FALSE(rig.button->hasFocus());
}

TEST(TOwnerDrawPushbutton, MissingPicturesDrawNothing) {
    QWidget dialog;
    auto* button = new TOwnerDrawPushbutton(&dialog, "NO_SUCH_UP", "NO_SUCH_DOWN");
    EXPECT_TRUE(button->upPicture().isNull());
    dialog.show();
    button->grab(); // paints without a picture
}

} // namespace
