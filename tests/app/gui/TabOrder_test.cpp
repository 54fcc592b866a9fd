// Tab walks a property sheet in the order the eye reads it, OK and Cancel last; and OK, Cancel
// and Close carry the style's icons where the desktop wants them.

#include "app/gui/InstrumentsDialog.h"
#include "connections/SiteConnection.h"
#include "instruments/InstrumentConnection.h"
#include "instruments/gui/InstPropertyPages.h"
#include "instruments/gui/InstPropertySheet.h"
#include "support_lib/Fakes.h"
#include "support_lib/GuiTestApp.h"
#include "ui/DialogButtons.h"
#include "ui/FileSaveAsDialog.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QProxyStyle>
#include <QPushButton>
#include <QStyleFactory>
#include <QTabBar>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// What a person would call the widget: a button's or box's text, an edit's label.
QString Describe(QWidget* w) {
    if (qobject_cast<QTabBar*>(w))
        return QStringLiteral("[tabs]");
    QString text;
    if (auto* button = qobject_cast<QAbstractButton*>(w))
        text = button->text();
    for (QLabel* label : w->window()->findChildren<QLabel*>())
        if (text.isEmpty() && label->buddy() == w)
            text = label->text();
    if (text.isEmpty())
        text = QString::fromLatin1(w->metaObject()->className());
    return text.remove(QLatin1Char('&')).replace(QLatin1Char('\n'), QLatin1Char(' '));
}

// Presses Tab until the focus comes back round; the cycle starts at the tabs.
QStringList FocusCycle(QWidget& window) {
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
    std::rotate(seen.begin(), std::find(seen.begin(), seen.end(), "[tabs]"), seen.end());
    return seen;
}

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

TEST(TabOrder, TheSheetReadsFromTheTopWithOkAndCancelLastAndTheButtonsCarryIcons) {
    EnsureGuiTestApp();
    const QString before = QApplication::style()->name();
    QApplication::setStyle(new IconStyle(QStyleFactory::create(before)));
    TestApp app;
    auto* harbour = new CSiteConnection;
    harbour->SetName("Harbour");
    app->Sites().AddTail(harbour);
    CInstrumentConnection inst; // a new one, every control of the first page enabled
    inst.SetUseInstrumentId(true);
    inst.SetPort(CInstrumentConnection::PORT_CUSTOM);
    CInstPropertySheet sheet(inst);
    QComboBox& site = sheet.Basic().Site(); // no site chosen yet, and nothing in its place
    EXPECT_EQ(std::tuple(site.currentIndex(), site.placeholderText()), std::tuple(-1, QString()));
    const QStringList expected{"[tabs]",   "Name:", "Instrument ID:", "Enable",
                               "Site:",    "...",   "Custom",         "Mode variable name:",
                               "Defaults", "OK",    "Cancel"};
    const QStringList cycle = FocusCycle(sheet);
    ASSERT_EQ(cycle.size(), expected.size()) << cycle.join(" | ").toStdString();
    for (int i = 0; i < cycle.size(); ++i)
        EXPECT_TRUE(cycle[i].startsWith(expected[i])) << cycle.join(" | ").toStdString();

    CInstrumentsDialog list(*app, CInstrumentsDialog::MODE_EDIT);
    CFileSaveAsDialog prompt("a.txt");
    QPushButton plain("OK");
    StyleAsStandardButton(plain, QDialogButtonBox::Ok);
    QPushButton* const buttons[] = {sheet.OkButton(), sheet.CancelButton(), &list.CloseButton(),
                                    &prompt.CancelButton(), &plain};
    for (QPushButton* button : buttons)
        EXPECT_FALSE(button->icon().isNull()) << button->text().toStdString();
    QApplication::setStyle(QStyleFactory::create(before));
}

} // namespace
