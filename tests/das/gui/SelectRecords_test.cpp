#include "base/Strings.h"
#include "das/SelectionSet.h"
#include "das/gui/SelectRecordsDialog.h"
#include "instruments/InstrumentConnection.h"
#include "model/Archive.h"
#include "support/DateTime.h"
#include "support_lib/Fakes.h"
#include "support_lib/GuiTestApp.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QRadioButton>
#include <QTimeEdit>
#include <gtest/gtest.h>

namespace {

struct SelectRecordsTest : ::testing::Test {
    void SetUp() override { EnsureGuiTestApp(); }
    std::vector<std::string> Asked() const {
        std::vector<std::string> texts;
        for (const auto& q : app.prompt.asked)
            texts.push_back(q.text);
        return texts;
    }
    TestApp app;
    CInstrumentConnection inst;
    CSelectionSet sel;
};

TEST_F(SelectRecordsTest, EachTypeEnablesOnlyItsOwnFields) {
    // Records, hours, days, weeks, months, then the four pickers.
    const struct {
        int type;
        std::array<bool, 6> enabled;
    } rows[] = {{0, {0, 0, 0, 0, 0, 0}}, {1, {0, 0, 0, 0, 0, 0}}, {2, {1, 0, 0, 0, 0, 0}},
                {3, {0, 1, 0, 0, 0, 0}}, {4, {0, 0, 1, 0, 0, 0}}, {5, {0, 0, 0, 1, 0, 0}},
                {6, {0, 0, 0, 0, 1, 0}}, {7, {0, 0, 0, 0, 0, 1}}};
    CSelectRecordsDialog dlg(&inst, sel);
    for (const auto& row : rows) {
        SCOPED_TRACE("type " + std::to_string(row.type));
        dlg.TypeButton(row.type).click();
        const bool got[] = {dlg.Records().isEnabled(), dlg.Hours().isEnabled(),
                            dlg.Days().isEnabled(),    dlg.Weeks().isEnabled(),
                            dlg.Months().isEnabled(),  dlg.StartDate().isEnabled()};
        for (int i = 0; i < 6; ++i)
            EXPECT_EQ(got[i], row.enabled[i]) << "field " << i;
        EXPECT_EQ(dlg.StartTime().isEnabled(), row.enabled[5]);
        EXPECT_EQ(dlg.EndDate().isEnabled(), row.enabled[5]);
        EXPECT_EQ(dlg.EndTime().isEnabled(), row.enabled[5]);
    }
    EXPECT_TRUE(app.prompt.asked.empty());
}

TEST_F(SelectRecordsTest, InstrumentDateCheckBoxNeedsTheFromToCapabilityAndIsKeptWhenDisabled) {
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

TEST_F(SelectRecordsTest, BetweenChecksBothYearsThenAsksAboutAReversedRange) {
    const std::string startMsg2106 = "Starting year of 2106 is not supported by the instrument. "
                                     "Please make sure the year is between 1970 and 2105.";
    const std::string startMsg1969 = "Starting year of 1969 is not supported by the instrument. "
                                     "Please make sure the year is between 1970 and 2105.";
    const std::string endMsg2200 = "Ending year of 2200 is not supported by the instrument. "
                                   "Please make sure the year is between 1970 and 2105.";
    const std::string reversed = LoadString(61293);
    const struct {
        QDateTime start, end;
        PromptResult answer;
        std::vector<std::string> asked;
        bool accepted;
    } rows[] = {
        {{QDate(2106, 1, 1), QTime(0, 0)},
         {QDate(2000, 1, 2), QTime(0, 0)},
         PromptResult::Ok,
         {startMsg2106},
         false},
        {{QDate(1969, 5, 1), QTime(0, 0)},
         {QDate(2200, 1, 2), QTime(0, 0)},
         PromptResult::Ok,
         {startMsg1969, endMsg2200},
         false},
        {{QDate(2020, 5, 1), QTime(10, 0, 5)},
         {QDate(2020, 5, 1), QTime(10, 0, 5)},
         PromptResult::Ok,
         {},
         true},
        {{QDate(2020, 5, 2), QTime(0, 0)},
         {QDate(2020, 5, 1), QTime(23, 59, 59)},
         PromptResult::No,
         {reversed},
         false},
        {{QDate(2020, 5, 2), QTime(0, 0)},
         {QDate(2020, 5, 1), QTime(23, 59, 59)},
         PromptResult::Yes,
         {reversed},
         true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.start.toString().toStdString() + " .. " +
                     row.end.toString().toStdString());
        app.prompt.asked.clear();
        if (row.answer != PromptResult::Ok)
            app.prompt.Answer(row.answer);
        sel = CSelectionSet();
        sel.SetStart(1000);
        sel.SetEnd(2000);
        CSelectRecordsDialog dlg(&inst, sel);
        dlg.TypeButton(7).click();
        dlg.StartDate().setDate(row.start.date());
        dlg.StartTime().setTime(row.start.time());
        dlg.EndDate().setDate(row.end.date());
        dlg.EndTime().setTime(row.end.time());
        dlg.accept();
        EXPECT_EQ(Asked(), row.asked);
        EXPECT_EQ(dlg.result() == QDialog::Accepted, row.accepted);
        const QDate s = row.start.date(), e = row.end.date();
        const QTime st = row.start.time(), et = row.end.time();
        const uint32_t wantStart = row.accepted ? DateTime(s.year(), s.month(), s.day(), st.hour(),
                                                           st.minute(), st.second())
                                                      .GetSeconds()
                                                : 1000;
        const uint32_t wantEnd = row.accepted ? DateTime(e.year(), e.month(), e.day(), et.hour(),
                                                         et.minute(), et.second())
                                                    .GetSeconds()
                                              : 2000;
        EXPECT_EQ(sel.GetStart(), wantStart);
        EXPECT_EQ(sel.GetEnd(), wantEnd);
        EXPECT_EQ(sel.GetType(), row.accepted ? 7 : 0);
    }
}

TEST_F(SelectRecordsTest, OtherTypesIgnoreThePickersAndKeepTheDates) {
    sel.SetStart(1000);
    sel.SetEnd(2000);
    CSelectRecordsDialog dlg(&inst, sel);
    dlg.TypeButton(5).click();
    dlg.StartDate().setDate(QDate(2200, 1, 1));
    dlg.EndDate().setDate(QDate(1900, 1, 1));
    dlg.Weeks().setText("52");
    dlg.accept();
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_TRUE(app.prompt.asked.empty());
    EXPECT_EQ(sel.GetType(), 5);
    EXPECT_EQ(sel.GetWeeks(), 52);
    EXPECT_EQ(sel.GetStart(), 1000u);
    EXPECT_EQ(sel.GetEnd(), 2000u);
}

TEST_F(SelectRecordsTest, CountsOutsideTheirRangesKeepTheDialogOpen) {
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

TEST_F(SelectRecordsTest, AStoredTypeOutOfRangeChecksNothingAndOkStoresAll) {
    // Only an archive can hold such a type; the selection keeps what it read.
    CArchive out;
    sel.Serialize(out);
    std::vector<uint8_t> bytes = out.Bytes();
    bytes[0] = 9;
    CArchive in(bytes);
    CSelectionSet stored;
    stored.Serialize(in);
    ASSERT_EQ(stored.GetType(), 9);
    CSelectRecordsDialog dlg(&inst, stored);
    for (int type = 0; type < 8; ++type)
        EXPECT_FALSE(dlg.TypeButton(type).isChecked()) << type;
    dlg.accept();
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(stored.GetType(), 0);
}

TEST_F(SelectRecordsTest, CancelChangesNothing) {
    sel.SetType(2);
    sel.SetRecords(7);
    CSelectRecordsDialog dlg(&inst, sel);
    dlg.TypeButton(4).click();
    dlg.Days().setText("30");
    dlg.reject();
    EXPECT_EQ(sel.GetType(), 2);
    EXPECT_EQ(sel.GetDays(), 1);
}

} // namespace
