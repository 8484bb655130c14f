// Puts the programmer link back to its start-up state: port closed, buffers
// zero-filled, no PES decoded.
#pragma once

void ResetProgrammerState();
