#pragma once

#include <optional>

// The two command-line render modes: draw the settings view, or capture the
// settings window, to a PNG file, print one line and exit with status 0. They
// build their own settings store and nothing of the normal start.
namespace RenderModes {

// Runs the render the arguments ask for and returns the exit status; none
// when they ask for no render and the program should start normally. An
// option with no path prints the usage on standard error and returns 2,
// rendering nothing. Call before any application object exists.
std::optional<int> runIfRequested(int argc, char** argv);

} // namespace RenderModes
