#pragma once

// What the benchmarks share: a desktop that must never be asked anything, and the figures they print.
#include "SilentPlatform.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

// Answers nothing: a question or message during a benchmark would mean the files did not match.
class BenchPlatform : public SilentPlatform
{
public:
    Answer showMessageBox(const std::string& text, int, const std::string&) override
    {
        std::fprintf(stderr, "unexpected message: %s\n", text.c_str());
        std::exit(2);
    }
    void endProgram(int) override { std::exit(3); }
};

inline double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

inline double msSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}
