#include "print/ContractPages.h"

#include "catalogue/FieldCatalogue.h"
#include "store/ContractFields.h"
#include "util/ContractTerms.h"

#include <algorithm>

namespace {

// The catalogue's label without its entry ("Vertrag 3: Beginn" gives "Beginn").
QString PartLabel(int id) {
    const FieldFacts* field = FindField(kContractCategory, id);
    const QString label = QString::fromUtf8(field ? field->label : "");
    const qsizetype colon = label.indexOf(QStringLiteral(": "));
    return colon < 0 ? label : label.mid(colon + 2);
}

FolderBlock ContractBlock(const std::map<int, std::string>& values, int contract,
                          const CalendarDate& today) {
    auto value = [&](ContractPart part) {
        return QString::fromStdString(ContractValue(values, contract, part)).trimmed();
    };
    FolderBlock block;
    const QString provider = value(ContractPart::Provider);
    block.heading = provider.isEmpty() ? QStringLiteral("Vertrag %1").arg(contract + 1) : provider;
    if (const QString kind = value(ContractPart::Kind); !kind.isEmpty())
        block.heading += QStringLiteral(" (") + kind + QLatin1Char(')');
    if (!value(ContractPart::CancelOnDeath).isEmpty())
        block.heading += QStringLiteral(": im Todesfall k\u00FCndigen");
    for (const ContractPart part :
         {ContractPart::Number, ContractPart::Address, ContractPart::Begin, ContractPart::Minimum,
          ContractPart::Renewal, ContractPart::Notice, ContractPart::Amount, ContractPart::Period,
          ContractPart::Password, ContractPart::Remarks}) {
        const int id = ContractFieldId(contract, part);
        if (!value(part).isEmpty())
            block.rows.push_back(
                {PartLabel(id), value(part), IsMaskedField(kContractCategory, id)});
    }
    const CancelDate date = ComputeCancelDate(TermsOf(values, contract), today);
    QString cancel = QString::fromStdString(CancelDateText(date));
    if (date.kind != CancelDate::Kind::NotComputable)
        cancel += QStringLiteral("\n") + QString::fromStdString(date.reason);
    // The day that matters most first.
    block.rows.insert(block.rows.begin(), {QStringLiteral("K\u00FCndigen bis"), cancel, false});
    return block;
}

} // namespace

std::vector<FolderBlock> ContractBlocks(const std::map<int, QString>& values,
                                        const CalendarDate& today) {
    std::map<int, std::string> texts;
    for (const auto& [id, text] : values)
        texts[id] = text.toStdString();
    std::vector<int> order;
    for (int c = 0; c < kContractCount; ++c)
        if (!ContractEmpty(texts, c))
            order.push_back(c);
    std::stable_partition(order.begin(), order.end(), [&](int c) {
        return !ContractValue(texts, c, ContractPart::CancelOnDeath).empty();
    });
    std::vector<FolderBlock> blocks;
    for (const int c : order)
        blocks.push_back(ContractBlock(texts, c, today));
    FolderBlock provision{QStringLiteral("Vorsorge"), {}};
    for (int id = kFirstProvisionId; id <= kLastProvisionId; ++id) {
        const auto it = values.find(id);
        provision.rows.push_back({PartLabel(id), it == values.end() ? QString() : it->second,
                                  IsMaskedField(kContractCategory, id)});
    }
    blocks.push_back(std::move(provision));
    return blocks;
}
