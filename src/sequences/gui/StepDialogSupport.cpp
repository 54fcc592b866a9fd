#include "sequences/gui/StepDialogSupport.h"

#include "connections/gui/DialogSupport.h"
#include "support/GasUnitRegistry.h"
#include "support/NamedObjectList.h"
#include "support/SupportLock.h"

#include <QLineEdit>
#include <cmath>
#include <mutex>

namespace {

QStringList NamesOf(const NamedObjectList* list) {
    QStringList names;
    if (!list)
        return names;
    std::lock_guard<std::recursive_mutex> lock(SupportLock());
    for (ListNode* node = list->Head(); node; node = node->next)
        if (auto* named = dynamic_cast<NamedObject*>(node->object))
            names << ToQt(named->GetName().c_str());
    return names;
}

} // namespace

bool ReadRealField(QLineEdit& edit, double min, double max, double& value) {
    bool ok = false;
    const double parsed = edit.text().trimmed().toDouble(&ok);
    if (ok && std::isfinite(parsed) && parsed >= min && parsed <= max) {
        value = parsed;
        return true;
    }
    const QString text = ok ? QStringLiteral("Please enter a number between %1 and %2.")
                                  .arg(QString::number(min, 'g', 10), QString::number(max, 'g', 10))
                            : QStringLiteral("Please enter a number.");
    ShowDialogError(FromQt(text));
    edit.setFocus();
    edit.selectAll();
    return false;
}

QStringList RegisteredGasNames() {
    return NamesOf(GasList());
}

QStringList RegisteredUnitNames() {
    return NamesOf(UnitList());
}

QString GasNameOf(uint32_t id) {
    std::lock_guard<std::recursive_mutex> lock(SupportLock());
    const EGasDesc* gas = FindGas(id);
    return gas ? ToQt(gas->GetName().c_str()) : QString();
}
