#include "das/gui/SelectRecordsDialog.h"

#include "base/AppServices.h"
#include "base/StateLock.h"
#include "base/Strings.h"
#include "base/UserPrompt.h"
#include "connections/gui/DialogSupport.h"
#include "das/SelectionSet.h"
#include "instruments/InstrumentConnection.h"
#include "support/DateTime.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTimeEdit>
#include <QVBoxLayout>
#include <cstdio>

namespace {

const char* const kTypeTexts[8] = {"&All",
                                   "&Since last download",
                                   "Most recent &records",
                                   "Most recent &hours",
                                   "Most recent &days",
                                   "Most recent &weeks",
                                   "Most recent &months",
                                   "&Between"};

std::string YearMessage(unsigned id, int year) {
    char text[256];
    std::snprintf(text, sizeof text, LoadString(id).c_str(), year, DateTime::kFirstYear,
                  DateTime::kLastYear);
    return text;
}

bool YearSupported(int year) {
    return year >= DateTime::kFirstYear && year <= DateTime::kLastYear;
}

void ShowCalendar(QDateEdit& date, QTimeEdit& time, uint32_t seconds) {
    const DateTime t(seconds);
    date.setDate(QDate(t.GetYear(), t.GetMonth(), t.GetDay()));
    time.setTime(QTime(t.GetHour(), t.GetMinute(), t.GetSecond()));
}

uint32_t ReadCalendar(const QDateEdit& date, const QTimeEdit& time) {
    const QDate d = date.date();
    const QTime t = time.time();
    return DateTime(d.year(), d.month(), d.day(), t.hour(), t.minute(), t.second()).GetSeconds();
}

QLineEdit* CountEdit(QWidget* parent, int32_t value) {
    auto* edit = new QLineEdit(QString::number(value), parent);
    edit->setMaximumWidth(70);
    return edit;
}

} // namespace

CSelectRecordsDialog::CSelectRecordsDialog(CInstrumentConnection* instrument,
                                           CSelectionSet& selection, QWidget* parent)
    : QDialog(parent), m_instrument(instrument), m_selection(selection) {
    setWindowTitle(QStringLiteral("Select Records"));
    bool useInstDates = false;
    {
        StateGuard guard(AppStateLock());
        m_type = selection.GetType();
        m_recordCount = selection.GetRecords();
        m_hourCount = selection.GetHours();
        m_dayCount = selection.GetDays();
        m_weekCount = selection.GetWeeks();
        m_monthCount = selection.GetMonths();
        m_start = selection.GetStart();
        m_end = selection.GetEnd();
        useInstDates = selection.GetUseInstrumentDateSelection();
    }

    m_group = new QButtonGroup(this);
    for (int type = 0; type < 8; ++type)
        m_group->addButton(new QRadioButton(QString::fromLatin1(kTypeTexts[type]), this), type);
    // A stored type outside the eight leaves every button unchecked.
    if (QAbstractButton* button = m_group->button(m_type))
        button->setChecked(true);
    connect(m_group, &QButtonGroup::idClicked, this, &CSelectRecordsDialog::OnTypeClicked);

    m_records = CountEdit(this, m_recordCount);
    m_hours = CountEdit(this, m_hourCount);
    m_days = CountEdit(this, m_dayCount);
    m_weeks = CountEdit(this, m_weekCount);
    m_months = CountEdit(this, m_monthCount);
    m_startDate = new QDateEdit(this);
    m_startTime = new QTimeEdit(this);
    m_endDate = new QDateEdit(this);
    m_endTime = new QTimeEdit(this);
    for (QDateEdit* date : {m_startDate, m_endDate}) {
        date->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
        date->setCalendarPopup(true);
    }
    for (QTimeEdit* time : {m_startTime, m_endTime})
        time->setDisplayFormat(QStringLiteral("HH:mm:ss"));
    ShowCalendar(*m_startDate, *m_startTime, m_start);
    ShowCalendar(*m_endDate, *m_endTime, m_end);
    m_useInstDates =
        new QCheckBox(QStringLiteral("&Use instrument's date/time selection commands"), this);
    m_useInstDates->setChecked(useInstDates);

    auto* grid = new QGridLayout;
    grid->addWidget(m_group->button(0), 0, 0);
    grid->addWidget(m_group->button(1), 1, 0);
    QLineEdit* edits[] = {m_records, m_hours, m_days, m_weeks, m_months};
    for (int i = 0; i < 5; ++i) {
        grid->addWidget(m_group->button(2 + i), 2 + i, 0);
        grid->addWidget(edits[i], 2 + i, 1);
    }
    grid->addWidget(m_group->button(7), 7, 0);
    grid->addWidget(m_startDate, 7, 1);
    grid->addWidget(m_startTime, 7, 2);
    grid->addWidget(new QLabel(QStringLiteral("and"), this), 8, 0, Qt::AlignRight);
    grid->addWidget(m_endDate, 8, 1);
    grid->addWidget(m_endTime, 8, 2);
    grid->addWidget(m_useInstDates, 9, 0, 1, 3);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &CSelectRecordsDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CSelectRecordsDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->addLayout(grid);
    layout->addWidget(buttons);

    UpdateEnables();
    bool fromTo = false;
    if (m_instrument) {
        StateGuard guard(AppStateLock());
        fromTo = m_instrument->HasCapability(CAP_DAS_FROM_TO);
    }
    m_useInstDates->setEnabled(fromTo);
}

QRadioButton& CSelectRecordsDialog::TypeButton(int type) {
    return *static_cast<QRadioButton*>(m_group->button(type));
}

void CSelectRecordsDialog::UpdateEnables() {
    const int type = m_group->checkedId();
    m_records->setEnabled(type == CSelectionSet::SEL_RECORDS);
    m_hours->setEnabled(type == CSelectionSet::SEL_HOURS);
    m_days->setEnabled(type == CSelectionSet::SEL_DAYS);
    m_weeks->setEnabled(type == CSelectionSet::SEL_WEEKS);
    m_months->setEnabled(type == CSelectionSet::SEL_MONTHS);
    for (QWidget* picker : {static_cast<QWidget*>(m_startDate), static_cast<QWidget*>(m_startTime),
                            static_cast<QWidget*>(m_endDate), static_cast<QWidget*>(m_endTime)})
        picker->setEnabled(type == CSelectionSet::SEL_BETWEEN);
}

void CSelectRecordsDialog::OnTypeClicked() {
    ReadFields();
    UpdateEnables();
}

bool CSelectRecordsDialog::ReadFields() {
    // The checked button is the type; none reads as -1, which the selection turns into 0.
    m_type = m_group->checkedId();
    struct Field {
        QLineEdit* edit;
        int32_t max;
        int32_t* value;
    } fields[] = {{m_records, CSelectionSet::kMaxRecords, &m_recordCount},
                  {m_hours, CSelectionSet::kMaxHours, &m_hourCount},
                  {m_days, CSelectionSet::kMaxDays, &m_dayCount},
                  {m_weeks, CSelectionSet::kMaxWeeks, &m_weekCount},
                  {m_months, CSelectionSet::kMaxMonths, &m_monthCount}};
    for (const Field& field : fields) {
        long long value = 0;
        if (!ReadIntegerField(*field.edit, 1, field.max, value))
            return false;
        *field.value = static_cast<int32_t>(value);
    }
    return true;
}

bool CSelectRecordsDialog::ReadDates() {
    if (m_type != CSelectionSet::SEL_BETWEEN)
        return true;
    const int startYear = m_startDate->date().year();
    const int endYear = m_endDate->date().year();
    bool shown = false;
    if (!YearSupported(startYear)) {
        ShowDialogError(YearMessage(61294, startYear));
        shown = true;
    }
    if (!YearSupported(endYear)) {
        ShowDialogError(YearMessage(61295, endYear));
        shown = true;
    }
    if (shown)
        return false;
    const uint32_t start = ReadCalendar(*m_startDate, *m_startTime);
    const uint32_t end = ReadCalendar(*m_endDate, *m_endTime);
    if (end < start) {
        UserPrompt* prompt = AppServices::Get() ? AppServices::Get()->GetPrompt() : nullptr;
        if (!prompt || prompt->Ask(LoadString(61293), LoadString(IDS_CONFIRM), PromptButtons::YesNo,
                                   PromptIcon::Question, PromptResult::No) != PromptResult::Yes)
            return false;
    }
    m_start = start;
    m_end = end;
    return true;
}

void CSelectRecordsDialog::accept() {
    if (!ReadFields() || !ReadDates())
        return;
    {
        StateGuard guard(AppStateLock());
        m_selection.SetType(m_type);
        m_selection.SetStart(m_start);
        m_selection.SetEnd(m_end);
        m_selection.SetRecords(m_recordCount);
        m_selection.SetHours(m_hourCount);
        m_selection.SetDays(m_dayCount);
        m_selection.SetWeeks(m_weekCount);
        m_selection.SetMonths(m_monthCount);
        // Written back even when disabled: the stored choice stays as it was.
        m_selection.SetUseInstrumentDateSelection(m_useInstDates->isChecked());
    }
    QDialog::accept();
}
