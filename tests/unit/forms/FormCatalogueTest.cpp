#include "FormExpectations.h"

#include "forms/FormCatalogue.h"
#include "forms/FormFactory.h"
#include "forms/TCategoryForm.h"
#include "platform/gui/ResourceScript.h"
#include "platform/gui/WinStyles.h"
#include "store/CategorySchema.h"

#include <QLineEdit>
#include <QPlainTextEdit>

#include <gtest/gtest.h>

#include <algorithm>

namespace {

const DialogTemplate& Template(const std::string& name) {
    const DialogTemplate* t = AppResources().dialog(ResId(name));
    if (!t)
        throw std::runtime_error("no template " + name);
    return *t;
}

bool Contains(const std::vector<int>& v, int x) {
    return std::find(v.begin(), v.end(), x) != v.end();
}

class FormCatalogueTest : public ::testing::TestWithParam<ExpectedForm> {};

TEST_P(FormCatalogueTest, CatalogueMatches) {
    const ExpectedForm& e = GetParam();
    const FormDescription* form = FormForCommand(e.command);
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(form->templateName, e.templateName);
    EXPECT_EQ(std::string(CategoryTitle(form->category)), e.title);
    EXPECT_EQ(FieldName(form->category, 100).rfind(e.prefix, 0), 0u);
    EXPECT_EQ(FieldName(form->category, 100), e.prefix + "100");
    const CategoryInfo* info = FindCategory(form->category);
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(info->table, e.firstTable ? TableIndex::First : TableIndex::Second);
    EXPECT_EQ(static_cast<int>(FieldsOf(form->category).size()), e.last - e.first + 1);
    EXPECT_EQ(form->tile, e.tile);
    EXPECT_EQ(form->okUp, e.okUp);
    EXPECT_EQ(form->okDown, e.okDown);
    EXPECT_EQ(form->cancelUp, e.cancelUp);
    EXPECT_EQ(form->cancelDown, e.cancelDown);
    EXPECT_EQ(form->yellowLabels, e.yellow);
    for (int id = e.first; id <= e.last; ++id) {
        const int limit = Contains(e.memo, id) ? 0 : Contains(e.shortIds, id) ? 20 : 48;
        EXPECT_EQ(FieldLimit(form->category, id), limit) << e.templateName << " " << id;
    }
    EXPECT_EQ(FieldLimit(form->category, e.last + 1), -1);
}

TEST_P(FormCatalogueTest, TemplateMatches) {
    const ExpectedForm& e = GetParam();
    const DialogTemplate& t = Template(e.templateName);
    EXPECT_EQ(t.caption, e.title);
    EXPECT_EQ(t.cx, e.cx);
    EXPECT_EQ(t.cy, e.cy);
    EXPECT_EQ(t.fontName, "MS Sans Serif");
    EXPECT_EQ(t.fontSize, 8);
    EXPECT_EQ(t.style & (DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU),
              static_cast<decltype(t.style)>(DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU));

    std::vector<int> order;
    std::vector<std::string> texts;
    std::map<int, Place> seen;
    for (const ControlTemplate& c : t.controls) {
        const Place place{c.x, c.y, c.cx, c.cy};
        if (c.id == 1 || c.id == 2) {
            order.push_back(c.id);
            EXPECT_EQ(c.text, c.id == 1 ? "OK" : "Abbruch");
            EXPECT_EQ(place, c.id == 1 ? e.ok : e.cancel);
            EXPECT_EQ(c.style & 0x0F, static_cast<decltype(c.style)>(BS_OWNERDRAW));
        } else if (c.id >= e.first && c.id <= e.last) {
            order.push_back(c.id);
            EXPECT_TRUE(seen.emplace(c.id, place).second) << "twice: " << c.id;
            EXPECT_EQ(place, e.fields.at(c.id)) << e.templateName << " " << c.id;
            EXPECT_TRUE(c.style & WS_BORDER) << c.id;
            const bool memo = Contains(e.memo, c.id);
            EXPECT_EQ(bool(c.style & ES_MULTILINE), memo) << c.id;
            EXPECT_EQ(bool(c.style & ES_WANTRETURN), memo) << c.id;
            EXPECT_EQ(bool(c.style & ES_AUTOVSCROLL), memo) << c.id;
            EXPECT_FALSE(c.style & WS_VSCROLL) << c.id;
            EXPECT_EQ(bool(c.style & ES_AUTOHSCROLL), !memo && !Contains(e.noScroll, c.id)) << c.id;
        } else {
            EXPECT_LT(c.id, 1) << e.templateName << ": stray control " << c.id;
            texts.push_back(c.text);
        }
    }
    EXPECT_EQ(order, e.tabOrder);
    EXPECT_EQ(seen.size(), e.fields.size());
    for (const std::string& label : e.labels)
        EXPECT_TRUE(std::find(texts.begin(), texts.end(), label) != texts.end())
            << e.templateName << " lacks label " << label;
    for (const std::string& text : texts)
        EXPECT_TRUE(std::find(e.labels.begin(), e.labels.end(), text) != e.labels.end())
            << e.templateName << " has unexpected label " << text;
}

// No two controls of a form overlap, labels and headings included, and all lie inside it.
TEST_P(FormCatalogueTest, NothingOverlaps) {
    const ExpectedForm& e = GetParam();
    const DialogTemplate& t = Template(e.templateName);
    const auto& cs = t.controls;
    for (size_t i = 0; i < cs.size(); ++i) {
        const ControlTemplate& a = cs[i];
        EXPECT_TRUE(a.x >= 0 && a.y >= 0 && a.x + a.cx <= t.cx && a.y + a.cy <= t.cy)
            << e.templateName << ": outside: " << a.text << " " << a.id;
        for (size_t j = i + 1; j < cs.size(); ++j) {
            const ControlTemplate& b = cs[j];
            const bool overlap =
                a.x < b.x + b.cx && b.x < a.x + a.cx && a.y < b.y + b.cy && b.y < a.y + a.cy;
            EXPECT_FALSE(overlap) << e.templateName << ": '" << a.text << "' " << a.id << " and '"
                                  << b.text << "' " << b.id;
        }
    }
}

// The dialog built from the template: its title, one edit control per field with its limit,
// memos as multi-line controls.
TEST_P(FormCatalogueTest, DialogControls) {
    const ExpectedForm& e = GetParam();
    std::unique_ptr<TDialog> dialog = CreateCategoryForm(e.command, nullptr);
    ASSERT_NE(dialog, nullptr);
    auto* form = dynamic_cast<TCategoryForm*>(dialog.get());
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(form->windowTitle().toStdString(), e.title);
    for (int id = e.first; id <= e.last; ++id) {
        QWidget* control = form->Edit(id);
        ASSERT_NE(control, nullptr) << id;
        EXPECT_EQ(control, form->Control(id));
        if (Contains(e.memo, id)) {
            EXPECT_NE(qobject_cast<QPlainTextEdit*>(control), nullptr) << id;
        } else {
            auto* line = qobject_cast<QLineEdit*>(control);
            ASSERT_NE(line, nullptr) << id;
            EXPECT_EQ(line->maxLength(), Contains(e.shortIds, id) ? 19 : 47) << id;
        }
    }
    EXPECT_EQ(form->Edit(e.last + 1), nullptr);
}

INSTANTIATE_TEST_SUITE_P(AllForms, FormCatalogueTest, ::testing::ValuesIn(ExpectedForms()),
                         [](const auto& test) { return test.param.templateName.substr(4); });

TEST(FormFactoryTest, OnlyDeskCommandsMakeForms) {
    for (int command : {0, 1, 7, 17, -1})
        EXPECT_EQ(CreateCategoryForm(command, nullptr), nullptr) << command;
    EXPECT_EQ(FormCatalogue().size(), 10u);
}

} // namespace
