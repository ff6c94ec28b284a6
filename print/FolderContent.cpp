#include "print/FolderContent.h"

#include "forms/FieldChecks.h"
#include "forms/FormCatalogue.h"
#include "platform/gui/ResourceScript.h"
#include "print/ContractPages.h"
#include "store/CategorySchema.h"
#include "store/CategoryValues.h"
#include "store/ContractFields.h"
#include "store/EBdtError.h"
#include "store/TDataSetManager.h"
#include "store/TQuery.h"
#include "util/GermanBanks.h"

namespace {

// False when an open table could not be read.
bool ReadValues(const CategoryInfo& info, std::map<int, QString>& values) {
    std::map<int, std::string> texts;
    if (!ReadCategoryValues(info.number, texts))
        return false;
    for (const auto& [id, text] : texts)
        values[id] = QString::fromStdString(text);
    return true;
}

} // namespace

std::optional<std::vector<FolderCategory>>
ReadFolderCategories(const std::vector<int>& categories) {
    std::vector<FolderCategory> result;
    for (int number : categories) {
        const FormDescription* form = FormForCategory(number);
        const CategoryInfo* info = FindCategory(number);
        if (!form || !info)
            continue;
        FolderCategory category;
        category.category = number;
        category.title = QString::fromUtf8(CategoryTitle(number));
        category.form = AppResources().dialog(ResId(form->templateName));
        if (!ReadValues(*info, category.values))
            return std::nullopt;
        category.notes = FieldNotes(number, category.values, GermanBanks());
        if (number == kContractCategory) {
            category.title = kContractPageTitle;
            category.blocks = ContractBlocks(category.values, Today());
        }
        result.push_back(std::move(category));
    }
    return result;
}

namespace {

// The form's hints of the category's checked fields that the folder prints: a derived IBAN (a
// note with something to copy) and, unless ibanOnly, every warning. A card's expiry is left out.
std::map<int, QString> PrintedHints(int category, const std::map<int, QString>& values,
                                    const BankDirectory& banks, bool ibanOnly) {
    auto text = [&values](int id) {
        const auto found = values.find(id);
        return found == values.end() ? std::string() : found->second.toStdString();
    };
    std::map<int, QString> notes;
    for (const FieldFacts& check : FieldChecks()) {
        if (check.category != category || check.check == CheckKind::CardExpiry)
            continue;
        const auto hint = HintFor(check, text(check.id), text(check.partner), banks, 0);
        if (!hint)
            continue;
        if (!hint->copyable.empty())
            notes[check.id] = QString::fromStdString(hint->text);
        else if (hint->level == HintLevel::Warning && !ibanOnly)
            notes[check.id] = QStringLiteral("\u26A0 ") + QString::fromStdString(hint->text);
    }
    return notes;
}

} // namespace

std::map<int, QString> DerivedIbanNotes(int category, const std::map<int, QString>& values,
                                        const BankDirectory& banks) {
    return PrintedHints(category, values, banks, true);
}

std::map<int, QString> FieldNotes(int category, const std::map<int, QString>& values,
                                  const BankDirectory& banks) {
    return PrintedHints(category, values, banks, false);
}
