#pragma once
// The application object: settings, the activity log, the four model lists, the window
// layout slots, object IDs, the title and the document commands. One exists per process
// and is reached through CVANTIQApp::Get(); tests construct a small one of their own.

#include "app/ActivityLog.h"
#include "app/RecentFileList.h"
#include "base/AppServices.h"
#include "base/Rect.h"
#include "model/NamedObjectList.h"

#include <array>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <map>
#include <mutex>
#include <string>
#include <vector>

class AppShell;
class MessageTarget;
class SettingsStore;
class UserPrompt;

// The last record-selection criteria ("DAS Settings").
struct DasSelectionSettings {
    int selectionType = 0;
    int64_t startDate = 0;
    int64_t endDate = 0;
    int numRecords = 1;
    int numHours = 1;
    int numDays = 1;
    int numWeeks = 1;
    int numMonths = 1;
    bool useInstDateSelect = true;
};

class CVANTIQApp : public AppServices {
public:
    static constexpr int kLayoutSlots = 16;
    // The auto-update periods (seconds) the options page accepts.
    static constexpr int kMinAutoUpdatePeriod = 5, kMaxAutoUpdatePeriod = 60;
    enum LayoutSlot : int {
        SLOT_MAIN = 0,
        SLOT_INSTRUMENTS = 1,
        SLOT_SITES = 2,
        SLOT_MODEMS = 3,
        SLOT_DAS_CONFIG = 4,
        SLOT_DAS_DATA = 5,
        SLOT_SEQUENCES = 6,
        SLOT_FRONT_PANEL = 7,
        SLOT_GRAPH = 8,
    };

    // Places where later parts of the program plug into start-up and shut-down.
    enum class Hook {
        StartSockets,      // result: the sockets-started flag
        StartTelephony,    // fills the telephony devices list
        RegisterSupport,   // support library, gas and unit descriptions
        SortKeywordTables, // token-stream tables
        LoadDisplayFont,
        FreeDisplayFont,
        FreeSupport,
        StopTelephony,
        StopSockets,
    };
    using HookFn = std::function<bool(CVANTIQApp&)>;
    // Loads (save false) or saves the configuration at path; reports its own errors.
    using LoadSaveFn = std::function<bool(const std::string& path, bool save)>;

    CVANTIQApp(SettingsStore& settings, UserPrompt* prompt = nullptr, AppShell* shell = nullptr);
    ~CVANTIQApp();
    CVANTIQApp(const CVANTIQApp&) = delete;
    CVANTIQApp& operator=(const CVANTIQApp&) = delete;

    static CVANTIQApp* Get();

    void SetShell(AppShell* shell);
    void SetPrompt(UserPrompt* prompt);
    UserPrompt* GetPrompt() const override { return m_prompt; }
    AppShell* GetShell() const { return m_shell; }
    SettingsStore& GetSettingsStore() { return m_settings; }
    void AddHook(Hook hook, HookFn fn);
    void SetLoadSave(LoadSaveFn fn);

    // Start-up and shut-down, each step in its fixed order.
    bool InitInstance(int argc, const char* const* argv);
    int ExitInstance();
    // Told the name of every step of start-up and shut-down as it runs.
    using StepObserver = std::function<void(const char* step)>;
    void SetStepObserver(StepObserver observer) { m_stepObserver = std::move(observer); }

    // Settings.
    void LoadSettings();
    void SaveSettings();
    int GetAutoUpdatePeriod() const;
    void SetAutoUpdatePeriod(int seconds);
    bool GetAutoUpdate() const;
    void SetAutoUpdate(bool on);
    bool GetLoadPrevConfig() const;
    void SetLoadPrevConfig(bool on);
    bool GetSaveConfigOnExit() const;
    void SetSaveConfigOnExit(bool on);
    bool GetConfirmDeletes() const;
    void SetConfirmDeletes(bool on);
    bool GetUseCheckboxes() const;
    void SetUseCheckboxes(bool on);
    bool GetCloseOnConnect() const;
    void SetCloseOnConnect(bool on);
    std::string GetAppFilePath() const;
    DasSelectionSettings GetDasSelection() const;
    void SetDasSelection(const DasSelectionSettings& s);

    // The activity log.
    ActivityLog& Log() { return m_log; }
    std::string GetLogPath() const { return m_log.GetPath(); }
    void SetLogPath(const std::string& path) { m_log.SetPath(path); }
    void SetLogFilters(bool commands, bool responses, bool errors);
    void OpenLog();
    void CloseLog() { m_log.CloseLog(); }
    void LogMessage(int category, const std::string& text) override {
        m_log.LogMessage(category, text);
    }
    // An error message box (caption "Error", exclamation), also written to the log.
    void ShowError(const std::string& text);

    // Window layout slots; reads outside 0..15 give all -1, writes outside are ignored.
    Rect GetWindowLayout(int index) const override;
    void SetWindowLayout(int index, const Rect& rect) override;
    // Resets every slot whose top is above the screen or that shows less than 100 pixels
    // of its width on the desktop.
    void ResetOffscreenLayouts(const Rect& desktop);
    static Rect UnsetRect() { return Rect{kUnset, kUnset, kUnset, kUnset}; }
    static bool IsUnset(const Rect& r) { return r == UnsetRect(); }

    // Object IDs: random, non-zero, unique over modems, sites and instruments.
    uint32_t GenerateObjectId(bool seed = false);
    uint32_t NewObjectId() override { return GenerateObjectId(); }
    // A loader that makes thousands of objects checks their fresh IDs itself while it reads,
    // on its own thread: claim(id) is true when id is free, and takes it. Without a claim
    // every fresh ID walks the three lists. Returns the claim it replaces.
    using IdClaim = std::function<bool(uint32_t id)>;
    static IdClaim SetIdClaim(IdClaim claim);
    void SeedRandom(uint32_t seed);

    // The configuration document.
    std::string GetConfigPath() const;
    void SetConfigPath(const std::string& path);
    bool IsModified() const;
    void SetModified(bool modified) override;
    bool IsNamed() const;
    void SetNamed(bool named);
    std::string GetTitleText() const;
    void UpdateTitle();
    std::string GetBaseTitle() const;
    void SetBaseTitle(const std::string& title);
    std::string GetDefaultExtension() const;
    bool FileFromCommandLine() const;

    bool QuerySaveConfiguration(bool onExit);
    // The document commands (the GUI shows the Open dialog and passes its result).
    void FileNew();
    bool OpenConfiguration(const std::string& path);
    bool FileSave();
    bool FileSaveAs();
    bool OpenRecentFile(size_t index);
    RecentFileList& RecentFiles() { return m_recent; }
    // Empties the modems, sites and instruments lists. The objects leave the lists under the
    // state lock and are deleted after it is released, sites first.
    void DeleteModel();
    // Swaps in a configuration read elsewhere (the three lists end empty); the old objects are
    // deleted as DeleteModel deletes them.
    void ReplaceModel(CNamedObjectList& modems, CNamedObjectList& sites,
                      CNamedObjectList& instruments);

    // Connected instruments.
    bool IsAnyInstrumentConnected() const;
    void RecomputeAnyInstrumentConnected() override;
    void RestartAutoUpdateTimer();
    void OnInstrumentTimer(unsigned timerId);

    // Connection-state notices: instruments call NotifyConnectionChanged from any thread; it
    // reaches the main thread's target (or, without one, is forwarded at once).
    void SetMainThreadTarget(MessageTarget* target);
    void SetInstrumentsWindow(MessageTarget* window);
    MessageTarget* GetInstrumentsWindow() const;
    void NotifyConnectionChanged(uint32_t objectId) override;
    void ForwardConnectionChanged(uint32_t objectId);

    // Sockets and telephony state.
    bool SocketsStarted() const;
    void SetTelephony(uint32_t handle, uint32_t deviceCount, uint32_t version);
    uint32_t GetTelephonyHandle() const;
    uint32_t GetTelephonyDeviceCount() const;
    uint32_t GetTelephonyVersion() const;

    // The model lists, reached under the state lock.
    CNamedObjectList& TelephonyDevices() { return m_telephonyDevices; }
    CNamedObjectList& Modems() { return m_modems; }
    CNamedObjectList& Sites() { return m_sites; }
    CNamedObjectList& Instruments() { return m_instruments; }
    CNamedObject* FindObject(ObjectKind kind, uint32_t id) override;

    std::recursive_mutex& StateLock();

private:
    static std::vector<CNamedObject*> DetachAll(std::initializer_list<CNamedObjectList*> lists);
    static void DeleteOutsideLock(std::vector<CNamedObject*> objects);

    bool RunHook(Hook hook);
    void Step(const char* name) {
        if (m_stepObserver)
            m_stepObserver(name);
    }
    int NextRandom();

    SettingsStore& m_settings;
    UserPrompt* m_prompt;
    AppShell* m_shell;
    std::map<Hook, std::vector<HookFn>> m_hooks;
    LoadSaveFn m_loadSave;
    StepObserver m_stepObserver;

    std::string m_configPath;
    std::string m_appFilePath;
    std::array<Rect, kLayoutSlots> m_layouts;
    DasSelectionSettings m_dasSelection;
    int m_autoUpdatePeriod = 10;
    bool m_autoUpdate = true;
    bool m_loadPrevConfig = true;
    bool m_saveConfigOnExit = true;
    bool m_confirmDeletes = true;
    bool m_useCheckboxes = true;
    bool m_closeOnConnect = true;
    bool m_socketsStarted = false;
    bool m_anyConnected = false;
    bool m_named = false;
    bool m_modified = false;
    bool m_fileFromCommandLine = false;
    uint32_t m_telephonyHandle = 0;
    uint32_t m_telephonyDevices_ = 0;
    uint32_t m_telephonyVersion = 0;
    std::string m_baseTitle;
    std::string m_defaultExtension;
    MessageTarget* m_instrumentsWindow = nullptr;
    MessageTarget* m_mainThreadTarget = nullptr;
    bool m_autoUpdateTimerRunning = false;
    uint32_t m_randomState = 1;

    ActivityLog m_log;
    RecentFileList m_recent{4};
    CNamedObjectList m_telephonyDevices{10};
    CNamedObjectList m_modems{10};
    CNamedObjectList m_sites{10};
    CNamedObjectList m_instruments{10};
};
