#pragma once
// The few things the program asks of the operating system it runs on; each
// system has its own source file.

namespace corv::cli {

// Lets the C runtime hold at least 2048 files open (mono streams of many
// channels write one file each), as far as the system allows.
void raiseOpenFileLimit();

// Whether stderr is shown on a terminal (the progress bar is drawn only then).
bool stderrIsTerminal();

} // namespace corv::cli
