#pragma once
// A persistent pool of worker threads that runs one job at a time over numbered tasks. The
// calling thread works too, and Run returns when every task has finished.

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

class WorkerPool {
public:
    explicit WorkerPool(unsigned threads);  // threads in all, the caller included (at least 1)
    ~WorkerPool();
    WorkerPool(const WorkerPool&) = delete;
    WorkerPool& operator=(const WorkerPool&) = delete;

    // task(i) for every i below count, each exactly once, on any of the threads.
    void Run(std::size_t count, const std::function<void(std::size_t)>& task);
    unsigned ThreadCount() const { return static_cast<unsigned>(m_workers.size()) + 1; }

private:
    void WorkerLoop();
    void Drain();

    std::vector<std::thread> m_workers;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_done;
    const std::function<void(std::size_t)>* m_task = nullptr;  // guarded by m_mutex
    std::size_t m_count = 0;
    std::atomic<std::size_t> m_next{0};
    unsigned m_generation = 0;  // guarded by m_mutex; a new job bumps it
    unsigned m_busy = 0;        // workers still inside the current job, guarded by m_mutex
    bool m_stop = false;
};
