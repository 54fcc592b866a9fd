#include "instruments/gui/InstPropertyPages.h"

#include "app/VANTIQApp.h"
#include "base/EscapeText.h"
#include "base/StateLock.h"
#include "base/Strings.h"
#include "connections/gui/DialogSupport.h"
#include "connections/gui/SitesDialog.h"
#include "instruments/Capabilities.h"
#include "instruments/InstrumentConnection.h"
#include "ui/AppPropertySheet.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <mutex>

namespace {

std::mutex g_openerLock;
CInstBasicPropertyPage::ConfigurationOpener g_opener;

CInstBasicPropertyPage::ConfigurationOpener Opener() {
    std::lock_guard<std::mutex> guard(g_openerLock);
    return g_opener;
}

// A field the check passed: its value (Validate has shown the message for any other text).
long long FieldValue(const QLineEdit& edit) {
    return edit.text().trimmed().toLongLong();
}

QLineEdit* NumberEdit(QWidget* parent, int digits) {
    auto* edit = new QLineEdit(parent);
    edit->setMaximumWidth(edit->fontMetrics().horizontalAdvance(QLatin1Char('0')) * (digits + 4));
    return edit;
}

QLabel* BuddyLabel(const QString& text, QWidget* buddy, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setBuddy(buddy);
    return label;
}

} // namespace

// ---- Basic ---------------------------------------------------------------------------------

void CInstBasicPropertyPage::SetConfigurationOpener(ConfigurationOpener opener) {
    std::lock_guard<std::mutex> guard(g_openerLock);
    g_opener = std::move(opener);
}

CInstBasicPropertyPage::CInstBasicPropertyPage(CInstrumentConnection& inst, QWidget* parent)
    : CAppPropertyPage(QStringLiteral("Basic"), parent), m_inst(inst) {
    m_name = new QLineEdit(this);
    m_name->setMinimumWidth(m_name->fontMetrics().horizontalAdvance(QLatin1Char('n')) * 32);
    m_useId = new QCheckBox(QStringLiteral("&Enable"), this);
    m_id = NumberEdit(this, 4);
    m_port1 = new QRadioButton(QStringLiteral("Port &1"), this);
    m_port2 = new QRadioButton(QStringLiteral("Port &2"), this);
    m_custom = new QRadioButton(QStringLiteral("&Custom"), this);
    m_modeVar = new QLineEdit(this);
    m_modeVar->setMaxLength(static_cast<int>(CInstrumentConnection::kMaxModeVarNameLength));
    m_site = new QComboBox(this);
    m_site->setMinimumContentsLength(20);
    m_sitesButton = new QPushButton(QStringLiteral("&..."), this);
    m_sitesButton->setMaximumWidth(m_sitesButton->fontMetrics().horizontalAdvance("....") + 24);
    m_defaults = new QPushButton(QStringLiteral("De&faults"), this);
    m_configuration = new QPushButton(StringText(61308), this);

    auto* grid = new QGridLayout;
    grid->addWidget(BuddyLabel(QStringLiteral("&Name:"), m_name, this), 0, 0);
    grid->addWidget(m_name, 0, 1, 1, 3);
    grid->addWidget(BuddyLabel(QStringLiteral("Instrument &ID:"), m_id, this), 1, 0);
    grid->addWidget(m_id, 1, 1);
    grid->addWidget(m_useId, 1, 2, 1, 2);
    grid->addWidget(BuddyLabel(QStringLiteral("&Site:"), m_site, this), 2, 0);
    grid->addWidget(m_site, 2, 1, 1, 2);
    grid->addWidget(m_sitesButton, 2, 3);
    grid->setColumnStretch(2, 1);

    auto* portBox = new QGroupBox(QStringLiteral("Instrument Port"), this);
    auto* portLayout = new QGridLayout(portBox);
    portLayout->addWidget(m_port1, 0, 0);
    portLayout->addWidget(m_port2, 0, 1);
    portLayout->addWidget(m_custom, 0, 2);
    portLayout->addWidget(BuddyLabel(QStringLiteral("Mode &variable name:"), m_modeVar, portBox), 1,
                          0);
    portLayout->addWidget(m_modeVar, 1, 1, 1, 2);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_configuration);
    buttons->addStretch(1);
    buttons->addWidget(m_defaults);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(portBox);
    layout->addStretch(1);
    layout->addLayout(buttons);

    connect(m_useId, &QCheckBox::toggled, this, [this] { UpdateControls(); });
    // Clicked, not toggled: only the user's choice of a port puts its default name in place,
    // never loading the page.
    connect(m_port1, &QRadioButton::clicked, this,
            [this] { OnPortClicked(CInstrumentConnection::PORT_1); });
    connect(m_port2, &QRadioButton::clicked, this,
            [this] { OnPortClicked(CInstrumentConnection::PORT_2); });
    connect(m_custom, &QRadioButton::clicked, this,
            [this] { OnPortClicked(CInstrumentConnection::PORT_CUSTOM); });
    // Tab enters the port group at the chosen port only; the arrows move within it.
    for (QRadioButton* port : {m_port1, m_port2, m_custom})
        connect(port, &QRadioButton::toggled, this, [this] {
            for (QRadioButton* radio : {m_port1, m_port2, m_custom})
                radio->setFocusPolicy(radio->isChecked() ? Qt::StrongFocus : Qt::ClickFocus);
        });
    connect(m_sitesButton, &QPushButton::clicked, this, &CInstBasicPropertyPage::OnSites);
    connect(m_defaults, &QPushButton::clicked, this, &CInstBasicPropertyPage::OnDefaults);
    connect(m_configuration, &QPushButton::clicked, this, &CInstBasicPropertyPage::OnConfiguration);
    SetTabOrder({m_name, m_id, m_useId, m_site, m_sitesButton, m_port1, m_port2, m_custom,
                 m_modeVar, m_configuration, m_defaults});
}

int CInstBasicPropertyPage::SelectedPort() const {
    if (m_port2->isChecked())
        return CInstrumentConnection::PORT_2;
    if (m_custom->isChecked())
        return CInstrumentConnection::PORT_CUSTOM;
    return CInstrumentConnection::PORT_1;
}

void CInstBasicPropertyPage::ShowPort(int port) {
    (port == CInstrumentConnection::PORT_2        ? m_port2
     : port == CInstrumentConnection::PORT_CUSTOM ? m_custom
                                                  : m_port1)
        ->setChecked(true);
}

void CInstBasicPropertyPage::FillSites(uint32_t selectId) {
    m_site->clear();
    {
        StateGuard guard(AppStateLock());
        if (CVANTIQApp* app = CVANTIQApp::Get())
            for (CNamedObject* site : app->Sites())
                InsertSortedItem(*m_site, ToQt(site->GetName()), site->GetId());
        // With no site of that ID nothing is selected. A site that was deleted is named by
        // what the instrument goes by; with none chosen yet the box stays empty.
        m_site->setPlaceholderText(selectId == 0 ? QString() : ToQt(m_inst.GetSiteName()));
    }
    m_site->setCurrentIndex(m_site->findData(QVariant::fromValue<quint32>(selectId)));
}

void CInstBasicPropertyPage::Exchange(bool load) {
    if (load) {
        m_name->setText(ToQt(m_inst.GetName()));
        m_id->setText(QString::number(m_inst.GetInstrumentId()));
        m_useId->setChecked(m_inst.GetUseInstrumentId());
        ShowPort(m_inst.GetPort());
        m_modeVar->setText(ToQt(m_inst.GetModeVarName()));
        FillSites(m_inst.GetSiteId());
        return;
    }
    m_inst.SetName(FromQt(m_name->text()));
    m_inst.SetInstrumentId(static_cast<int32_t>(FieldValue(*m_id)));
    m_inst.SetUseInstrumentId(m_useId->isChecked());
    m_inst.SetPort(SelectedPort());
    m_inst.SetModeVarName(FromQt(m_modeVar->text()));
    bool selected = false;
    const uint32_t siteId = SelectedId(*m_site, &selected);
    m_inst.SetSiteId(selected ? siteId : 0);
}

void CInstBasicPropertyPage::SetDefaults() {
    m_name->setText(StringText(IDS_LOCAL_INSTRUMENT));
    m_id->setText(QStringLiteral("0"));
    m_useId->setChecked(false);
    ShowPort(CInstrumentConnection::PORT_1);
    m_modeVar->setText(
        ToQt(CInstrumentConnection::DefaultModeVarName(CInstrumentConnection::PORT_1)));
    // The placeholder first: clearing it selects the first site when none is selected.
    m_site->setPlaceholderText(QString());
    m_site->setCurrentIndex(-1);
}

void CInstBasicPropertyPage::UpdateControls() {
    m_id->setEnabled(m_useId->isChecked());
    m_modeVar->setEnabled(m_custom->isChecked());
    const uint32_t caps = m_inst.GetCapabilities();
    const bool das = (caps & CAP_DAS) != 0;
    m_configuration->setText(StringText(das ? 61308 : 61309));
    m_configuration->setEnabled((das || (caps & CAP_CAL_SCRIPT) != 0) && Opener() != nullptr);
}

bool CInstBasicPropertyPage::Validate() {
    long long id = 0;
    return ReadIntegerField(*m_id, 0, CInstrumentConnection::kMaxInstrumentId, id);
}

void CInstBasicPropertyPage::OnPortClicked(int port) {
    // Custom keeps whatever name is there until the user types another.
    if (port != CInstrumentConnection::PORT_CUSTOM)
        m_modeVar->setText(ToQt(CInstrumentConnection::DefaultModeVarName(port)));
    UpdateControls();
}

void CInstBasicPropertyPage::OnSites() {
    bool selected = false;
    const uint32_t id = SelectedId(*m_site, &selected);
    CSitesDialog::Run(this);
    FillSites(selected ? id : 0);
}

void CInstBasicPropertyPage::OnDefaults() {
    CAppPropertySheet* sheet = Sheet();
    if (!sheet) {
        SetDefaults();
        UpdateControls();
        return;
    }
    sheet->DefaultsAll();
    for (CAppPropertyPage* page : sheet->Pages())
        page->UpdateControls();
}

void CInstBasicPropertyPage::OnConfiguration() {
    const uint32_t caps = m_inst.GetCapabilities();
    if ((caps & (CAP_DAS | CAP_CAL_SCRIPT)) == 0)
        return;
    if (ConfigurationOpener opener = Opener())
        opener(this, m_inst, (caps & CAP_DAS) != 0);
}

// ---- Automatic Disconnect ------------------------------------------------------------------

CInstAutoDisconnectPropertyPage::CInstAutoDisconnectPropertyPage(CInstrumentConnection& inst,
                                                                 QWidget* parent)
    : CAppPropertyPage(QStringLiteral("Automatic Disconnect"), parent), m_inst(inst) {
    m_enabled = new QCheckBox(
        QStringLiteral("&Disconnect automatically after this many minutes of inactivity:"), this);
    m_minutes = NumberEdit(this, 2);
    auto* row = new QHBoxLayout;
    row->addSpacing(20);
    row->addWidget(m_minutes);
    row->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_enabled);
    layout->addLayout(row);
    layout->addStretch(1);
    connect(m_enabled, &QCheckBox::toggled, this, [this] { UpdateControls(); });
    SetTabOrder({m_enabled, m_minutes});
}

void CInstAutoDisconnectPropertyPage::Exchange(bool load) {
    if (load) {
        m_enabled->setChecked(m_inst.GetAutoDisconnect());
        m_minutes->setText(QString::number(m_inst.GetAutoDisconnectMinutes()));
        return;
    }
    m_inst.SetAutoDisconnect(m_enabled->isChecked());
    m_inst.SetAutoDisconnectMinutes(static_cast<int32_t>(FieldValue(*m_minutes)));
}

void CInstAutoDisconnectPropertyPage::SetDefaults() {
    m_enabled->setChecked(false);
    m_minutes->setText(QStringLiteral("0"));
}

void CInstAutoDisconnectPropertyPage::UpdateControls() {
    m_minutes->setEnabled(m_enabled->isChecked());
}

bool CInstAutoDisconnectPropertyPage::Validate() {
    long long minutes = 0;
    return ReadIntegerField(*m_minutes, 0, CInstrumentConnection::kMaxAutoDisconnectMinutes,
                            minutes);
}

// ---- Code-Activated Switch -----------------------------------------------------------------

CInstCASPropertyPage::CInstCASPropertyPage(CInstrumentConnection& inst, QWidget* parent)
    : CAppPropertyPage(QStringLiteral("Code-Activated Switch"), parent), m_inst(inst) {
    m_useSelect = new QCheckBox(QStringLiteral("Send this code to &select instrument (use \\xhh "
                                               "format for non-printable characters):"),
                                this);
    m_select = new QLineEdit(this);
    m_useDeselect = new QCheckBox(QStringLiteral("Send this code to &deselect instrument (use "
                                                 "\\xhh format for non-printable characters):"),
                                  this);
    m_deselect = new QLineEdit(this);
    auto indented = [](QWidget* w) {
        auto* row = new QHBoxLayout;
        row->addSpacing(20);
        row->addWidget(w);
        return row;
    };
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_useSelect);
    layout->addLayout(indented(m_select));
    layout->addSpacing(8);
    layout->addWidget(m_useDeselect);
    layout->addLayout(indented(m_deselect));
    layout->addStretch(1);
    connect(m_useSelect, &QCheckBox::toggled, this, [this] { UpdateControls(); });
    connect(m_useDeselect, &QCheckBox::toggled, this, [this] { UpdateControls(); });
    SetTabOrder({m_useSelect, m_select, m_useDeselect, m_deselect});
}

void CInstCASPropertyPage::Exchange(bool load) {
    if (load) {
        m_useSelect->setChecked(m_inst.GetUseSelect());
        m_select->setText(ToQt(EscapeText(m_inst.GetSelectCode())));
        m_useDeselect->setChecked(m_inst.GetUseDeselect());
        m_deselect->setText(ToQt(EscapeText(m_inst.GetDeselectCode())));
        return;
    }
    m_inst.SetUseSelect(m_useSelect->isChecked());
    m_inst.SetSelectCode(UnescapeText(FromQt(m_select->text())));
    m_inst.SetUseDeselect(m_useDeselect->isChecked());
    m_inst.SetDeselectCode(UnescapeText(FromQt(m_deselect->text())));
}

void CInstCASPropertyPage::SetDefaults() {
    m_useSelect->setChecked(false);
    m_select->clear();
    m_useDeselect->setChecked(false);
    m_deselect->clear();
}

void CInstCASPropertyPage::UpdateControls() {
    m_select->setEnabled(m_useSelect->isChecked());
    m_deselect->setEnabled(m_useDeselect->isChecked());
}

// ---- Handshaking ---------------------------------------------------------------------------

CInstHandshakePropertyPage::CInstHandshakePropertyPage(CInstrumentConnection& inst, QWidget* parent)
    : CAppPropertyPage(QStringLiteral("Handshaking"), parent), m_inst(inst) {
    m_receive = NumberEdit(this, 5);
    m_transmit = NumberEdit(this, 5);
    auto* grid = new QGridLayout;
    grid->addWidget(BuddyLabel(QStringLiteral("&Receive time-out (ms):"), m_receive, this), 0, 0);
    grid->addWidget(m_receive, 0, 1);
    grid->addWidget(BuddyLabel(QStringLiteral("&Transmit delay (ms):"), m_transmit, this), 1, 0);
    grid->addWidget(m_transmit, 1, 1);
    grid->setColumnStretch(2, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addStretch(1);
    SetTabOrder({m_receive, m_transmit});
}

void CInstHandshakePropertyPage::Exchange(bool load) {
    if (load) {
        m_receive->setText(QString::number(m_inst.GetReceiveTimeout()));
        m_transmit->setText(QString::number(m_inst.GetTransmitDelay()));
        return;
    }
    m_inst.SetReceiveTimeout(static_cast<int32_t>(FieldValue(*m_receive)));
    m_inst.SetTransmitDelay(static_cast<int32_t>(FieldValue(*m_transmit)));
}

void CInstHandshakePropertyPage::SetDefaults() {
    m_receive->setText(QStringLiteral("2000"));
    m_transmit->setText(QStringLiteral("0"));
}

bool CInstHandshakePropertyPage::Validate() {
    long long value = 0;
    return ReadIntegerField(*m_receive, CInstrumentConnection::kMinReceiveTimeout,
                            CInstrumentConnection::kMaxReceiveTimeout, value) &&
           ReadIntegerField(*m_transmit, 0, CInstrumentConnection::kMaxTransmitDelay, value);
}

// ---- Security ------------------------------------------------------------------------------

CInstSecurityPropertyPage::CInstSecurityPropertyPage(CInstrumentConnection& inst, QWidget* parent)
    : CAppPropertyPage(QStringLiteral("Security"), parent), m_inst(inst) {
    m_use = new QCheckBox(QStringLiteral("&Use this password to logon to instrument:"), this);
    m_password = NumberEdit(this, 6);
    auto* row = new QHBoxLayout;
    row->addSpacing(20);
    row->addWidget(m_password);
    row->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_use);
    layout->addLayout(row);
    layout->addStretch(1);
    connect(m_use, &QCheckBox::toggled, this, [this] { UpdateControls(); });
    SetTabOrder({m_use, m_password});
}

void CInstSecurityPropertyPage::Exchange(bool load) {
    if (load) {
        m_use->setChecked(m_inst.GetUsePassword());
        m_password->setText(QString::number(m_inst.GetPassword()));
        return;
    }
    m_inst.SetUsePassword(m_use->isChecked());
    m_inst.SetPassword(static_cast<uint32_t>(FieldValue(*m_password)));
}

void CInstSecurityPropertyPage::SetDefaults() {
    m_use->setChecked(false);
    m_password->setText(QStringLiteral("0"));
}

void CInstSecurityPropertyPage::UpdateControls() {
    m_password->setEnabled(m_use->isChecked());
}

bool CInstSecurityPropertyPage::Validate() {
    long long password = 0;
    return ReadIntegerField(*m_password, 0, CInstrumentConnection::kMaxPassword, password);
}
