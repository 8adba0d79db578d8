// Work spread over a few threads whose results are taken in order: what the
// archive copies and verify share.
#pragma once

#include <cstddef>
#include <functional>

namespace z5 {

// Threads for copying many files at once: one per core, at most four (more
// wait on the same disk).
unsigned copyThreads();

// Runs work(i, worker) for i = 0 .. count-1 on up to `threads` threads
// (`worker` numbers the thread, from 0), and finish(i) on the calling thread
// in order of i, each after work(i) has returned. Work runs at most `ahead`
// items beyond the last one finished, which bounds what finished work may
// hold (open files) while it waits. A throw from work(i) is rethrown here in
// place of finish(i); after a throw no further work starts, the work under
// way completes, and finish is called no more. With one thread, work(i, 0)
// and finish(i) simply alternate.
void runInOrder(std::size_t count, unsigned threads, std::size_t ahead,
                const std::function<void(std::size_t, unsigned)>& work,
                const std::function<void(std::size_t)>& finish);

}  // namespace z5
