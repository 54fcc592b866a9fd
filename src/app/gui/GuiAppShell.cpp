#include "app/gui/GuiAppShell.h"

#include "app/VANTIQApp.h"
#include "app/gui/FileFilter.h"
#include "app/gui/MainFrame.h"
#include "app/gui/QtUserPrompt.h"
#include "base/Strings.h"
#include "ui/WindowModal.h"

#include <QFileDialog>
#include <QGuiApplication>
#include <QScreen>
#include <QThread>
#include <QTimer>
#include <cstdio>

GuiAppShell::GuiAppShell(CVANTIQApp& app) : m_app(app) {
    m_app.SetMainThreadTarget(this);
}

GuiAppShell::~GuiAppShell() {
    m_app.SetMainThreadTarget(nullptr);
}

void GuiAppShell::Post(unsigned message, uintptr_t, intptr_t lParam) {
    if (message != MSG_CONNECTION_CHANGED)
        return;
    const auto id = static_cast<uint32_t>(lParam);
    QMetaObject::invokeMethod(
        this, [this, id] { m_app.ForwardConnectionChanged(id); }, Qt::QueuedConnection);
}

void GuiAppShell::CreateMainWindow(const Rect& placement) {
    m_frame = std::make_unique<CMainFrame>(m_app);
    // Message boxes that find no modal dialog or active window to sit on use the main window.
    if (auto* prompt = dynamic_cast<QtUserPrompt*>(m_app.GetPrompt()))
        prompt->SetOwner(m_frame.get());
    m_frame->PlaceFrame(placement);
    m_frame->show();
    // Start-up timing: report once the event loop runs (start-up finished, window shown),
    // and optionally quit there.
    if (qEnvironmentVariableIsSet("GASQUILL_STARTUP_PROBE")) {
        QTimer::singleShot(0, this, [] {
            std::fprintf(stdout, "gasquill: ready\n");
            std::fflush(stdout);
            if (qEnvironmentVariable("GASQUILL_STARTUP_PROBE") == QLatin1String("quit"))
                QCoreApplication::quit();
        });
    }
}

std::string GuiAppShell::GetMainWindowText() {
    return m_frame ? m_frame->windowTitle().toLatin1().toStdString() : std::string();
}

void GuiAppShell::SetMainWindowText(const std::string& text) {
    // The title follows the modified flag, which a site worker sets after a transfer; the
    // window is touched on the interface thread only.
    if (QThread::currentThread() != thread()) {
        QMetaObject::invokeMethod(
            this, [this, text] { SetMainWindowText(text); }, Qt::QueuedConnection);
        return;
    }
    if (m_frame)
        m_frame->setWindowTitle(QString::fromLatin1(text.c_str()));
}

void GuiAppShell::StartTimer(unsigned id, unsigned periodMs) {
    QTimer*& timer = m_timers[id];
    if (!timer) {
        timer = new QTimer(this);
        connect(timer, &QTimer::timeout, this, [this, id] { m_app.OnInstrumentTimer(id); });
    }
    timer->start(static_cast<int>(periodMs));
}

void GuiAppShell::KillTimer(unsigned id) {
    auto it = m_timers.find(id);
    if (it != m_timers.end())
        it->second->stop();
}

bool GuiAppShell::TimerRunning(unsigned id) const {
    auto it = m_timers.find(id);
    return it != m_timers.end() && it->second->isActive();
}

int GuiAppShell::TimerInterval(unsigned id) const {
    auto it = m_timers.find(id);
    return it == m_timers.end() ? -1 : it->second->interval();
}

Rect GuiAppShell::DesktopRect() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return Rect{0, 0, 1024, 768};
    const QRect g = screen->virtualGeometry();
    return Rect{g.left(), g.top(), g.left() + g.width(), g.top() + g.height()};
}

std::optional<std::string> GuiAppShell::ChooseSaveFile(const std::string& initialPath) {
    QFileDialog dialog(m_frame.get());
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilter(ToQtFileFilter(LoadString(IDS_CONFIG_FILTER)));
    dialog.setDefaultSuffix(QStringLiteral("cfg"));
    dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
    if (!initialPath.empty())
        dialog.selectFile(QString::fromLatin1(initialPath.c_str()));
    if (ExecWindowModal(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().front().toLatin1().toStdString();
}
