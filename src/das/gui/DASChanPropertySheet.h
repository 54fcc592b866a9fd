#pragma once
// The properties of one DAS channel: "Basic" (name, records, trigger event, flags, start and
// the two periods of a timer event) and "Advanced" (automatic download: selected, period,
// own record selection, file and append). Pages load from the channel when the sheet is
// built and store back on OK, both under the state lock; OK then marks the instrument's DAS
// and the network configuration modified.

#include "das/SelectionSet.h"
#include "ui/AppPropertyPage.h"
#include "ui/AppPropertySheet.h"

#include <functional>
#include <optional>
#include <string>

class CDASChannel;
class CInstrumentConnection;
class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimeEdit;

// Days, hours and minutes edits of one period.
struct PeriodEdits {
    QLineEdit* days;
    QLineEdit* hours;
    QLineEdit* minutes;
};

class CDASChanBasicPropertyPage : public CAppPropertyPage {
    Q_OBJECT
public:
    explicit CDASChanBasicPropertyPage(CDASChannel& channel);
    void Exchange(bool load) override;
    void UpdateControls() override;
    bool Validate() override;

    QLineEdit& Name() { return *m_name; }
    QLineEdit& Records() { return *m_records; }
    QComboBox& Event() { return *m_event; }
    QDateEdit& StartDate() { return *m_startDate; }
    PeriodEdits& Sample() { return m_sample; }
    PeriodEdits& Report() { return m_report; }

private:
    CDASChannel& m_channel;
    QLineEdit* m_name;
    QLineEdit* m_records;
    QComboBox* m_event;
    QCheckBox* m_enabled;
    QCheckBox* m_holdOff;
    QCheckBox* m_print;
    QCheckBox* m_compact;
    QDateEdit* m_startDate;
    QTimeEdit* m_startTime;
    PeriodEdits m_sample;
    PeriodEdits m_report;
};

class CDASChanAdvPropertyPage : public CAppPropertyPage {
    Q_OBJECT
public:
    explicit CDASChanAdvPropertyPage(CDASChannel& channel);
    void Exchange(bool load) override;
    bool Validate() override;

    QCheckBox& Selected() { return *m_selected; }
    PeriodEdits& Period() { return m_period; }
    QLabel& LastDownload() { return *m_last; }
    QLineEdit& File() { return *m_file; }
    QCheckBox& Append() { return *m_append; }
    // The name proposed for an empty file field (instrument, serial number, channel).
    std::string ProposedFileName() const;
    void OnSelectFile();
    void OnSelectRecords();

    // Replaces the save-file chooser (tests); returns the chosen path or nothing.
    using FileChooser = std::function<std::optional<std::string>(const std::string& proposed)>;
    static void SetFileChooser(FileChooser chooser);

private:
    CDASChannel& m_channel;
    CSelectionSet m_selection;
    QCheckBox* m_selected;
    PeriodEdits m_period;
    QLabel* m_last;
    QLineEdit* m_file;
    QCheckBox* m_append;
};

class CDASChanPropertySheet : public CAppPropertySheet {
    Q_OBJECT
public:
    explicit CDASChanPropertySheet(CDASChannel& channel, QWidget* parent = nullptr);
    CDASChanBasicPropertyPage& Basic() { return *m_basic; }
    CDASChanAdvPropertyPage& Advanced() { return *m_advanced; }
    // Shows the sheet; on OK stores every page and sets the modified marks. True on OK.
    bool Run();
    // Installs the editor behind CDASChannel::Edit.
    static void Install();

private:
    CDASChannel& m_channel;
    CDASChanBasicPropertyPage* m_basic;
    CDASChanAdvPropertyPage* m_advanced;
};
