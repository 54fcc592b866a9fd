#pragma once
// Configuration-file test helpers: an application with the archived classes registered and a
// small network with every kind of transport.

#include "app/NetworkConfiguration.h"
#include "connections/CommPortConnection.h"
#include "connections/ModemConnection.h"
#include "connections/ModemSettings.h"
#include "connections/SiteConnection.h"
#include "connections/TAPIModemConnection.h"
#include "connections/TCPConnection.h"
#include "instruments/InstrumentConnection.h"
#include "model/InstrumentKeywords.h"
// The telephony transport's inline constructor needs the stream type complete.
#include "platform/TelephonyStream.h"
#include "support/TextSupport.h"
#include "support_lib/Fakes.h"
#include "support_lib/TempDir.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace config_test {

namespace fs = std::filesystem;

// A test application whose configuration reader knows every class of the three lists.
struct ConfigApp : TestApp {
    ConfigApp() {
        InitSupportLibrary();
        SortTokenTables();
        CNetworkConfiguration::RegisterClasses();
    }
    size_t ObjectCount() {
        return app->Modems().GetCount() + app->Sites().GetCount() + app->Instruments().GetCount();
    }
};

using TempFolder = ::TempDir;
using ::ReadAll;
using ::WriteAll;

template <class T, class U> T* As(U* obj) {
    return dynamic_cast<T*>(obj);
}

// A modem definition, a site of every kind (the built-in modem one using the definition)
// and instruments with every optional field set on the first and none on the second.
inline void BuildNetwork(CVANTIQApp& app) {
    auto* modem = new CModemSettings;
    modem->SetName("Hayes");
    modem->SetToneDial("ATDT9,");
    modem->SetInitialization("AT&F E0");
    modem->SetConnectResponse("CONNECT 9600");
    app.Modems().AddTail(modem);

    auto* cable = new CSiteConnection;
    cable->SetName("Cable Site");
    auto* port = new CCommPortConnection;
    port->SetPortName("/dev/ttyUSB0");
    port->SetBaudRate(115200);
    port->SetParity(2);
    port->SetDataBits(7);
    port->SetStopBits(2);
    port->SetFlowControl(2);
    cable->SetConnection(port);
    app.Sites().AddTail(cable);

    auto* dial = new CSiteConnection;
    dial->SetName("Dial Site");
    auto* line = new CModemConnection;
    line->SetModemId(modem->GetId());
    line->SetTelephoneNumber("555-0199");
    line->SetConnectTimeout(90);
    line->SetPortName("COM3");
    line->SetBaudRate(9600);
    line->SetFlowControl(1);
    dial->SetConnection(line);
    app.Sites().AddTail(dial);

    auto* phone = new CSiteConnection;
    phone->SetName("Phone Site");
    auto* tapi = new CTAPIModemConnection;
    tapi->SetDeviceId(0xFEDCBA98u);
    tapi->SetTelephoneNumber("1 800 555");
    tapi->SetConnectTimeout(200);
    phone->SetConnection(tapi);
    app.Sites().AddTail(phone);

    auto* net = new CSiteConnection;
    net->SetName("Net Site");
    auto* tcp = new CTCPConnection;
    tcp->SetAddress("analyzer.example");
    tcp->SetPort(3000);
    net->SetConnection(tcp);
    app.Sites().AddTail(net);

    auto* full = new CInstrumentConnection;
    full->SetName("T200 Stack");
    full->SetSiteId(dial->GetId());
    full->SetInstrumentId(700);
    full->SetUseInstrumentId(true);
    full->SetPort(CInstrumentConnection::PORT_CUSTOM);
    full->SetModeVarName("COM2_MODE");
    full->SetPassword(818);
    full->SetUsePassword(true);
    full->SetAutoDisconnectMinutes(15);
    full->SetAutoDisconnect(true);
    full->SetSelectCode(std::string("\x1B"
                                    "A\\\"\x00\xFF",
                                    6));
    full->SetUseSelect(true);
    full->SetDeselectCode("\x1B"
                          "B");
    full->SetUseDeselect(true);
    full->SetReceiveTimeout(4500);
    full->SetTransmitDelay(20);
    app.Instruments().AddTail(full);

    auto* plain = new CInstrumentConnection;
    plain->SetName("M300 Plain");
    plain->SetSiteId(net->GetId());
    app.Instruments().AddTail(plain);
}

} // namespace config_test
