// Start-up greeting, the main event loop and the program state reset.
#pragma once

// Raised by operations that want the loop to re-detect the programmer box.
extern int ResetCounter;

// Puts every shared object back to its start-up value (numbers 0, texts
// empty, the shared arrays zero-filled).
void ResetProgramState();

// Start-up after the window exists: logs "Welcome Quelvox user".
void GreetUser();

// Runs until the window's close event; returns the process exit code (0).
int RunMainLoop();
