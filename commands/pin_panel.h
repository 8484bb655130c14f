// Tools > Simulate: the live pin simulation of the loaded map that the
// Simulate panel beside the window shows. It is held here while the panel is
// open, and made anew at power-up from every other map loaded meanwhile.
#pragma once

#include <optional>
#include <string>

#include "commands/command_result.h"
#include "logic/pin_simulation.h"

struct PinPanelState {
  bool Open = false;
  std::optional<PinSimulation> Simulation;  // none while the loaded map cannot be simulated
  std::string Note;                         // then why, as a line for the panel
};

// What the panel shows; the panel's own buttons step the simulation in it.
PinPanelState& ThePinPanel();

// Tools > Simulate: the loaded map at power-up in the panel, which opens or
// comes to the front. Without a map, or for a device the simulation does
// not know, the log says so and the panel stays shut.
CommandResult RunSimulatePanelCommand();

// At the end of every command: an open panel follows the loaded map when
// another one was loaded, compiled or read (or none is loaded any more).
void FollowLoadedMap();

// The user closed the panel: the simulation is let go.
void ClosePinPanel();

void ResetPinPanelState();
