#include "app/files/Parallel.h"

#include <algorithm>
#include <system_error>
#include <thread>
#include <vector>

std::size_t WorkersFor(std::size_t count, std::size_t minPerWorker)
{
    const std::size_t cores = std::clamp<std::size_t>(std::thread::hardware_concurrency(), 1, 16);
    const std::size_t byWork = std::max<std::size_t>(1, count / std::max<std::size_t>(1, minPerWorker));
    return std::min(cores, byWork);
}

void ParallelFor(std::size_t count, std::size_t minPerWorker,
                 const std::function<void(std::size_t, std::size_t, std::size_t)>& body)
{
    const std::size_t workers = WorkersFor(count, minPerWorker);
    std::vector<std::thread> threads;
    threads.reserve(workers - 1);
    const std::size_t step = count / workers;
    std::size_t begin = 0;
    for (std::size_t w = 0; w + 1 < workers; ++w, begin += step) {
        try {
            threads.emplace_back(body, begin, begin + step, w);
        } catch (const std::system_error&) {
            body(begin, begin + step, w); // no thread to be had: do the range here
        }
    }
    body(begin, count, workers - 1);
    for (std::thread& t : threads)
        t.join();
}
