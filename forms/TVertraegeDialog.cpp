#include "forms/TVertraegeDialog.h"

#include "forms/FormCatalogue.h"
#include "forms/SecretFields.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>

namespace {

constexpr int kOkId = 1;
constexpr int kListId = 500;
constexpr int kFirstPartId = 501; // the detail area's control of part p: 501 + p
constexpr int kCancelDateId = 520;
constexpr int kReasonId = 521;
constexpr int kLetterId = 522;

const char* const kPeriods[] = {
    "",        "monatlich", "viertelj\xC3\xA4hrlich", "halbj\xC3\xA4hrlich", "j\xC3\xA4hrlich",
    "einmalig"};

TVertraegeDialog::LetterWriter& Writer() {
    static TVertraegeDialog::LetterWriter writer;
    return writer;
}

std::function<CalendarDate()>& TodayFunction() {
    static std::function<CalendarDate()> today = [] { return Today(); };
    return today;
}

bool IsContractField(int id) {
    return id >= ContractFieldId(0, ContractPart::Kind) && id < kFirstProvisionId;
}

// A choice keeps whatever a document holds, even a text the list does not offer.
void SetChoice(QComboBox* box, const std::string& text) {
    const QString value = QString::fromStdString(text);
    if (box->findText(value) < 0)
        box->addItem(value);
    box->setCurrentText(value);
}

} // namespace

void TVertraegeDialog::SetLetterWriter(LetterWriter writer) {
    Writer() = std::move(writer);
}

void TVertraegeDialog::SetToday(std::function<CalendarDate()> today) {
    TodayFunction() = std::move(today);
}

TVertraegeDialog::TVertraegeDialog(QWidget* parent)
    : TCategoryForm(parent, *FormForCategory(kContractCategory)) {
    m_list = ControlAs<QListWidget>(kListId);
    for (int c = 0; c < kContractCount; ++c)
        m_list->addItem(ListText(c));
    for (const char* kind : kContractKinds)
        ControlAs<QComboBox>(kFirstPartId + static_cast<int>(ContractPart::Kind))
            ->addItem(QString::fromUtf8(kind));
    ControlAs<QComboBox>(kFirstPartId + static_cast<int>(ContractPart::Kind))->insertItem(0, {});
    for (const char* period : kPeriods)
        ControlAs<QComboBox>(kFirstPartId + static_cast<int>(ContractPart::Period))
            ->addItem(QString::fromUtf8(period));
    connect(m_list, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0 && row != m_current)
            SelectContract(row);
    });
    for (int p = 0; p < kContractParts; ++p) {
        const auto part = static_cast<ContractPart>(p);
        QWidget* control = PartControl(part);
        const int id = ContractFieldId(0, part);
        // Every change goes to the contract's value at once, so choosing another keeps it.
        const auto keep = [this, part] {
            if (m_showing)
                return;
            m_values[ContractFieldId(m_current, part)] = FieldText(-1 - static_cast<int>(part));
            RefreshCancelDate();
        };
        if (auto* line = qobject_cast<QLineEdit*>(control)) {
            if (const int limit = FieldLimit(kContractCategory, id); limit > 0)
                line->setMaxLength(limit - 1);
            connect(line, &QLineEdit::textChanged, this, keep);
        } else if (auto* memo = qobject_cast<QPlainTextEdit*>(control)) {
            connect(memo, &QPlainTextEdit::textChanged, this, keep);
        } else if (auto* box = qobject_cast<QComboBox*>(control)) {
            connect(box, &QComboBox::currentTextChanged, this, keep);
        } else if (auto* tick = qobject_cast<QCheckBox*>(control)) {
            connect(tick, &QCheckBox::toggled, this, keep);
        }
    }
    if (auto* password =
            ControlAs<QLineEdit>(kFirstPartId + static_cast<int>(ContractPart::Password)))
        new SecretFields(this, {password}, Control(kOkId));
    Bind(kLetterId, [this] { WriteLetter(); });
}

QWidget* TVertraegeDialog::PartControl(ContractPart part) const {
    return Control(kFirstPartId + static_cast<int>(part));
}

void TVertraegeDialog::SetupWindow() {
    TCategoryForm::SetupWindow();
    if (!Writable()) {
        for (int p = 0; p < kContractParts; ++p) {
            QWidget* control = PartControl(static_cast<ContractPart>(p));
            if (auto* line = qobject_cast<QLineEdit*>(control))
                line->setReadOnly(true);
            else if (auto* memo = qobject_cast<QPlainTextEdit*>(control))
                memo->setReadOnly(true);
            else if (control)
                control->setEnabled(false);
        }
    }
    for (int c = 0; c < kContractCount; ++c)
        ShowListItem(m_list->item(c), c);
    // Opened at a field, the detail area shows its contract already, its text maybe selected.
    if (!m_detailShown)
        ShowDetail();
    // The list marks the contract the detail area shows, from the start.
    m_list->setCurrentRow(m_current);
}

void TVertraegeDialog::SelectContract(int contract) {
    if (contract < 0 || contract >= kContractCount)
        return;
    m_current = contract;
    m_list->setCurrentRow(contract);
    ShowDetail();
}

void TVertraegeDialog::ShowDetail() {
    m_showing = true;
    for (int p = 0; p < kContractParts; ++p) {
        const auto part = static_cast<ContractPart>(p);
        const std::string text = ContractValue(m_values, m_current, part);
        QWidget* control = PartControl(part);
        if (auto* box = qobject_cast<QComboBox*>(control))
            SetChoice(box, text);
        else if (auto* tick = qobject_cast<QCheckBox*>(control))
            tick->setChecked(!text.empty());
        else
            SetControlText(control, text);
    }
    m_showing = false;
    m_detailShown = true;
    RefreshCancelDate();
}

void TVertraegeDialog::RefreshCancelDate() {
    const bool empty = ContractEmpty(m_values, m_current);
    const CancelDate date = ComputeCancelDate(TermsOf(m_values, m_current), TodayFunction()());
    SetItemText(kCancelDateId, empty ? std::string() : CancelDateText(date));
    SetItemText(kReasonId, empty || date.kind == CancelDate::Kind::NotComputable ? std::string()
                                                                                 : date.reason);
    if (QListWidgetItem* item = m_list->item(m_current))
        ShowListItem(item, m_current);
}

QString TVertraegeDialog::ListText(int contract) const {
    const QString number = QString::number(contract + 1) + QStringLiteral(". ");
    if (ContractEmpty(m_values, contract))
        return number + QStringLiteral("(leer)");
    const std::string provider = ContractValue(m_values, contract, ContractPart::Provider);
    const QString text =
        number + QString::fromStdString(provider.empty() ? "ohne Anbieter" : provider);
    const CancelDate date = ComputeCancelDate(TermsOf(m_values, contract), TodayFunction()());
    switch (date.kind) {
    case CancelDate::Kind::Deadline:
        return text + QStringLiteral(": bis ") +
               QString::fromStdString(CancelDateText(date).substr(0, 10));
    case CancelDate::Kind::AnyTime:
        return text + QStringLiteral(": jederzeit");
    case CancelDate::Kind::NotComputable:
        break;
    }
    return text + QStringLiteral(": nicht berechenbar");
}

// The line, and in its tool tip the kind as well, for a list too narrow to show it.
void TVertraegeDialog::ShowListItem(QListWidgetItem* item, int contract) const {
    item->setText(ListText(contract));
    const std::string kind = ContractValue(m_values, contract, ContractPart::Kind);
    item->setToolTip(kind.empty() ? item->text()
                                  : item->text() + QStringLiteral(" (") +
                                        QString::fromStdString(kind) + QLatin1Char(')'));
}

void TVertraegeDialog::ShowFieldText(int id, const std::string& text) {
    if (IsContractField(id))
        m_values[id] = text;
    else
        TCategoryForm::ShowFieldText(id, text);
}

// A negative id -1 - p reads the detail area's control of part p.
std::string TVertraegeDialog::FieldText(int id) const {
    if (id < 0) {
        QWidget* control = PartControl(static_cast<ContractPart>(-1 - id));
        if (auto* box = qobject_cast<QComboBox*>(control))
            return box->currentText().toStdString();
        if (auto* tick = qobject_cast<QCheckBox*>(control))
            return tick->isChecked() ? kCancelOnDeath : "";
        return ControlText(control);
    }
    if (!IsContractField(id))
        return TCategoryForm::FieldText(id);
    const auto it = m_values.find(id);
    return it == m_values.end() ? std::string() : it->second;
}

QWidget* TVertraegeDialog::FieldControl(int id) {
    if (!IsContractField(id))
        return TCategoryForm::FieldControl(id);
    const int offset = id - ContractFieldId(0, ContractPart::Kind);
    SelectContract(offset / kContractParts);
    return PartControl(static_cast<ContractPart>(offset % kContractParts));
}

void TVertraegeDialog::WriteLetter() {
    if (Writer())
        Writer()(this, m_values, m_current);
}
