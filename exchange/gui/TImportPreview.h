#pragma once

#include "exchange/FieldMapping.h"
#include "platform/gui/TDialog.h"

#include <functional>

class QTreeWidget;

// What an import would do, before it does it: per source entry the form and row it goes to,
// each value's target field, the values it overwrites (marked), and what fits nowhere (marked,
// kept in a report that can be saved). "Übernehmen" closes with IDOK; the caller writes.
class TImportPreview : public TDialog {
    Q_OBJECT
public:
    // plan makes the plan for the options the user sets in the window.
    TImportPreview(QWidget* parent, std::string sourceName,
                   std::function<ImportPlan(const ImportOptions&)> plan);
    ~TImportPreview() override;

    const ImportPlan& Plan() const { return m_plan; }
    QTreeWidget* List() const { return m_list; }

    static constexpr int kSummaryId = 501;
    static constexpr int kListId = 502;
    static constexpr int kSpillId = 503;
    static constexpr int kReportId = 504;

protected:
    void SetupWindow() override;
    void CmOk() override;

private:
    void Replan();
    void Fill();
    bool SaveReport();

    std::string m_sourceName;
    std::function<ImportPlan(const ImportOptions&)> m_makePlan;
    ImportPlan m_plan;
    QTreeWidget* m_list = nullptr;
    bool m_reportSaved = false;
};
