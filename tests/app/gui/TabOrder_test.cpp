// Tab walks every dialog in the order the eye reads it, OK and Cancel last; and OK, Cancel
// and Close look alike everywhere.

#include "app/gui/AboutDialog.h"
#include "app/gui/InstrumentsDialog.h"
#include "app/gui/OptionsPropertySheet.h"
#include "base/StateLock.h"
#include "connections/CommPortConnection.h"
#include "connections/ModemConnection.h"
#include "connections/ModemSettings.h"
#include "connections/SiteConnection.h"
#include "connections/TAPIModemConnection.h"
#include "connections/TCPConnection.h"
#include "connections/gui/CommPortConnectionPropertiesDialog.h"
#include "connections/gui/ModemConnectionPropertiesDialog.h"
#include "connections/gui/ModemPropertiesDialog.h"
#include "connections/gui/PortSettingsDialog.h"
#include "connections/gui/SerialPortChoices.h"
#include "connections/gui/SitePropertiesDialog.h"
#include "connections/gui/SitesDialog.h"
#include "connections/gui/TAPIModemConnectionPropertiesDialog.h"
#include "connections/gui/TCPConnectionPropertiesDialog.h"
#include "instruments/InstrumentConnection.h"
#include "instruments/gui/InstPropertySheet.h"
#include "platform/TelephonyStream.h"
#include "support_lib/Fakes.h"
#include "support_lib/GuiTestApp.h"
#include "ui/AppPropertyPage.h"
#include "ui/FileSaveAsDialog.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QProxyStyle>
#include <QStyleFactory>
#include <QTabBar>
#include <QTest>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

namespace {

// What a person would call the widget: a button's or box's text, an edit's label.
QString Describe(QWidget* w) {
    if (auto* combo = qobject_cast<QComboBox*>(w->parentWidget()))
        w = combo;
    QString text;
    if (qobject_cast<QTabBar*>(w))
        return QStringLiteral("[tabs]");
    if (qobject_cast<QListWidget*>(w))
        return QStringLiteral("[list]");
    if (auto* button = qobject_cast<QAbstractButton*>(w))
        text = button->text();
    for (QLabel* label : w->window()->findChildren<QLabel*>())
        if (text.isEmpty() && label->buddy() == w)
            text = label->text();
    if (text.isEmpty())
        text = QString::fromLatin1(w->metaObject()->className());
    return text.remove(QLatin1Char('&')).replace(QLatin1Char('\n'), QLatin1Char(' '));
}

// Presses Tab until the focus comes back round; the cycle starts where the table starts.
QStringList FocusCycle(QWidget& window, const QString& first) {
    window.show();
    QApplication::setActiveWindow(&window);
    QApplication::processEvents();
    QStringList seen;
    std::vector<QWidget*> visited;
    for (int step = 0; step < 40; ++step) {
        QWidget* w = QApplication::focusWidget();
        if (!w)
            QTest::keyClick(&window, Qt::Key_Tab);
        else if (std::find(visited.begin(), visited.end(), w) != visited.end())
            break;
        else {
            visited.push_back(w);
            seen.push_back(Describe(w));
            QTest::keyClick(w, Qt::Key_Tab);
        }
    }
    std::rotate(seen.begin(),
                std::find_if(seen.begin(), seen.end(),
                             [&](const QString& s) { return s.startsWith(first); }),
                seen.end());
    return seen;
}

struct Row {
    const char* what;
    std::function<std::unique_ptr<QWidget>()> make;
    QStringList order; // each entry the start of what the widget says
};

struct DialogsTest : ::testing::Test {
    TestApp app;
    CModemSettings* modem = new CModemSettings;
    CSiteConnection* site = new CSiteConnection;
    CInstrumentConnection* inst = new CInstrumentConnection;
    CCommPortConnection cable;
    CModemConnection modemLink;
    CTAPIModemConnection tapi;
    CTCPConnection tcp;
    QString com1 = QStringLiteral("COM1");
    PortLineSettings lineSettings;
    CInstrumentsDialog::Mode connectMode = CInstrumentsDialog::MODE_CONNECT;

    void SetUp() override {
        EnsureGuiTestApp();
        SetPortLister([] { return std::vector<std::string>{"/dev/ttyS0"}; });
        StateGuard guard(AppStateLock());
        app->Modems().AddTail(modem);
        app->Sites().AddTail(site);
        app->Instruments().AddTail(inst);
    }
    void TearDown() override {
        SetPortLister(nullptr);
        StateGuard guard(AppStateLock());
        app->Instruments().DeleteAll();
        app->Sites().DeleteAll();
        app->Modems().DeleteAll();
    }

    // Every control enabled, so that each takes its place in the walk.
    CInstrumentConnection& FullInstrument() {
        inst->SetUseInstrumentId(true);
        inst->SetPort(CInstrumentConnection::PORT_CUSTOM);
        inst->SetAutoDisconnect(true);
        inst->SetUseSelect(true);
        inst->SetUseDeselect(true);
        inst->SetUsePassword(true);
        return *inst;
    }
    std::function<std::unique_ptr<QWidget>()> InstPage(int page, bool full) {
        return [this, page, full] {
            auto sheet = std::make_unique<CInstPropertySheet>(full ? FullInstrument() : *inst);
            sheet->SetActivePage(page);
            return std::unique_ptr<QWidget>(std::move(sheet));
        };
    }
    std::function<std::unique_ptr<QWidget>()> OptionsPage(int page) {
        return [this, page] {
            auto sheet = std::make_unique<COptionsPropertySheet>(*app);
            sheet->SetActivePage(page);
            for (QCheckBox* box : sheet->Page(page)->findChildren<QCheckBox*>())
                box->setChecked(true);
            return std::unique_ptr<QWidget>(std::move(sheet));
        };
    }
    template <class D, class... A> static std::function<std::unique_ptr<QWidget>()> Make(A&... a) {
        return [&a...] { return std::unique_ptr<QWidget>(new D(a...)); };
    }

    std::vector<Row> Rows() {
        using D = CInstrumentsDialog;
        // clang-format off
        return {
            {"direct cable", Make<CCommPortConnectionPropertiesDialog>(cable), {"Comm. Port:", "Settings...", "OK", "Cancel"}},
            {"built-in modem", Make<CModemConnectionPropertiesDialog>(modemLink), {"Comm. Port:", "Settings...", "Modem Type:", "...", "Telephone Number:", "Connection Timeout", "OK", "Cancel"}},
            {"telephony modem", Make<CTAPIModemConnectionPropertiesDialog>(tapi), {"Modem:", "Telephone Number:", "Connection Timeout", "OK", "Cancel"}},
            {"TCP/IP", Make<CTCPConnectionPropertiesDialog>(tcp), {"IP Address:", "TCP Port:", "OK", "Cancel"}},
            {"port settings", Make<CPortSettingsDialog>(com1, lineSettings), {"Bits per second:", "Data bits:", "Parity:", "Stop bits:", "Flow control:", "Restore Defaults", "OK", "Cancel"}},
            {"site", Make<CSitePropertiesDialog>(*site), {"Name:", "Connection Type:", "Settings...", "Defaults", "OK", "Cancel"}},
            {"modem definition", Make<CModemPropertiesDialog>(*modem), {"Name:", "OK response", "Connect response", "Data mode", "Reset", "Initialization", "Dial", "Hangup", "Defaults", "OK", "Cancel"}},
            {"instrument basic, new", InstPage(0, false), {"[tabs]", "Name:", "Enable", "Site:", "...", "Port 1", "Defaults", "OK", "Cancel"}},
            {"instrument basic, custom port", InstPage(0, true), {"[tabs]", "Name:", "Instrument ID:", "Enable", "Site:", "...", "Custom", "Mode variable name:", "Defaults", "OK", "Cancel"}},
            {"instrument automatic disconnect", InstPage(1, true), {"[tabs]", "Disconnect automatically", "QLineEdit", "OK", "Cancel"}},
            {"instrument code-activated switch", InstPage(2, true), {"[tabs]", "Send this code to select", "QLineEdit", "Send this code to deselect", "QLineEdit", "OK", "Cancel"}},
            {"instrument handshaking", InstPage(3, true), {"[tabs]", "Receive time-out", "Transmit delay", "OK", "Cancel"}},
            {"instrument security", InstPage(4, true), {"[tabs]", "Use this password", "QLineEdit", "OK", "Cancel"}},
            {"options general", OptionsPage(0), {"[tabs]", "Load previous", "Save network", "Confirm deleting", "Use checkboxes", "OK", "Cancel"}},
            {"options front panel", OptionsPage(1), {"[tabs]", "Update all front panel", "QLineEdit", "OK", "Cancel"}},
            {"options logging", OptionsPage(2), {"[tabs]", "Log commands", "Log responses", "Log errors", "Log file name:", "...", "OK", "Cancel"}},
            {"instruments window", Make<D>(*app, connectMode), {"[list]", "Connect", "Close", "New...", "Duplicate", "Edit...", "Delete", "Close on connect"}},
            {"sites window", Make<CSitesDialog>(), {"[list]", "Close", "New...", "Duplicate", "Edit...", "Delete"}},
        };
        // clang-format on
    }
};

// A style that wants icons on dialog buttons, as the Linux desktops' themes do.
class IconStyle : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* data) const override {
        if (hint == SH_DialogButtonBox_ButtonsHaveIcons)
            return 1;
        return QProxyStyle::styleHint(hint, option, widget, data);
    }
};

// Each dialog's OK, Cancel and Close buttons also carry the style's icons.
TEST_F(DialogsTest, TabFollowsTheVisualOrderWithOkAndCancelLast) {
    const QString before = QApplication::style()->name();
    QApplication::setStyle(new IconStyle(QStyleFactory::create(before)));
    std::vector<Row> rows = Rows();
    const QString saveAsName = QStringLiteral("a.txt");
    rows.push_back({"about", Make<CAboutDialog>(), {"OK"}});
    rows.push_back(
        {"save as prompt", Make<CFileSaveAsDialog>(saveAsName), {"Replace", "Append", "Cancel"}});
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        std::unique_ptr<QWidget> window = row.make();
        const QStringList cycle = FocusCycle(*window, row.order.front());
        ASSERT_EQ(cycle.size(), row.order.size()) << cycle.join(" | ").toStdString();
        for (int i = 0; i < cycle.size(); ++i)
            EXPECT_TRUE(cycle[i].startsWith(row.order[i])) << cycle.join(" | ").toStdString();
        for (QAbstractButton* button : window->findChildren<QAbstractButton*>()) {
            const QString text = button->text().remove(QLatin1Char('&'));
            if (text == "OK" || text == "Cancel" || text == "Close") {
                EXPECT_FALSE(button->icon().isNull()) << text.toStdString();
            }
        }
    }
    QApplication::setStyle(QStyleFactory::create(before));
}

} // namespace
