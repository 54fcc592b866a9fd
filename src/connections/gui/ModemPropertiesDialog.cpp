#include "connections/gui/ModemPropertiesDialog.h"

#include "base/StateLock.h"
#include "base/Strings.h"
#include "connections/ModemSettings.h"
#include "connections/gui/DialogSupport.h"
#include "ui/TabChain.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <string>
#include <vector>

namespace {

struct FieldText {
    CModemPropertiesDialog::Field field;
    const char* label;
};

} // namespace

CModemPropertiesDialog::CModemPropertiesDialog(CModemSettings& modem, QWidget* parent)
    : QDialog(parent), m_modem(modem) {
    setWindowTitle(QStringLiteral("Modem Properties"));
    for (QLineEdit*& edit : m_edits) {
        edit = new QLineEdit(this);
        edit->setMaxLength(kMaxLength);
        edit->setMinimumWidth(edit->fontMetrics().horizontalAdvance(QLatin1Char('M')) * 18);
    }
    std::vector<QLabel*> labels;
    auto makeGroup = [this, &labels](const char* title, std::initializer_list<FieldText> rows) {
        auto* group = new QGroupBox(QString::fromLatin1(title), this);
        auto* form = new QFormLayout(group);
        for (const FieldText& row : rows) {
            auto* label = new QLabel(QString::fromLatin1(row.label), group);
            label->setBuddy(m_edits[row.field]);
            labels.push_back(label);
            form->addRow(label, m_edits[row.field]);
        }
        return group;
    };
    QGroupBox* general = makeGroup("General Settings", {{FIELD_NAME, "&Name:"}});
    QGroupBox* responses =
        makeGroup("Modem Responses", {{FIELD_OK, "&OK response\n(e.g. OK):"},
                                      {FIELD_CONNECT, "&Connect response\n(e.g. CONNECT):"}});
    QGroupBox* commands = makeGroup(
        "Modem Commands", {{FIELD_ESCAPE, "Data &mode command\n(e.g. +++):"},
                           {FIELD_RESET, "&Reset command\n(e.g. ATZ):"},
                           {FIELD_INIT, "&Initialization command\n(e.g. AT &&F E0 M0 Q0 V1):"},
                           {FIELD_DIAL, "&Dial command\n(e.g. ATDT):"},
                           {FIELD_HANGUP, "&Hangup command\n(e.g. ATH0):"}});

    // One label column across the three groups, so that the fields line up.
    int labelWidth = 0;
    for (QLabel* label : labels)
        labelWidth = std::max(labelWidth, label->sizeHint().width());
    for (QLabel* label : labels)
        label->setMinimumWidth(labelWidth);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    QPushButton* defaults =
        buttons->addButton(QStringLiteral("De&faults"), QDialogButtonBox::ResetRole);
    connect(defaults, &QPushButton::clicked, this, &CModemPropertiesDialog::OnDefaults);
    connect(buttons, &QDialogButtonBox::accepted, this, &CModemPropertiesDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CModemPropertiesDialog::reject);

    auto* layout = new QVBoxLayout(this);
    // Not resizable: the window keeps the size its contents ask for.
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->addWidget(general);
    layout->addWidget(responses);
    layout->addWidget(commands);
    layout->addWidget(buttons);
    SetTabChain({m_edits[FIELD_NAME], m_edits[FIELD_OK], m_edits[FIELD_CONNECT],
                 m_edits[FIELD_ESCAPE], m_edits[FIELD_RESET], m_edits[FIELD_INIT],
                 m_edits[FIELD_DIAL], m_edits[FIELD_HANGUP], defaults,
                 buttons->button(QDialogButtonBox::Ok), buttons->button(QDialogButtonBox::Cancel)});

    StateGuard guard(AppStateLock());
    m_edits[FIELD_NAME]->setText(ToQt(modem.GetName()));
    m_edits[FIELD_OK]->setText(ToQt(modem.GetOkResponse()));
    m_edits[FIELD_CONNECT]->setText(ToQt(modem.GetConnectResponse()));
    m_edits[FIELD_ESCAPE]->setText(ToQt(modem.GetEscape()));
    m_edits[FIELD_RESET]->setText(ToQt(modem.GetReset()));
    m_edits[FIELD_INIT]->setText(ToQt(modem.GetInitialization()));
    m_edits[FIELD_DIAL]->setText(ToQt(modem.GetToneDial()));
    m_edits[FIELD_HANGUP]->setText(ToQt(modem.GetHangup()));
}

void CModemPropertiesDialog::OnDefaults() {
    // The defaults of a new definition, taken from one so that they are never written twice.
    CModemSettings defaults;
    m_edits[FIELD_NAME]->setText(ToQt(defaults.GetName()));
    m_edits[FIELD_OK]->setText(ToQt(defaults.GetOkResponse()));
    m_edits[FIELD_CONNECT]->setText(ToQt(defaults.GetConnectResponse()));
    m_edits[FIELD_ESCAPE]->setText(ToQt(defaults.GetEscape()));
    m_edits[FIELD_RESET]->setText(ToQt(defaults.GetReset()));
    m_edits[FIELD_INIT]->setText(ToQt(defaults.GetInitialization()));
    m_edits[FIELD_DIAL]->setText(ToQt(defaults.GetToneDial()));
    m_edits[FIELD_HANGUP]->setText(ToQt(defaults.GetHangup()));
}

void CModemPropertiesDialog::accept() {
    for (QLineEdit* edit : m_edits)
        if (edit->text().isEmpty()) {
            ShowDialogError(LoadString(61267));
            edit->setFocus();
            return;
        }
    {
        StateGuard guard(AppStateLock());
        m_modem.SetName(FromQt(m_edits[FIELD_NAME]->text()));
        m_modem.SetOkResponse(FromQt(m_edits[FIELD_OK]->text()));
        m_modem.SetConnectResponse(FromQt(m_edits[FIELD_CONNECT]->text()));
        m_modem.SetEscape(FromQt(m_edits[FIELD_ESCAPE]->text()));
        m_modem.SetReset(FromQt(m_edits[FIELD_RESET]->text()));
        m_modem.SetInitialization(FromQt(m_edits[FIELD_INIT]->text()));
        m_modem.SetToneDial(FromQt(m_edits[FIELD_DIAL]->text()));
        m_modem.SetHangup(FromQt(m_edits[FIELD_HANGUP]->text()));
    }
    MarkConfigurationModified();
    QDialog::accept();
}
