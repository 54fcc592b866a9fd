#include "app/gui/MainFrame.h"

#include "app/VANTIQApp.h"
#include "app/gui/AboutDialog.h"
#include "app/gui/FileFilter.h"
#include "app/gui/HelpCommands.h"
#include "app/gui/InstrumentsDialog.h"
#include "app/gui/OptionsPropertySheet.h"
#include "app/gui/ToolIcons.h"
#include "base/Strings.h"
#include "base/UserPrompt.h"
#include "connections/gui/ModemsDialog.h"
#include "connections/gui/SitesDialog.h"
#include "ui/WindowModal.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMenuBar>
#include <QShortcut>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <algorithm>

namespace {

// Status-bar prompt and tooltip of each command.
struct CommandText {
    int id;
    const char* prompt;
    const char* tip;
};

const CommandText kCommandTexts[] = {
    {CMainFrame::ID_CONNECT, "Connects to an instrument", "Connect (Ctrl+C)"},
    {CMainFrame::ID_FILE_NEW, "Creates a new network configuration", "New (Ctrl+N)"},
    {CMainFrame::ID_FILE_OPEN, "Opens an existing network configuration", "Open (Ctrl+O)"},
    {CMainFrame::ID_FILE_SAVE, "Saves the network configuration", "Save (Ctrl+S)"},
    {CMainFrame::ID_FILE_SAVE_AS, "Saves the network configuration with a new name", "Save As"},
    {CMainFrame::ID_APP_EXIT, "Quits the application", "Exit"},
    {CMainFrame::ID_VIEW_TOOLBAR, "Shows or hides the toolbar", "Toggle Toolbar"},
    {CMainFrame::ID_VIEW_STATUS_BAR, "Shows or hides the status bar", "Toggle Status Bar"},
    {CMainFrame::ID_INSTRUMENTS, "Edits list of instruments", "Edit Instruments"},
    {CMainFrame::ID_SITES, "Edits list of sites", "Edit Sites"},
    {CMainFrame::ID_MODEMS, "Edits list of modem definitions", "Edit Modems"},
    {CMainFrame::ID_OPTIONS, "Changes program options", "Change Options"},
    {CMainFrame::ID_HELP, "Opens the gasquill help", "Help"},
    {CMainFrame::ID_MANUAL, "Opens the gasquill user manual", "Manual"},
    {CMainFrame::ID_WEBSITE, "Opens the Tarnby web site", "Website"},
    {CMainFrame::ID_SUPPORT, "Writes an e-mail to Tarnby support", "Support"},
    {CMainFrame::ID_APP_ABOUT, "Displays program information, version number and copyright",
     "About (Ctrl+A)"},
};

const CommandText* TextOf(int id) {
    for (const auto& t : kCommandTexts)
        if (t.id == id)
            return &t;
    return nullptr;
}

} // namespace

CMainFrame::CMainFrame(CVANTIQApp& app, QWidget* parent) : QMainWindow(parent), m_app(app) {
    setWindowTitle(QString::fromLatin1(LoadString(IDS_BASE_TITLE).c_str()));
    setWindowIcon(MakeAppIcon());
    setObjectName(QStringLiteral("MainFrame"));

    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("ChildView"));
    client->setAutoFillBackground(true);
    setCentralWidget(client);

    m_fileMenu = menuBar()->addMenu(QStringLiteral("&File"));
    AddCommand(m_fileMenu, ID_CONNECT, QStringLiteral("&Connect..."), QStringLiteral("connect"),
               QKeySequence(Qt::CTRL | Qt::Key_C));
    m_fileMenu->addSeparator();
    AddCommand(m_fileMenu, ID_FILE_NEW, QStringLiteral("&New"), QStringLiteral("new"),
               QKeySequence(Qt::CTRL | Qt::Key_N));
    AddCommand(m_fileMenu, ID_FILE_OPEN, QStringLiteral("&Open..."), QStringLiteral("open"),
               QKeySequence(Qt::CTRL | Qt::Key_O));
    AddCommand(m_fileMenu, ID_FILE_SAVE, QStringLiteral("&Save"), QStringLiteral("save"),
               QKeySequence(Qt::CTRL | Qt::Key_S));
    AddCommand(m_fileMenu, ID_FILE_SAVE_AS, QStringLiteral("Save &As..."), QString());
    m_recentSeparator = m_fileMenu->addSeparator();
    for (int i = 0; i < 4; ++i) {
        QAction* a = m_fileMenu->addAction(QString());
        connect(a, &QAction::triggered, this, [this, i] { OnRecentFile(i); });
        m_recentActions.push_back(a);
    }
    m_fileMenu->addSeparator();
    AddCommand(m_fileMenu, ID_APP_EXIT, QStringLiteral("E&xit"), QString(),
               QKeySequence(Qt::ALT | Qt::Key_F4));
    connect(m_fileMenu, &QMenu::aboutToShow, this, &CMainFrame::UpdateCommandStates);

    QMenu* view = menuBar()->addMenu(QStringLiteral("&View"));
    QMenu* settings = menuBar()->addMenu(QStringLiteral("&Settings"));
    AddCommand(settings, ID_INSTRUMENTS, QStringLiteral("&Instruments..."),
               QStringLiteral("instruments"));
    AddCommand(settings, ID_SITES, QStringLiteral("&Sites..."), QStringLiteral("sites"));
    AddCommand(settings, ID_MODEMS, QStringLiteral("&Modems..."), QStringLiteral("modems"));
    settings->addSeparator();
    AddCommand(settings, ID_OPTIONS, QStringLiteral("&Options..."), QStringLiteral("options"));
    QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
    AddCommand(help, ID_HELP, QStringLiteral("gasquill Help"), QString());
    AddCommand(help, ID_MANUAL, QStringLiteral("gasquill Manual"), QString());
    AddCommand(help, ID_WEBSITE, QStringLiteral("Tarnby Website"), QString());
    AddCommand(help, ID_SUPPORT, QStringLiteral("Tarnby Support"), QString());
    AddCommand(help, ID_APP_ABOUT, QStringLiteral("&About gasquill..."), QStringLiteral("about"),
               QKeySequence(Qt::CTRL | Qt::Key_A));

    QToolBar* toolbar = addToolBar(QStringLiteral("Toolbar"));
    toolbar->setObjectName(QStringLiteral("Toolbar"));
    toolbar->setIconSize(QSize(16, 16));
    toolbar->setMovable(false);
    toolbar->addAction(Action(ID_CONNECT));
    toolbar->addSeparator();
    toolbar->addAction(Action(ID_FILE_NEW));
    toolbar->addAction(Action(ID_FILE_OPEN));
    toolbar->addAction(Action(ID_FILE_SAVE));
    toolbar->addSeparator();
    toolbar->addAction(Action(ID_INSTRUMENTS));
    toolbar->addAction(Action(ID_SITES));
    toolbar->addAction(Action(ID_MODEMS));
    toolbar->addAction(Action(ID_OPTIONS));
    toolbar->addSeparator();
    toolbar->addAction(Action(ID_APP_ABOUT));

    QAction* showToolbar = toolbar->toggleViewAction();
    showToolbar->setText(QStringLiteral("&Toolbar"));
    showToolbar->setStatusTip(QString::fromLatin1(TextOf(ID_VIEW_TOOLBAR)->prompt));
    view->addAction(showToolbar);
    m_actions[ID_VIEW_TOOLBAR] = showToolbar;
    QAction* showStatus = view->addAction(QStringLiteral("&Status Bar"));
    showStatus->setCheckable(true);
    showStatus->setChecked(true);
    showStatus->setStatusTip(QString::fromLatin1(TextOf(ID_VIEW_STATUS_BAR)->prompt));
    connect(showStatus, &QAction::toggled, this, [this](bool on) { statusBar()->setVisible(on); });
    m_actions[ID_VIEW_STATUS_BAR] = showStatus;

    // The message pane, then the keyboard indicators. The lock states are the keyboard's and
    // not known here, so the indicators show greyed, as they do with the lock off.
    for (const char* indicator : {"CAP", "NUM", "SCRL"}) {
        auto* pane = new QLabel(QString::fromLatin1(indicator), statusBar());
        pane->setObjectName(QStringLiteral("Indicator%1").arg(QString::fromLatin1(indicator)));
        pane->setAlignment(Qt::AlignCenter);
        pane->setMinimumWidth(pane->fontMetrics().horizontalAdvance(pane->text()) + 10);
        pane->setEnabled(false);
        statusBar()->addPermanentWidget(pane);
    }
    statusBar()->showMessage(IdlePrompt());
    connect(statusBar(), &QStatusBar::messageChanged, this, [this](const QString& text) {
        if (text.isEmpty())
            statusBar()->showMessage(IdlePrompt());
    });

    SetCommandHandler(ID_FILE_NEW, [this] { OnFileNew(); });
    SetCommandHandler(ID_FILE_OPEN, [this] { OnFileOpen(); });
    SetCommandHandler(ID_FILE_SAVE, [this] { OnFileSave(); });
    SetCommandHandler(ID_FILE_SAVE_AS, [this] { OnFileSaveAs(); });
    SetCommandHandler(ID_APP_EXIT, [this] { close(); });
    SetCommandHandler(ID_APP_ABOUT, [this] { OnAbout(); });
    SetCommandHandler(ID_CONNECT, [this] {
        CInstrumentsDialog::Run(m_app, CInstrumentsDialog::MODE_CONNECT, this);
    });
    SetCommandHandler(ID_INSTRUMENTS, [this] {
        CInstrumentsDialog::Run(m_app, CInstrumentsDialog::MODE_EDIT, this);
    });
    SetCommandHandler(ID_SITES, [this] { CSitesDialog::Run(this); });
    SetCommandHandler(ID_MODEMS, [this] { CModemsDialog::Run(this); });
    SetCommandHandler(ID_OPTIONS, [this] {
        COptionsPropertySheet sheet(m_app, this);
        sheet.Run();
    });
    m_help = std::make_unique<HelpCommands>(m_app, this);
    SetCommandHandler(ID_HELP, [this] { m_help->OpenHelp(); });
    SetCommandHandler(ID_MANUAL, [this] { m_help->OpenManual(); });
    SetCommandHandler(ID_WEBSITE, [this] { m_help->OpenWebsite(); });
    SetCommandHandler(ID_SUPPORT, [this] { m_help->OpenSupport(); });
    // F1 opens the help from any window of the program that is not held by a modal dialog,
    // front panels included, as the status bar's idle prompt promises.
    auto* helpKey = new QShortcut(QKeySequence(Qt::Key_F1), this);
    helpKey->setContext(Qt::ApplicationShortcut);
    connect(helpKey, &QShortcut::activated, this, [this] {
        if (QAction* help = Action(ID_HELP); help && help->isEnabled())
            RunCommand(ID_HELP);
    });

    // The toolbar greys its buttons as the menu does, checked while the program is idle.
    auto* idle = new QTimer(this);
    connect(idle, &QTimer::timeout, this, &CMainFrame::UpdateCommandStates);
    idle->start(250);
    UpdateCommandStates();
}

CMainFrame::~CMainFrame() {
    StorePlacement();
}

QString CMainFrame::IdlePrompt() const {
    return QStringLiteral("For Help, press F1");
}

QAction* CMainFrame::AddCommand(QMenu* menu, int id, const QString& text, const QString& icon,
                                const QKeySequence& shortcut) {
    QAction* a = menu->addAction(text);
    if (!icon.isEmpty())
        a->setIcon(MakeToolIcon(icon));
    if (!shortcut.isEmpty())
        a->setShortcut(shortcut);
    if (const CommandText* t = TextOf(id)) {
        a->setStatusTip(QString::fromLatin1(t->prompt));
        a->setToolTip(QString::fromLatin1(t->tip));
    }
    a->setData(id);
    a->setEnabled(false);
    connect(a, &QAction::triggered, this, [this, id] { RunCommand(id); });
    m_actions[id] = a;
    return a;
}

QAction* CMainFrame::Action(int id) const {
    auto it = m_actions.find(id);
    return it == m_actions.end() ? nullptr : it->second;
}

void CMainFrame::SetCommandHandler(int id, std::function<void()> handler) {
    m_handlers[id] = std::move(handler);
    UpdateCommandStates();
}

void CMainFrame::RunCommand(int id) {
    auto it = m_handlers.find(id);
    if (it != m_handlers.end() && it->second)
        it->second();
}

void CMainFrame::UpdateCommandStates() {
    const bool connected = m_app.IsAnyInstrumentConnected();
    for (auto& [id, action] : m_actions) {
        if (id == ID_VIEW_TOOLBAR || id == ID_VIEW_STATUS_BAR)
            continue;
        bool enabled = m_handlers.count(id) != 0;
        if (id == ID_FILE_NEW || id == ID_FILE_OPEN || id == ID_APP_EXIT)
            enabled = enabled && !connected;
        action->setEnabled(enabled);
    }
    FillRecentFiles();
}

void CMainFrame::FillRecentFiles() {
    const auto& files = m_app.RecentFiles().Files();
    for (size_t i = 0; i < m_recentActions.size(); ++i) {
        QAction* a = m_recentActions[i];
        if (i < files.size()) {
            a->setText(
                QStringLiteral("&%1 %2").arg(i + 1).arg(QString::fromLatin1(files[i].c_str())));
            a->setVisible(true);
            a->setEnabled(true);
        } else if (i == 0 && files.empty()) {
            a->setText(QStringLiteral("No Recent Files"));
            a->setVisible(true);
            a->setEnabled(false);
        } else {
            a->setVisible(false);
        }
    }
}

void CMainFrame::OnFileNew() {
    if (m_app.IsAnyInstrumentConnected())
        return;
    if (m_app.QuerySaveConfiguration(false))
        m_app.FileNew();
}

void CMainFrame::OnFileOpen() {
    if (m_app.IsAnyInstrumentConnected())
        return;
    if (!m_app.QuerySaveConfiguration(false))
        return;
    QFileDialog dialog(this);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilter(ToQtFileFilter(LoadString(IDS_CONFIG_FILTER)));
    dialog.setDefaultSuffix(QStringLiteral("cfg"));
    if (ExecWindowModal(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    m_app.OpenConfiguration(dialog.selectedFiles().front().toLatin1().toStdString());
}

void CMainFrame::OnFileSave() {
    m_app.FileSave();
}

void CMainFrame::OnFileSaveAs() {
    m_app.FileSaveAs();
}

void CMainFrame::OnRecentFile(int index) {
    m_app.OpenRecentFile(static_cast<size_t>(index));
}

void CMainFrame::OnAbout() {
    CAboutDialog about(this);
    ExecWindowModal(about);
}

QMargins CMainFrame::FrameMargins() const {
    const QRect outer = frameGeometry();
    const QRect inner = geometry();
    return QMargins(inner.left() - outer.left(), inner.top() - outer.top(),
                    outer.right() - inner.right(), outer.bottom() - inner.bottom());
}

void CMainFrame::PlaceFrame(const Rect& outer) {
    m_placement = outer;
    FitPlacement();
}

void CMainFrame::FitPlacement() {
    if (!m_placement)
        return;
    const Rect& r = *m_placement;
    m_fittedMargins = FrameMargins();
    resize(std::max(1, r.Width() - m_fittedMargins.left() - m_fittedMargins.right()),
           std::max(1, r.Height() - m_fittedMargins.top() - m_fittedMargins.bottom()));
    // A window's position is its frame's.
    move(r.left, r.top);
    // Once the frame is there, the placement is done; until then the window system may still
    // add one, and the rectangle is fitted again when it does.
    if (!m_fittedMargins.isNull())
        m_placement.reset();
}

bool CMainFrame::event(QEvent* event) {
    const bool handled = QMainWindow::event(event);
    switch (event->type()) {
    case QEvent::Show:
    case QEvent::Move:
    case QEvent::Resize:
        if (m_placement && isVisible() && FrameMargins() != m_fittedMargins)
            FitPlacement();
        break;
    default:
        break;
    }
    return handled;
}

void CMainFrame::StorePlacement() {
    if (m_placementStored)
        return;
    m_placementStored = true;
    if (isMinimized() || isMaximized())
        return;
    // The outer rectangle, as PlaceFrame puts it back.
    const QRect g = frameGeometry();
    m_app.SetWindowLayout(CVANTIQApp::SLOT_MAIN,
                          Rect{g.left(), g.top(), g.left() + g.width(), g.top() + g.height()});
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    if (!m_app.QuerySaveConfiguration(true)) {
        event->ignore();
        return;
    }
    if (m_app.IsAnyInstrumentConnected()) {
        UserPrompt* prompt = m_app.GetPrompt();
        const PromptResult r =
            prompt ? prompt->Ask(LoadString(IDS_FORCE_EXIT), LoadString(IDS_WARNING),
                                 PromptButtons::YesNo, PromptIcon::Exclamation, PromptResult::No)
                   : PromptResult::No;
        if (r != PromptResult::Yes) {
            event->ignore();
            return;
        }
    }
    StorePlacement();
    event->accept();
}
