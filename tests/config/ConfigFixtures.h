#pragma once
// Configuration-file test helpers: an application with the archived classes registered and a
// small network with every kind of transport.

#include "app/NetworkConfigText.h"
#include "app/NetworkConfiguration.h"
#include "connections/CommPortConnection.h"
#include "connections/ModemConnection.h"
#include "connections/ModemSettings.h"
#include "connections/SiteConnection.h"
#include "connections/TAPIModemConnection.h"
#include "connections/TCPConnection.h"
#include "instruments/InstrumentConnection.h"
#include "model/InstrumentKeywords.h"
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
// and instruments with every optional field set on the first and none on the second, as the
// text form writes them.
inline const char* const kNetworkText = "\r\nMODEM_NAME = \"Hayes\"\r\n"
                                        "  MODEM_TONE_DIAL = \"ATDT9,\"\r\n"
                                        "  MODEM_ESCAPE = \"+++\"\r\n"
                                        "  MODEM_HANGUP = \"ATH0\"\r\n"
                                        "  MODEM_INITIALIZATION_STRING = \"AT&F E0\"\r\n"
                                        "  MODEM_RESET = \"ATZ\"\r\n"
                                        "  MODEM_OK = \"OK\"\r\n"
                                        "  MODEM_CONNECT = \"CONNECT 9600\"\r\n"
                                        "\r\nSITE_NAME = \"Cable Site\"\r\n"
                                        "  SITE_CONN_TYPE = DIRECTCABLE\r\n"
                                        "  SITE_COMM_PORT = \"/dev/ttyUSB0\"\r\n"
                                        "  SITE_BAUD_RATE = 115200\r\n"
                                        "  SITE_PARITY_MODE = 2\r\n"
                                        "  SITE_DATA_BITS = 7\r\n"
                                        "  SITE_STOP_BITS = 2\r\n"
                                        "  SITE_XON_XOFF = 2\r\n"
                                        "\r\nSITE_NAME = \"Dial Site\"\r\n"
                                        "  SITE_CONN_TYPE = BUILTINMODEM\r\n"
                                        "  SITE_MODEM = \"Hayes\"\r\n"
                                        "  SITE_TELEPHONE = \"555-0199\"\r\n"
                                        "  SITE_CONNECT_TIMEOUT = 90\r\n"
                                        "  SITE_COMM_PORT = \"COM3\"\r\n"
                                        "  SITE_BAUD_RATE = 9600\r\n"
                                        "  SITE_PARITY_MODE = 0\r\n"
                                        "  SITE_DATA_BITS = 8\r\n"
                                        "  SITE_STOP_BITS = 0\r\n"
                                        "  SITE_XON_XOFF = 1\r\n"
                                        "\r\nSITE_NAME = \"Phone Site\"\r\n"
                                        "  SITE_CONN_TYPE = WINDOWSMODEM\r\n"
                                        "  SITE_MODEM = -19088744\r\n"
                                        "  SITE_TELEPHONE = \"1 800 555\"\r\n"
                                        "  SITE_CONNECT_TIMEOUT = 200\r\n"
                                        "\r\nSITE_NAME = \"Net Site\"\r\n"
                                        "  SITE_CONN_TYPE = TCPIP\r\n"
                                        "  SITE_TCPIP_ADDRESS = \"analyzer.example\"\r\n"
                                        "  SITE_TCPIP_PORT = 3000\r\n"
                                        "\r\nINST_NAME = \"T200 Stack\"\r\n"
                                        "  INST_ID = 700\r\n"
                                        "  INST_PORT = 2\r\n"
                                        "  INST_MODE_VAR_NAME = \"COM2_MODE\"\r\n"
                                        "  INST_SITE = \"Dial Site\"\r\n"
                                        "  INST_PASSWORD = 818\r\n"
                                        "  INST_AUTO_DISCONNECT = 15\r\n"
                                        "  INST_SELECT = \"\\x1B\\x41\\\\\\x22\\x00\\xFF\"\r\n"
                                        "  INST_DESELECT = \"\\x1B\\x42\"\r\n"
                                        "  INST_RECV_TIMEOUT = 4500\r\n"
                                        "  INST_XMIT_DELAY = 20\r\n"
                                        "\r\nINST_NAME = \"M300 Plain\"\r\n"
                                        "  INST_PORT = 0\r\n"
                                        "  INST_SITE = \"Net Site\"\r\n"
                                        "  INST_RECV_TIMEOUT = 2000\r\n"
                                        "  INST_XMIT_DELAY = 0\r\n";

inline void BuildNetwork(CVANTIQApp& app) {
    std::string message;
    ASSERT_EQ(CNetworkConfigText::LoadBytes(app, kNetworkText, "net.cfx", message),
              CNetworkConfigText::LoadResult::Loaded)
        << message;
}

} // namespace config_test
