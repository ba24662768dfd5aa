// Serial line settings through termios2, which carries any rate (custom ones included).
// On a pty master the kernel answers with the slave's settings, so the simulator learns
// the rate the bridge chose for its end of the "cable".
#pragma once

namespace meridox::ecrsim::posix {

// The output rate set on the line; 0 when it cannot be read.
int ReadLineSpeed(int fd);
// Raw 8N1, no flow control, both directions at `speed` (any value).
bool SetRawLine(int fd, int speed);

}  // namespace meridox::ecrsim::posix
