// The request frames of the programmer link, built in the CommandBuffer from
// the selected device and sent with Transact. A builder writes only the bytes
// its request defines; the others keep what earlier requests left there, and
// travel along when they lie inside the frame.
#pragma once

#include <cstdint>

// Wire codes of the requests: the box echoes the code as the last byte of its reply.
constexpr int WireSetup = 1;
constexpr int WireEnd = 2;
constexpr int WireReadId = 3;
constexpr int WireReadRow = 5;
constexpr int WireWriteRow = 7;

// Every set-up request carries this device supply code (25600/143 rounded up).
constexpr std::uint8_t SupplyCode = 180;

// Read-row modes of SendReadRequest.
constexpr int ReadArrayRow = 0, ReadColumn = 1, ReadUesRow = 2, ReadPesRow = 3, ReadConfigRow = 4;
// Write-row modes of SendWriteRequest.
constexpr int WriteArrayRow = 0, WriteColumn = 1, WriteUesRow = 2, WritePesRow = 3, WriteConfigRow = 4,
              WriteErase = 5, WriteEraseAll = 6, WriteAuxRow = 7, WriteRow59 = 8;

// Each returns what Transact returned: the reply's payload length, or 0.
int SendReadSetup();         // 1, 7, 180, VppReadCode, DeviceCode, PinCount, 0
int SendProgrammingSetup();  // 1, 8, 180, VppProgCode, DeviceCode, PinCount, 1, VppReadCode
int SendEndRequest();        // 2, 2
int SendIdRequest();         // 3, 2
int SendReadRequest(int mode, int value);
int SendWriteRequest(int mode, int row, std::uint8_t flag);

// Fills the CommandBuffer as the builders do, without sending.
void BuildReadRequest(int mode, int value);
void BuildWriteRequest(int mode, int row, std::uint8_t flag);
