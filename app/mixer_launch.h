#pragma once
// Select Input: the system's volume mixer, started by program name and left to run on its own.

// Starts "pavucontrol", or, where it is not installed, "alsamixer" in a terminal. Failures are
// silent; the started program is never waited for and leaves no zombie.
void StartVolumeMixer();
