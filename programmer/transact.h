// One request/reply exchange with the programmer box: break pulse, drain,
// one write, a 1 ms polling wait that keeps the window painted, and the
// trailer check of the reply.
#pragma once

class SerialPort;

constexpr int LinkTimeoutSeconds = 4;

// Writes CommandBuffer[0 .. length-1] and waits for expectedPayload + 4 bytes
// or the timeout. Returns the payload length L of an accepted reply (the
// ReplyBuffer then holds exactly L entries), or 0.
int Transact(int length, int expectedPayload, int timeoutSeconds);

// Break pulse, drain and write as Transact does, without waiting for a reply.
// For the end request after a failed exchange: its reply does not matter,
// and waiting for a box that went silent would only cost another timeout.
void SendWithoutWaiting(int length);

// Break on the transmit line for 1 ms, then 1 ms of quiet.
void BreakPulse(SerialPort& port);

// Sleeps through the platform clock; the link's unit of time is 1 ms.
void LinkSleepMs(int milliseconds);
