#pragma once
// The worker thread of a site while its link is in use: one thread with its own queue of
// requests (1025..1033), run one at a time in posting order. The site owns the worker and
// sets its stop flag when the link closes or fails to open; from then on the thread takes
// only what is already queued, drops it (freeing the transfer blocks) and ends.

#include "instruments/SiteLink.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

struct SiteRequest {
    unsigned message = 0;
    uint32_t instrumentId = 0;
    uintptr_t wParam = 0;
    std::unique_ptr<InstrumentRequest> block; // transfers only; freed with the request
};

class CSiteWorker {
public:
    static constexpr unsigned kFirstRequest = 1025;
    static constexpr unsigned kLastRequest = 1033;

    using Runner = std::function<void(SiteRequest&)>;

    // run is called on the worker thread for every request taken while the stop flag is
    // clear. At most queueLimit requests wait at a time.
    CSiteWorker(Runner run, size_t queueLimit);
    // Joins the thread (see Stop).
    ~CSiteWorker();
    CSiteWorker(const CSiteWorker&) = delete;
    CSiteWorker& operator=(const CSiteWorker&) = delete;

    void Start();
    // Queues a request (moved from only when queued); false once the thread has ended or
    // is ending, or while the queue is full.
    bool Post(SiteRequest& request);
    // The link has closed: take what is queued without waiting, drop it and end.
    void SetStop() {
        m_stop.store(true);
        Wake();
    }
    bool IsStopped() const { return m_stop.load(); }
    // Ends the thread at the next request boundary, dropping what is queued.
    void Quit();
    // Waits for the thread to end, at most timeoutMs; true if it has. Then joins it.
    bool WaitFinished(unsigned timeoutMs);
    bool IsFinished() const;
    bool IsWorkerThread() const { return std::this_thread::get_id() == m_threadId.load(); }
    // Requests waiting.
    size_t Pending() const;
    // Takes the requests waiting out of the queue.
    std::deque<SiteRequest> TakeQueued();
    // Gives up on a thread that did not end in time: it is left to run out on its own (the
    // caller keeps this object alive for it).
    void Abandon();

private:
    static bool IsRequest(unsigned message) {
        return message >= kFirstRequest && message <= kLastRequest;
    }
    void Wake();
    void Run();

    Runner m_run;
    size_t m_limit;
    std::atomic<bool> m_stop{false};
    mutable std::mutex m_lock;
    std::condition_variable m_changed;
    std::deque<SiteRequest> m_queue;
    bool m_quit = false;
    bool m_finished = false;
    std::thread m_thread;
    std::atomic<std::thread::id> m_threadId{};
};
