#pragma once

#include <cstddef>
#include <functional>

// Splits [0, count) into one contiguous range per processor core (at least minPerWorker items each) and runs
// body(begin, end, worker) for each range, the last one on the calling thread. Returns when all are done.
// worker numbers run from 0 to WorkersFor(count, minPerWorker) - 1.
std::size_t WorkersFor(std::size_t count, std::size_t minPerWorker);
void ParallelFor(std::size_t count, std::size_t minPerWorker,
                 const std::function<void(std::size_t begin, std::size_t end, std::size_t worker)>& body);
