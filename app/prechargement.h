#pragma once

#include <future>

// Work the first window needs that can run on other threads while the main one goes on.
// Waiting on each result before building the window keeps anything from being done twice.

// Reads the system's font configuration (the first text laid out needs it) while the
// connection to the display is made: call it before the application object. Nothing is done
// where the platform does not use fontconfig.
std::future<void> PrechargeConfigurationPolices();

// Lists the fonts, installs the substitutes and draws the tool bars' images while the
// single-copy check runs: call it once the application object exists.
std::future<void> PrepareFenetre();
