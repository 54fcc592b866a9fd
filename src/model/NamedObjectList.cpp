#include "model/NamedObjectList.h"

#include "base/StateLock.h"
#include "base/Strings.h"

#include <algorithm>

CNamedObjectList::CNamedObjectList(unsigned blockSize) : m_blockSize(blockSize) {}

CNamedObjectList::CNamedObjectList(const CNamedObjectList& source)
    : m_blockSize(source.m_blockSize) {
    CopyFrom(source);
}

CNamedObjectList::~CNamedObjectList() {
    DeleteAll();
}

void CNamedObjectList::CopyFrom(const CNamedObjectList& source) {
    StateGuard guard(AppStateLock());
    for (const CNamedObject* obj : source.m_items)
        m_items.push_back(obj->Clone());
}

bool CNamedObjectList::NamesEqual(const std::string& a, const std::string& b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        auto fold = [](char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; };
        if (fold(a[i]) != fold(b[i]))
            return false;
    }
    return true;
}

CNamedObject* CNamedObjectList::FindByName(const std::string& text) const {
    StateGuard guard(AppStateLock());
    for (CNamedObject* obj : m_items)
        if (NamesEqual(obj->GetName(), text))
            return obj;
    return nullptr;
}

CNamedObject* CNamedObjectList::FindById(uint32_t id) const {
    StateGuard guard(AppStateLock());
    for (CNamedObject* obj : m_items)
        if (obj->GetId() == id)
            return obj;
    return nullptr;
}

void CNamedObjectList::DeleteAll() {
    StateGuard guard(AppStateLock());
    while (!m_items.empty()) {
        CNamedObject* head = m_items.front();
        m_items.pop_front();
        delete head;
    }
}

void CNamedObjectList::AddTail(CNamedObject* object) {
    StateGuard guard(AppStateLock());
    m_items.push_back(object);
}

void CNamedObjectList::AddHead(CNamedObject* object) {
    StateGuard guard(AppStateLock());
    m_items.push_front(object);
}

void CNamedObjectList::InsertAt(size_t index, CNamedObject* object) {
    StateGuard guard(AppStateLock());
    auto it = m_items.begin();
    std::advance(it, std::min(index, m_items.size()));
    m_items.insert(it, object);
}

bool CNamedObjectList::Remove(CNamedObject* object) {
    StateGuard guard(AppStateLock());
    auto it = std::find(m_items.begin(), m_items.end(), object);
    if (it == m_items.end())
        return false;
    m_items.erase(it);
    return true;
}

bool CNamedObjectList::Delete(CNamedObject* object) {
    StateGuard guard(AppStateLock());
    if (!Remove(object))
        return false;
    delete object;
    return true;
}

CNamedObject* CNamedObjectList::RemoveHead() {
    StateGuard guard(AppStateLock());
    if (m_items.empty())
        return nullptr;
    CNamedObject* head = m_items.front();
    m_items.pop_front();
    return head;
}

size_t CNamedObjectList::GetCount() const {
    StateGuard guard(AppStateLock());
    return m_items.size();
}

bool CNamedObjectList::IsEmpty() const {
    StateGuard guard(AppStateLock());
    return m_items.empty();
}

CNamedObject* CNamedObjectList::At(size_t index) const {
    StateGuard guard(AppStateLock());
    if (index >= m_items.size())
        return nullptr;
    auto it = m_items.begin();
    std::advance(it, index);
    return *it;
}

long CNamedObjectList::IndexOf(const CNamedObject* object) const {
    StateGuard guard(AppStateLock());
    long i = 0;
    for (const CNamedObject* obj : m_items) {
        if (obj == object)
            return i;
        ++i;
    }
    return -1;
}

std::vector<CNamedObject*> CNamedObjectList::Snapshot() const {
    StateGuard guard(AppStateLock());
    return {m_items.begin(), m_items.end()};
}

void CNamedObjectList::ForEach(const std::function<void(CNamedObject*)>& fn) const {
    StateGuard guard(AppStateLock());
    for (CNamedObject* obj : m_items)
        fn(obj);
}

CNamedObject* DuplicateNamedObject(const CNamedObject& source) {
    CNamedObject* copy = source.Clone();
    copy->SetName(LoadString(IDS_COPY_OF) + source.GetName());
    return copy;
}
