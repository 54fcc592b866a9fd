#include "app/VANTIQApp.h"

#include "app/AppCommandLineInfo.h"
#include "base/AppInstrument.h"
#include "base/AppShell.h"
#include "base/MessageTarget.h"
#include "base/SettingsStore.h"
#include "base/StateLock.h"
#include "base/Strings.h"
#include "base/UserPrompt.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <ctime>

namespace {
std::atomic<CVANTIQApp*> g_app{nullptr};

const char* const kSettings = "Settings";
const char* const kDasSettings = "DAS Settings";

// Seconds since 1970 of the local civil time now, the program's calendar value.
int64_t LocalNow() {
    std::time_t now = std::time(nullptr);
    std::tm tm{};
    localtime_r(&now, &tm);
    return static_cast<int64_t>(timegm(&tm));
}

} // namespace

CVANTIQApp::CVANTIQApp(SettingsStore& settings, UserPrompt* prompt, AppShell* shell)
    : m_settings(settings), m_prompt(prompt), m_shell(shell) {
    m_layouts.fill(UnsetRect());
    m_dasSelection.startDate = m_dasSelection.endDate = LocalNow();
    g_app.store(this);
    AppServices::Install(this);
}

CVANTIQApp::~CVANTIQApp() {
    m_log.CloseLog();
    // The objects leave the lists under the lock but are deleted outside it, sites first: a
    // site still running a worker waits for that worker, which needs the lock to finish and
    // may still be using one of the instruments.
    DeleteOutsideLock(DetachAll({&m_sites, &m_instruments, &m_modems, &m_telephonyDevices}));
    CVANTIQApp* self = this;
    g_app.compare_exchange_strong(self, nullptr);
    if (AppServices::Get() == this)
        AppServices::Install(nullptr);
}

CVANTIQApp* CVANTIQApp::Get() {
    return g_app.load();
}

CNamedObject* CVANTIQApp::FindObject(ObjectKind kind, uint32_t id) {
    switch (kind) {
    case ObjectKind::Modem:
        return m_modems.FindById(id);
    case ObjectKind::Site:
        return m_sites.FindById(id);
    case ObjectKind::Instrument:
        return m_instruments.FindById(id);
    case ObjectKind::TelephonyDevice:
        return m_telephonyDevices.FindById(id);
    }
    return nullptr;
}

std::recursive_mutex& CVANTIQApp::StateLock() {
    return AppStateLock();
}

void CVANTIQApp::SetShell(AppShell* shell) {
    m_shell = shell;
}
void CVANTIQApp::SetPrompt(UserPrompt* prompt) {
    m_prompt = prompt;
}

void CVANTIQApp::AddHook(Hook hook, HookFn fn) {
    m_hooks[hook].push_back(std::move(fn));
}

void CVANTIQApp::SetLoadSave(LoadSaveFn fn) {
    m_loadSave = std::move(fn);
}

bool CVANTIQApp::RunHook(Hook hook) {
    bool ok = true;
    auto it = m_hooks.find(hook);
    if (it == m_hooks.end())
        return false;
    for (auto& fn : it->second)
        ok = fn(*this) && ok;
    return ok;
}

// ---- start-up and shut-down ------------------------------------------------------------

bool CVANTIQApp::InitInstance(int argc, const char* const* argv) {
    Step("company key");
    Step("load settings");
    LoadSettings();
    if (m_shell)
        ResetOffscreenLayouts(m_shell->DesktopRect());

    Step("recent files");
    m_recent.ReadList(m_settings);

    Step("command line");
    CAppCommandLineInfo cmd;
    cmd.Parse(argc, argv);
    if (cmd.FileGiven()) {
        StateGuard guard(AppStateLock());
        m_configPath = cmd.FileName();
        m_fileFromCommandLine = true;
    }

    Step("start sockets");
    // POSIX sockets need no library start-up; a hook, where one is installed, decides.
    m_socketsStarted = m_hooks.count(Hook::StartSockets) ? RunHook(Hook::StartSockets) : true;

    Step("start telephony");
    RunHook(Hook::StartTelephony);

    Step("create main window");
    Rect placement = GetWindowLayout(SLOT_MAIN);
    if (IsUnset(placement))
        placement = Rect{20, 20, 20 + 528, 20 + 164};
    if (m_shell)
        m_shell->CreateMainWindow(placement);

    Step("base title");
    {
        StateGuard guard(AppStateLock());
        m_defaultExtension = LoadString(IDS_CONFIG_EXTENSION);
        m_baseTitle = m_shell ? m_shell->GetMainWindowText() : LoadString(IDS_BASE_TITLE);
    }

    Step("register support");
    RunHook(Hook::RegisterSupport);
    RunHook(Hook::SortKeywordTables);
    RunHook(Hook::LoadDisplayFont);

    Step("default configuration path");
    {
        StateGuard guard(AppStateLock());
        if (m_configPath.empty()) {
            m_configPath = "gasquill" + LoadString(IDS_CONFIG_EXTENSION);
            m_fileFromCommandLine = false;
        }
    }

    Step("load configuration");
    bool loaded = false;
    if (m_fileFromCommandLine || GetLoadPrevConfig()) {
        loaded = m_loadSave && m_loadSave(GetConfigPath(), false);
        if (loaded)
            UpdateTitle();
    }
    if (!loaded)
        FileNew();

    Step("open log");
    OpenLog();
    RestartAutoUpdateTimer();
    if (m_shell)
        m_shell->StartTimer(TIMER_AUTO_DISCONNECT, 10000);
    return true;
}

int CVANTIQApp::ExitInstance() {
    Step("close log");
    m_log.CloseLog();
    Step("save settings");
    SaveSettings();
    Step("destroy model");
    DeleteModel();
    DeleteOutsideLock(DetachAll({&m_telephonyDevices}));
    Step("free support");
    RunHook(Hook::FreeDisplayFont);
    RunHook(Hook::FreeSupport);
    if (GetTelephonyHandle() != 0) {
        Step("stop telephony");
        RunHook(Hook::StopTelephony);
    }
    if (m_socketsStarted) {
        Step("stop sockets");
        RunHook(Hook::StopSockets);
        m_socketsStarted = false;
    }
    return 0;
}

// ---- settings --------------------------------------------------------------------------

void CVANTIQApp::LoadSettings() {
    StateGuard guard(AppStateLock());
    auto str = [&](const char* name, const std::string& def) {
        return m_settings.ReadString(kSettings, name).value_or(def);
    };
    auto num = [&](const char* section, const char* name, int64_t def) {
        return m_settings.ReadInt(section, name).value_or(def);
    };
    m_log.SetPath(str("LogFilePath", "Log.txt"));
    m_configPath = str("ConfigFilePath", "");
    m_appFilePath = str("AppFilePath", "");
    // A stored period outside the options page's range (0 would refresh in a busy loop, a
    // negative one would stop the timer) is taken as the nearest period the page allows.
    m_autoUpdatePeriod = static_cast<int>(std::clamp<int64_t>(
        num(kSettings, "AutoUpdatePeriod", 10), kMinAutoUpdatePeriod, kMaxAutoUpdatePeriod));
    // On when stored as 1 or absent; any other stored value is off.
    m_autoUpdate = num(kSettings, "AutoUpdate", 1) == 1;
    m_loadPrevConfig = num(kSettings, "LoadPrevConfig", 1) != 0;
    m_saveConfigOnExit = num(kSettings, "SaveConfigOnExit", 1) != 0;
    m_confirmDeletes = num(kSettings, "ConfirmDeletes", 1) != 0;
    m_useCheckboxes = num(kSettings, "UseCheckboxes", 1) != 0;
    m_closeOnConnect = num(kSettings, "CloseOnConnect", 1) != 0;
    m_log.SetFilters(num(kSettings, "LogCommands", 0) != 0, num(kSettings, "LogResponses", 0) != 0,
                     num(kSettings, "LogErrors", 0) != 0);

    m_layouts.fill(UnsetRect());
    if (auto layout = m_settings.ReadBinary(kSettings, "WindowLayout")) {
        const auto& b = *layout;
        if (b.size() <= 256 && b.size() % 16 == 0) {
            for (size_t slot = 0; slot < b.size() / 16; ++slot) {
                int32_t v[4];
                for (int k = 0; k < 4; ++k) {
                    const size_t o = slot * 16 + static_cast<size_t>(k) * 4;
                    v[k] = static_cast<int32_t>(uint32_t(b[o]) | (uint32_t(b[o + 1]) << 8) |
                                                (uint32_t(b[o + 2]) << 16) |
                                                (uint32_t(b[o + 3]) << 24));
                }
                m_layouts[slot] = Rect{v[0], v[1], v[2], v[3]};
            }
        }
    }

    const int64_t now = LocalNow();
    m_dasSelection.selectionType = static_cast<int>(num(kDasSettings, "SelectionType", 0));
    m_dasSelection.startDate = num(kDasSettings, "StartDate", now);
    m_dasSelection.endDate = num(kDasSettings, "EndDate", now);
    m_dasSelection.numRecords = static_cast<int>(num(kDasSettings, "NumRecords", 1));
    m_dasSelection.numHours = static_cast<int>(num(kDasSettings, "NumHours", 1));
    m_dasSelection.numDays = static_cast<int>(num(kDasSettings, "NumDays", 1));
    m_dasSelection.numWeeks = static_cast<int>(num(kDasSettings, "NumWeeks", 1));
    m_dasSelection.numMonths = static_cast<int>(num(kDasSettings, "NumMonths", 1));
    m_dasSelection.useInstDateSelect = num(kDasSettings, "UseInstDateSelect", 1) != 0;
}

void CVANTIQApp::SaveSettings() {
    StateGuard guard(AppStateLock());
    m_settings.WriteString(kSettings, "LogFilePath", m_log.GetPath());
    m_settings.WriteString(kSettings, "ConfigFilePath", m_configPath);
    m_settings.WriteInt(kSettings, "AutoUpdatePeriod", m_autoUpdatePeriod);
    m_settings.WriteInt(kSettings, "AutoUpdate", m_autoUpdate ? 1 : 0);
    m_settings.WriteInt(kSettings, "LoadPrevConfig", m_loadPrevConfig ? 1 : 0);
    m_settings.WriteInt(kSettings, "SaveConfigOnExit", m_saveConfigOnExit ? 1 : 0);
    m_settings.WriteInt(kSettings, "ConfirmDeletes", m_confirmDeletes ? 1 : 0);
    m_settings.WriteInt(kSettings, "UseCheckboxes", m_useCheckboxes ? 1 : 0);
    m_settings.WriteInt(kSettings, "CloseOnConnect", m_closeOnConnect ? 1 : 0);
    m_settings.WriteInt(kSettings, "LogCommands", m_log.LogsCommands() ? 1 : 0);
    m_settings.WriteInt(kSettings, "LogResponses", m_log.LogsResponses() ? 1 : 0);
    m_settings.WriteInt(kSettings, "LogErrors", m_log.LogsErrors() ? 1 : 0);

    std::vector<uint8_t> layout(256);
    for (size_t slot = 0; slot < kLayoutSlots; ++slot) {
        const int32_t v[4] = {m_layouts[slot].left, m_layouts[slot].top, m_layouts[slot].right,
                              m_layouts[slot].bottom};
        for (int k = 0; k < 4; ++k)
            for (int byte = 0; byte < 4; ++byte)
                layout[slot * 16 + static_cast<size_t>(k) * 4 + static_cast<size_t>(byte)] =
                    static_cast<uint8_t>(static_cast<uint32_t>(v[k]) >> (8 * byte));
    }
    m_settings.WriteBinary(kSettings, "WindowLayout", layout);

    m_settings.WriteInt(kDasSettings, "SelectionType", m_dasSelection.selectionType);
    m_settings.WriteInt(kDasSettings, "StartDate", m_dasSelection.startDate);
    m_settings.WriteInt(kDasSettings, "EndDate", m_dasSelection.endDate);
    m_settings.WriteInt(kDasSettings, "NumRecords", m_dasSelection.numRecords);
    m_settings.WriteInt(kDasSettings, "NumHours", m_dasSelection.numHours);
    m_settings.WriteInt(kDasSettings, "NumDays", m_dasSelection.numDays);
    m_settings.WriteInt(kDasSettings, "NumWeeks", m_dasSelection.numWeeks);
    m_settings.WriteInt(kDasSettings, "NumMonths", m_dasSelection.numMonths);
    m_settings.WriteInt(kDasSettings, "UseInstDateSelect",
                        m_dasSelection.useInstDateSelect ? 1 : 0);
    m_recent.WriteList(m_settings);
    m_settings.Flush();
}

#define GASQUILL_ACCESSOR(Type, Getter, Setter, field)                                             \
    Type CVANTIQApp::Getter() const {                                                              \
        StateGuard guard(AppStateLock());                                                          \
        return field;                                                                              \
    }                                                                                              \
    void CVANTIQApp::Setter(Type value) {                                                          \
        StateGuard guard(AppStateLock());                                                          \
        field = value;                                                                             \
    }

GASQUILL_ACCESSOR(int, GetAutoUpdatePeriod, SetAutoUpdatePeriod, m_autoUpdatePeriod)
GASQUILL_ACCESSOR(bool, GetAutoUpdate, SetAutoUpdate, m_autoUpdate)
GASQUILL_ACCESSOR(bool, GetLoadPrevConfig, SetLoadPrevConfig, m_loadPrevConfig)
GASQUILL_ACCESSOR(bool, GetSaveConfigOnExit, SetSaveConfigOnExit, m_saveConfigOnExit)
GASQUILL_ACCESSOR(bool, GetConfirmDeletes, SetConfirmDeletes, m_confirmDeletes)
GASQUILL_ACCESSOR(bool, GetUseCheckboxes, SetUseCheckboxes, m_useCheckboxes)
GASQUILL_ACCESSOR(bool, GetCloseOnConnect, SetCloseOnConnect, m_closeOnConnect)
#undef GASQUILL_ACCESSOR

std::string CVANTIQApp::GetAppFilePath() const {
    StateGuard guard(AppStateLock());
    return m_appFilePath;
}

DasSelectionSettings CVANTIQApp::GetDasSelection() const {
    StateGuard guard(AppStateLock());
    return m_dasSelection;
}

void CVANTIQApp::SetDasSelection(const DasSelectionSettings& s) {
    StateGuard guard(AppStateLock());
    m_dasSelection = s;
}

// ---- log -------------------------------------------------------------------------------

void CVANTIQApp::SetLogFilters(bool commands, bool responses, bool errors) {
    m_log.SetFilters(commands, responses, errors);
}

void CVANTIQApp::OpenLog() {
    m_log.OpenLog(m_prompt);
}

void CVANTIQApp::ShowError(const std::string& text) {
    LogMessage(LOG_ERROR, text);
    if (m_prompt)
        m_prompt->Ask(text, LoadString(IDS_ERROR), PromptButtons::Ok, PromptIcon::Exclamation,
                      PromptResult::Ok);
}

// ---- layout slots ----------------------------------------------------------------------

Rect CVANTIQApp::GetWindowLayout(int index) const {
    if (index < 0 || index >= kLayoutSlots)
        return Rect{-1, -1, -1, -1};
    StateGuard guard(AppStateLock());
    return m_layouts[static_cast<size_t>(index)];
}

void CVANTIQApp::SetWindowLayout(int index, const Rect& rect) {
    if (index < 0 || index >= kLayoutSlots)
        return;
    StateGuard guard(AppStateLock());
    m_layouts[static_cast<size_t>(index)] = rect;
}

void CVANTIQApp::ResetOffscreenLayouts(const Rect& desktop) {
    StateGuard guard(AppStateLock());
    for (Rect& r : m_layouts) {
        if (IsUnset(r))
            continue;
        if (r.top < 0 || r.Intersected(desktop).Width() < 100)
            r = UnsetRect();
    }
}

// ---- object IDs ------------------------------------------------------------------------

void CVANTIQApp::SeedRandom(uint32_t seed) {
    StateGuard guard(AppStateLock());
    m_randomState = seed;
}

// The runtime library's generator: 15-bit results.
int CVANTIQApp::NextRandom() {
    m_randomState = m_randomState * 214013u + 2531011u;
    return static_cast<int>((m_randomState >> 16) & 0x7FFF);
}

namespace {
// Per thread: only the loader's own thread hands out IDs through its claim.
thread_local CVANTIQApp::IdClaim t_idClaim;
} // namespace

uint32_t CVANTIQApp::GenerateObjectId(bool seed) {
    StateGuard guard(AppStateLock());
    if (seed)
        m_randomState = static_cast<uint32_t>(std::time(nullptr));
    for (;;) {
        uint32_t v = static_cast<uint32_t>(NextRandom());
        for (int i = 0; i < 3; ++i)
            v = (v << 8) ^ static_cast<uint32_t>(NextRandom());
        if (v == 0)
            continue;
        if (t_idClaim ? !t_idClaim(v)
                      : (m_modems.FindById(v) || m_sites.FindById(v) || m_instruments.FindById(v)))
            continue;
        return v;
    }
}

CVANTIQApp::IdClaim CVANTIQApp::SetIdClaim(IdClaim claim) {
    IdClaim previous = std::move(t_idClaim);
    t_idClaim = std::move(claim);
    return previous;
}

// ---- the document ----------------------------------------------------------------------

std::string CVANTIQApp::GetConfigPath() const {
    StateGuard guard(AppStateLock());
    return m_configPath;
}

void CVANTIQApp::SetConfigPath(const std::string& path) {
    {
        StateGuard guard(AppStateLock());
        m_configPath = path;
    }
    UpdateTitle();
}

bool CVANTIQApp::IsModified() const {
    StateGuard guard(AppStateLock());
    return m_modified;
}

void CVANTIQApp::SetModified(bool modified) {
    {
        StateGuard guard(AppStateLock());
        m_modified = modified;
    }
    UpdateTitle();
}

bool CVANTIQApp::IsNamed() const {
    StateGuard guard(AppStateLock());
    return m_named;
}

void CVANTIQApp::SetNamed(bool named) {
    StateGuard guard(AppStateLock());
    m_named = named;
}

std::string CVANTIQApp::GetBaseTitle() const {
    StateGuard guard(AppStateLock());
    return m_baseTitle;
}

void CVANTIQApp::SetBaseTitle(const std::string& title) {
    StateGuard guard(AppStateLock());
    m_baseTitle = title;
}

std::string CVANTIQApp::GetDefaultExtension() const {
    StateGuard guard(AppStateLock());
    return m_defaultExtension;
}

bool CVANTIQApp::FileFromCommandLine() const {
    StateGuard guard(AppStateLock());
    return m_fileFromCommandLine;
}

std::string CVANTIQApp::GetTitleText() const {
    StateGuard guard(AppStateLock());
    std::string title = m_named ? m_configPath : LoadString(IDS_UNTITLED);
    if (m_modified)
        title += LoadString(IDS_MODIFIED);
    title += " - ";
    title += m_baseTitle;
    return title;
}

void CVANTIQApp::UpdateTitle() {
    const std::string title = GetTitleText();
    if (m_shell)
        m_shell->SetMainWindowText(title);
}

bool CVANTIQApp::QuerySaveConfiguration(bool onExit) {
    if (onExit && IsNamed() && GetSaveConfigOnExit()) {
        const bool saved = FileSave();
        if (!IsModified())
            return true;
        (void)saved; // a failed save falls through to the question
    } else if (!IsModified()) {
        return true;
    }
    if (!m_prompt)
        return false;
    const PromptResult r =
        m_prompt->Ask(LoadString(IDS_SAVE_CONFIG_PROMPT), LoadString(IDS_CONFIRM),
                      PromptButtons::YesNoCancel, PromptIcon::Question, PromptResult::Yes);
    switch (r) {
    case PromptResult::Yes:
        FileSave();
        return !IsModified();
    case PromptResult::No:
        return true;
    default:
        return false;
    }
}

std::vector<CNamedObject*> CVANTIQApp::DetachAll(std::initializer_list<CNamedObjectList*> lists) {
    std::vector<CNamedObject*> doomed;
    StateGuard guard(AppStateLock());
    for (CNamedObjectList* list : lists)
        while (CNamedObject* object = list->RemoveHead())
            doomed.push_back(object);
    return doomed;
}

void CVANTIQApp::DeleteOutsideLock(std::vector<CNamedObject*> objects) {
    for (CNamedObject* object : objects)
        delete object;
}

void CVANTIQApp::DeleteModel() {
    // Sites go first and are deleted without the lock held: a site still running a worker
    // waits for it, and that worker needs the lock to finish and may still be using one of
    // the instruments.
    DeleteOutsideLock(DetachAll({&m_sites, &m_instruments, &m_modems}));
}

void CVANTIQApp::ReplaceModel(CNamedObjectList& modems, CNamedObjectList& sites,
                              CNamedObjectList& instruments) {
    std::vector<CNamedObject*> doomed;
    {
        StateGuard guard(AppStateLock());
        doomed = DetachAll({&m_sites, &m_instruments, &m_modems});
        for (auto [from, to] : {std::pair{&modems, &m_modems}, std::pair{&sites, &m_sites},
                                std::pair{&instruments, &m_instruments}})
            while (CNamedObject* object = from->RemoveHead())
                to->AddTail(object);
    }
    DeleteOutsideLock(std::move(doomed));
}

void CVANTIQApp::FileNew() {
    DeleteModel();
    {
        StateGuard guard(AppStateLock());
        m_configPath.clear();
        m_named = false;
        m_modified = false;
    }
    UpdateTitle();
}

bool CVANTIQApp::OpenConfiguration(const std::string& path) {
    if (!m_loadSave || !m_loadSave(path, false))
        return false;
    SetConfigPath(path);
    m_recent.Add(path);
    return true;
}

bool CVANTIQApp::FileSave() {
    const std::string path = GetConfigPath();
    if (IsNamed() && !path.empty()) {
        const bool ok = m_loadSave && m_loadSave(path, true);
        UpdateTitle();
        return ok;
    }
    return FileSaveAs();
}

bool CVANTIQApp::FileSaveAs() {
    if (!m_shell)
        return false;
    auto chosen = m_shell->ChooseSaveFile(GetConfigPath());
    if (!chosen)
        return false;
    if (!m_loadSave || !m_loadSave(*chosen, true))
        return false;
    SetConfigPath(*chosen);
    m_recent.Add(*chosen);
    return true;
}

bool CVANTIQApp::OpenRecentFile(size_t index) {
    if (IsAnyInstrumentConnected())
        return false;
    if (index >= m_recent.Files().size())
        return false;
    if (!QuerySaveConfiguration(false))
        return false;
    const std::string path = m_recent.Files()[index];
    if (!OpenConfiguration(path)) {
        m_recent.Remove(index);
        return false;
    }
    return true;
}

// ---- instruments and timers ------------------------------------------------------------

bool CVANTIQApp::IsAnyInstrumentConnected() const {
    StateGuard guard(AppStateLock());
    return m_anyConnected;
}

void CVANTIQApp::RecomputeAnyInstrumentConnected() {
    StateGuard guard(AppStateLock());
    bool any = false;
    for (CNamedObject* obj : m_instruments)
        if (auto* inst = dynamic_cast<AppInstrument*>(obj); inst && inst->IsConnectedForApp())
            any = true;
    m_anyConnected = any;
}

void CVANTIQApp::RestartAutoUpdateTimer() {
    if (!m_shell)
        return;
    if (m_autoUpdateTimerRunning) {
        m_shell->KillTimer(TIMER_AUTO_UPDATE);
        m_autoUpdateTimerRunning = false;
    }
    if (GetAutoUpdate()) {
        // Never faster than once a second, whatever was set.
        const int period = std::max(GetAutoUpdatePeriod(), 1);
        m_shell->StartTimer(TIMER_AUTO_UPDATE, static_cast<unsigned>(period) * 1000u);
        m_autoUpdateTimerRunning = true;
    }
}

void CVANTIQApp::OnInstrumentTimer(unsigned timerId) {
    // The lock keeps the instruments alive while they are told; each one only posts a request.
    std::vector<AppInstrument*> connected;
    {
        StateGuard guard(AppStateLock());
        for (CNamedObject* obj : m_instruments)
            if (auto* inst = dynamic_cast<AppInstrument*>(obj); inst && inst->IsConnectedForApp())
                connected.push_back(inst);
        for (AppInstrument* inst : connected)
            inst->OnAppTimer(timerId);
    }
}

void CVANTIQApp::SetMainThreadTarget(MessageTarget* target) {
    m_mainThreadTarget = target;
}

void CVANTIQApp::SetInstrumentsWindow(MessageTarget* window) {
    StateGuard guard(AppStateLock());
    m_instrumentsWindow = window;
}

MessageTarget* CVANTIQApp::GetInstrumentsWindow() const {
    StateGuard guard(AppStateLock());
    return m_instrumentsWindow;
}

void CVANTIQApp::NotifyConnectionChanged(uint32_t objectId) {
    if (m_mainThreadTarget)
        m_mainThreadTarget->Post(MSG_CONNECTION_CHANGED, 0, static_cast<intptr_t>(objectId));
    else
        ForwardConnectionChanged(objectId);
}

void CVANTIQApp::ForwardConnectionChanged(uint32_t objectId) {
    if (MessageTarget* w = GetInstrumentsWindow())
        w->Post(MSG_CONNECTION_CHANGED, 0, static_cast<intptr_t>(objectId));
}

bool CVANTIQApp::SocketsStarted() const {
    StateGuard guard(AppStateLock());
    return m_socketsStarted;
}

void CVANTIQApp::SetTelephony(uint32_t handle, uint32_t deviceCount, uint32_t version) {
    StateGuard guard(AppStateLock());
    m_telephonyHandle = handle;
    m_telephonyDevices_ = deviceCount;
    m_telephonyVersion = version;
}

uint32_t CVANTIQApp::GetTelephonyHandle() const {
    StateGuard guard(AppStateLock());
    return m_telephonyHandle;
}
uint32_t CVANTIQApp::GetTelephonyDeviceCount() const {
    StateGuard guard(AppStateLock());
    return m_telephonyDevices_;
}
uint32_t CVANTIQApp::GetTelephonyVersion() const {
    StateGuard guard(AppStateLock());
    return m_telephonyVersion;
}
