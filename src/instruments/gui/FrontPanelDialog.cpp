#include "instruments/gui/FrontPanelDialog.h"

#include "app/VANTIQApp.h"
#include "app/gui/GuiAppShell.h"
#include "app/gui/MainFrame.h"
#include "app/gui/ToolIcons.h"
#include "base/StateLock.h"
#include "base/Strings.h"
#include "base/UserPrompt.h"
#include "instruments/InstrumentConnection.h"
#include "instruments/SiteLink.h"
#include "instruments/gui/DisplayFont.h"
#include "instruments/gui/FrontPanelKey.h"
#include "instruments/gui/InstInfoDialog.h"
#include "instruments/gui/PanelArtwork.h"
#include "ui/WindowModal.h"

#include <QAction>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QShortcut>
#include <QStyle>
#include <algorithm>
#include <map>
#include <mutex>
#include <set>

namespace {

enum : unsigned {
    IDS_DISCONNECT_CONFIRM = 61231,
    IDS_PANEL_TITLE = 61245,
    IDS_CANNOT_DISCONNECT = 61247,
    IDS_DAS_BUTTON = 61268,
    IDS_SEQUENCE_BUTTON = 61269,
    IDS_INFO_ITEM = 61288,
    IDS_DAS_ITEM = 61305,
    IDS_SEQUENCE_ITEM = 61306,
};

std::mutex g_hookLock;
std::map<int, CFrontPanelDialog::CommandWindow> g_commandWindows;
CFrontPanelDialog::InfoWindow g_infoWindow;

// The open panels, so that they can be closed when the program quits.
std::set<CFrontPanelDialog*>& OpenPanels() {
    static std::set<CFrontPanelDialog*> panels;
    return panels;
}

QString Latin1(const std::string& s) {
    return QString::fromLatin1(s.data(), qsizetype(s.size()));
}

// Fills the "%s" of a format in order; the names are the user's, never a format.
std::string FillNames(const std::string& format, const std::string& a, const std::string& b) {
    std::string out;
    const std::string* args[] = {&a, &b};
    size_t next = 0;
    for (size_t i = 0; i < format.size(); ++i) {
        if (format[i] == '%' && i + 1 < format.size() && format[i + 1] == 's' && next < 2) {
            out += *args[next++];
            ++i;
        } else {
            out += format[i];
        }
    }
    return out;
}

void Place(QWidget* w, int left, int top, int width, int height) {
    w->setGeometry(left, top, width, height);
}

} // namespace

CFrontPanelDialog::CFrontPanelDialog(CInstrumentConnection& instrument)
    : QDialog(nullptr), m_instrumentId(instrument.GetId()), m_instrument(&instrument),
      m_target(this, [this](unsigned m, uintptr_t w, intptr_t l) { OnMessage(m, w, l); }),
      m_backgroundBrush(QColor(200, 199, 190)), m_whiteBrush(Qt::white) {
    // No owner: the panel is a window of its own with its own taskbar button, a caption, a
    // system menu and a minimise box, and a size that does not change.
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint |
                   Qt::CustomizeWindowHint);
    setAttribute(Qt::WA_QuitOnClose, false);
    setObjectName(QStringLiteral("FrontPanel"));
    setWindowTitle(Latin1(LoadString(IDS_BASE_TITLE)));
    setFixedSize(kClientWidth, kClientHeight);
    setSizeGripEnabled(false);

    QPalette pal = palette();
    pal.setBrush(QPalette::Window, m_backgroundBrush);
    pal.setBrush(QPalette::Base, m_whiteBrush);
    setPalette(pal);
    setAutoFillBackground(true);

    m_frame = new QGroupBox(this);
    m_frame->setObjectName(QStringLiteral("control%1").arg(IDC_FRAME));
    Place(m_frame, 10, 6, 502, 88);

    m_displayControl = new QLabel(this);
    m_displayControl->setObjectName(QStringLiteral("control%1").arg(IDC_DISPLAY));
    Place(m_displayControl, 20, 20, 482, 34);
    m_displayControl->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    {
        QPalette dp = m_displayControl->palette();
        dp.setColor(QPalette::Window, Qt::black);
        m_displayControl->setPalette(dp);
        m_displayControl->setAutoFillBackground(true);
    }

    for (int n = 1; n <= kKeys; ++n) {
        auto* key = new CFrontPanelKey(n, this);
        key->setObjectName(QStringLiteral("control%1").arg(IDC_KEY_FIRST + n - 1));
        Place(key, 22 + 60 * (n - 1), 64, PanelArtwork::kKeyWidth, PanelArtwork::kKeyHeight);
        connect(key, &QPushButton::clicked, this, [this, n] { OnKey(n); });
        m_keys[static_cast<size_t>(n - 1)] = key;
    }

    m_logo = new QLabel(this);
    m_logo->setObjectName(QStringLiteral("control%1").arg(IDC_LOGO));
    Place(m_logo, 10, 104, PanelArtwork::kLogoWidth, PanelArtwork::kLogoHeight);
    m_logo->setPixmap(PanelArtwork::Logo());

    m_commandButton = new QPushButton(Latin1(LoadString(IDS_DAS_BUTTON)), this);
    m_commandButton->setObjectName(QStringLiteral("control%1").arg(IDC_COMMAND));
    Place(m_commandButton, 320, 104, 192, 25);
    m_commandButton->setEnabled(false);
    m_commandButton->setAutoDefault(false);
    connect(m_commandButton, &QPushButton::clicked, this, [this] { OnCommand(); });

    // The desktop gives a Qt window no system menu of its own to extend, so the panel keeps
    // one: the right mouse button or Alt+Space opens it.
    m_systemMenu = new QMenu(this);
    m_systemMenu->setObjectName(QStringLiteral("SystemMenu"));
    m_systemMenu->addAction(tr("Mi&nimize"), this, [this] { showMinimized(); });
    m_systemMenu->addAction(tr("&Close"), this, [this] { OnCancel(); });
    m_systemMenu->addSeparator();
    QAction* info = m_systemMenu->addAction(Latin1(LoadString(IDS_INFO_ITEM)), this,
                                            [this] { RunSystemCommand(ID_INSTRUMENT_INFO); });
    info->setData(static_cast<unsigned>(ID_INSTRUMENT_INFO));
    auto* menuKey = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_Space), this);
    connect(menuKey, &QShortcut::activated, this,
            [this] { m_systemMenu->popup(mapToGlobal(QPoint(0, 0))); });

    m_display = std::make_unique<CDisplayWindow>(m_displayControl, kRows, kColumns, false);

    if (SiteLink* site = instrument.GetSiteInUse())
        setWindowTitle(Latin1(
            FillNames(LoadString(IDS_PANEL_TITLE), instrument.GetName(), site->GetSiteName())));
    setWindowIcon(MakeAppIcon());
    PlaceWindow();
    ShowDisplayText(std::string());
    OpenPanels().insert(this);
}

CFrontPanelDialog::~CFrontPanelDialog() {
    OpenPanels().erase(this);
    m_closing = true;
    CInstrumentConnection* inst = Instrument();
    if (inst)
        inst->RequestDisconnect();
    {
        // The worker posts under the state lock, so once the field is cleared no post can
        // reach this window.
        StateGuard guard(AppStateLock());
        if (inst && inst->GetFrontPanel() == this)
            inst->SetFrontPanel(nullptr);
        m_target.Detach();
    }
}

CInstrumentConnection* CFrontPanelDialog::Instrument() const {
    CVANTIQApp* app = CVANTIQApp::Get();
    if (!app)
        return m_instrument;
    // Looked up, not trusted: the instrument may have been deleted while the window lived.
    StateGuard guard(AppStateLock());
    return dynamic_cast<CInstrumentConnection*>(app->Instruments().FindById(m_instrumentId));
}

QPushButton* CFrontPanelDialog::Key(int n) const {
    if (n < 1 || n > kKeys)
        return nullptr;
    return m_keys[static_cast<size_t>(n - 1)];
}

void CFrontPanelDialog::Post(unsigned message, uintptr_t wParam, intptr_t lParam) {
    m_target.Post(message, wParam, lParam);
}

void CFrontPanelDialog::OnMessage(unsigned message, uintptr_t wParam, intptr_t) {
    if (m_closing)
        return;
    if (message == MSG_DISPLAY_CHANGED)
        OnDisplayChanged();
    else if (message == MSG_IDENTIFIED)
        OnIdentified(wParam);
}

void CFrontPanelDialog::OnDisplayChanged() {
    // Only the latest text is read, so several notices may end in one repaint.
    if (CInstrumentConnection* inst = Instrument())
        ShowDisplayText(inst->GetDisplayText());
}

void CFrontPanelDialog::ShowDisplayText(const std::string& text) {
    const size_t cells = static_cast<size_t>(kRows) * kColumns;
    m_display->SetCursor(0, 0);
    if (text.size() < cells)
        m_display->Write(text + std::string(cells - text.size(), ' '));
    else
        m_display->Write(text);
    m_display->Redraw();
}

void CFrontPanelDialog::OnIdentified(uintptr_t result) {
    // A reconnect through the same window identifies again; the menu keeps one item.
    if (m_commandAction) {
        m_systemMenu->removeAction(m_commandAction);
        delete m_commandAction;
        m_commandAction = nullptr;
    }
    unsigned item = 0, command = 0;
    if (result == MODE_DAS) {
        m_commandMode = MODE_DAS;
        m_commandButton->setText(Latin1(LoadString(IDS_DAS_BUTTON)));
        item = IDS_DAS_ITEM;
        command = ID_DAS_COMMAND;
    } else if (result == MODE_SEQUENCES) {
        m_commandMode = MODE_SEQUENCES;
        m_commandButton->setText(Latin1(LoadString(IDS_SEQUENCE_BUTTON)));
        item = IDS_SEQUENCE_ITEM;
        command = ID_SEQUENCE_COMMAND;
    } else {
        m_commandMode = MODE_NONE;
        m_commandButton->setEnabled(false);
        return;
    }
    m_commandButton->setEnabled(true);
    m_commandAction = m_systemMenu->addAction(Latin1(LoadString(item)), this,
                                              [this, command] { RunSystemCommand(command); });
    m_commandAction->setData(command);
}

void CFrontPanelDialog::OnKey(int n) {
    if (CInstrumentConnection* inst = Instrument())
        inst->RequestKey(n);
}

void CFrontPanelDialog::OnCommand() {
    CInstrumentConnection* inst = Instrument();
    if (!inst || m_commandMode == MODE_NONE)
        return;
    // The configuration window is modal to the main window only, so the panel still answers
    // while it is open: one window per instrument at a time.
    if (!inst->GetFrontPanelActive())
        return;
    CommandWindow window;
    {
        std::lock_guard<std::mutex> guard(g_hookLock);
        auto it = g_commandWindows.find(m_commandMode);
        if (it != g_commandWindows.end())
            window = it->second;
    }
    // While the configuration window is open the panel is inactive: it cannot be closed and
    // the automatic disconnect leaves the instrument alone.
    QPointer<CFrontPanelDialog> self(this);
    inst->SetFrontPanelActive(false);
    if (window)
        window(*inst, MainWindow());
    if (!self)
        return;
    if ((inst = Instrument())) {
        inst->TouchActivity();
        inst->SetFrontPanelActive(true);
    }
}

void CFrontPanelDialog::RunSystemCommand(unsigned id) {
    if (id == ID_INSTRUMENT_INFO) {
        CInstrumentConnection* inst = Instrument();
        if (!inst)
            return;
        InfoWindow window;
        {
            std::lock_guard<std::mutex> guard(g_hookLock);
            window = g_infoWindow;
        }
        if (window) {
            window(*inst, MainWindow());
        } else {
            CInstInfoDialog dialog(*inst, MainWindow());
            ExecWindowModal(dialog);
        }
    } else if ((id == ID_DAS_COMMAND && m_commandMode == MODE_DAS) ||
               (id == ID_SEQUENCE_COMMAND && m_commandMode == MODE_SEQUENCES)) {
        OnCommand();
    }
}

void CFrontPanelDialog::reject() {
    OnCancel();
}

void CFrontPanelDialog::closeEvent(QCloseEvent* event) {
    if (m_closing) {
        event->accept();
        return;
    }
    event->ignore();
    OnCancel();
}

void CFrontPanelDialog::contextMenuEvent(QContextMenuEvent* event) {
    m_systemMenu->popup(event->globalPos());
}

void CFrontPanelDialog::OnCancel() {
    if (m_closing)
        return;
    CInstrumentConnection* inst = Instrument();
    if (!inst || !inst->IsConnected()) {
        DestroyPanel();
        return;
    }
    CVANTIQApp* app = CVANTIQApp::Get();
    if (inst->GetFrontPanelActive()) {
        UserPrompt* prompt = app ? app->GetPrompt() : nullptr;
        const PromptResult answer =
            prompt ? prompt->Ask(LoadString(IDS_DISCONNECT_CONFIRM), LoadString(IDS_CONFIRM),
                                 PromptButtons::YesNo, PromptIcon::Question, PromptResult::No)
                   : PromptResult::Yes;
        if (answer != PromptResult::Yes)
            return;
        // The question ran an event loop: the instrument may have gone meanwhile.
        if ((inst = Instrument()))
            inst->SetDisconnectRequested(true);
        StoreWindowPlacement();
        DestroyPanel();
    } else if (app) {
        app->ShowError(LoadString(IDS_CANNOT_DISCONNECT));
    }
}

void CFrontPanelDialog::ClosePanel() {
    if (m_closing)
        return;
    if (CInstrumentConnection* inst = Instrument())
        inst->SetDisconnectRequested(true);
    StoreWindowPlacement();
    DestroyPanel();
}

void CFrontPanelDialog::PlaceWindow() {
    int left = kDefaultLeft, top = kDefaultTop;
    if (CVANTIQApp* app = CVANTIQApp::Get()) {
        const Rect r = app->GetWindowLayout(CVANTIQApp::SLOT_FRONT_PANEL);
        if (!CVANTIQApp::IsUnset(r)) {
            left = r.left;
            top = r.top;
        }
    }
    // A panel opened while another sits in that place goes a title bar further down and
    // right, as often as needed, so that none hides another.
    const int step = std::max(1, style()->pixelMetric(QStyle::PM_TitleBarHeight));
    for (bool taken = true; taken;) {
        taken = false;
        for (const CFrontPanelDialog* other : OpenPanels())
            if (other != this && !other->m_closing && other->pos() == QPoint(left, top)) {
                left += step;
                top += step;
                taken = true;
                break;
            }
    }
    move(left, top);
}

void CFrontPanelDialog::StoreWindowPlacement() {
    CVANTIQApp* app = CVANTIQApp::Get();
    if (!app)
        return;
    const QRect g = frameGeometry();
    app->SetWindowLayout(CVANTIQApp::SLOT_FRONT_PANEL,
                         Rect{g.left(), g.top(), g.left() + g.width(), g.top() + g.height()});
}

void CFrontPanelDialog::DestroyPanel() {
    if (m_closing)
        return;
    m_closing = true;
    hide();
    // The window is deleted once control is back in the event loop; the destructor asks for
    // the disconnect and clears the instrument's panel field.
    deleteLater();
}

// ---- set-up --------------------------------------------------------------------------------

void CFrontPanelDialog::SetCommandWindow(int mode, CommandWindow window) {
    std::lock_guard<std::mutex> guard(g_hookLock);
    g_commandWindows[mode] = std::move(window);
}

void CFrontPanelDialog::SetInfoWindow(InfoWindow window) {
    std::lock_guard<std::mutex> guard(g_hookLock);
    g_infoWindow = std::move(window);
}

QWidget* CFrontPanelDialog::MainWindow() {
    CVANTIQApp* app = CVANTIQApp::Get();
    auto* shell = app ? dynamic_cast<GuiAppShell*>(app->GetShell()) : nullptr;
    return shell ? shell->MainFrame() : nullptr;
}

void CFrontPanelDialog::Install(CVANTIQApp& app) {
    app.AddHook(CVANTIQApp::Hook::LoadDisplayFont, [](CVANTIQApp&) { return DisplayFont::Load(); });
    app.AddHook(CVANTIQApp::Hook::FreeDisplayFont, [](CVANTIQApp&) {
        DisplayFont::Free();
        return true;
    });
    CInstrumentConnection::SetFrontPanelFactory(
        [](CInstrumentConnection& inst) -> InstrumentPanel* {
            auto* panel = new CFrontPanelDialog(inst);
            panel->show();
            return panel;
        });
    // Panels left open when the program quits go with it, each asking for its disconnect
    // before the sites are shut down.
    static bool connected = false;
    if (!connected && QCoreApplication::instance()) {
        connected = true;
        QObject::connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, [] {
            const std::set<CFrontPanelDialog*> panels = OpenPanels();
            for (CFrontPanelDialog* panel : panels)
                delete panel;
        });
    }
}
