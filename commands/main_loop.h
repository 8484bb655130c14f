// Start-up greeting, the main event loop and the program state reset.
#pragma once

// Set to 0 at the start of every pass of the main loop. When a command has
// raised it to 2 or more, the loop re-detects the programmer box after the
// command, and ends the program when none answers. No command raises it.
extern int ResetCounter;

// Puts every shared object back to its start-up value (numbers 0, texts
// empty, the shared arrays zero-filled).
void ResetProgramState();

// Start-up after the window exists: logs "Welcome Quelvox user".
void GreetUser();

// Runs until the window's close event; returns the process exit code (0).
int RunMainLoop();
