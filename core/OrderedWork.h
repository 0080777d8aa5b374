#pragma once

// Jobs run on worker threads, their results taken back in the order the jobs
// were handed in. Extraction, folder conversion and export decode and encode
// on every core this way while the calling thread alone reads and writes the
// files, in the archive's or folder's order, so that what is written, and
// every message, is what one thread would give. At most `window` jobs are in
// flight: memory stays bounded however many members there are.

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>
#include <vector>

namespace zefir {

// As many workers as the machine has cores; 0 when it has one, where a
// worker beside the calling thread would only add hand-overs.
std::size_t DefaultWorkerCount();

template <typename Result> class OrderedWork {
public:
    // With 0 workers each job runs inside Submit, on the calling thread.
    explicit OrderedWork(std::size_t workers = DefaultWorkerCount(), std::size_t window = 0)
        : m_window(window ? window : 4 * (workers ? workers : 1))
    {
        m_workers.reserve(workers);
        for (std::size_t i = 0; i < workers; ++i)
            m_workers.emplace_back([this] { Work(); });
    }

    // Jobs not yet started are dropped, running ones finished and their
    // results discarded: an operation that fails stops at once.
    ~OrderedWork()
    {
        {
            std::lock_guard lock(m_mutex);
            m_stopping = true;
            m_queue.clear();
        }
        m_wake.notify_all();
        for (std::thread& worker : m_workers)
            worker.join();
    }

    OrderedWork(const OrderedWork&) = delete;
    OrderedWork& operator=(const OrderedWork&) = delete;

    // Whether Submit would go past the window; take a result first.
    bool Full() const { return m_inFlight.size() >= m_window; }
    bool Empty() const { return m_inFlight.empty(); }

    void Submit(std::function<Result()> job)
    {
        auto slot = std::make_unique<Slot>();
        Slot* target = slot.get();
        m_inFlight.push_back(std::move(slot));
        if (m_workers.empty()) {
            Run(*target, job);
            target->done = true;
            return;
        }
        {
            std::lock_guard lock(m_mutex);
            m_queue.emplace_back(target, std::move(job));
        }
        m_wake.notify_one();
    }

    // The oldest job's result, once it is there; what the job threw is
    // thrown here, in its turn.
    Result Next()
    {
        std::unique_ptr<Slot> slot = std::move(m_inFlight.front());
        m_inFlight.pop_front();
        {
            std::unique_lock lock(m_mutex);
            m_finished.wait(lock, [&] { return slot->done; });
        }
        if (slot->error)
            std::rethrow_exception(slot->error);
        return std::move(*slot->result);
    }

private:
    struct Slot {
        std::optional<Result> result;
        std::exception_ptr error;
        bool done = false; // guarded by m_mutex once a worker may hold the slot
    };

    static void Run(Slot& slot, std::function<Result()>& job)
    {
        try {
            slot.result.emplace(job());
        } catch (...) {
            slot.error = std::current_exception();
        }
    }

    void Work()
    {
        std::unique_lock lock(m_mutex);
        for (;;) {
            m_wake.wait(lock, [&] { return m_stopping || !m_queue.empty(); });
            if (m_stopping)
                return;
            auto [slot, job] = std::move(m_queue.front());
            m_queue.pop_front();
            lock.unlock();
            Run(*slot, job);
            lock.lock();
            slot->done = true;
            // Only the calling thread waits here, for the oldest job.
            m_finished.notify_one();
        }
    }

    const std::size_t m_window;
    std::deque<std::unique_ptr<Slot>> m_inFlight; // in the order handed in; the calling thread's
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_finished;
    std::deque<std::pair<Slot*, std::function<Result()>>> m_queue; // not started yet
    bool m_stopping = false;
    std::vector<std::thread> m_workers;
};

// Items gathered for one job. An icon is made in less time than a hand-over
// between threads costs, so a job takes a batch of them, bounded in items
// and in bytes, and the work a window of batches, which bounds the memory
// in flight however many items there are.
template <typename Item> class WorkBatch {
public:
    static constexpr std::size_t kItems = 32;
    static constexpr std::size_t kBytes = 64 * 1024;

    // The window of batches in flight for an OrderedWork of `workers`.
    static std::size_t Window(std::size_t workers) { return 2 * (workers ? workers : 1); }

    // Adds an item that holds `bytes` bytes; true once the batch is full.
    bool Add(Item item, std::size_t bytes)
    {
        m_bytes += bytes;
        m_items.push_back(std::move(item));
        return m_items.size() == kItems || m_bytes >= kBytes;
    }
    bool Empty() const { return m_items.empty(); }
    std::size_t Size() const { return m_items.size(); }

    // The items, shared, since a job is copyable and items holding files
    // are not; the batch is empty again.
    std::shared_ptr<std::vector<Item>> Take()
    {
        auto taken = std::make_shared<std::vector<Item>>(std::move(m_items));
        m_items.clear();
        m_bytes = 0;
        return taken;
    }

private:
    std::vector<Item> m_items;
    std::size_t m_bytes = 0;
};

} // namespace zefir
