#include "platform/rt/worker_pool.h"

WorkerPool::WorkerPool(unsigned threads) {
    for (unsigned i = 1; i < threads; ++i) m_workers.emplace_back([this] { WorkerLoop(); });
}

WorkerPool::~WorkerPool() {
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_all();
    for (std::thread& worker : m_workers) worker.join();
}

void WorkerPool::Drain() {
    for (std::size_t i = m_next.fetch_add(1); i < m_count; i = m_next.fetch_add(1)) (*m_task)(i);
}

void WorkerPool::Run(std::size_t count, const std::function<void(std::size_t)>& task) {
    {
        std::lock_guard lock(m_mutex);
        m_task = &task;
        m_count = count;
        m_next.store(0);
        m_busy = static_cast<unsigned>(m_workers.size());
        ++m_generation;
    }
    m_wake.notify_all();
    Drain();
    // Every worker leaves the job before the task it points at goes out of scope.
    std::unique_lock lock(m_mutex);
    m_done.wait(lock, [this] { return m_busy == 0; });
    m_task = nullptr;
}

void WorkerPool::WorkerLoop() {
    unsigned seen = 0;
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [&] { return m_stop || m_generation != seen; });
        if (m_stop) return;
        seen = m_generation;
        lock.unlock();
        Drain();
        lock.lock();
        if (--m_busy == 0) m_done.notify_one();
    }
}
