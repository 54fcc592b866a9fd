// gasquill-sim: a simulated gas Monitor or Calibrator for demos and tests.

#include "sim/SimConfig.h"
#include "sim/SimServer.h"

#include <csignal>
#include <cstdio>
#include <unistd.h>

namespace {

int g_signalPipe[2] = {-1, -1};

void OnSignal(int) {
    const char b = 1;
    [[maybe_unused]] ssize_t w = ::write(g_signalPipe[1], &b, 1);
}

} // namespace

int main(int argc, char** argv) {
    SimConfig config;
    std::string message;
    bool helpOrVersion = false;
    if (!ParseSimArguments(argc, argv, config, message, helpOrVersion)) {
        std::fprintf(stderr, "gasquill-sim: %s\nTry gasquill-sim --help.\n", message.c_str());
        return 2;
    }
    if (helpOrVersion) {
        std::fputs(message.c_str(), stdout);
        return 0;
    }
    if (::pipe(g_signalPipe) != 0)
        return 1;
    std::signal(SIGPIPE, SIG_IGN);
    std::signal(SIGINT, OnSignal);
    std::signal(SIGTERM, OnSignal);

    SimServer server(config);
    if (!server.Start(message)) {
        std::fprintf(stderr, "gasquill-sim: %s\n", message.c_str());
        return 1;
    }
    if (config.link == SimConfig::Link::Tcp)
        std::printf("%u\n", static_cast<unsigned>(server.Port()));
    else
        std::printf("%s\n", server.PtyPath().c_str());
    std::fflush(stdout);

    char b;
    while (::read(g_signalPipe[0], &b, 1) < 0) {
    }
    server.Stop();
    return 0;
}
