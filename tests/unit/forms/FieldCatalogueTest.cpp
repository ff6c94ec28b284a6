// The field catalogue against the forms' templates in quillory.rc, and against itself: a row
// that names a control, a partner or a title field that does not exist is a fact nobody reads.
#include "catalogue/FieldCatalogue.h"
#include "forms/FormCatalogue.h"
#include "platform/gui/FieldNames.h"
#include "platform/gui/ResourceScript.h"
#include "store/ContractFields.h"

#include <gtest/gtest.h>

#include <set>
#include <utility>

namespace {

bool IsField(const ControlTemplate& c) {
    return c.id >= 100 && (c.kind == ControlKind::Edit || c.kind == ControlKind::ListBox ||
                           c.kind == ControlKind::ComboBox);
}

} // namespace

// Every field control of a form's template has a row, every row of the category a control, and
// where the screen reader names a field from the template the catalogue's label is that name.
TEST(FieldCatalogueTest, RowsAndTemplatesNameTheSameFields) {
    for (const FormDescription& form : FormCatalogue()) {
        const DialogTemplate* t = AppResources().dialog(ResId(form.templateName));
        ASSERT_NE(t, nullptr) << form.templateName;
        std::set<int> controls;
        for (const ControlTemplate& c : t->controls)
            if (IsField(c))
                controls.insert(c.id);
        std::set<int> rows;
        for (const FieldFacts& f : FieldsOf(form.category))
            rows.insert(f.id);
        if (form.category == kContractCategory) {
            // The contracts share one detail area (ids from 500); the Vorsorge block is fields.
            std::erase_if(controls, [](int id) { return id >= 500; });
            std::erase_if(rows, [](int id) { return id < kFirstProvisionId; });
        }
        EXPECT_EQ(rows, controls) << form.templateName;
        EXPECT_EQ(t->caption, CategoryTitle(form.category));
        // Where the template's label says too little, the catalogue says it as the papers do.
        const std::set<std::pair<int, int>> clearer{{10, 100}, {10, 101}, {10, 102}, {10, 134}};
        for (const auto& [index, name] : FieldAccessibleNames(*t)) {
            const FieldFacts* f = FindField(form.category, t->controls[index].id);
            if (f && f->titleId == 0 && !clearer.count({f->category, f->id})) {
                EXPECT_EQ(f->label, name) << form.templateName << " " << f->id;
            }
        }
    }
}

// Rows in category and id order, ids from 100 without gaps (the forms and the folder count
// them so), every cross reference inside the category, limits as the kind wants them.
TEST(FieldCatalogueTest, RowsAreWellFormed) {
    int lastCategory = 0;
    int nextId = 100;
    std::set<std::pair<int, int>> all;
    for (const FieldFacts& f : AllFields()) {
        if (f.category != lastCategory) {
            EXPECT_GT(f.category, lastCategory);
            ASSERT_NE(FindCategory(f.category), nullptr) << f.category;
            lastCategory = f.category;
            nextId = 100;
        }
        EXPECT_EQ(f.id, nextId++) << f.category;
        all.insert({f.category, f.id});
        EXPECT_EQ(f.chars == 0, f.kind == FieldKind::Memo) << f.category << "/" << f.id;
        EXPECT_TRUE(f.chars == 0 || f.chars == 19 || f.chars == 47);
        EXPECT_FALSE(std::string(f.label).empty());
        EXPECT_FALSE(std::string(f.entry).empty());
    }
    for (const FieldFacts& f : AllFields()) {
        for (int other : {f.partner, f.titleId, f.deadline.nameId, f.deadline.bankId})
            EXPECT_TRUE(other == 0 || all.count({f.category, other})) << f.id << " " << other;
        EXPECT_EQ(f.partner != 0,
                  f.check == CheckKind::AccountNumber || f.check == CheckKind::BankCode);
        EXPECT_EQ(f.deadline.role == DateRole::Fixed, f.deadline.what != nullptr);
        EXPECT_FALSE(f.secret && f.deadline.role != DateRole::None) << f.id;
        if (f.deadline.role == DateRole::Titled) {
            EXPECT_NE(f.titleId, 0);
        }
    }
    for (const CategoryInfo& c : Categories())
        EXPECT_FALSE(FieldsOf(c.number).empty()) << c.number;
}

// A table is a row: its index is its place, and it holds at least one category.
TEST(FieldCatalogueTest, TablesAreRowsInSlotOrder) {
    for (std::size_t t = 0; t < kTables.size(); ++t) {
        EXPECT_EQ(static_cast<std::size_t>(kTables[t].index), t);
        // Every table holds categories, but the merge's state table.
        EXPECT_EQ(CategoriesOf(kTables[t].index).empty(), kTables[t].index == kStateTable) << t;
        for (int slot = 0; slot < kSlotsPerTable; ++slot)
            EXPECT_EQ(TableOfSlot(kTables[t].FirstSlot() + slot), kTables[t].index);
    }
    std::set<std::string> templates;
    for (int slot = 0; slot < kSlotCount; ++slot)
        templates.insert(SlotTemplateName(slot));
    EXPECT_EQ(templates.size(), static_cast<std::size_t>(kSlotCount));
    EXPECT_EQ(FindCategory(11)->table, TableIndex{2});
}

// A title the user wrote stands for the field's label; a blank one does not.
TEST(FieldCatalogueTest, TitledFieldsTakeTheUsersTitle) {
    const FieldFacts& free = *FindField(6, 101);
    const std::string title = "  Garantie Waschmaschine \r\nzweite Zeile";
    const std::string blank = " \t";
    EXPECT_EQ(FieldLabel(free, &title), "Garantie Waschmaschine");
    EXPECT_EQ(FieldLabel(free, &blank), "Feldtitel");
    EXPECT_EQ(FieldLabel(*FindField(3, 108), &title), "Scheckkarten: Gültig bis (1)");
}
