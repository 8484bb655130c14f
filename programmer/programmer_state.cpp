// Putting the programmer link back to its start-up state.
#include "programmer/programmer_state.h"

#include "platform/serial_port.h"
#include "programmer/device_ops.h"
#include "programmer/link_buffers.h"
#include "programmer/pes.h"

void ResetProgrammerState() {
  TheSerialPort().Close();
  ResetLinkBuffers();
  ResetPesState();
  ResetDeviceOutcome();
}
