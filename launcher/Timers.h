// The splash window's two timers.
#pragma once

inline constexpr unsigned kTimer1IntervalMs = 2000;  // on at start: the launch sequence
inline constexpr unsigned kTimer2IntervalMs = 30000; // off at start: the server watch
