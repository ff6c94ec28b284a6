#pragma once

#include "desk/DeskServices.h"

#include <QImage>
#include <QWidget>

#include <memory>
#include <vector>

class TBitmapRegion;
class THotSpotButton;
class QKeyEvent;
class QPushButton;

// The desk: the program's main window content, a drawn desk with its hot spots. Built with its
// pictures and hot spots, then it runs the login; SetupWindow() sizes, centres and shapes the
// window it sits in.
//
// Besides the mouse, the keyboard works the hot spots: each has an invisible accessible button
// that holds the keyboard focus and carries its name for screen readers. Tab, Shift+Tab and the
// arrow keys move the focus in screen order, Enter or Space runs the focused command as a left
// press does, and every hot spot's own key runs its command. While the keyboard leads, the
// focused spot is highlighted and framed by a focus mark; a mouse move takes the highlight
// back, the next key returns it. While the conflict note is shown, Tab, Shift+Tab and the arrow
// keys reach it too, where it lies among the hot spots, with the same focus mark.
//
// Removing the password by a key first asks whether the data should really lose their
// protection; the mouse runs it at once. The desk's accessible description says whether the
// data are protected.
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
    // Opens the form of a category modally with field id focused, its text selected when asked;
    // also from a window a command opened.
    void OpenFormAtField(int category, int id, bool selectText);

    // The accessible stand-in of hot spot i, and the spot holding the keyboard focus (-1; the
    // number of hot spots while the conflict note holds it).
    THotSpotButton* Button(int index) const;
    int FocusedSpot() const { return m_focus; }
    // Whether the keyboard leads (focus mark shown) rather than the mouse.
    bool KeyboardLeads() const { return m_keyboardLeads; }

    // The note that conflicts are open: a button in the free place kConflictNote whose press
    // (or key kConflictKeys) asks for the window "Konflikte". Lines too wide for it are cut
    // with "…"; its accessible name and tool tip hold the whole text. Empty text hides it.
    void SetConflictNote(const QString& text);
    QPushButton* ConflictButton() const { return m_conflictButton; }

signals:
    void conflictsRequested();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Invalidate(const QRegion& region);
    void ResetSpot(int index);
    void Dispatch(int command, int index);
    void ShowAbout();
    void BuildButtons();
    bool HandleKey(QKeyEvent* event);
    void MoveFocus(int index);
    void FocusArrived(int index);
    void SetKeyboardLeads(bool leads);
    void ShowKeyboardHighlight();
    void ActivateSpot(int index);
    QRect FocusMarkRect(int index) const;
    bool ConfirmRemovalByKey();
    void DescribeProtection();
    void RequestConflicts();
    int NoteIndex() const { return static_cast<int>(m_hotSpots.size()); }
    bool NoteShown() const;
    const std::vector<int>& TabOrder() const;
    std::vector<QRect> ArrowRects() const;
    QWidget* FocusTarget(int index) const;
    void HideConflictNote();

    DeskServices m_services;
    std::vector<std::unique_ptr<TBitmapRegion>> m_hotSpots;
    bool m_busy = false;
    DeskPasswordState m_passwordState;
    QImage m_backgroundImage;
    QImage m_backBuffer;
    bool m_composed = false;
    bool m_backgroundPress = false;
    std::vector<THotSpotButton*> m_buttons;
    // Per hot spot, as the table gives them: rectangle and keys (for the keyboard).
    std::vector<QRect> m_spotRects;
    std::vector<const char*> m_spotKeys;
    std::vector<int> m_focusOrder;
    std::vector<int> m_orderWithNote; // m_focusOrder with the conflict note in its place
    int m_focus = -1;
    bool m_keyboardLeads = false;
    bool m_commandByKey = false; // the running command came from a key or a screen reader
    QPoint m_lastPointer{-1, -1};
    QPushButton* m_conflictButton = nullptr;
};
