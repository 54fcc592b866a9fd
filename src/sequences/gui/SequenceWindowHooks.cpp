#include "sequences/gui/SequenceWindowHooks.h"

#include "instruments/gui/FrontPanelDialog.h"
#include "sequences/gui/SequenceConfigDialog.h"

void InstallSequenceWindow() {
    CFrontPanelDialog::SetCommandWindow(CFrontPanelDialog::MODE_SEQUENCES,
                                        [](CInstrumentConnection& inst, QWidget* owner) {
                                            CSequenceConfigDialog::Run(inst, owner);
                                        });
}
