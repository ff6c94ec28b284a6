#pragma once

#include "desk/DeskServices.h"

#include <QFileSystemWatcher>
#include <QObject>
#include <QTimer>

class QLabel;
class TQuilloryDlgClient;

// Watches the logged-in user's document for versions other machines write into the program
// folder. A sync engine renames a new file over the document, so the folder is watched, and
// the document is checked again whenever the desk regains the focus; a change is merged and
// saved at once. The desk then shows a short note, and the window "Konflikte" lists what both
// machines changed differently; while a conflict is open the desk's conflict note says how many
// fields in which forms, and opens that window. Nothing happens while a dialog is open: its
// save merges.
class DocumentWatch : public QObject {
    Q_OBJECT
public:
    DocumentWatch(TQuilloryDlgClient* desk, DeskPasswordState& state);
    ~DocumentWatch() override;

    // Checks the document and the conflict copies beside it now.
    void Check();
    // At the login: stranded work, conflict copies, the conflicts kept by earlier runs.
    void TakeInLeftVersions();
    // The window "Konflikte" for the conflicts kept, run modally.
    void ShowConflicts();
    // The desk's note; empty while none is shown.
    QString Note() const;

private:
    void Schedule(int ms);
    void Report();
    void ShowNote(const QString& text);
    void UpdateConflictNote();

    TQuilloryDlgClient* m_desk;
    DeskPasswordState& m_state;
    QFileSystemWatcher m_watcher;
    QTimer m_timer;
    QTimer m_noteTimer;
    QLabel* m_note = nullptr;
    bool m_busy = false;
    bool m_declined = false; // the other version's password was not given: asked again when
                             // the folder changes or the user saves
    bool m_conflictsShown = false;
};
