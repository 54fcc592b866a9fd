#pragma once
// One DAS parameter: the data point it records (from the instrument's low and medium level
// points), the sample mode, the precision and whether the number of samples is stored.

#include <QDialog>

class CDASParameter;
class QCheckBox;
class QComboBox;
class QLineEdit;

class CDASParameterPropertiesDialog : public QDialog {
    Q_OBJECT
public:
    explicit CDASParameterPropertiesDialog(CDASParameter& parameter, QWidget* parent = nullptr);

    QComboBox& Point() { return *m_point; }
    QComboBox& Mode() { return *m_mode; }
    QLineEdit& Precision() { return *m_precision; }
    QCheckBox& StoreSamples() { return *m_storeSamples; }

    // Checks the precision, then stores every field under the state lock and closes.
    void accept() override;

    // Installs the editor behind CDASParameter::Edit.
    static void Install();

private:
    CDASParameter& m_parameter;
    QComboBox* m_point;
    QComboBox* m_mode;
    QLineEdit* m_precision;
    QCheckBox* m_storeSamples;
};
