// The editors of the DAS window: the record selection, the channel's two pages and the
// parameter dialog.

#include "DASWindowTest.h"
#include "das/gui/DASChanPropertySheet.h"
#include "das/gui/DASParameterPropertiesDialog.h"
#include "das/gui/SelectRecordsDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QRadioButton>
#include <QTimeEdit>

namespace {

using EditorsTest = DASWindowTest;

std::string YearRefused(const std::string& which, int year) {
    return which + " year of " + std::to_string(year) +
           " is not supported by the instrument. Please make sure the year is between 1970 "
           "and 2105.";
}

uint32_t Seconds(const QDateTime& t) {
    const QDate d = t.date();
    const QTime h = t.time();
    return DateTime(d.year(), d.month(), d.day(), h.hour(), h.minute(), h.second()).GetSeconds();
}

TEST_F(EditorsTest, EachSelectionTypeEnablesOnlyItsOwnFields) {
    CSelectRecordsDialog dlg(&inst, sel);
    for (int type = 0; type < 8; ++type) {
        SCOPED_TRACE("type " + std::to_string(type));
        dlg.TypeButton(type).click();
        // The counts belong to types 2 (records) to 6 (months), the pickers to 7 (between).
        const QWidget* counts[] = {&dlg.Records(), &dlg.Hours(), &dlg.Days(), &dlg.Weeks(),
                                   &dlg.Months()};
        for (int i = 0; i < 5; ++i)
            EXPECT_EQ(counts[i]->isEnabled(), type == i + 2) << "count " << i;
        for (const QWidget* picker : std::initializer_list<const QWidget*>{
                 &dlg.StartDate(), &dlg.StartTime(), &dlg.EndDate(), &dlg.EndTime()})
            EXPECT_EQ(picker->isEnabled(), type == 7);
    }
    EXPECT_TRUE(app.prompt.asked.empty());
}

TEST_F(EditorsTest, InstrumentDateBoxNeedsTheFromToCapabilityAndIsKeptWhenDisabled) {
    const struct {
        bool haveInstrument;
        uint32_t caps;
        bool enabled;
    } rows[] = {{false, CAP_DAS_FROM_TO, false}, {true, 0, false}, {true, CAP_DAS_FROM_TO, true}};
    for (const auto& row : rows) {
        SCOPED_TRACE(std::to_string(row.haveInstrument) + " caps " + std::to_string(row.caps));
        inst.SetCapabilities(row.caps);
        sel.SetUseInstrumentDateSelection(true);
        CSelectRecordsDialog dlg(row.haveInstrument ? &inst : nullptr, sel);
        EXPECT_EQ(dlg.UseInstrumentDates().isEnabled(), row.enabled);
        sel.SetUseInstrumentDateSelection(false);
        dlg.accept();
        EXPECT_EQ(dlg.result(), QDialog::Accepted);
        EXPECT_TRUE(sel.GetUseInstrumentDateSelection());
    }
}

TEST_F(EditorsTest, BetweenChecksBothYearsThenAsksAboutAReversedRange) {
    const std::string reversed = LoadString(61293);
    // clang-format off
    const struct {
        const char *start, *end;
        PromptResult answer;
        std::vector<std::string> asked;
        bool accepted;
    } rows[] = {
        {"2106-01-01 00:00:00", "2000-01-02 00:00:00", PromptResult::Ok, {YearRefused("Starting", 2106)}, false},
        {"1969-05-01 00:00:00", "2200-01-02 00:00:00", PromptResult::Ok,
         {YearRefused("Starting", 1969), YearRefused("Ending", 2200)}, false},
        {"2020-05-01 10:00:05", "2020-05-01 10:00:05", PromptResult::Ok, {}, true},
        {"2020-05-02 00:00:00", "2020-05-01 23:59:59", PromptResult::No, {reversed}, false},
        {"2020-05-02 00:00:00", "2020-05-01 23:59:59", PromptResult::Yes, {reversed}, true},
    };
    // clang-format on
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.start) + " .. " + row.end);
        const QDateTime start = QDateTime::fromString(row.start, "yyyy-MM-dd hh:mm:ss");
        const QDateTime end = QDateTime::fromString(row.end, "yyyy-MM-dd hh:mm:ss");
        app.prompt.asked.clear();
        if (row.answer != PromptResult::Ok)
            app.prompt.Answer(row.answer);
        sel = CSelectionSet();
        sel.SetStart(1000);
        sel.SetEnd(2000);
        CSelectRecordsDialog dlg(&inst, sel);
        dlg.TypeButton(7).click();
        dlg.StartDate().setDate(start.date());
        dlg.StartTime().setTime(start.time());
        dlg.EndDate().setDate(end.date());
        dlg.EndTime().setTime(end.time());
        dlg.accept();
        EXPECT_EQ(Asked(), row.asked);
        EXPECT_EQ(dlg.result() == QDialog::Accepted, row.accepted);
        EXPECT_EQ(sel.GetStart(), row.accepted ? Seconds(start) : 1000u);
        EXPECT_EQ(sel.GetEnd(), row.accepted ? Seconds(end) : 2000u);
        EXPECT_EQ(sel.GetType(), row.accepted ? 7 : 0);
    }
}

TEST_F(EditorsTest, OtherTypesIgnoreThePickersAndCancelKeepsAll) {
    sel.SetStart(1000);
    CSelectRecordsDialog dlg(&inst, sel);
    dlg.TypeButton(5).click();
    dlg.StartDate().setDate(QDate(2200, 1, 1)); // out of range, but not asked about
    dlg.Weeks().setText("52");
    dlg.accept();
    EXPECT_TRUE(app.prompt.asked.empty());
    EXPECT_EQ(sel.GetWeeks(), 52);
    EXPECT_EQ(sel.GetStart(), 1000u);

    CSelectRecordsDialog cancelled(&inst, sel);
    cancelled.TypeButton(4).click();
    cancelled.Days().setText("30");
    cancelled.reject();
    EXPECT_EQ(sel.GetType(), 5);
    EXPECT_EQ(sel.GetDays(), 1);
}

TEST_F(EditorsTest, CountsOutsideTheirRangesKeepTheDialogOpen) {
    const struct {
        int type;
        QLineEdit& (CSelectRecordsDialog::*edit)();
        const char* text;
    } rows[] = {{2, &CSelectRecordsDialog::Records, "10001"},
                {3, &CSelectRecordsDialog::Hours, "25"},
                {4, &CSelectRecordsDialog::Days, "0"},
                {5, &CSelectRecordsDialog::Weeks, "53"},
                {6, &CSelectRecordsDialog::Months, "x"}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text);
        sel = CSelectionSet();
        app.prompt.asked.clear();
        CSelectRecordsDialog dlg(&inst, sel);
        dlg.TypeButton(row.type).click();
        (dlg.*row.edit)().setText(row.text);
        dlg.accept();
        EXPECT_NE(dlg.result(), QDialog::Accepted);
        EXPECT_EQ(app.prompt.asked.size(), 1u);
        EXPECT_EQ(sel.GetType(), 0);
    }
}

TEST_F(EditorsTest, BasicPageRefusesANameUntilItIsValidAndUnique) {
    // A duplicate as "D&uplicate" makes it: a copy of CONC1 without a name, not yet listed.
    std::unique_ptr<CDASChannel> copy(static_cast<CDASChannel*>(Channel(0)->Clone()));
    copy->SetName("");
    CDASChanPropertySheet sheet(*copy);
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
        EXPECT_EQ(Asked(), row.accepted ? std::vector<std::string>{}
                                        : std::vector<std::string>{LoadString(61265)});
    }
}

TEST_F(EditorsTest, PagesCheckPeriodsAndTheDownloadFile) {
    CDASChanPropertySheet sheet(*Channel(0));
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

TEST_F(EditorsTest, AdvancedPageProposesTheAutomaticFileName) {
    CDASChanPropertySheet sheet(*Channel(0));
    EXPECT_EQ(sheet.Advanced().LastDownload().text(), "Unknown");
    std::string proposed;
    CDASChanAdvPropertyPage::SetFileChooser([&](const std::string& name) {
        proposed = name;
        return std::optional<std::string>("/data/chosen.txt");
    });
    sheet.Advanced().OnSelectFile();
    CDASChanAdvPropertyPage::SetFileChooser(nullptr);
    EXPECT_EQ(proposed, "Monitor 1-0042-CONC1-Auto.txt");
    EXPECT_EQ(sheet.Advanced().File().text(), "/data/chosen.txt");
}

TEST_F(EditorsTest, ListsOfferOnlyLowAndMediumLevels) {
    CDASChanPropertySheet sheet(*Channel(0));
    QStringList events;
    for (int i = 0; i < sheet.Basic().Event().count(); ++i)
        events << sheet.Basic().Event().itemText(i);
    EXPECT_EQ(events, (QStringList{"ATIMER", "EXITZR"}));
    // A timer event enables the start and periods; another event does not.
    sheet.Basic().Event().setCurrentIndex(1);
    EXPECT_FALSE(sheet.Basic().StartDate().isEnabled());
    sheet.Basic().Event().setCurrentIndex(0);
    EXPECT_TRUE(sheet.Basic().StartDate().isEnabled());

    CDASParameter& p = *Channel(0)->GetParameter(1);
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

TEST_F(EditorsTest, ParameterDialogChecksPrecisionThenStores) {
    CDASParameter& p = *Channel(0)->GetParameter(0);
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

} // namespace
