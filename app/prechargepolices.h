#pragma once

#include <future>

// Starts reading the system's font configuration on another thread. The first text the window
// lays out needs it, and reading it takes several milliseconds that can overlap the connection
// to the display. Waiting on the result before building the window keeps it from being read
// twice. Does nothing where the platform does not use fontconfig.
std::future<void> PrechargeConfigurationPolices();
