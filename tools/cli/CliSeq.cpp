// seq get [INSTRUMENT] [-o FILE]: connect, fetch the sequences, write the script file form
// (stdout without -o), disconnect.
// seq send [INSTRUMENT] FILE: load a sequence script file, connect, send it, disconnect.

#include "CliCommand.h"
#include "CliContext.h"
#include "CliSession.h"

#include "base/MessageTarget.h"
#include "instruments/Capabilities.h"
#include "instruments/InstrumentConnection.h"
#include "sequences/SequenceScript.h"
#include "sequences/SequenceTransfer.h"

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <mutex>

namespace {

// Stands in for the sequence window: takes the transfer's messages and lets the main thread
// wait for its result.
class TransferWindow : public MessageTarget {
public:
    void Post(unsigned message, uintptr_t, intptr_t) override {
        std::lock_guard<std::mutex> g(m_lock);
        ++m_messages;
        if (message == MSG_SEQ_FETCH_DONE || message == MSG_SEQ_SEND_DONE)
            m_result = 1;
        else if (message == MSG_SEQ_FETCH_FAILED || message == MSG_SEQ_SEND_FAILED)
            m_result = 0;
        m_changed.notify_all();
    }
    // 1 success, 0 failure, -1 when nothing at all was heard for `quiet` (the worker is stuck
    // beyond every time-out it was given). Each progress message starts the wait again.
    int Wait(std::chrono::milliseconds quiet) {
        std::unique_lock<std::mutex> g(m_lock);
        for (;;) {
            const size_t seen = m_messages;
            if (m_changed.wait_for(g, quiet, [&] { return m_result >= 0 || m_messages != seen; })) {
                if (m_result >= 0)
                    return m_result;
                continue;
            }
            return -1;
        }
    }

private:
    std::mutex m_lock;
    std::condition_variable m_changed;
    size_t m_messages = 0;
    int m_result = -1;
};

// Runs one sequence transfer on the connected instrument; false once the failure is on stderr.
bool Transfer(CliContext& context, CInstrumentConnection& inst, bool send) {
    if (!inst.HasCapability(CAP_CAL_SCRIPT)) {
        context.Fail("Instrument " + inst.GetName() +
                     " does not keep calibration sequences (it has no sequence script command).");
        return false;
    }
    TransferWindow window;
    const bool posted =
        send ? inst.RequestSendSequences(&window) : inst.RequestFetchSequences(&window);
    // The longest single wait of a transfer is the send's confirmation; reads in a listing
    // each wait at most the receive time-out.
    const auto quiet = std::chrono::milliseconds(10000 + 3 * inst.GetReceiveTimeout() +
                                                 inst.GetTransmitDelay() + 10000);
    const int result = posted ? window.Wait(quiet) : 0;
    if (result < 0) {
        context.Fail("Timed out waiting for response from instrument.");
        std::_Exit(CLI_FAILED);
    }
    if (result == 0)
        context.Fail(std::string(send ? "Sending the sequences to" : "Fetching the sequences of") +
                     " instrument " + inst.GetName() + " failed.");
    return result == 1;
}

int RunGet(CliContext& context, const std::vector<std::string>& args) {
    if (args.size() > 1) {
        context.UsageError("seq get takes at most one instrument name");
        return CLI_USAGE;
    }
    CInstrumentConnection* inst = context.FindInstrument(args.empty() ? "" : args[0]);
    if (!inst)
        return CLI_USAGE;
    CliSession session(context, *inst);
    if (!session.Connect() || !Transfer(context, *inst, false))
        return CLI_FAILED;
    session.Disconnect();
    const std::optional<std::string>& output = context.Options().das.output;
    if (output)
        return SaveSequenceScript(*inst, *output) ? CLI_OK : CLI_FAILED;
    const std::string script = BuildSequenceScript(*inst, kSequenceFileFlags);
    std::fwrite(script.data(), 1, script.size(), context.Out());
    std::fflush(context.Out());
    return CLI_OK;
}

int RunSend(CliContext& context, const std::vector<std::string>& args) {
    if (args.empty() || args.size() > 2) {
        context.UsageError("seq send needs a script file (seq send [INSTRUMENT] FILE)");
        return CLI_USAGE;
    }
    const std::string name = args.size() == 2 ? args[0] : std::string();
    const std::string& path = args.back();
    CInstrumentConnection* inst = context.FindInstrument(name);
    if (!inst)
        return CLI_USAGE;
    // A file that does not read is reported (on stderr) before anything is sent.
    if (!LoadSequenceScript(*inst, path))
        return CLI_FAILED;
    CliSession session(context, *inst);
    if (!session.Connect() || !Transfer(context, *inst, true))
        return CLI_FAILED;
    session.Disconnect();
    return CLI_OK;
}

} // namespace

int RunSeqGetCommand(CliContext& context, const std::vector<std::string>& args) {
    return RunGet(context, args);
}

int RunSeqSendCommand(CliContext& context, const std::vector<std::string>& args) {
    return RunSend(context, args);
}
