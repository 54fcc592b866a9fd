#include "das/gui/DASChanPropertySheet.h"

#include "base/AppServices.h"
#include "base/StateLock.h"
#include "base/Strings.h"
#include "base/UserPrompt.h"
#include "connections/gui/DialogSupport.h"
#include "das/DASChannel.h"
#include "das/DASEvent.h"
#include "das/gui/SelectRecordsDialog.h"
#include "instruments/InstrumentConnection.h"
#include "model/InstrumentKeywords.h"
#include "support/DateFormat.h"
#include "ui/AppFileDialog.h"
#include "ui/WindowModal.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimeEdit>
#include <QVBoxLayout>
#include <cctype>
#include <cstdio>

namespace {

CDASChanAdvPropertyPage::FileChooser& TheChooser() {
    static CDASChanAdvPropertyPage::FileChooser chooser;
    return chooser;
}

PeriodEdits MakePeriod(QWidget* parent, QFormLayout* form, const QString& label) {
    PeriodEdits p{new QLineEdit(parent), new QLineEdit(parent), new QLineEdit(parent)};
    auto* row = new QHBoxLayout;
    for (QLineEdit* e : {p.days, p.hours, p.minutes}) {
        e->setMaximumWidth(48);
        row->addWidget(e);
    }
    row->addStretch();
    // The mnemonic needs a buddy; a row of three edits gets none of its own.
    auto* text = new QLabel(label, parent);
    text->setBuddy(p.days);
    form->addRow(text, row);
    return p;
}

void ShowPeriod(const PeriodEdits& p, const TimeSpan& span) {
    p.days->setText(QString::number(span.GetDays()));
    p.hours->setText(QString::number(span.GetHours()));
    p.minutes->setText(QString::number(span.GetMinutes()));
}

// Range-checks the three fields; false after the standard message.
bool ReadPeriod(const PeriodEdits& p, TimeSpan& span) {
    long long d = 0, h = 0, m = 0;
    if (!ReadIntegerField(*p.days, 0, 366, d) || !ReadIntegerField(*p.hours, 0, 23, h) ||
        !ReadIntegerField(*p.minutes, 0, 59, m))
        return false;
    span =
        TimeSpan(static_cast<uint32_t>(d), static_cast<uint32_t>(h), static_cast<uint32_t>(m), 0);
    return true;
}

bool ValidName(const std::string& name) {
    if (name.empty())
        return false;
    for (unsigned char c : name)
        if (!std::isalnum(c) && c != '_')
            return false;
    return true;
}

} // namespace

// ---- Basic -------------------------------------------------------------------------------

CDASChanBasicPropertyPage::CDASChanBasicPropertyPage(CDASChannel& channel)
    : CAppPropertyPage(QStringLiteral("Basic")), m_channel(channel) {
    auto* basic = new QGroupBox(QStringLiteral("Basic Settings"), this);
    auto* form = new QFormLayout(basic);
    m_name = new QLineEdit(basic);
    m_name->setMaxLength(20);
    m_records = new QLineEdit(basic);
    m_event = new QComboBox(basic);
    form->addRow(QStringLiteral("Channel &Name:"), m_name);
    form->addRow(QStringLiteral("N&umber of Records:"), m_records);
    form->addRow(QStringLiteral("Trigger &Event:"), m_event);
    m_enabled = new QCheckBox(QStringLiteral("Ena&ble Channel"), basic);
    m_holdOff = new QCheckBox(QStringLiteral("&Hold Off"), basic);
    m_print = new QCheckBox(QStringLiteral("&Print Reports"), basic);
    m_compact = new QCheckBox(QStringLiteral("&Compact Reports"), basic);
    for (QCheckBox* box : {m_enabled, m_holdOff, m_print, m_compact})
        form->addRow(box);
    auto* timer = new QGroupBox(QStringLiteral("Automatic Timer Settings"), this);
    auto* timerForm = new QFormLayout(timer);
    m_startDate = new QDateEdit(timer);
    m_startDate->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    m_startDate->setCalendarPopup(true);
    m_startTime = new QTimeEdit(timer);
    m_startTime->setDisplayFormat(QStringLiteral("HH:mm:ss"));
    timerForm->addRow(QStringLiteral("Start &Date:"), m_startDate);
    timerForm->addRow(QStringLiteral("Start &Time:"), m_startTime);
    m_sample = MakePeriod(timer, timerForm, QStringLiteral("&Sample Period\n(DDD:HH:MM):"));
    m_report = MakePeriod(timer, timerForm, QStringLiteral("&Report Period\n(DDD:HH:MM):"));
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(basic);
    layout->addWidget(timer);
    connect(m_event, &QComboBox::currentIndexChanged, this, [this] { UpdateControls(); });
}

void CDASChanBasicPropertyPage::Exchange(bool load) {
    StateGuard guard(AppStateLock());
    CInstrumentConnection* inst = m_channel.GetInstrument();
    if (load) {
        m_name->setText(ToQt(m_channel.GetName()));
        m_records->setText(QString::number(std::max(1, m_channel.GetRecords())));
        m_event->clear();
        if (inst)
            for (CNamedObject* object : inst->DasEvents()) {
                auto* event = static_cast<CDASEvent*>(object);
                if (event->GetLevel() == KW_LOW || event->GetLevel() == KW_MED)
                    m_event->addItem(ToQt(event->GetName()), event->IsTimerEvent());
            }
        m_event->setCurrentIndex(
            m_event->findText(ToQt(m_channel.GetEvent()), Qt::MatchFixedString));
        m_enabled->setChecked(m_channel.GetEnabled());
        m_holdOff->setChecked(m_channel.GetHoldOff());
        m_print->setChecked(m_channel.GetPrintReports());
        m_compact->setChecked(m_channel.GetCompactReports());
        const DateTime start = m_channel.GetStartDate();
        m_startDate->setDate(QDate(start.GetYear(), start.GetMonth(), start.GetDay()));
        m_startTime->setTime(QTime(start.GetHour(), start.GetMinute(), start.GetSecond()));
        ShowPeriod(m_sample, m_channel.GetSamplePeriod());
        ShowPeriod(m_report, m_channel.GetReportPeriod());
        return;
    }
    TimeSpan sample, report;
    long long records = 1;
    ReadIntegerField(*m_records, 1, CDASChannel::kMaxRecords, records);
    ReadPeriod(m_sample, sample);
    ReadPeriod(m_report, report);
    m_channel.SetName(FromQt(m_name->text()));
    m_channel.SetRecords(static_cast<int32_t>(records));
    if (m_event->currentIndex() >= 0)
        m_channel.SetEvent(FromQt(m_event->currentText()));
    m_channel.SetEnabled(m_enabled->isChecked());
    m_channel.SetHoldOff(m_holdOff->isChecked());
    m_channel.SetPrintReports(m_print->isChecked());
    m_channel.SetCompactReports(m_compact->isChecked());
    const QDate d = m_startDate->date();
    const QTime t = m_startTime->time();
    m_channel.SetStartDate(
        DateTime(d.year(), d.month(), d.day(), t.hour(), t.minute(), t.second()));
    m_channel.SetSamplePeriod(sample);
    m_channel.SetReportPeriod(report);
}

void CDASChanBasicPropertyPage::UpdateControls() {
    const bool timer = m_event->currentIndex() >= 0 && m_event->currentData().toBool();
    for (QWidget* w :
         {static_cast<QWidget*>(m_startDate), static_cast<QWidget*>(m_startTime),
          static_cast<QWidget*>(m_sample.days), static_cast<QWidget*>(m_sample.hours),
          static_cast<QWidget*>(m_sample.minutes), static_cast<QWidget*>(m_report.days),
          static_cast<QWidget*>(m_report.hours), static_cast<QWidget*>(m_report.minutes)})
        w->setEnabled(timer);
}

bool CDASChanBasicPropertyPage::Validate() {
    long long records = 0;
    TimeSpan sample, report;
    if (!ReadIntegerField(*m_records, 1, CDASChannel::kMaxRecords, records) ||
        !ReadPeriod(m_sample, sample) || !ReadPeriod(m_report, report))
        return false;
    const std::string name = FromQt(m_name->text());
    bool unique = true;
    {
        StateGuard guard(AppStateLock());
        if (CInstrumentConnection* inst = m_channel.GetInstrument()) {
            CNamedObject* other = inst->DasChannels().FindByName(name);
            unique = !other || other == &m_channel;
        }
    }
    if (!ValidName(name) || !unique) {
        ShowDialogError(LoadString(61265));
        m_name->setFocus();
        return false;
    }
    if (sample.GetTotalSeconds() == 0 || report.GetTotalSeconds() == 0) {
        ShowDialogError(LoadString(61264));
        return false;
    }
    return true;
}

// ---- Advanced ----------------------------------------------------------------------------

void CDASChanAdvPropertyPage::SetFileChooser(FileChooser chooser) {
    TheChooser() = std::move(chooser);
}

CDASChanAdvPropertyPage::CDASChanAdvPropertyPage(CDASChannel& channel)
    : CAppPropertyPage(QStringLiteral("Advanced")), m_channel(channel) {
    auto* form = new QFormLayout(this);
    m_selected = new QCheckBox(QStringLiteral("&Select this channel for automatic download"), this);
    form->addRow(m_selected);
    m_period = MakePeriod(this, form, QStringLiteral("&Download Period\n(DDD:HH:MM):"));
    m_last = new QLabel(this);
    form->addRow(QStringLiteral("Date/time of last download:"), m_last);
    auto* selectRecords = new QPushButton(QStringLiteral("Select &Rec..."), this);
    form->addRow(selectRecords);
    m_file = new QLineEdit(this);
    m_file->setMaxLength(256);
    m_file->setMinimumWidth(260);
    form->addRow(QStringLiteral("&File to downloaded data to:"), m_file);
    auto* selectFile = new QPushButton(QStringLiteral("S&elect file..."), this);
    m_append = new QCheckBox(QStringLiteral("Appe&nd downloaded data to file"), this);
    form->addRow(selectFile, m_append);
    connect(selectRecords, &QPushButton::clicked, this, &CDASChanAdvPropertyPage::OnSelectRecords);
    connect(selectFile, &QPushButton::clicked, this, &CDASChanAdvPropertyPage::OnSelectFile);
}

void CDASChanAdvPropertyPage::Exchange(bool load) {
    StateGuard guard(AppStateLock());
    if (load) {
        m_selection = m_channel.GetSelection();
        m_selected->setChecked(m_channel.IsSelected());
        ShowPeriod(m_period, m_channel.GetAutoDownloadPeriod());
        const uint32_t last = m_channel.GetLastDownloadTime();
        m_last->setText(last ? ToQt(Format(DateTime(last), 250).c_str()) : StringText(61313));
        m_file->setText(ToQt(m_channel.GetAutoDownloadFile()));
        m_append->setChecked(m_channel.GetAppendToFile());
        return;
    }
    TimeSpan period;
    ReadPeriod(m_period, period);
    // Changing the channel's flag carries every parameter with it.
    if (m_selected->isChecked() != m_channel.IsSelected())
        m_channel.SetSelected(m_selected->isChecked());
    m_channel.SetAutoDownloadPeriod(period);
    m_channel.GetSelection() = m_selection;
    m_channel.SetAutoDownloadFile(FromQt(m_file->text()));
    m_channel.SetAppendToFile(m_append->isChecked());
}

std::string CDASChanAdvPropertyPage::ProposedFileName() const {
    std::string inst, serial, name;
    {
        StateGuard guard(AppStateLock());
        if (CInstrumentConnection* i = m_channel.GetInstrument()) {
            inst = i->GetName();
            serial = i->GetSerialNumber();
        }
        name = m_channel.GetName();
    }
    char text[1024];
    std::snprintf(text, sizeof text, LoadString(61314).c_str(), inst.c_str(), serial.c_str(),
                  name.c_str(), LoadString(61224).c_str());
    return text;
}

void CDASChanAdvPropertyPage::OnSelectFile() {
    const std::string proposed =
        m_file->text().isEmpty() ? ProposedFileName() : FromQt(m_file->text());
    std::optional<std::string> chosen;
    if (TheChooser()) {
        chosen = TheChooser()(proposed);
    } else {
        CAppFileDialog chooser(false, StringText(61224), ToQt(proposed),
                               CAppFileDialog::OFN_HIDEREADONLY, StringText(61219), this);
        if (chooser.exec() == QDialog::Accepted)
            chosen = FromQt(chooser.GetPathName());
    }
    if (chosen)
        m_file->setText(ToQt(*chosen));
}

void CDASChanAdvPropertyPage::OnSelectRecords() {
    CSelectRecordsDialog dlg(m_channel.GetInstrument(), m_selection, this);
    ExecWindowModal(dlg);
}

bool CDASChanAdvPropertyPage::Validate() {
    TimeSpan period;
    if (!ReadPeriod(m_period, period))
        return false;
    if (m_selected->isChecked() && m_file->text().isEmpty()) {
        AppServices* app = AppServices::Get();
        UserPrompt* prompt = app ? app->GetPrompt() : nullptr;
        if (prompt && prompt->Ask(LoadString(61312), LoadString(IDS_WARNING), PromptButtons::YesNo,
                                  PromptIcon::Question, PromptResult::No) == PromptResult::Yes) {
            m_file->setFocus();
            return false;
        }
    }
    if (period.GetTotalSeconds() == 0) {
        ShowDialogError(LoadString(61311));
        return false;
    }
    return true;
}

// ---- the sheet ---------------------------------------------------------------------------

CDASChanPropertySheet::CDASChanPropertySheet(CDASChannel& channel, QWidget* parent)
    : CAppPropertySheet(StringText(61310), parent), m_channel(channel) {
    m_basic = new CDASChanBasicPropertyPage(channel);
    m_advanced = new CDASChanAdvPropertyPage(channel);
    AddPage(m_basic);
    AddPage(m_advanced);
    ExchangeAll(true);
    m_basic->UpdateControls();
}

bool CDASChanPropertySheet::Run() {
    if (exec() != QDialog::Accepted)
        return false;
    {
        StateGuard guard(AppStateLock());
        ExchangeAll(false);
        if (CInstrumentConnection* inst = m_channel.GetInstrument())
            inst->SetDasModified(true);
    }
    AppSetModified();
    return true;
}

void CDASChanPropertySheet::Install() {
    CDASChannel::SetEditor([](CDASChannel& channel) {
        CDASChanPropertySheet sheet(channel, DialogParent());
        return sheet.Run();
    });
}
