#pragma once

#include <QString>

// The program's standard output, where its reports and result lines go. Each
// text is written whole and at once, unbuffered, so that a process reading
// the pipe sees every line when it happens. Once the reader has gone away
// (EPIPE), no further line is written: the program goes on without its
// output. Any other failure (a non-blocking output that is full, a write
// interrupted by a signal, a full disk) loses the rest of that line alone.
// SIGPIPE must be ignored for a closed pipe to fail the write rather than
// end the process. Safe from any thread.
namespace StandardOutput {

// Writes the text and a line feed.
void printLine(const QString& text);

} // namespace StandardOutput
