#include "base/Strings.h"
#include "das/DASTestUtil.h"
#include "das/gui/DASChanPropertySheet.h"
#include "das/gui/DASParameterPropertiesDialog.h"
#include "das/gui/SelectRecordsDialog.h"
#include "support_lib/Fakes.h"
#include "support_lib/GuiTestApp.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTabWidget>
#include <filesystem>
#include <gtest/gtest.h>

namespace {

using namespace dastest;

struct ChannelEditorsTest : ::testing::Test {
    void SetUp() override {
        EnsureGuiTestApp();
        FillInstrument(inst);
        inst.SetName("Monitor 1");
        inst.SetSerialNumber("0042");
        inst.DasEvents().AddTail(new CDASEvent("HIGHEV", 3, false, KW_HIGH));
        inst.DasPoints().AddTail(new CDASPoint("O3", 8, "Ozone", KW_MED));
        inst.DasPoints().AddTail(new CDASPoint("SECRET", 9, "Factory", KW_HIGH));
    }
    void TearDown() override { CDASChanAdvPropertyPage::SetFileChooser(nullptr); }
    CDASChannel& Channel(size_t i) { return *static_cast<CDASChannel*>(inst.DasChannels().At(i)); }
    std::vector<std::string> Asked() const {
        std::vector<std::string> texts;
        for (const auto& q : app.prompt.asked)
            texts.push_back(q.text);
        return texts;
    }
    TestApp app;
    CInstrumentConnection inst;
};

TEST_F(ChannelEditorsTest, BasicPageRefusesANameUntilItIsValidAndUnique) {
    // A duplicate as "D&uplicate" makes it: a copy of CONC1 without a name, not yet listed.
    std::unique_ptr<CDASChannel> copy(static_cast<CDASChannel*>(Channel(0).Clone()));
    copy->SetName("");
    CDASChanPropertySheet sheet(*copy);
    const std::string invalid = LoadString(61265);
    const struct {
        const char* name;
        bool accepted;
    } rows[] = {{"", false},      {"NEW CHAN", false}, {"cal", false},
                {"conc1", false}, {"A-1", false},      {"NEW_1", true}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        app.prompt.asked.clear();
        sheet.Basic().Name().setText(row.name);
        EXPECT_EQ(sheet.Basic().Validate(), row.accepted);
        EXPECT_EQ(Asked(),
                  row.accepted ? std::vector<std::string>{} : std::vector<std::string>{invalid});
    }
}

TEST_F(ChannelEditorsTest, PagesCheckPeriodsAndTheDownloadFile) {
    CDASChanPropertySheet sheet(Channel(0));
    // Both periods must be above zero.
    sheet.Basic().Sample().days->setText("0");
    sheet.Basic().Sample().hours->setText("0");
    sheet.Basic().Sample().minutes->setText("0");
    EXPECT_FALSE(sheet.Basic().Validate());
    EXPECT_EQ(Asked(), std::vector<std::string>{LoadString(61264)});

    const struct {
        bool selected;
        const char* file;
        const char* period; // days
        PromptResult answer;
        std::vector<unsigned> asked;
        bool accepted;
    } rows[] = {
        {true, "", "1", PromptResult::Yes, {61312}, false},
        {true, "", "1", PromptResult::No, {61312}, true},
        {true, "", "0", PromptResult::No, {61312, 61311}, false},
        {false, "", "0", PromptResult::No, {61311}, false},
        {true, "out.txt", "2", PromptResult::No, {}, true},
    };
    CDASChanAdvPropertyPage& adv = sheet.Advanced();
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.file) + " days " + row.period);
        app.prompt.asked.clear();
        app.prompt.Answer(row.answer);
        adv.Selected().setChecked(row.selected);
        adv.File().setText(row.file);
        adv.Period().days->setText(row.period);
        adv.Period().hours->setText("0");
        adv.Period().minutes->setText("0");
        EXPECT_EQ(adv.Validate(), row.accepted);
        std::vector<std::string> want;
        for (unsigned id : row.asked)
            want.push_back(LoadString(id));
        EXPECT_EQ(Asked(), want);
    }
}

TEST_F(ChannelEditorsTest, AdvancedPageProposesTheAutomaticFileName) {
    CDASChanPropertySheet sheet(Channel(0));
    EXPECT_EQ(sheet.Advanced().LastDownload().text(), "Unknown");
    std::string proposed;
    CDASChanAdvPropertyPage::SetFileChooser([&](const std::string& name) {
        proposed = name;
        return std::optional<std::string>("/data/chosen.txt");
    });
    sheet.Advanced().OnSelectFile();
    EXPECT_EQ(proposed, "Monitor 1-0042-CONC1-Auto.txt");
    EXPECT_EQ(sheet.Advanced().File().text(), "/data/chosen.txt");
}

TEST_F(ChannelEditorsTest, ListsOfferOnlyLowAndMediumLevels) {
    CDASChanPropertySheet sheet(Channel(0));
    QStringList events;
    for (int i = 0; i < sheet.Basic().Event().count(); ++i)
        events << sheet.Basic().Event().itemText(i);
    EXPECT_EQ(events, (QStringList{"ATIMER", "EXITZR"}));
    // A timer event enables the start and periods; another event does not.
    sheet.Basic().Event().setCurrentIndex(1);
    EXPECT_FALSE(sheet.Basic().StartDate().isEnabled());
    sheet.Basic().Event().setCurrentIndex(0);
    EXPECT_TRUE(sheet.Basic().StartDate().isEnabled());

    CDASParameter& p = *Channel(0).GetParameter(1);
    for (bool newDas : {false, true}) {
        inst.SetCapabilities(newDas ? uint32_t(CAP_NEW_DAS) : 0u);
        CDASParameterPropertiesDialog dlg(p);
        QStringList points;
        for (int i = 0; i < dlg.Point().count(); ++i)
            points << dlg.Point().itemText(i);
        EXPECT_EQ(points, (QStringList{"NOX", "O3"}));
        EXPECT_EQ(dlg.Point().currentText(), "O3");
        EXPECT_EQ(dlg.StoreSamples().isEnabled(), newDas);
    }
}

TEST_F(ChannelEditorsTest, ParameterDialogChecksPrecisionThenStores) {
    CDASParameter& p = *Channel(0).GetParameter(0);
    CDASParameterPropertiesDialog dlg(p);
    dlg.Point().setCurrentText("O3");
    dlg.Mode().setCurrentText("MAX");
    dlg.Precision().setText("5");
    dlg.accept();
    EXPECT_NE(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(p.GetName(), "NOX");
    dlg.Precision().setText("4");
    dlg.accept();
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(p.GetName(), "O3");
    EXPECT_EQ(p.GetMode(), "MAX");
    EXPECT_EQ(p.GetPrecision(), 4);
    EXPECT_EQ(p.GetDescription(), "Ozone");
}

// Pictures under the build tree, and no label or button squeezed below the size it asks for.
void Shot(QWidget& w, const std::string& name) {
    w.show();
    QApplication::processEvents();
    const std::string dir = GASQUILL_BIN_DIR "/screenshots";
    std::filesystem::create_directories(dir);
    EXPECT_TRUE(w.grab().save(QString::fromStdString(dir + "/" + name + ".png"))) << name;
    for (QWidget* child : w.findChildren<QWidget*>()) {
        if (!child->isVisible() ||
            !(qobject_cast<QLabel*>(child) || qobject_cast<QAbstractButton*>(child)))
            continue;
        EXPECT_GE(child->width(), child->minimumSizeHint().width())
            << name << ": " << child->property("text").toString().toStdString();
    }
}

TEST_F(ChannelEditorsTest, PicturesOfTheEditorsShowEveryText) {
    inst.SetCapabilities(CAP_DAS_FROM_TO | CAP_NEW_DAS);
    CSelectionSet sel;
    CSelectRecordsDialog select(&inst, sel);
    select.TypeButton(7).click();
    Shot(select, "select-records");
    CDASChanPropertySheet sheet(Channel(0));
    Shot(sheet, "channel-basic");
    sheet.SetActivePage(1);
    Shot(sheet, "channel-advanced");
    CDASParameterPropertiesDialog param(*Channel(0).GetParameter(0));
    Shot(param, "parameter");
}

} // namespace
