#pragma once

#include "graphics/TTiledDialog.h"
#include "search/SearchIndex.h"

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QLineEdit;
class QTreeWidget;
class QTreeWidgetItem;

// The window "Suchen": one line to type in, the results below it updated at every change (form,
// the field's label, the value with the match marked). Secret fields take part only while "Auch
// geheime Felder durchsuchen" is ticked and even then show masked. Enter or a double click
// chooses a result and closes the window; Down and Up in the line move through the results;
// Ctrl+C copies a result's value.
// What is typed lives in the window alone and goes with it.
class TSearchDialog : public TTiledDialog {
    Q_OBJECT
public:
    TSearchDialog(QWidget* parent, std::vector<SearchEntry> entries);
    ~TSearchDialog() override;

    struct Target {
        int category;
        int id;
    };
    // The field chosen, once the window closed with one.
    std::optional<Target> Chosen() const { return m_chosen; }

    QLineEdit* Line() const;
    QTreeWidget* Results() const { return m_results; }

    static constexpr int kLineId = 401;
    static constexpr int kSecretId = 402;
    static constexpr int kResultsId = 403;
    static constexpr int kStatusId = 404;

protected:
    void SetupWindow() override;
    void CmOk() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Update();
    void AddResult(const SearchHit& hit);
    void Choose(const QTreeWidgetItem* item);

    SearchIndex m_index;
    QTreeWidget* m_results = nullptr;
    std::optional<Target> m_chosen;
};

// The desk's search command: reads every field, runs the window modally and hands the chosen
// field to openField. Says so when the fields cannot be read.
void RunSearch(QWidget* parent, const std::function<void(int category, int id)>& openField);
