#include "connections/SiteWorker.h"

#include <chrono>

CSiteWorker::CSiteWorker(Runner run, size_t queueLimit)
    : m_run(std::move(run)), m_limit(queueLimit) {}

CSiteWorker::~CSiteWorker() {
    Quit();
    if (!m_thread.joinable())
        return;
    if (IsWorkerThread())
        m_thread.detach(); // ending on its own thread: it returns right after this
    else
        m_thread.join();
}

void CSiteWorker::Start() {
    // The queue exists before the thread does, so nothing posted right after the start is
    // lost.
    std::lock_guard<std::mutex> guard(m_lock);
    if (m_thread.joinable() || m_finished)
        return;
    m_thread = std::thread([this] { Run(); });
    m_threadId.store(m_thread.get_id());
}

bool CSiteWorker::Post(SiteRequest& request) {
    {
        std::lock_guard<std::mutex> guard(m_lock);
        if (m_finished || m_quit || m_stop.load() || m_queue.size() >= m_limit)
            return false;
        m_queue.push_back(std::move(request));
    }
    m_changed.notify_all();
    return true;
}

void CSiteWorker::Wake() {
    { std::lock_guard<std::mutex> guard(m_lock); }
    m_changed.notify_all();
}

void CSiteWorker::Quit() {
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_quit = true;
    }
    m_changed.notify_all();
}

bool CSiteWorker::IsFinished() const {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_finished;
}

std::deque<SiteRequest> CSiteWorker::TakeQueued() {
    std::deque<SiteRequest> taken;
    std::lock_guard<std::mutex> guard(m_lock);
    taken.swap(m_queue);
    return taken;
}

void CSiteWorker::Abandon() {
    Quit();
    std::lock_guard<std::mutex> guard(m_lock);
    if (m_thread.joinable())
        m_thread.detach();
}

size_t CSiteWorker::Pending() const {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_queue.size();
}

bool CSiteWorker::WaitFinished(unsigned timeoutMs) {
    if (IsWorkerThread())
        return false;
    {
        std::unique_lock<std::mutex> guard(m_lock);
        if (!m_thread.joinable() && !m_finished)
            return true; // never started
        if (!m_changed.wait_for(guard, std::chrono::milliseconds(timeoutMs),
                                [&] { return m_finished; }))
            return false;
    }
    if (m_thread.joinable())
        m_thread.join();
    return true;
}

void CSiteWorker::Run() {
    for (;;) {
        const bool stop = m_stop.load();
        SiteRequest request;
        {
            std::unique_lock<std::mutex> guard(m_lock);
            if (!stop) {
                m_changed.wait(guard, [&] { return m_quit || m_stop.load() || !m_queue.empty(); });
                if (m_quit)
                    break;
                if (m_stop.load())
                    continue; // the link closed meanwhile: what is queued is dropped
            } else {
                // Only requests already queued are taken, and none of them runs.
                while (!m_queue.empty() && !IsRequest(m_queue.front().message))
                    m_queue.pop_front();
                if (m_queue.empty() || m_quit)
                    break;
            }
            request = std::move(m_queue.front());
            m_queue.pop_front();
        }
        // Other messages are ignored; while stopping, connects, disconnects, refreshes and
        // key presses are dropped and a transfer's block is only freed.
        if (!IsRequest(request.message) || stop)
            continue;
        m_run(request);
        // The block goes with the request, whatever the call did.
    }
    std::deque<SiteRequest> left;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        left.swap(m_queue);
        m_finished = true;
    }
    left.clear();
    m_changed.notify_all();
}
