#include "platform/Connection.h"

#include <mutex>

namespace {
std::mutex g_editorLock;
CConnection::PropertiesEditor g_editor;
} // namespace

std::string CConnection::ReadString(unsigned timeoutMs, int terminator) {
    if (!IsOpen())
        return {};
    char buffer[kReadLimit];
    const size_t n = Read(buffer, sizeof buffer, timeoutMs, terminator);
    return std::string(buffer, n);
}

bool CConnection::EditProperties() {
    PropertiesEditor editor;
    {
        std::lock_guard<std::mutex> guard(g_editorLock);
        editor = g_editor;
    }
    return editor ? editor(*this) : false;
}

void CConnection::SetPropertiesEditor(PropertiesEditor editor) {
    std::lock_guard<std::mutex> guard(g_editorLock);
    g_editor = std::move(editor);
}
