#include "forms/TCategoryForm.h"

#include "catalogue/FieldCatalogue.h"
#include "forms/FieldHistory.h"
#include "forms/FormHints.h"
#include "forms/SecretFields.h"
#include "forms/SpokenNames.h"
#include "graphics/TOwnerDrawPushbutton.h"
#include "platform/Messages.h"
#include "platform/gui/NoticeStyle.h"
#include "platform/gui/SecretClipboard.h"
#include "store/CategorySchema.h"
#include "store/EBdtError.h"
#include "store/TDataSetManager.h"
#include "store/TQuery.h"
#include "util/LineBreaks.h"
#include "util/VersionTitle.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextEdit>

#include <map>

namespace {

constexpr int kOkId = 1;
constexpr int kCancelId = 2;

const char* const kStoreFailed = "Die Daten konnten nicht gespeichert werden.";
const char* const kLoadFailed = "Die Daten konnten nicht gelesen werden.";
const char* const kNotOpen = "Die Daten dieses Benutzers konnten nicht geöffnet werden.";
const char* const kNothingStored = " In diesem Formular wird nichts gespeichert.";

} // namespace

TCategoryForm::TCategoryForm(QWidget* parent, const FormDescription& form)
    : TTiledDialog(parent, ResId(form.templateName), form.tile,
                   form.yellowLabels ? std::optional<QColor>(kLightYellow) : std::nullopt),
      m_form(form) {
    new TOwnerDrawPushbutton(this, kOkId, form.okUp, form.okDown, form.okDown);
    new TOwnerDrawPushbutton(this, kCancelId, form.cancelUp, form.cancelDown, form.cancelDown);

    m_fieldCount = static_cast<int>(FieldsOf(form.category).size());
    m_edits.reserve(m_fieldCount);
    for (int j = 0; j < m_fieldCount; ++j) {
        const int id = kFirstFieldId + j;
        QWidget* control = Control(id);
        m_edits.push_back(control);
        const int limit = FieldLimit(form.category, id);
        if (auto* line = qobject_cast<QLineEdit*>(control); line && limit > 0)
            line->setMaxLength(limit - 1);
    }
    // Hints on bank, card and car numbers; they only ever show, never store.
    FormHints::Attach(*this, form.category);
    MaskSecretFields(this, form.category, m_edits, Control(kOkId));
    new FieldHistory(this, form.category, m_edits);
}

TCategoryForm::~TCategoryForm() {
    ClearOwnSelection();
}

QWidget* TCategoryForm::Edit(int id) const {
    const int j = id - kFirstFieldId;
    return j >= 0 && j < static_cast<int>(m_edits.size()) ? m_edits[j] : nullptr;
}

std::string TCategoryForm::ControlText(const QWidget* control) {
    if (auto* line = qobject_cast<const QLineEdit*>(control))
        return line->text().toStdString();
    if (auto* plain = qobject_cast<const QPlainTextEdit*>(control))
        return CrLfLineBreaks(plain->toPlainText());
    if (auto* rich = qobject_cast<const QTextEdit*>(control))
        return CrLfLineBreaks(rich->toPlainText());
    return {};
}

void TCategoryForm::SetControlText(QWidget* control, const std::string& text) {
    if (auto* line = qobject_cast<QLineEdit*>(control)) {
        line->setText(QString::fromStdString(text));
        line->setCursorPosition(0);
    } else if (auto* plain = qobject_cast<QPlainTextEdit*>(control)) {
        plain->setPlainText(QString::fromStdString(LfLineBreaks(text)));
    } else if (auto* rich = qobject_cast<QTextEdit*>(control)) {
        rich->setPlainText(QString::fromStdString(LfLineBreaks(text)));
    }
}

void TCategoryForm::ShowFieldText(int id, const std::string& text) {
    SetControlText(Edit(id), text);
}

std::string TCategoryForm::FieldText(int id) const {
    return ControlText(Edit(id));
}

QWidget* TCategoryForm::FieldControl(int id) {
    return Edit(id);
}

TQuery& TCategoryForm::Table() const {
    TDataSetManager& manager = DataSetManager();
    const CategoryInfo* info = FindCategory(m_form.category);
    return manager.Table(info ? info->table : TableIndex::First);
}

bool TCategoryForm::TablesOpen() const {
    return DataSetManager().IsOpen && Table().propActive();
}

void TCategoryForm::SetupWindow() {
    TTiledDialog::SetupWindow();
    if (!TablesOpen()) {
        MakeReadOnly(kNotOpen);
    } else {
        LoadFields();
    }
    NameFields();
    for (const FieldFacts& f : FieldsOf(m_form.category)) {
        auto* title = qobject_cast<QLineEdit*>(Edit(f.titleId));
        if (f.titleId != 0 && title)
            connect(title, &QLineEdit::textChanged, this, &TCategoryForm::NameFields,
                    Qt::UniqueConnection);
    }
    FocusInitialField();
}

// The fields' names for a screen reader, again whenever a title the user writes changes.
void TCategoryForm::NameFields() {
    std::map<int, std::string> texts;
    for (const FieldFacts& f : FieldsOf(m_form.category)) {
        if (f.titleId != 0 && Edit(f.titleId))
            texts[f.titleId] = ControlText(Edit(f.titleId));
    }
    for (const auto& [id, name] : SpokenFieldNames(m_form.category, texts)) {
        if (QWidget* edit = Edit(id))
            edit->setAccessibleName(QString::fromStdString(name));
    }
}

void TCategoryForm::SetInitialField(int id, bool selectText) {
    m_initialField = id;
    m_selectInitial = selectText;
}

// Runs before the dialog first appears: the focus set here is the one it shows with.
void TCategoryForm::FocusInitialField() {
    QWidget* control = FieldControl(m_initialField);
    if (control == nullptr)
        return;
    control->setFocus(Qt::OtherFocusReason);
    if (auto* line = qobject_cast<QLineEdit*>(control)) {
        if (m_selectInitial) {
            line->selectAll();
        } else {
            // The dialog hands the focus over as a tab would, which selects a line's text.
            QMetaObject::invokeMethod(
                line, [line] { line->deselect(); }, Qt::QueuedConnection);
        }
    } else if (auto* plain = qobject_cast<QPlainTextEdit*>(control)) {
        if (m_selectInitial)
            plain->selectAll();
        plain->ensureCursorVisible();
    } else if (auto* rich = qobject_cast<QTextEdit*>(control)) {
        if (m_selectInitial)
            rich->selectAll();
        rich->ensureCursorVisible();
    }
}

void TCategoryForm::LoadFields() {
    TDataSetManager& manager = DataSetManager();
    TQuery& table = Table();
    try {
        for (int j = 0; j < m_fieldCount; ++j) {
            const int id = kFirstFieldId + j;
            const std::string name = FieldName(m_form.category, id);
            std::string text;
            if (IsMemoField(m_form.category, id))
                manager.LoadMemo(table, text, name);
            else
                manager.LoadField(table, text, name);
            ShowFieldText(id, text);
        }
    } catch (const EBdtError&) {
        // A table that lacks the category's fields: show what was read, never write.
        ShowMessage(kLoadFailed, kVersionTitle, MB_OK | MB_ICONINFORMATION, this);
        MakeReadOnly(kLoadFailed);
    }
}

bool TCategoryForm::StoreFields() {
    TDataSetManager& manager = DataSetManager();
    TQuery& table = Table();
    try {
        table.Edit();
        for (int j = 0; j < m_fieldCount; ++j) {
            const int id = kFirstFieldId + j;
            const std::string name = FieldName(m_form.category, id);
            std::string text = FieldText(id);
            if (IsMemoField(m_form.category, id))
                manager.StoreMemo(table, std::move(text), name);
            else
                manager.StoreField(table, text, name);
        }
        table.Post();
        return true;
    } catch (const EBdtError&) {
        if (table.Editing())
            table.Cancel();
        return false;
    }
}

void TCategoryForm::CmOk() {
    if (!m_writable)
        return;
    if (!StoreFields()) {
        // The form stays open with the user's input, so nothing typed is lost silently.
        ShowMessage(kStoreFailed, kVersionTitle, MB_OK | MB_ICONINFORMATION, this);
        return;
    }
    // The record is in the working tables; the document gets it now, not only at the end.
    // A failed save has said so and leaves the previous document; the end tries again.
    DataSetManager().Save();
    CloseWindow(IDOK);
}

bool TCategoryForm::NoticeShown() const {
    return m_notice != nullptr && m_notice->isVisibleTo(this);
}

void TCategoryForm::MakeReadOnly(const char* reason) {
    m_writable = false;
    if (m_notice == nullptr) {
        // A strip below the template's own area, so it covers no field of any form.
        const QString text = QString::fromUtf8(reason) + QString::fromUtf8(kNothingStored);
        m_notice = new QLabel(text, this);
        m_notice->setWordWrap(true);
        m_notice->setAlignment(Qt::AlignCenter);
        m_notice->setStyleSheet(
            NoticeStyleSheet(QStringLiteral("QLabel"), QStringLiteral("padding: 3px 8px;")));
        const int height = m_notice->heightForWidth(width()) + 8;
        m_notice->setGeometry(0, this->height(), width(), height);
        setFixedSize(width(), this->height() + height);
        m_notice->show();
        setAccessibleDescription(text);
    }
    for (QWidget* control : m_edits) {
        if (auto* line = qobject_cast<QLineEdit*>(control))
            line->setReadOnly(true);
        else if (auto* plain = qobject_cast<QPlainTextEdit*>(control))
            plain->setReadOnly(true);
        else if (auto* rich = qobject_cast<QTextEdit*>(control))
            rich->setReadOnly(true);
    }
    if (QWidget* ok = Control(kOkId))
        ok->setEnabled(false);
}
