// Probing for the chip, decoding its PES and showing what was found.
#include "programmer/pes.h"

#include <algorithm>
#include <cstdio>

#include "base/message_log.h"
#include "devices/gal_device.h"
#include "devices/pinout.h"
#include "platform/window.h"
#include "programmer/link_buffers.h"
#include "programmer/link_operation.h"
#include "programmer/requests.h"
#include "programmer/supply.h"

std::string PesHexText;
std::string PesText;

namespace {

bool pesValid = true;
std::string linkNote;

constexpr int DeviceNotFound = -1;

bool IsProbedAtf(int code) {
  return code >= 128 && code <= 131;
}

int RowWidth() {
  return GalDevice.RowLength + GalDevice.AddressBits;
}

// The device type an ID byte stands for; the last probe's type for the IDs
// that confirm it.
int DeviceFromId(int id, int second, int probed) {
  switch (id) {
    case 0x01:
      if (second == 0x40) return 128;  // ATF16V8B
      if (second == 0x3F) return 130;  // ATF20V8
      if (second == 0x89) return 131;  // ATF22V10B
      return DeviceNotFound;
    case 0x40:
    case 0x66:
    case 0x8A:
      return probed;
    case 0x56:
      return 96;  // GAL20RA10
    case 0x2E:
      return 101;  // GAL20XV10
    case 0x80:
      return 88;  // GAL26CV12
    case 0x9C:
      return 93;  // GAL26V12C
    case 0x77:
      return 64;  // GAL6001
    default:
      return DeviceNotFound;
  }
}

std::string OneDecimal(float value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", static_cast<double>(value));
  return text;
}

int ReadAndDecodePesRow(LinkOperation& op) {
  if (!op.Ok(SendReadRequest(ReadPesRow, 0))) return 0;
  DecodePes(0);
  return 1;
}

// Step 7 of the identification: the PES type byte against the probed type.
void CheckPesAgainstProbe(int prev, int prevWidth) {
  bool bad = true;
  const int pesType = PesByte(2);
  if (SelectDevice(pesType) == 0) {
    SelectDevice(prev);
  } else if (prev == 32 && pesType != 32 && pesType != 58) {
    SelectDevice(58);  // GAL20V8AZ
  } else if (prev == 0 && pesType != 0 && pesType != 26) {
    SelectDevice(26);  // GAL16V8AZ
  } else if (RowWidth() == prevWidth) {
    bad = false;
  } else {
    SelectDevice(prev);
  }
  if (bad || RowWidth() != prevWidth) {
    pesValid = false;
    MessageLog("PES not valid", LevelError);
  }
}

void ShowIdentifiedDevice() {
  const GalDeviceRecord& d = GalDevice;
  MessageLog("Device: " + d.Name + " [" + d.Manufacturer + "]", LevelPlain);
  ShowPullUps();
  MessageLog("Vpp Supply: \t" + OneDecimal(CodeToVolts(d.VppProgCode)) + "V (prog.)\t\t" +
                 OneDecimal(CodeToVolts(d.VppReadCode)) + "V (read)",
             LevelPlain);
  MessageLog("Pulse Timing: \t" + std::to_string(d.ProgPulse) + "ms (prog.)\t\t" +
                 std::to_string(d.ErasePulse) + "ms (erase)",
             LevelPlain);
  MessageLog("PES: " + PesHexText, LevelPlain);
}

}  // namespace

int ProbeDevice(int code) {
  SelectDevice(code);
  GalDevice.VppReadCode = VppToCode(12.0f);
  if (SendReadSetup() == 0) return 0;
  PullUpMode = ReplyByte(0);
  return SendIdRequest() != 0 ? 1 : 0;
}

int IdentifyByProbing() {
  LinkOperation op;
  if (!op.Ok(ProbeDevice(0))) return 0;  // GAL16V8
  for (int code : {80, 32, 72, 64, 129}) {
    if (ReplyByte(0) != 0) break;
    if (!op.Ok(ProbeDevice(code))) return 0;
  }
  const int found = DeviceFromId(ReplyByte(0), ReplyByte(1), GalDevice.DeviceCode);
  if (found == DeviceNotFound) {
    MessageLog("No GAL found!", LevelError);
    return 0;
  }
  if (found != GalDevice.DeviceCode) SelectDevice(found);
  return 1;
}

std::string DecodePes(int mode) {
  if (mode == 2) return PesHexText;
  if (mode == 1) {
    static const char* const atfTexts[] = {"1F16V8B",  "1F16V8C",  "1F16V8Z", "1F20V8B",
                                           "1F22V10C", "1F22V10Z", "1F22V10B"};
    if (PesText.empty()) return "";
    const std::string t = PesText.substr(0, PesText.size() - 1);
    if (std::find(std::begin(atfTexts), std::end(atfTexts), t) == std::end(atfTexts)) return "";
    // "1F16V8B" plus one character names the ATF16V8B.
    GalDevice.Name = "ATF" + PesText.substr(2, PesText.size() - 3);
    return GalDevice.Name;
  }
  const int count = std::max(0, (GalDevice.RowLength - GalDevice.PesBitOffset) / 8);
  PesBytes.assign(static_cast<std::size_t>(count) + 1, 0);
  PesHexText.clear();
  PesText.clear();
  for (int i = 0; i < count; ++i) {
    int byte = 0;
    for (int k = 0; k < 8; ++k) byte |= (ReplyByte(GalDevice.PesBitOffset + 8 * i + k) & 1) << k;
    PesBytes[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(byte);
    static constexpr char digits[] = "0123456789ABCDEF";
    PesHexText += {digits[(byte >> 4) & 15], digits[byte & 15], ' '};
    PesText += static_cast<char>(byte);
  }
  std::erase(PesText, static_cast<char>(0xFF));
  std::reverse(PesText.begin(), PesText.end());
  return "";
}

int ReadPes() {
  LinkOperation op;
  pesValid = true;
  TheWindow().ClearPane(Pane::Log);
  if (!linkNote.empty()) MessageLog(linkNote, LevelPlain);
  if (IdentifyByProbing() == 0) {
    op.Stopped();  // puts the selection back when the link failed
    return 0;
  }
  if (!op.Ok(SendReadSetup()) || !ReadAndDecodePesRow(op)) return 0;

  const int prev = GalDevice.DeviceCode;
  const int prevWidth = RowWidth();
  if (IsProbedAtf(prev)) {
    // An ATF22V10C answers the probe as a B type, and its PES reads back
    // garbled until a request carries its device flag.
    if (DecodePes(1).empty() && prev == 131) {
      SelectDevice(132);
      if (!ReadAndDecodePesRow(op)) return 0;
      DecodePes(1);
    }
  } else {
    CheckPesAgainstProbe(prev, prevWidth);
  }
  ComputeSupplyAndTiming();
  ShowIdentifiedDevice();
  return 1;
}

void SetLinkNote(const std::string& line) {
  linkNote = line;
}

bool LastPesValid() {
  return pesValid;
}

void ResetPesState() {
  pesValid = true;
  PesHexText.clear();
  PesText.clear();
}
