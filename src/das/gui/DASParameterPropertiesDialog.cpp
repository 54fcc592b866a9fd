#include "das/gui/DASParameterPropertiesDialog.h"

#include "base/StateLock.h"
#include "connections/gui/DialogSupport.h"
#include "das/DASChannel.h"
#include "das/DASParameter.h"
#include "das/DASPoint.h"
#include "instruments/InstrumentConnection.h"
#include "model/InstrumentKeywords.h"
#include "ui/WindowModal.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QVBoxLayout>

CDASParameterPropertiesDialog::CDASParameterPropertiesDialog(CDASParameter& parameter,
                                                             QWidget* parent)
    : QDialog(parent), m_parameter(parameter) {
    setWindowTitle(QStringLiteral("DAS Parameter Properties"));
    m_point = new QComboBox(this);
    m_mode = new QComboBox(this);
    for (const char* mode : {"AVG", "INST", "MIN", "MAX"})
        m_mode->addItem(QString::fromLatin1(mode));
    m_precision = new QLineEdit(this);
    m_storeSamples = new QCheckBox(QStringLiteral("&Store number of samples in average"), this);
    {
        StateGuard guard(AppStateLock());
        CDASChannel* channel = parameter.GetChannel();
        CInstrumentConnection* inst = channel ? channel->GetInstrument() : nullptr;
        if (inst) {
            for (CNamedObject* object : inst->DasPoints()) {
                auto* point = static_cast<CDASPoint*>(object);
                if (point->GetLevel() == KW_LOW || point->GetLevel() == KW_MED)
                    m_point->addItem(ToQt(point->GetName()));
            }
        }
        m_point->setCurrentIndex(
            m_point->findText(ToQt(parameter.GetName()), Qt::MatchFixedString));
        m_mode->setCurrentIndex(m_mode->findText(ToQt(parameter.GetMode()), Qt::MatchFixedString));
        m_precision->setText(QString::number(parameter.GetPrecision()));
        m_storeSamples->setChecked(parameter.GetStoreSamples());
        m_storeSamples->setEnabled(inst && inst->HasCapability(CAP_NEW_DAS));
    }
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("&Parameter:"), m_point);
    form->addRow(QStringLiteral("Sample &Mode:"), m_mode);
    form->addRow(QStringLiteral("Pre&cision:"), m_precision);
    form->addRow(m_storeSamples);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &CDASParameterPropertiesDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CDASParameterPropertiesDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->addLayout(form);
    layout->addWidget(buttons);
}

void CDASParameterPropertiesDialog::accept() {
    long long precision = 0;
    if (!ReadIntegerField(*m_precision, 0, 4, precision))
        return;
    {
        StateGuard guard(AppStateLock());
        // A name the instrument's list does not hold is kept rather than emptied.
        if (m_point->currentIndex() >= 0)
            m_parameter.SetName(FromQt(m_point->currentText()));
        if (m_mode->currentIndex() >= 0)
            m_parameter.SetMode(FromQt(m_mode->currentText()));
        m_parameter.SetPrecision(static_cast<int32_t>(precision));
        m_parameter.SetStoreSamples(m_storeSamples->isChecked());
        m_parameter.RefreshDescription();
    }
    QDialog::accept();
}

void CDASParameterPropertiesDialog::Install() {
    CDASParameter::SetEditor([](CDASParameter& parameter) {
        CDASParameterPropertiesDialog dlg(parameter, DialogParent());
        return ExecWindowModal(dlg) == QDialog::Accepted;
    });
}
