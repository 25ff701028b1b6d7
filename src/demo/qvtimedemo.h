// The timedemo (--timedemo): start-up time and every segment's drawing time as a table.
#pragma once
#include <chrono>
#include <cstdint>

struct qvOptions;

// Runs the timedemo and prints its table (and the JSON file when asked); returns the exit status.
int32_t qvTimedemo(qvOptions& opts, std::chrono::steady_clock::time_point processStart);
