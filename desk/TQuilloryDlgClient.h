#pragma once

#include "desk/DeskServices.h"

#include <QImage>
#include <QWidget>

#include <memory>
#include <vector>

class TBitmapRegion;

// The desk: the program's main window content, a drawn desk with its hot spots. Built
// with its pictures and hot spots, then it runs the login; SetupWindow() sizes, centres and
// shapes the window it sits in.
class TQuilloryDlgClient : public QWidget {
    Q_OBJECT
public:
    // Throws LoginCancelled when the user cancels the login.
    explicit TQuilloryDlgClient(QWidget* parent, DeskServices services);
    ~TQuilloryDlgClient() override;

    // Sizes the top-level window to the background, centres it on the screen and gives it the
    // outline from kontur.dat in the program directory.
    void SetupWindow();

    QSize BackgroundSize() const { return m_backgroundImage.size(); }
    bool Busy() const { return m_busy; }
    DeskPasswordState& PasswordState() { return m_passwordState; }
    const std::vector<std::unique_ptr<TBitmapRegion>>& HotSpots() const { return m_hotSpots; }
    // Index of the hot spot of a command number, or -1.
    int HotSpotOf(int command) const;
    // Runs a command as a press on its hot spot does.
    void RunCommand(int command);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void Invalidate(const QRegion& region);
    void ResetSpot(int index);
    void Dispatch(int command, int index);
    void ShowAbout();

    DeskServices m_services;
    std::vector<std::unique_ptr<TBitmapRegion>> m_hotSpots;
    bool m_busy = false;
    DeskPasswordState m_passwordState;
    QImage m_backgroundImage;
    QImage m_backBuffer;
    bool m_composed = false;
    bool m_backgroundPress = false;
};
