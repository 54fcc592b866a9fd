// Sites whose link is one of the modem kinds.

#include "app/TAPIStartup.h"
#include "connections/ModemConnection.h"
#include "connections/ModemSettings.h"
#include "connections/SiteConnection.h"
#include "connections/TAPIModemConnection.h"
#include "instruments/InstrumentConnection.h"
#include "model/Archive.h"
#include "support_lib/Fakes.h"

#include <gtest/gtest.h>
#include <memory>

namespace {

void RegisterModemKinds() {
    CSiteConnection::RegisterClasses();
    CModemConnection::RegisterClass();
    CTAPIModemConnection::RegisterClass();
}

TEST(ModemSiteKinds, TypesOneAndTwoAreTheModemTransports) {
    TestApp app;
    RegisterModemKinds();
    std::unique_ptr<CConnection> builtIn(CSiteConnection::CreateTransport(1));
    std::unique_ptr<CConnection> windows(CSiteConnection::CreateTransport(2));
    EXPECT_NE(dynamic_cast<CModemConnection*>(builtIn.get()), nullptr);
    EXPECT_NE(dynamic_cast<CTAPIModemConnection*>(windows.get()), nullptr);
    EXPECT_EQ(CSiteConnection::TypeIndexOfKind(builtIn->GetConnectionType()), 1);
    EXPECT_EQ(CSiteConnection::TypeIndexOfKind(windows->GetConnectionType()), 2);
    EXPECT_TRUE(ArchiveClassRegistry<CConnection>::Has("CModemConnection"));
    EXPECT_TRUE(ArchiveClassRegistry<CConnection>::Has("CTAPIModemConnection"));
}

TEST(ModemSiteKinds, SiteArchiveKeepsTheModemTransportAndItsSettings) {
    TestApp app;
    RegisterModemKinds();
    CSiteConnection site;
    site.SetName("Hilltop");
    site.SetConnectionType(CSiteConnection::TYPE_BUILTINMODEM);
    auto* modem = dynamic_cast<CModemConnection*>(site.GetConnection());
    ASSERT_NE(modem, nullptr);
    modem->SetModemId(1234);
    modem->SetTelephoneNumber("0171 555");
    modem->SetConnectTimeout(75);
    modem->SetPortName("COM4");
    CArchive out;
    out.WriteObject<CNamedObject>(&site);
    CArchive in(out.Bytes());
    std::unique_ptr<CNamedObject> back(ArchiveClassRegistry<CNamedObject>::Read(in));
    auto* s = dynamic_cast<CSiteConnection*>(back.get());
    ASSERT_NE(s, nullptr);
    auto* m = dynamic_cast<CModemConnection*>(s->GetConnection());
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(m->GetModemId(), 1234u);
    EXPECT_EQ(m->GetTelephoneNumber(), "0171 555");
    EXPECT_EQ(m->GetConnectTimeout(), 75);
    EXPECT_EQ(m->GetPortName(), "COM4");
}

TEST(ModemSiteKinds, WindowsModemSiteWithoutTelephonyNeverConnects) {
    TestApp app;
    RegisterModemKinds();
    InstallTelephony(*app);
    const char* argv[] = {"gasquill"};
    ASSERT_TRUE(app->InitInstance(1, argv));
    {
        CSiteConnection site;
        site.SetName("Remote");
        site.SetConnectionType(CSiteConnection::TYPE_WINDOWSMODEM);
        CInstrumentConnection inst;
        site.OpenLink(&inst);
        EXPECT_FALSE(site.IsConnected());
        EXPECT_EQ(inst.GetDisplayText(), "Unable to connect to site Remote.");
    }
    app->ExitInstance();
}

} // namespace
