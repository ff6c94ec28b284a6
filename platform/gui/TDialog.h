#pragma once

#include "platform/Messages.h"
#include "platform/gui/ResourceScript.h"

#include <QColor>
#include <QDialog>
#include <QPainter>
#include <QRect>

#include <functional>
#include <map>
#include <string>
#include <vector>

class QButtonGroup;

// A dialog built from a template of the resource script. Controls are created in template
// order (the tab order) with their geometry in dialog units of the template's font; commands
// (button clicks, check box clicks) are dispatched by control id.
class TDialog : public QDialog {
    Q_OBJECT
public:
    TDialog(QWidget* parent, ResId templ);
    ~TDialog() override;

    QWidget* Control(int id) const;
    template <class T> T* ControlAs(int id) const { return dynamic_cast<T*>(Control(id)); }
    const DialogTemplate* Template() const { return m_template; }

    // Puts replacement in place of the control of that id: same position, same place in the
    // tab order, same command; the old control is deleted.
    void Attach(int id, QWidget* replacement);

    // Runs the dialog modally; IDOK or IDCANCEL (or what CloseWindow was given).
    int Execute();
    void CloseWindow(int result);

    // Binds a command (a control id) to a handler; a bound handler replaces the default one.
    void Bind(int id, std::function<void()> handler);
    // Dispatches a command: the bound handler, else CmOk for IDOK and CmCancel for IDCANCEL.
    virtual void OnCommand(int id);

    // Text and check state of controls by id (labels, edits, buttons, check boxes).
    std::string ItemText(int id) const;
    void SetItemText(int id, const std::string& text);
    bool Checked(int id) const;
    void SetChecked(int id, bool checked);

    // Dialog units to pixels with this dialog's base units.
    QRect MapDialogRect(int x, int y, int cx, int cy) const;
    int BaseX() const { return m_baseX; }
    int BaseY() const { return m_baseY; }

    // Called once after the controls exist, before the dialog is first shown.
    virtual void SetupWindow() {}
    virtual void CmOk() { CloseWindow(IDOK); }
    virtual void CmCancel() { CloseWindow(IDCANCEL); }

protected:
    // Paints the dialog's background; the default leaves the window colour.
    virtual void PaintBackground(QPainter&) {}
    // True makes the label of that id transparent, drawn in textColour when set valid.
    virtual bool LabelStyle(int id, QColor* textColour) {
        (void)id;
        (void)textColour;
        return false;
    }

    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void reject() override;

private:
    void CreateControl(const ControlTemplate& c);
    QWidget* CreateButton(const ControlTemplate& c, const QString& text);
    void PlaceControl(QWidget* w, const ControlTemplate& c);
    void ConnectCommand(QWidget* widget, int id);
    void RebuildTabOrder();
    void RunSetup();

    const DialogTemplate* m_template = nullptr;
    int m_baseX = 1;
    int m_baseY = 1;
    int m_defaultId = IDOK;
    bool m_setupDone = false;
    std::map<int, QWidget*> m_controls;
    std::vector<QWidget*> m_order;                  // every control, template order
    std::vector<std::pair<int, QWidget*>> m_labels; // statics and group boxes
    std::map<int, std::function<void()>> m_commands;
    QButtonGroup* m_radioGroup = nullptr;
};
