#pragma once

#include <QClipboard>
#include <QObject>
#include <QPointer>
#include <QTimer>

#include <chrono>
#include <functional>

class QMimeData;

// Makes whatever the program puts on the clipboard a secret: clipboard managers are told not
// to keep it (the password-manager hint), and it is cleared after a while and when this object
// goes, but only while the clipboard still holds exactly what we put there. Text another
// program copied is never touched. The X selection gets the hint as well; it is not cleared.
class SecretClipboard : public QObject {
    Q_OBJECT
public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;
    // Whether the program itself owns the clipboard of a mode (another program's text is not
    // ours to mark or clear).
    using Ownership = std::function<bool(QClipboard::Mode)>;

    static constexpr std::chrono::seconds kLifetime{30};
    static constexpr const char* kHintFormat = "x-kde-passwordManagerHint";
    static constexpr const char* kHintValue = "secret";

    // Empty clock and ownership: the steady clock and the clipboard's own answer.
    explicit SecretClipboard(QClipboard* clipboard, Clock clock = {}, Ownership owns = {});
    ~SecretClipboard() override;
    SecretClipboard(const SecretClipboard&) = delete;
    SecretClipboard& operator=(const SecretClipboard&) = delete;

    // Clears the clipboard when our text has been there for the lifetime (the timer calls it).
    void Expire();
    // Clears the clipboard now if it still holds our text.
    void ClearIfOurs();
    // Whether the clipboard holds text we put there.
    bool HoldsOurs() const;

private:
    void OnChanged(QClipboard::Mode mode);
    void ArmTimer();

    QClipboard* m_clipboard;
    Clock m_clock;
    Ownership m_owns;
    QPointer<QMimeData> m_ours; // clipboard contents we set, until something replaces them
    QString m_text;
    std::chrono::steady_clock::time_point m_deadline{};
    QTimer m_timer;
};

// Clears the X selection (PRIMARY) when this program set it: what a closing window selected
// does not stay behind it for a middle click.
void ClearOwnSelection();
