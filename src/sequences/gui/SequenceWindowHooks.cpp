#include "sequences/gui/SequenceWindowHooks.h"

#include "instruments/gui/FrontPanelDialog.h"
#include "instruments/gui/InstPropertyPages.h"
#include "sequences/gui/SequenceConfigDialog.h"

void InstallSequenceWindow() {
    CFrontPanelDialog::SetCommandWindow(CFrontPanelDialog::MODE_SEQUENCES,
                                        [](CInstrumentConnection& inst, QWidget* owner) {
                                            CSequenceConfigDialog::Run(inst, owner);
                                        });
    // The DAS window has its own opener; this one answers the sequence button only.
    CInstBasicPropertyPage::SetConfigurationOpener(
        [](QWidget* parent, CInstrumentConnection& inst, bool das) {
            if (!das)
                CSequenceConfigDialog::Run(inst, parent);
        });
}
