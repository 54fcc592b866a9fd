#include "app/gui/DASWindowsSetup.h"

#include "app/VANTIQApp.h"
#include "base/StateLock.h"
#include "das/gui/DASChanPropertySheet.h"
#include "das/gui/DASConfigDialog.h"
#include "das/gui/DASDataViewDialog.h"
#include "das/gui/DASParameterPropertiesDialog.h"
#include "instruments/InstrumentConnection.h"
#include "instruments/gui/FrontPanelDialog.h"
#include "instruments/gui/InstPropertyPages.h"
#include "sequences/gui/SequenceConfigDialog.h"

namespace {

CSelectionSet ToSelection(const DasSelectionSettings& s) {
    CSelectionSet sel;
    sel.SetType(s.selectionType);
    sel.SetStart(static_cast<uint32_t>(s.startDate));
    sel.SetEnd(static_cast<uint32_t>(s.endDate));
    sel.SetRecords(s.numRecords);
    sel.SetHours(s.numHours);
    sel.SetDays(s.numDays);
    sel.SetWeeks(s.numWeeks);
    sel.SetMonths(s.numMonths);
    sel.SetUseInstrumentDateSelection(s.useInstDateSelect);
    return sel;
}

DasSelectionSettings FromSelection(const CSelectionSet& sel) {
    DasSelectionSettings s;
    s.selectionType = sel.GetType();
    s.startDate = sel.GetStart();
    s.endDate = sel.GetEnd();
    s.numRecords = sel.GetRecords();
    s.numHours = sel.GetHours();
    s.numDays = sel.GetDays();
    s.numWeeks = sel.GetWeeks();
    s.numMonths = sel.GetMonths();
    s.useInstDateSelect = sel.GetUseInstrumentDateSelection();
    return s;
}

void OpenDASWindow(CInstrumentConnection& inst, QWidget* owner) {
    CDASConfigDialog dlg(inst, owner);
    dlg.exec();
}

} // namespace

void InstallDASWindows(CVANTIQApp& app) {
    CDASConfigDialog::SetSettings(
        {[&app] { return app.GetUseCheckboxes(); },
         [&app] { return ToSelection(app.GetDasSelection()); },
         [&app](const CSelectionSet& sel) { app.SetDasSelection(FromSelection(sel)); }});
    CDASDataViewDialog::Install();
    CDASChanPropertySheet::Install();
    CDASParameterPropertiesDialog::Install();
    CFrontPanelDialog::SetCommandWindow(CFrontPanelDialog::MODE_DAS, OpenDASWindow);
    // One button on the property sheet: the DAS window or the sequence window, by the
    // instrument's capabilities.
    CInstBasicPropertyPage::SetConfigurationOpener(
        [](QWidget* parent, CInstrumentConnection& inst, bool das) {
            if (das)
                OpenDASWindow(inst, parent);
            else
                CSequenceConfigDialog::Run(inst, parent);
        });
}
