#pragma once
// Which records to download: all, since the last download, the most recent records, hours,
// days, weeks or months, or those between two date-times. It edits a working copy and writes
// it back into the selection on OK only; the instrument (not owned, may be null) decides
// whether the instrument's own date selection commands may be chosen.

#include <QDialog>
#include <cstdint>

class CInstrumentConnection;
class CSelectionSet;
class QButtonGroup;
class QCheckBox;
class QDateEdit;
class QLineEdit;
class QRadioButton;
class QTimeEdit;

class CSelectRecordsDialog : public QDialog {
    Q_OBJECT
public:
    CSelectRecordsDialog(CInstrumentConnection* instrument, CSelectionSet& selection,
                         QWidget* parent = nullptr);

    // The eight choices in type order (0 all .. 7 between).
    QRadioButton& TypeButton(int type);
    QLineEdit& Records() { return *m_records; }
    QLineEdit& Hours() { return *m_hours; }
    QLineEdit& Days() { return *m_days; }
    QLineEdit& Weeks() { return *m_weeks; }
    QLineEdit& Months() { return *m_months; }
    QDateEdit& StartDate() { return *m_startDate; }
    QTimeEdit& StartTime() { return *m_startTime; }
    QDateEdit& EndDate() { return *m_endDate; }
    QTimeEdit& EndTime() { return *m_endTime; }
    QCheckBox& UseInstrumentDates() { return *m_useInstDates; }

    // Validates and, on success, writes back and closes.
    void accept() override;

private:
    // Reads and range-checks the count edits into the working copy; false after a message.
    bool ReadFields();
    // The date-time range check and question; false keeps the dialog open.
    bool ReadDates();
    void UpdateEnables();
    void OnTypeClicked();

    CInstrumentConnection* m_instrument;
    CSelectionSet& m_selection;
    int32_t m_type;
    int32_t m_recordCount, m_hourCount, m_dayCount, m_weekCount, m_monthCount;
    uint32_t m_start, m_end;

    QButtonGroup* m_group;
    QLineEdit* m_records;
    QLineEdit* m_hours;
    QLineEdit* m_days;
    QLineEdit* m_weeks;
    QLineEdit* m_months;
    QDateEdit* m_startDate;
    QTimeEdit* m_startTime;
    QDateEdit* m_endDate;
    QTimeEdit* m_endTime;
    QCheckBox* m_useInstDates;
};
