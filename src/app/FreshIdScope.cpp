#include "app/FreshIdScope.h"

#include "base/StateLock.h"

FreshIdScope::FreshIdScope(CVANTIQApp& app) {
    {
        StateGuard guard(AppStateLock());
        m_taken.reserve(app.Modems().GetCount() + app.Sites().GetCount() +
                        app.Instruments().GetCount() + 64);
        for (CNamedObjectList* list : {&app.Modems(), &app.Sites(), &app.Instruments()})
            for (const CNamedObject* obj : *list)
                m_taken.insert(obj->GetId());
    }
    m_previous = CVANTIQApp::SetIdClaim([this](uint32_t id) { return m_taken.insert(id).second; });
}

FreshIdScope::~FreshIdScope() {
    CVANTIQApp::SetIdClaim(std::move(m_previous));
}
