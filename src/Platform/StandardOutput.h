#pragma once

#include <QString>

// The program's standard output, where its reports and result lines go. Each
// text is written whole and flushed at once, so that a process reading the
// pipe sees every line when it happens. Once a write fails (a reader that
// went away, a full disk), no further line is written: the program goes on
// without its output. SIGPIPE must be ignored for a closed pipe to fail the
// write rather than end the process. Safe from any thread.
namespace StandardOutput {

// Writes the text and a line feed.
void printLine(const QString& text);

} // namespace StandardOutput
