// How long the installer's payload check takes: the CRC-32 of a payload of the given
// size (default 500 KB), 15 times; prints each time and the median in milliseconds.
// Not a test: bench/run-payload-check-bench.sh runs it under Wine.
#include "resource_check.h"
#include <algorithm>
#include <stdio.h>
#include <stdlib.h>
#include <vector>

int main(int argc, char** argv)
{
    const DWORD nSize = argc > 1 ? (DWORD)atol(argv[1]) : 500 * 1024;
    std::vector<BYTE> data(nSize);
    for (DWORD i = 0; i < nSize; ++i)
        data[i] = (BYTE)(i * 2654435761u >> 24);  // varied bytes, as compressed data is
    LARGE_INTEGER frequency, start, end;
    ::QueryPerformanceFrequency(&frequency);
    std::vector<double> times;
    DWORD nCrc = 0;
    for (int run = 0; run < 15; ++run) {
        ::QueryPerformanceCounter(&start);
        nCrc ^= ops::Crc32(data.data(), nSize);
        ::QueryPerformanceCounter(&end);
        times.push_back(1000.0 * (end.QuadPart - start.QuadPart) / frequency.QuadPart);
    }
    std::sort(times.begin(), times.end());
    printf("payload check of %lu bytes: median %.3f ms (fastest %.3f, slowest %.3f) [%08lx]\n", nSize, times[7],
           times[0], times[14], nCrc);
    return 0;
}
