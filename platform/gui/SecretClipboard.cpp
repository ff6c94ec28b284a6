#include "platform/gui/SecretClipboard.h"

#include <QGuiApplication>
#include <QMimeData>

#include <algorithm>

SecretClipboard::SecretClipboard(QClipboard* clipboard, Clock clock, Ownership owns)
    : m_clipboard(clipboard), m_clock(std::move(clock)), m_owns(std::move(owns)) {
    if (!m_clock) {
        m_clock = [] { return std::chrono::steady_clock::now(); };
    }
    if (!m_owns) {
        m_owns = [clipboard](QClipboard::Mode mode) {
            return mode == QClipboard::Clipboard ? clipboard->ownsClipboard()
                                                 : clipboard->ownsSelection();
        };
    }
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &SecretClipboard::Expire);
    // Direct: the text is marked before the event loop can answer another program asking
    // for it.
    connect(m_clipboard, &QClipboard::changed, this, &SecretClipboard::OnChanged,
            Qt::DirectConnection);
}

SecretClipboard::~SecretClipboard() {
    ClearIfOurs();
}

bool SecretClipboard::HoldsOurs() const {
    return m_ours && m_clipboard->mimeData(QClipboard::Clipboard) == m_ours.data() &&
           m_owns(QClipboard::Clipboard) && m_ours->text() == m_text;
}

void SecretClipboard::ClearIfOurs() {
    m_timer.stop();
    if (HoldsOurs()) {
        m_clipboard->clear(QClipboard::Clipboard);
    }
    m_ours.clear();
    m_text.clear();
}

void SecretClipboard::Expire() {
    if (!HoldsOurs()) {
        m_ours.clear();
        return;
    }
    if (m_clock() < m_deadline) {
        ArmTimer();
        return;
    }
    ClearIfOurs();
}

void SecretClipboard::ArmTimer() {
    using namespace std::chrono;
    const auto left = duration_cast<milliseconds>(m_deadline - m_clock());
    m_timer.start(static_cast<int>(std::max<milliseconds::rep>(left.count(), 0)));
}

void SecretClipboard::OnChanged(QClipboard::Mode mode) {
    if (mode != QClipboard::Clipboard && mode != QClipboard::Selection) {
        return;
    }
    const QMimeData* data = m_clipboard->mimeData(mode);
    if (mode == QClipboard::Clipboard) {
        if (m_ours && data == m_ours.data()) {
            return; // our own marked copy arriving
        }
        m_timer.stop();
        m_ours.clear();
        m_text.clear();
    } else if (data && data->hasFormat(QString::fromLatin1(kHintFormat))) {
        return;
    }
    if (!data || !m_owns(mode)) {
        return; // emptied, or another program's
    }
    auto* marked = new QMimeData;
    for (const QString& format : data->formats()) {
        marked->setData(format, data->data(format));
    }
    marked->setData(QString::fromLatin1(kHintFormat), QByteArray(kHintValue));
    const QString text = marked->text();
    if (mode == QClipboard::Clipboard) {
        m_ours = marked;
        m_text = text;
        m_deadline = m_clock() + kLifetime;
        ArmTimer();
    }
    m_clipboard->setMimeData(marked, mode); // takes ownership
}

void ClearOwnSelection() {
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (clipboard->supportsSelection() && clipboard->ownsSelection()) {
        clipboard->clear(QClipboard::Selection);
    }
}
