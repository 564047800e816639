#ifndef CHANNEL_POWER_H
#define CHANNEL_POWER_H

// Both modes begin from a channel that is off, stopped and reset.
void switchOffChannel(int chDevice);

#endif
