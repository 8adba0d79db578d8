#include "platform/inorder.hpp"

#include <algorithm>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <stop_token>
#include <system_error>
#include <thread>
#include <vector>

#include "platform/files_system.hpp"

namespace z5 {

unsigned copyThreads() {
    return std::clamp(std::thread::hardware_concurrency(), 1u, 4u);
}

void runInOrder(std::size_t count, unsigned threads, std::size_t ahead,
                const std::function<void(std::size_t, unsigned)>& work,
                const std::function<void(std::size_t)>& finish) {
    auto alone = [&] {
        for (std::size_t i = 0; i < count; ++i) {
            work(i, 0);
            finish(i);
        }
    };
    threads = static_cast<unsigned>(std::min<std::size_t>(threads, count));
    if (threads <= 1) return alone();
    ahead = std::max<std::size_t>(ahead, 1);

    std::mutex mutex;
    std::condition_variable_any windowOpen;  // the workers wait on it
    std::condition_variable itemDone;        // this thread waits on it
    std::size_t next = 0;                    // the next item to start
    std::size_t finished = 0;                // items finished, in order
    std::vector<char> done(count, 0);
    std::vector<std::exception_ptr> errors(count);

    auto worker = [&](std::stop_token stop, unsigned self) {
        // A signal is handled on the calling thread, never beside the work.
        files::blockTerminationSignals();
        std::unique_lock lock(mutex);
        while (
            windowOpen.wait(lock, stop, [&] { return next >= count || next < finished + ahead; }) &&
            !stop.stop_requested() && next < count) {
            const std::size_t i = next++;
            lock.unlock();
            std::exception_ptr error;
            try {
                work(i, self);
            } catch (...) {
                error = std::current_exception();
            }
            lock.lock();
            errors[i] = error;
            done[i] = 1;
            // Only the item finished next is waited for.
            if (i == finished) itemDone.notify_one();
        }
    };
    // However this function is left, every worker is asked to stop (no
    // further item starts) before the first one is joined.
    struct Pool : std::vector<std::jthread> {
        ~Pool() {
            for (std::jthread& t : *this) t.request_stop();
        }
    } pool;
    pool.reserve(threads);
    try {
        for (unsigned t = 0; t < threads; ++t) pool.emplace_back(worker, t);
    } catch (const std::system_error&) {
        // The system gave fewer threads: the ones started do all the work,
        // or this one alone.
        if (pool.empty()) return alone();
    }

    for (std::size_t i = 0; i < count; ++i) {
        {
            std::unique_lock lock(mutex);
            itemDone.wait(lock, [&] { return done[i] != 0; });
        }
        if (errors[i]) std::rethrow_exception(errors[i]);
        finish(i);
        std::lock_guard lock(mutex);
        finished = i + 1;
        windowOpen.notify_all();
    }
}

}  // namespace z5
