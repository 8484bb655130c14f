// Identifying the chip in the socket: probing a few device types for an ID
// byte, then reading and decoding its PES (Programmer's Electronic Signature),
// checking it against the probe and showing what was found.
#pragma once

#include <cstdint>
#include <string>

extern std::string PesHexText;  // "XX " per PES byte, upper-case hex
extern std::string PesText;     // PES bytes as characters, 0xFF dropped, reversed

// Selects code, sets the socket up for it, keeps byte 0 of the set-up reply
// as PullUpMode and asks for the ID bytes, which are left in the ReplyBuffer.
// Returns 0 as soon as an exchange fails.
int ProbeDevice(int code);

// 1 when a device type is selected from the ID byte. 0 when none was found
// ("No GAL found!") or the link failed (LinkOperationStopped() then tells).
int IdentifyByProbing();

// Mode 0 decodes the PES row in the ReplyBuffer into PesBytes, PesHexText
// and PesText and returns ""; mode 1 returns the ATF name spelled in the PES
// (and stores it in GalDevice.Name) or ""; mode 2 returns PesHexText.
std::string DecodePes(int mode);

// Identifies the chip, checks its PES, computes its supply and timing and
// logs five lines about it. 1 when a chip was identified and shown.
int ReadPes();

// A line ReadPes logs first, once it has started the log afresh: what the
// link reaches when it is no real programmer ("" logs nothing). Every
// programmer operation begins with ReadPes, so the line heads its log.
void SetLinkNote(const std::string& line);

// False when the last ReadPes found the PES disagreeing with the probe (it
// logged "PES not valid"): the type and the voltages then rest on a guess.
bool LastPesValid();

void ResetPesState();
