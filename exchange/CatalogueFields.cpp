#include "exchange/CatalogueFields.h"

#include "catalogue/FieldCatalogue.h"

namespace {

ValueRole RoleOf(ExportRole role) {
    switch (role) {
    case ExportRole::Title:
        return ValueRole::Title;
    case ExportRole::UserName:
        return ValueRole::UserName;
    case ExportRole::Password:
        return ValueRole::Password;
    case ExportRole::Url:
        return ValueRole::Url;
    case ExportRole::Notes:
        return ValueRole::Notes;
    case ExportRole::Attribute:
        break;
    }
    return ValueRole::Other;
}

} // namespace

std::vector<ExchangeField> CatalogueFields() {
    std::vector<ExchangeField> fields;
    for (const FieldFacts& f : AllFields())
        fields.push_back({f.category, f.id, CategoryTitle(f.category), f.entry, f.label, f.chars,
                          f.secret, RoleOf(f.role), f.titleId});
    return fields;
}
