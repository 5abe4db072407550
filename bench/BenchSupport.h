// What the benchmarks share: clocks and percentiles, the emulator's request counts,
// and the CPU time and memory of a process.
#pragma once

#include "BoardProcess.h"

#include <orvexlink.h>

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

namespace pylox::bench {

// Points the settings and the runtime folder of this process and its children into
// home, so that a run neither reads nor leaves anything in the user's own.
void UseHome(const std::filesystem::path& home);

using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d);

// Throws with the reason (and errno's text) when ok is false.
void Check(bool ok, const std::string& what);

// The value below which the share q (0..1) of the samples lie; sorts them.
double Percentile(std::vector<double>& samples, double q);

// Median milliseconds of the library's status request over these parameters, with
// no pause between requests; the library must be loaded.
double LibraryRoundTrip(const TConnParams& params, int rounds);

// How many status requests the emulator has answered.
long StatusRequests(test::BoardProcess& board);

// CPU time (user + sys) in seconds and resident memory in kB of a process, from
// /proc; pid 0 is this process.
double CpuSeconds(pid_t pid = 0);
long ResidentKb(pid_t pid = 0);

} // namespace pylox::bench
