#pragma once

#include "platform/gui/TDialog.h"

#include <cstddef>
#include <functional>
#include <string>

class QValidator;

// A one-line input box (template 32514) or a password box with masked input and no Cancel
// button (32515; Esc still cancels). OK copies at most bufferSize - 1 characters into buffer;
// Cancel leaves it.
class TInputDialog2 : public TDialog {
    Q_OBJECT
public:
    TInputDialog2(QWidget* parent, const std::string& caption, const std::string& prompt,
                  std::string& buffer, size_t bufferSize, bool password = false,
                  QValidator* validator = nullptr);

    static constexpr int kPromptId = 4091;
    static constexpr int kEditId = 4090;
    // A further button of the password box, hidden unless an action is given.
    static constexpr int kActionId = 4092;

    // Shows the further button; pressing it runs action (which may close the box).
    void SetAction(std::function<void()> action);

    void SetupWindow() override;
    void CmOk() override;

private:
    std::string m_caption;
    std::string m_prompt;
    std::string& m_buffer;
    size_t m_bufferSize;
};
