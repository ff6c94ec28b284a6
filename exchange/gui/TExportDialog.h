#pragma once

#include "platform/gui/TDialog.h"

#include <string>

// Choice of the export's format and, for KDBX, its password. OK (after the CSV's warning was
// accepted) closes with IDOK; Format() and Password() say what was chosen.
class TExportDialog : public TDialog {
    Q_OBJECT
public:
    // documentPassword: the document's own, offered as the default; empty when the session
    // holds none.
    TExportDialog(QWidget* parent, std::string documentPassword);
    ~TExportDialog() override;

    enum class Format { Kdbx, Csv };
    Format Chosen() const;
    const std::string& Password() const { return m_password; }

    static constexpr int kKdbxId = 401;
    static constexpr int kCsvId = 402;
    static constexpr int kPasswordId = 403;
    static constexpr int kRepeatId = 404;
    static constexpr int kOwnPasswordId = 405;
    static constexpr int kHintId = 406;

protected:
    void SetupWindow() override;
    void CmOk() override;

private:
    void Update();

    std::string m_documentPassword;
    std::string m_password;
};
