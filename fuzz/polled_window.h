// The tool's real window, made once for a whole fuzz run on the offscreen
// platform; its timer slots are invoked by name, as the timers reach them.
#ifndef POLLED_WINDOW_H
#define POLLED_WINDOW_H

namespace polled_window {

void create();
// One tick of the bus controller timer, or of the remote terminal timer.
void tick(bool remoteTerminal);
// Keeps the terminal, which grows with every tick, from filling the memory.
void clearTerminal();

} // namespace polled_window

#endif
