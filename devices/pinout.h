// Text renderers for the log: the chip diagram the compiler left in the
// design's .doc file, the package pinout of the selected device, and the
// pull-ups the programmer reported.
#pragma once

#include <cstdint>

// The pull-up kind of the chip in the programmer: 0 none, 1 pull-ups, 2 pin keeper.
extern std::int64_t PullUpMode;

// Copies the drawing from the .doc file beside CurrentDesignPath, framed;
// silent when there is no such file.
void ShowChipDiagram();

// Draws the selected device as a DIP with a name beside every pin; output
// pins are named by the OLMC analysis. Nothing when no device is selected.
void ShowPinout();

void ShowPullUps();
