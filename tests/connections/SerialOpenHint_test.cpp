#include "connections/CommPortConnection.h"
#include "connections/SiteConnection.h"
#include "instruments/InstrumentConnection.h"
#include "platform/PosixSerialPort.h"
#include "platform/SerialPort.h"
#include "support_lib/Fakes.h"

#include <cerrno>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

// A site whose cable cannot be opened shows why on the display's second line.
TEST(SerialOpenHint, ASiteThatCannotOpenItsPortSaysWhy) {
    TestApp app;
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master, 0);
    ASSERT_EQ(::grantpt(master), 0);
    ASSERT_EQ(::unlockpt(master), 0);
    const std::string pty = ::ptsname(master);
    PosixSerialPort holder(pty); // another opener holds the port
    ASSERT_TRUE(holder.Open());
    const std::string missing = "/dev/gasquill-no-such-port";

    const struct {
        std::string port;
        std::string second;
    } rows[] = {
        {pty, "Port busy: another program holds it."},
        {missing, "No such port: is the adapter plugged in?"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.port);
        CSiteConnection site;
        site.SetName("Bench");
        auto* cable = new CCommPortConnection;
        cable->SetPortName(r.port);
        site.SetConnection(cable);
        CInstrumentConnection inst;
        site.OpenLink(&inst);
        EXPECT_FALSE(site.IsConnected());
        const std::string first = "Unable to connect to site Bench.";
        EXPECT_EQ(inst.GetDisplayText(), first + std::string(40 - first.size(), ' ') + r.second);
    }
    ::close(master);
    // Run as root here, so the permission case is only asked of the hint itself.
    EXPECT_EQ(SerialPort::OpenErrorHint(EACCES), "No permission: join the dialout group.");
    EXPECT_EQ(SerialPort::OpenErrorHint(EIO), "");
}

} // namespace
