#pragma once

#include "deadlines/Deadlines.h"
#include "platform/gui/TDialog.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

class QTreeWidget;

// What the overview needs from the program around it.
struct FristenFacts {
    // The user's deadlines (labelsOnly: described by labels alone); nothing when unreadable.
    std::function<std::optional<std::vector<Deadline>>(bool labelsOnly)> read;
    // Opens a form with that field focused, modally.
    std::function<void(int category, int id)> openField;
    std::function<CalendarDate()> today;
    int leadDays = kDefaultLeadDays;
    std::string user;         // for the calendar's event UIDs and file name
    bool isProtected = false; // the calendar then holds form and label only
};

// The overview "Fristen": every date of the user's forms, soonest first, with the days left,
// the form and what it is. Expired and due rows are marked in words as well as in colour;
// unreadable dates come last as typed. Enter or a double click opens the form at the field and
// the list is read again when it closes. "In Kalender exportieren" writes an iCalendar file.
class TFristenDialog : public TDialog {
    Q_OBJECT
public:
    TFristenDialog(QWidget* parent, FristenFacts facts);
    ~TFristenDialog() override;

    QTreeWidget* List() const { return m_list; }
    // Opens the form of the current row (what Enter does).
    void OpenCurrent();

protected:
    void SetupWindow() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Fill();
    void Export();

    FristenFacts m_facts;
    QTreeWidget* m_list = nullptr;
};

void RunFristen(QWidget* parent, FristenFacts facts);
