#pragma once

#include "forms/FormCatalogue.h"
#include "graphics/TTiledDialog.h"

#include <string>
#include <vector>

class QLabel;
class QWidget;
class TQuery;

// A category form: a modal dialog of edit fields, one per field of its category, on a tiled
// background with two picture buttons. Set-up reads every field from the open table; OK writes
// every field back within one edit and post, then has the document written; Cancel writes
// nothing.
//
// When the data set manager's tables are not open the form cannot write: its fields are shown
// read-only and empty, its OK button is disabled, so nothing reaches a closed table, and a strip
// at the foot of the window says why.
class TCategoryForm : public TTiledDialog {
public:
    TCategoryForm(QWidget* parent, const FormDescription& form);
    ~TCategoryForm() override;

    // The edit control of field id 100 + j (a single-line or a memo control).
    QWidget* Edit(int id) const;
    // Whether OK writes to the table.
    bool Writable() const { return m_writable; }
    // Whether the form shows why it cannot store anything.
    bool NoticeShown() const;
    // The field (id 100 + j) that has the focus when the form is shown, its text selected
    // when asked; an id that is no field of the form leaves the usual first field.
    void SetInitialField(int id, bool selectText);

    // The control's text as the tables hold it (memo line breaks as CR LF) and back.
    static std::string ControlText(const QWidget* control);
    static void SetControlText(QWidget* control, const std::string& text);

protected:
    void SetupWindow() override;
    void CmOk() override;

    // A field's text as loaded, its text to store, and the control that shows it. A form that
    // shows several entries' fields in one detail area keeps their values itself.
    virtual void ShowFieldText(int id, const std::string& text);
    virtual std::string FieldText(int id) const;
    virtual QWidget* FieldControl(int id);

private:
    TQuery& Table() const;
    bool TablesOpen() const;
    void LoadFields();
    bool StoreFields();
    void MakeReadOnly(const char* reason);
    void FocusInitialField();
    void NameFields();

    const FormDescription& m_form;
    int m_fieldCount = 0;
    std::vector<QWidget*> m_edits; // index j: control id 100 + j
    bool m_writable = true;
    QLabel* m_notice = nullptr;
    int m_initialField = -1;
    bool m_selectInitial = false;
};
