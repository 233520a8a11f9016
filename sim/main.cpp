// zelta-sim: the module simulator as a program. See --help.
#include "io/SocketApi.h"
#include "sim/SimOptions.h"
#include "sim/SimServer.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <thread>

namespace {

volatile std::sig_atomic_t g_stop = 0;

extern "C" void OnSignal(int) {
    g_stop = 1;
}

} // namespace

int main(int argc, char** argv) {
    SimOptions options;
    std::string error;
    switch (ParseSimOptions(argc, argv, options, error)) {
    case SimParseResult::Help:
        std::fputs(SimHelpText().c_str(), stdout);
        return 0;
    case SimParseResult::Error:
        std::fprintf(stderr, "zelta-sim: %s (see --help)\n", error.c_str());
        return 2;
    case SimParseResult::Run:
        break;
    }

    SocketApi::Startup();
    std::signal(SIGINT, OnSignal);
    std::signal(SIGTERM, OnSignal);
    int rc = 0;
    {
        SimServer server(options);
        if (!server.Start()) {
            std::fprintf(stderr, "zelta-sim: %s\n", server.Error().c_str());
            rc = 1;
        } else {
            std::printf("zelta-sim listening on 127.0.0.1:%u (%s)\n",
                        static_cast<unsigned>(server.Port()), ModuleModeName(options.mode));
            std::fflush(stdout);
            while (g_stop == 0) {
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
            }
            server.Stop();
        }
    }
    SocketApi::Cleanup();
    return rc;
}
