#include "ui/AppPropertyPage.h"
#include "ui/AppPropertySheet.h"

#include "support_lib/GuiTestApp.h"
#include <QApplication>
#include <QPointer>
#include <QPushButton>
#include <QTabWidget>

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

// Records every call into one shared journal, so the order across pages shows.
struct Journal {
    std::vector<std::string> calls;
};

class TracePage : public CAppPropertyPage {
public:
    TracePage(const char* name, Journal& j)
        : CAppPropertyPage(QString::fromLatin1(name)), m_name(name), m_j(j) {}
    void Exchange(bool load) override { m_j.calls.push_back(m_name + (load ? ".load" : ".store")); }
    void SetDefaults() override { m_j.calls.push_back(m_name + ".defaults"); }
    void UpdateControls() override { m_j.calls.push_back(m_name + ".update"); }
    bool Validate() override {
        m_j.calls.push_back(m_name + ".validate");
        return valid;
    }
    bool valid = true;
    bool activationWorks = true;

protected:
    bool ActivatePage() override { return activationWorks; }

private:
    std::string m_name;
    Journal& m_j;
};

struct SheetTest : ::testing::Test {
    void SetUp() override { EnsureGuiTestApp(); }
    Journal j;
};

TEST_F(SheetTest, ExchangeAllAndDefaultsAllVisitEveryPageInOrder) {
    CAppPropertySheet sheet(QStringLiteral("Props"));
    sheet.AddPage(new TracePage("a", j));
    sheet.AddPage(new TracePage("b", j));
    sheet.AddPage(new TracePage("c", j));
    j.calls.clear();
    sheet.ExchangeAll(false);
    sheet.DefaultsAll();
    EXPECT_EQ(j.calls, (std::vector<std::string>{"a.store", "b.store", "c.store", "a.defaults",
                                                 "b.defaults", "c.defaults"}));
    j.calls.clear();
    sheet.ExchangeAll(true);
    // Loading also brings the visible page's enabled states up to date.
    EXPECT_EQ(j.calls, (std::vector<std::string>{"a.load", "b.load", "c.load", "a.update"}));
}

TEST_F(SheetTest, ActivatingAPageUpdatesItsControlsOnlyWhenTheActivationSucceeds) {
    CAppPropertySheet sheet(QStringLiteral("Props"));
    auto* a = new TracePage("a", j);
    auto* b = new TracePage("b", j);
    auto* c = new TracePage("c", j);
    sheet.AddPage(a);
    sheet.AddPage(b);
    sheet.AddPage(c);
    EXPECT_EQ(j.calls, (std::vector<std::string>{"a.update"}));
    j.calls.clear();
    EXPECT_TRUE(sheet.SetActivePage(1));
    EXPECT_EQ(j.calls, (std::vector<std::string>{"a.validate", "b.update"}));
    EXPECT_EQ(sheet.ActivePage(), b);
    j.calls.clear();
    c->activationWorks = false;
    EXPECT_FALSE(c->OnSetActive());
    EXPECT_TRUE(j.calls.empty());
    EXPECT_TRUE(b->OnSetActive());
    EXPECT_EQ(j.calls, (std::vector<std::string>{"b.update"}));
}

TEST_F(SheetTest, APageThatRefusesToBeLeftStaysVisible) {
    CAppPropertySheet sheet(QStringLiteral("Props"));
    auto* a = new TracePage("a", j);
    auto* b = new TracePage("b", j);
    sheet.AddPage(a);
    sheet.AddPage(b);
    a->valid = false;
    j.calls.clear();
    sheet.Tabs()->setCurrentIndex(1);
    EXPECT_EQ(sheet.Tabs()->currentIndex(), 0);
    EXPECT_EQ(sheet.ActivePage(), a);
    EXPECT_EQ(j.calls, (std::vector<std::string>{"a.validate"}));
    a->valid = true;
    EXPECT_TRUE(sheet.SetActivePage(1));
    EXPECT_EQ(sheet.ActivePage(), b);
}

TEST_F(SheetTest, OkChecksOnlyTheVisiblePageAndStaysOpenWhenItRefuses) {
    CAppPropertySheet sheet(QStringLiteral("Props"));
    auto* a = new TracePage("a", j);
    auto* b = new TracePage("b", j);
    sheet.AddPage(a);
    sheet.AddPage(b);
    b->valid = false; // never visited, so never checked
    sheet.show();
    a->valid = false;
    sheet.OkButton()->click();
    EXPECT_TRUE(sheet.isVisible());
    a->valid = true;
    j.calls.clear();
    sheet.OkButton()->click();
    EXPECT_FALSE(sheet.isVisible());
    EXPECT_EQ(sheet.result(), QDialog::Accepted);
    EXPECT_EQ(j.calls, (std::vector<std::string>{"a.validate"}));
}

TEST_F(SheetTest, DestroyingTheSheetDestroysItsPages) {
    QPointer<CAppPropertyPage> a, b;
    {
        CAppPropertySheet sheet(QStringLiteral("Props"));
        a = new TracePage("a", j);
        b = new TracePage("b", j);
        sheet.AddPage(a);
        sheet.AddPage(b);
        EXPECT_EQ(sheet.PageCount(), 2);
        EXPECT_EQ(a->Sheet(), &sheet);
        EXPECT_EQ(sheet.Tabs()->tabText(1), QStringLiteral("b"));
    }
    EXPECT_TRUE(a.isNull());
    EXPECT_TRUE(b.isNull());
}

TEST_F(SheetTest, TheSheetFitsItsLargestPageAndIsNotResizable) {
    CAppPropertySheet sheet(QStringLiteral("Props"));
    auto* small = new TracePage("small", j);
    auto* large = new TracePage("large", j);
    large->setMinimumSize(420, 260);
    sheet.AddPage(small);
    sheet.AddPage(large);
    sheet.show();
    QApplication::processEvents();
    const QSize shown = sheet.size();
    // The large page fits, though it is not the visible one.
    EXPECT_GE(sheet.Tabs()->width(), 420);
    EXPECT_GE(sheet.Tabs()->height(), 260);
    sheet.resize(shown + QSize(80, 40));
    QApplication::processEvents();
    EXPECT_EQ(sheet.size(), shown);
    sheet.resize(shown - QSize(80, 40));
    QApplication::processEvents();
    EXPECT_EQ(sheet.size(), shown);
}

TEST_F(SheetTest, ABasePageWithoutOverridesAcceptsBeingLeft) {
    CAppPropertyPage page(QStringLiteral("Plain"));
    page.Exchange(true);
    page.SetDefaults();
    EXPECT_TRUE(page.OnSetActive());
    EXPECT_TRUE(page.OnKillActive());
    EXPECT_EQ(page.Sheet(), nullptr);
    EXPECT_EQ(page.Title(), QStringLiteral("Plain"));
}

} // namespace
