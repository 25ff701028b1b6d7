// Timing of "rul-quor.s3m": one speed and tempo for the whole song and no
// pattern breaks or jumps, so every order lasts the same and its start time
// follows from its number. Shared with the tests that check players agree.
#pragma once

// The module's file name, beside the program and in its data folder.
#define MUS_FILE_NAME "rul-quor.s3m"

constexpr int kMusSpeed = 6;    // ticks per row
constexpr int kMusTempo = 125;  // a tick lasts 2.5 / 125 s = 20 ms
constexpr int kMusRowsPerOrder = 64;
constexpr int kMusOrders = 28;          // entries of the order list
constexpr int kMusTimelineOrders = 27;  // orders 0..26 carry the presentation; it ends as order 26 begins
constexpr int kMusFadeOrder = 25;       // orders 25 and 26 fade out

constexpr double musRowSeconds() { return kMusSpeed * 2.5 / kMusTempo; }  // 0.12 s
constexpr double musOrderStartSeconds(int order) { return order * kMusRowsPerOrder * musRowSeconds(); }
