#include "ui/AppPropertyPage.h"
#include "ui/AppPropertySheet.h"

#include "support_lib/GuiTestApp.h"
#include <QApplication>
#include <QPushButton>
#include <QTabWidget>

#include <gtest/gtest.h>
#include <string>
#include <utility>
#include <vector>

namespace {

using Calls = std::vector<std::string>;

// Records every call into one shared journal, so the order across pages shows.
class TracePage : public CAppPropertyPage {
public:
    TracePage(const char* name, Calls& calls)
        : CAppPropertyPage(QString::fromLatin1(name)), m_name(name), m_calls(calls) {}
    void Exchange(bool load) override { m_calls.push_back(m_name + (load ? ".load" : ".store")); }
    void SetDefaults() override { m_calls.push_back(m_name + ".defaults"); }
    void UpdateControls() override { m_calls.push_back(m_name + ".update"); }
    bool Validate() override {
        m_calls.push_back(m_name + ".validate");
        return valid;
    }
    bool valid = true;
    bool activationWorks = true;

protected:
    bool ActivatePage() override { return activationWorks; }

private:
    std::string m_name;
    Calls& m_calls;
};

struct SheetTest : ::testing::Test {
    QApplication& qt = EnsureGuiTestApp(); // before the sheet
    TracePage* Add(const char* name) {
        auto* page = new TracePage(name, calls);
        sheet.AddPage(page);
        return page;
    }
    Calls Take() { return std::exchange(calls, {}); }
    Calls calls;
    CAppPropertySheet sheet{QStringLiteral("Props")};
};

TEST_F(SheetTest, ExchangesVisitEveryPageAndOnlyTheVisiblePageIsUpdatedOrChecked) {
    TracePage* a = Add("a");
    TracePage* b = Add("b");
    TracePage* c = Add("c");
    sheet.AddPage(new CAppPropertyPage(QStringLiteral("plain"))); // the base page's own steps
    EXPECT_EQ(Take(), (Calls{"a.update"}));
    sheet.ExchangeAll(false);
    sheet.DefaultsAll();
    EXPECT_EQ(Take(),
              (Calls{"a.store", "b.store", "c.store", "a.defaults", "b.defaults", "c.defaults"}));
    sheet.ExchangeAll(true);
    // Loading also brings the visible page's enabled states up to date.
    EXPECT_EQ(Take(), (Calls{"a.load", "b.load", "c.load", "a.update"}));
    EXPECT_TRUE(sheet.SetActivePage(1));
    EXPECT_EQ(Take(), (Calls{"a.validate", "b.update"}));
    EXPECT_EQ(sheet.ActivePage(), b);
    c->activationWorks = false;
    EXPECT_FALSE(c->OnSetActive());
    EXPECT_EQ(Take(), Calls{});
    // A page refusing to be left stays visible.
    b->valid = false;
    sheet.Tabs()->setCurrentIndex(0);
    EXPECT_EQ(sheet.Tabs()->currentIndex(), 1);
    EXPECT_EQ(sheet.ActivePage(), b);
    EXPECT_EQ(Take(), (Calls{"b.validate"}));
    EXPECT_EQ(a->Sheet(), &sheet);
    b->valid = true;
    EXPECT_TRUE(sheet.SetActivePage(3)); // a base page accepts being shown and left
    EXPECT_TRUE(sheet.SetActivePage(0));
    // OK checks the visible page only.
    c->valid = false;
    sheet.show();
    Take();
    sheet.OkButton()->click();
    EXPECT_FALSE(sheet.isVisible());
    EXPECT_EQ(Take(), Calls{"a.validate"});
}

} // namespace
