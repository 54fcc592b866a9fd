#include "sequences/gui/SequencePropertiesDialog.h"

#include "base/AppServices.h"
#include "base/StateLock.h"
#include "base/Strings.h"
#include "base/UserPrompt.h"
#include "connections/gui/DialogSupport.h"
#include "instruments/InstrumentConnection.h"
#include "sequences/Sequence.h"
#include "ui/WindowModal.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDateEdit>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimeEdit>

namespace {

QLabel* Label(const char* text, QWidget* parent, int x, int y, int w, int h = 20) {
    auto* label = new QLabel(QString::fromLatin1(text), parent);
    label->setGeometry(x, y, w, h);
    return label;
}

QLineEdit* NumberEdit(QWidget* parent, int x, int y, int w, int value) {
    auto* edit = new QLineEdit(QString::number(value), parent);
    edit->setGeometry(x, y, w, 24);
    return edit;
}

// A group of twelve closure checks labelled "1" to "12" behind its enable check.
QCheckBox* ClosureGroup(const char* title, const char* enableLabel, QWidget* parent, int y,
                        std::array<QCheckBox*, 12>& checks, const CContactClosures& set) {
    auto* group = new QGroupBox(QString::fromLatin1(title), parent);
    group->setGeometry(10, y, 580, 62);
    auto* enable = new QCheckBox(QString::fromLatin1(enableLabel), group);
    enable->setGeometry(10, 28, 76, 22);
    enable->setChecked(set.IsEnabled());
    for (int i = 0; i < 12; ++i) {
        auto* check = new QCheckBox(QString::number(i + 1), group);
        // Wide enough for the two-digit labels.
        check->setGeometry(88 + i * 40, 28, 42, 22);
        check->setChecked((set.GetBits() >> i) & 1u);
        checks[static_cast<size_t>(i)] = check;
    }
    return enable;
}

CContactClosures ReadClosures(CContactClosures set, const QCheckBox& enable,
                              const std::array<QCheckBox*, 12>& checks) {
    uint32_t bits = 0;
    for (int i = 0; i < 12; ++i)
        if (checks[static_cast<size_t>(i)]->isChecked())
            bits |= 1u << i;
    set.SetBits(bits);
    set.SetEnabled(enable.isChecked());
    return set;
}

void ShowError(unsigned id) {
    AppServices* app = AppServices::Get();
    if (UserPrompt* prompt = app ? app->GetPrompt() : nullptr)
        prompt->Ask(LoadString(id), LoadString(IDS_ERROR), PromptButtons::Ok,
                    PromptIcon::Exclamation, PromptResult::Ok);
}

} // namespace

CSequencePropertiesDialog::CSequencePropertiesDialog(CSequence& seq, CInstrumentConnection& inst,
                                                     QWidget* parent)
    : QDialog(parent), m_seq(seq), m_inst(inst) {
    setWindowTitle(QStringLiteral("Sequence Properties"));
    std::lock_guard<std::recursive_mutex> lock(AppStateLock());

    Label("&Name:", this, 10, 12, 50)->setBuddy(m_name = new QLineEdit(this));
    m_name->setGeometry(64, 10, 140, 24);
    m_name->setMaxLength(12);
    m_name->setText(ToQt(seq.GetName()));

    auto* run = new QGroupBox(this);
    run->setGeometry(10, 44, 270, 150);
    m_once = new QRadioButton(QStringLiteral("Run &one time"), run);
    m_once->setGeometry(10, 14, 200, 22);
    m_several = new QRadioButton(QStringLiteral("Run &several times:"), run);
    m_several->setGeometry(10, 44, 150, 22);
    m_count = NumberEdit(run, 162, 43, 56, 0);
    m_untilHalted = new QRadioButton(QStringLiteral("Run &until halted"), run);
    m_untilHalted->setGeometry(10, 74, 200, 22);
    auto* radios = new QButtonGroup(this);
    for (QRadioButton* r : {m_once, m_several, m_untilHalted})
        radios->addButton(r);
    const int32_t count = seq.GetRepeatCount();
    (count == 0 ? m_untilHalted : count == 1 ? m_once : m_several)->setChecked(true);
    if (count != 0 && count != 1)
        m_count->setText(QString::number(count));

    auto* timerGroup = new QGroupBox(this);
    timerGroup->setGeometry(290, 44, 300, 150);
    m_timer = new QCheckBox(QStringLiteral("&Enable Automatic Timer"), timerGroup);
    m_timer->setGeometry(10, 10, 240, 22);
    m_timer->setChecked(seq.GetTimerEnabled());
    const DateTime start = seq.GetTimerStart();
    Label("Start &Date:", timerGroup, 10, 40, 90)->setBuddy(m_date = new QDateEdit(timerGroup));
    m_date->setGeometry(104, 37, 140, 26);
    m_date->setCalendarPopup(true);
    m_date->setDate(QDate(start.GetYear(), start.GetMonth(), start.GetDay()));
    Label("Start &Time:", timerGroup, 10, 70, 90)->setBuddy(m_time = new QTimeEdit(timerGroup));
    m_time->setGeometry(104, 68, 140, 26);
    m_time->setDisplayFormat(QStringLiteral("HH:mm:ss"));
    m_time->setTime(QTime(start.GetHour(), start.GetMinute(), start.GetSecond()));
    const TimeSpan period = seq.GetTimerPeriod();
    m_days = NumberEdit(timerGroup, 110, 106, 44, static_cast<int>(period.GetDays()));
    m_hours = NumberEdit(timerGroup, 158, 106, 40, static_cast<int>(period.GetHours()));
    m_minutes = NumberEdit(timerGroup, 202, 106, 40, static_cast<int>(period.GetMinutes()));
    Label("&Repeat Period\n(DDD:HH:MM):", timerGroup, 10, 98, 100, 40)->setBuddy(m_days);

    m_inputsEnabled =
        ClosureGroup("Contact Closure Inputs", "En&able", this, 202, m_inputs, seq.GetCCInputs());
    m_outputsEnabled = ClosureGroup("Contact Closure Outputs", "Ena&ble", this, 272, m_outputs,
                                    seq.GetCCOutputs());

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setGeometry(410, 346, 85, 28);
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setGeometry(505, 346, 85, 28);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    for (QAbstractButton* b :
         {static_cast<QAbstractButton*>(m_once), static_cast<QAbstractButton*>(m_several),
          static_cast<QAbstractButton*>(m_untilHalted), static_cast<QAbstractButton*>(m_timer),
          static_cast<QAbstractButton*>(m_inputsEnabled),
          static_cast<QAbstractButton*>(m_outputsEnabled)})
        connect(b, &QAbstractButton::toggled, this, [this] { UpdateControls(); });
    setFixedSize(600, 384);
    UpdateControls();
}

bool CSequencePropertiesDialog::Edit(CSequence& seq, CInstrumentConnection& inst, QWidget* parent) {
    CSequencePropertiesDialog dialog(seq, inst, parent);
    return ExecWindowModal(dialog) == QDialog::Accepted;
}

void CSequencePropertiesDialog::UpdateControls() {
    m_count->setEnabled(m_several->isChecked());
    const bool timer = m_timer->isChecked();
    for (QWidget* w : {static_cast<QWidget*>(m_date), static_cast<QWidget*>(m_time),
                       static_cast<QWidget*>(m_days), static_cast<QWidget*>(m_hours),
                       static_cast<QWidget*>(m_minutes)})
        w->setEnabled(timer);
    for (QCheckBox* c : m_inputs)
        c->setEnabled(m_inputsEnabled->isChecked());
    for (QCheckBox* c : m_outputs)
        c->setEnabled(m_outputsEnabled->isChecked());
}

bool CSequencePropertiesDialog::ValidName(const std::string& name) const {
    if (name.empty())
        return false;
    for (char c : name) {
        const bool ok =
            (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
        if (!ok)
            return false;
    }
    std::lock_guard<std::recursive_mutex> lock(AppStateLock());
    for (CNamedObject* other : m_inst.Sequences()) {
        if (other == &m_seq)
            continue;
        const std::string theirs = other->GetName();
        if (theirs.size() == name.size() &&
            std::equal(theirs.begin(), theirs.end(), name.begin(), [](char a, char b) {
                return std::tolower(static_cast<unsigned char>(a)) ==
                       std::tolower(static_cast<unsigned char>(b));
            }))
            return false;
    }
    return true;
}

void CSequencePropertiesDialog::accept() {
    // The standard range checks come first, as the fields are read.
    long long count = 0, days = 0, hours = 0, minutes = 0;
    if (!ReadIntegerField(*m_count, 0, CSequence::kMaxRepeatCount, count) ||
        !ReadIntegerField(*m_days, 0, 366, days) || !ReadIntegerField(*m_hours, 0, 23, hours) ||
        !ReadIntegerField(*m_minutes, 0, 59, minutes))
        return;
    const std::string name = FromQt(m_name->text());
    if (!ValidName(name)) {
        ShowError(61272);
        m_name->setFocus();
        return;
    }
    const TimeSpan period(static_cast<uint32_t>(days), static_cast<uint32_t>(hours),
                          static_cast<uint32_t>(minutes), 0);
    if (period.GetTotalSeconds() == 0) {
        ShowError(61273);
        m_days->setFocus();
        return;
    }
    {
        std::lock_guard<std::recursive_mutex> lock(AppStateLock());
        m_seq.SetName(name);
        m_seq.SetRepeatCount(m_once->isChecked()      ? 1
                             : m_several->isChecked() ? static_cast<int32_t>(count)
                                                      : 0);
        m_seq.SetTimerEnabled(m_timer->isChecked());
        const QDate d = m_date->date();
        const QTime t = m_time->time();
        m_seq.SetTimerStart(
            DateTime(d.year(), d.month(), d.day(), t.hour(), t.minute(), t.second()));
        m_seq.SetTimerPeriod(period);
        m_seq.SetCCInputs(ReadClosures(m_seq.GetCCInputs(), *m_inputsEnabled, m_inputs));
        m_seq.SetCCOutputs(ReadClosures(m_seq.GetCCOutputs(), *m_outputsEnabled, m_outputs));
    }
    QDialog::accept();
}
