// The request builders of the programmer link.
#include "programmer/requests.h"

#include "devices/gal_device.h"
#include "programmer/link_buffers.h"
#include "programmer/transact.h"

namespace {

constexpr int SetupReplyLength = 16;

std::uint8_t Low(int value) {
  return static_cast<std::uint8_t>(value & 0xFF);
}

int SendFrame(int expectedPayload) {
  return Transact(CommandBuffer[1], expectedPayload, LinkTimeoutSeconds);
}

// Bytes 3 and 4 of an array-row request: a type with AddressBits 0 takes the
// row number directly in byte 3 (byte 4 then 0xFF); the others shift it in
// from byte 4 together with the row's data.
void PutRowAddress(int row) {
  const bool direct = GalDevice.AddressBits == 0;
  CommandBuffer[3] = direct ? Low(row) : 0;
  CommandBuffer[4] = direct ? 0xFF : Low(row);
}

void PutSpecialRow(int row, int shiftRow) {
  CommandBuffer[3] = Low(row);
  CommandBuffer[4] = Low(shiftRow);
}

// A write carrying bits data bytes from byte 10 on.
void PutDataLength(int bits) {
  CommandBuffer[1] = Low(bits + 10);
  CommandBuffer[2] = Low(bits);
}

}  // namespace

namespace {

// Both set-ups: supply, voltage, device type, pin count, and 0 for reading
// or 1 for programming in byte 6.
void PutSetup(int length, std::uint8_t vpp, std::uint8_t mode) {
  CommandBuffer[0] = WireSetup;
  CommandBuffer[1] = static_cast<std::uint8_t>(length);
  CommandBuffer[2] = SupplyCode;
  CommandBuffer[3] = vpp;
  CommandBuffer[4] = Low(GalDevice.DeviceCode);
  CommandBuffer[5] = GalDevice.PinCount;
  CommandBuffer[6] = mode;
}

}  // namespace

int SendReadSetup() {
  PutSetup(7, GalDevice.VppReadCode, 0);
  return SendFrame(SetupReplyLength);
}

int SendProgrammingSetup() {
  PutSetup(8, GalDevice.VppProgCode, 1);
  CommandBuffer[7] = GalDevice.VppReadCode;
  return SendFrame(SetupReplyLength);
}

int SendEndRequest() {
  CommandBuffer[0] = WireEnd;
  CommandBuffer[1] = 2;
  return SendFrame(SetupReplyLength);
}

int SendIdRequest() {
  CommandBuffer[0] = WireReadId;
  CommandBuffer[1] = 2;
  return SendFrame(SetupReplyLength);
}

void BuildReadRequest(int mode, int value) {
  const GalDeviceRecord& d = GalDevice;
  CommandBuffer[0] = WireReadRow;
  CommandBuffer[5] = d.AddressBits;
  CommandBuffer[6] = d.DeviceFlag;
  CommandBuffer[1] = 8;
  CommandBuffer[2] = d.RowLength;
  CommandBuffer[7] = 0;
  switch (mode) {
    case ReadArrayRow:
      PutRowAddress(value);
      break;
    case ReadColumn: {
      // Bytes 3, 4, 8 and 9 stay as the last request left them; the column
      // pattern from byte 10 on was written by the caller.
      const int bits = d.RowLength + d.AddressBits;
      CommandBuffer[1] = Low(bits + 10);
      CommandBuffer[2] = Low(bits);
      CommandBuffer[7] = Low(bits);
      break;
    }
    case ReadUesRow:
      PutSpecialRow(d.UesRow, d.UesShiftRow);
      break;
    case ReadPesRow:
      PutSpecialRow(d.PesRow, d.PesShiftRow);
      break;
    case ReadConfigRow:
      CommandBuffer[2] = d.ConfigBits;
      PutSpecialRow(d.ConfigRow, d.ConfigShiftRow);
      break;
    default:
      break;
  }
}

int SendReadRequest(int mode, int value) {
  BuildReadRequest(mode, value);
  return SendFrame(CommandBuffer[2]);
}

void BuildWriteRequest(int mode, int row, std::uint8_t flag) {
  const GalDeviceRecord& d = GalDevice;
  CommandBuffer[0] = WireWriteRow;
  CommandBuffer[5] = d.AddressBits;
  CommandBuffer[6] = d.DeviceFlag;
  CommandBuffer[7] = d.ProgPulse;
  CommandBuffer[8] = 0;
  CommandBuffer[9] = flag;
  // The data bits of modes 0 to 4 were placed from byte 10 on by the caller.
  switch (mode) {
    case WriteArrayRow:
      PutDataLength(d.RowLength);
      PutRowAddress(row);
      break;
    case WriteColumn:
      PutDataLength(d.RowLength + d.AddressBits);
      CommandBuffer[3] = Low(row);
      CommandBuffer[4] = 0xFF;
      CommandBuffer[8] = 0x80;
      break;
    case WriteUesRow:
      PutDataLength(d.RowLength);
      PutSpecialRow(d.UesRow, d.UesShiftRow);
      break;
    case WritePesRow:
      PutDataLength(d.RowLength);
      PutSpecialRow(d.PesRow, d.PesShiftRow);
      break;
    case WriteConfigRow:
      PutDataLength(d.ConfigBits);
      PutSpecialRow(d.ConfigRow, d.ConfigShiftRow);
      break;
    case WriteErase:
    case WriteEraseAll: {
      // Only 10 bits of the erase time travel: byte 7 the low 8, byte 8 two more.
      const bool all = mode == WriteEraseAll;
      CommandBuffer[1] = 11;
      CommandBuffer[2] = 1;
      CommandBuffer[3] = all ? d.EraseAllRow : d.EraseRow;
      CommandBuffer[4] = 0xFF;
      CommandBuffer[7] = Low(d.ErasePulse);
      CommandBuffer[8] = static_cast<std::uint8_t>((d.ErasePulse / 256) & 3);
      CommandBuffer[10] = all ? d.EraseAllFlag : d.EraseFlag;
      break;
    }
    case WriteAuxRow:
      CommandBuffer[1] = 11;
      CommandBuffer[2] = d.RowLength;
      PutSpecialRow(d.AuxRow, d.AuxShiftRow);
      CommandBuffer[10] = d.AuxFlag;
      break;
    case WriteRow59:
      CommandBuffer[1] = 11;
      CommandBuffer[2] = 1;
      PutRowAddress(59);
      CommandBuffer[10] = 0;
      break;
    default:
      break;
  }
}

int SendWriteRequest(int mode, int row, std::uint8_t flag) {
  BuildWriteRequest(mode, row, flag);
  return SendFrame(16);
}
