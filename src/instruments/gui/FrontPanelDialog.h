#pragma once
// The front panel window of a connected instrument: a live copy of its 2 x 40 display, its
// eight keys, and the command button (and system-menu items) that open the DAS or sequence
// configuration window and the instrument information. Modeless and top-level, one per
// instrument, made by RequestConnect through the factory Install puts in place. Closing it
// disconnects the instrument.
//
// The site worker never touches the window: it stores the display text under the state
// lock and posts the display-changed (1034) and identification (1035) notices, which reach
// the window as queued events and are dropped once the window is going away.

#include "instruments/InstrumentPanel.h"
#include "instruments/gui/DisplayWindow.h"
#include "instruments/gui/QtMessageTarget.h"

#include <QBrush>
#include <QDialog>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class CInstrumentConnection;
class CFrontPanelKey;
class CVANTIQApp;
class QAction;
class QGroupBox;
class QLabel;
class QMenu;
class QPushButton;

class CFrontPanelDialog : public QDialog, public InstrumentPanel {
    Q_OBJECT
public:
    // Control IDs, which are also the controls' object names ("control1014").
    enum Control : int {
        IDC_KEY_FIRST = 1001,
        IDC_DISPLAY = 1014,
        IDC_COMMAND = 1029,
        IDC_LOGO = 1052,
        IDC_FRAME = 1094,
    };
    // System-menu commands.
    enum SystemCommand : unsigned {
        ID_INSTRUMENT_INFO = 0x1000,
        ID_DAS_COMMAND = 0x1100,
        ID_SEQUENCE_COMMAND = 0x1200,
    };
    enum CommandMode : int { MODE_NONE = 0, MODE_DAS = 1, MODE_SEQUENCES = 2 };

    static constexpr int kKeys = 8;
    static constexpr int kRows = 2, kColumns = 40;
    // The whole window, frame included, as the desktop lays it out; the client area is
    // what remains inside a standard frame (3-pixel borders and a 26-pixel caption).
    static constexpr int kWindowWidth = 528, kWindowHeight = 164;
    static constexpr int kClientWidth = kWindowWidth - 6, kClientHeight = kWindowHeight - 29;
    static constexpr int kDefaultLeft = 20, kDefaultTop = 184;

    explicit CFrontPanelDialog(CInstrumentConnection& instrument);
    ~CFrontPanelDialog() override;

    // InstrumentPanel (Post from any thread, ClosePanel on the user-interface thread).
    void Post(unsigned message, uintptr_t wParam, intptr_t lParam) override;
    // The automatic disconnect: closes without asking.
    void ClosePanel() override;

    // Shows text from the top-left corner, padded with blanks to the whole display.
    void ShowDisplayText(const std::string& text);
    // The instrument this window belongs to, or null once the instrument is gone.
    CInstrumentConnection* Instrument() const;

    int GetCommandMode() const { return m_commandMode; }
    CDisplayWindow& Display() { return *m_display; }
    QLabel* DisplayControl() const { return m_displayControl; }
    QPushButton* Key(int n) const; // n = 1..8
    QPushButton* CommandButton() const { return m_commandButton; }
    QMenu* SystemMenu() const { return m_systemMenu; }
    const QBrush& BackgroundBrush() const { return m_backgroundBrush; }
    const QBrush& WhiteBrush() const { return m_whiteBrush; }
    // Runs a system-menu command as if the user had chosen it.
    void RunSystemCommand(unsigned id);
    // Set while the window is being closed for good (no more notices are handled).
    bool IsClosing() const { return m_closing; }

    // The DAS (mode 1) and sequence (mode 2) configuration windows, installed by their own
    // code; each runs modally with owner as its parent.
    using CommandWindow = std::function<void(CInstrumentConnection&, QWidget* owner)>;
    static void SetCommandWindow(int mode, CommandWindow window);
    // The instrument information window (CInstInfoDialog unless replaced, as tests do).
    using InfoWindow = std::function<void(CInstrumentConnection&, QWidget* owner)>;
    static void SetInfoWindow(InfoWindow window);

    // Loads the display font at start-up and frees it at exit, and makes front panels the
    // windows RequestConnect opens.
    static void Install(CVANTIQApp& app);
    // The application's main window, the owner of the panel's message boxes and windows.
    static QWidget* MainWindow();

protected:
    void reject() override;
    void closeEvent(QCloseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void OnMessage(unsigned message, uintptr_t wParam, intptr_t lParam);
    void OnDisplayChanged();
    void OnIdentified(uintptr_t result);
    void OnKey(int n);
    void OnCommand();
    void OnCancel();
    void PlaceWindow();
    void StoreWindowPlacement();
    void DestroyPanel();

    uint32_t m_instrumentId;
    CInstrumentConnection* m_instrument;
    QtMessageTarget m_target;
    std::unique_ptr<CDisplayWindow> m_display;
    int m_commandMode = MODE_NONE;
    QBrush m_backgroundBrush;
    QBrush m_whiteBrush;
    QGroupBox* m_frame = nullptr;
    QLabel* m_displayControl = nullptr;
    std::array<CFrontPanelKey*, kKeys> m_keys{};
    QLabel* m_logo = nullptr;
    QPushButton* m_commandButton = nullptr;
    QMenu* m_systemMenu = nullptr;
    QAction* m_commandAction = nullptr;
    bool m_closing = false;
};
