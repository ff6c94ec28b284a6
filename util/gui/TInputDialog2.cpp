#include "util/gui/TInputDialog2.h"

#include "platform/gui/FieldNames.h"

#include <QLabel>
#include <QLineEdit>
#include <QValidator>

TInputDialog2::TInputDialog2(QWidget* parent, const std::string& caption, const std::string& prompt,
                             std::string& buffer, size_t bufferSize, bool password,
                             QValidator* validator)
    : TDialog(parent, ResId(password ? 32515 : 32514)), m_caption(caption), m_prompt(prompt),
      m_buffer(buffer), m_bufferSize(bufferSize) {
    if (auto* edit = ControlAs<QLineEdit>(kEditId); edit && validator) {
        validator->setParent(edit);
        edit->setValidator(validator);
    }
}

void TInputDialog2::SetupWindow() {
    TDialog::SetupWindow();
    setWindowTitle(QString::fromStdString(m_caption));
    SetItemText(kPromptId, m_prompt);
    if (auto* edit = ControlAs<QLineEdit>(kEditId)) {
        const int limit = m_bufferSize > 0 ? int(std::min<size_t>(m_bufferSize - 1, 32767)) : 0;
        edit->setMaxLength(limit);
        edit->setText(QString::fromStdString(m_buffer).left(limit));
        edit->selectAll();
        edit->setFocus();
        // The prompt is set only now, so the field takes its name from it here.
        edit->setAccessibleName(QString::fromStdString(SpokenText(m_prompt)));
    }
}

void TInputDialog2::SetAction(std::function<void()> action) {
    if (QWidget* button = Control(kActionId)) {
        button->setVisible(true);
        Bind(kActionId, std::move(action));
    }
}

void TInputDialog2::CmOk() {
    if (auto* edit = ControlAs<QLineEdit>(kEditId)) {
        const int limit = m_bufferSize > 0 ? int(std::min<size_t>(m_bufferSize - 1, 32767)) : 0;
        m_buffer = edit->text().left(limit).toStdString();
    }
    CloseWindow(IDOK);
}
