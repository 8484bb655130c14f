#!/usr/bin/env python3
"""Writes the seed corpus of the jedec fuzz target: one file per fuse count
the program knows, in the writer's style with a right checksum and fuses set
at random (fixed seed), plus the small odd shapes the reader tests use."""
import os
import random

COUNTS = {"gal16v8": 2194, "gal20v8": 2706, "gal18v10": 3540, "gal20ra10": 3274, "gal20xv10": 1671,
          "gal22v10": 5892, "gal22v10_no_ues": 5828, "gal26cv12": 6432}
ODD = {
    "no_star": b"L0000 1111",
    "lower_case": b"x*qf16*l0000 0101*c0005*",
    "address_as_fuses": b"x*L0008*",
    "f1_then_l": b"x*QF2194*F1*L0000 0*",
    "bad_checksum": b"x*L0000 1*C0002*L0001 1*",
    "negative_qf": b"x*QF-5*L0000 1*",
    "huge_address": b"x*L99999999999999999999 1*",
    "other_fields": b"\x02x*F0*G0*G1*QP24*QV22*N note*P 1 2*V0001 1X0*D1*J1 2*X0*L0000 01*\x03A827",
}


def checksum(fuses):
    total = 0
    for i in range(0, len(fuses), 8):
        total += sum(bit << k for k, bit in enumerate(fuses[i:i + 8]))
    return total & 0xFFFF


def jedec(count, rng):
    fuses = [1 if rng.random() < 0.3 else 0 for _ in range(count)]
    lines = ["\x02", "seed written for the fuzzer*", "QP24*", f"QF{count}*", "G0*", "F0*"]
    for start in range(0, count, 64):
        row = fuses[start:start + 64]
        if any(row):
            lines.append(f"L{start:05d} " + "".join(map(str, row)) + "*")
    lines.append(f"C{checksum(fuses):04X}*")
    lines.append("\x03")
    return "\r\n".join(lines).encode()


def main():
    out = os.path.join(os.path.dirname(os.path.abspath(__file__)), "corpus", "jedec")
    os.makedirs(out, exist_ok=True)
    rng = random.Random(9)
    for name, count in COUNTS.items():
        with open(os.path.join(out, name + ".jed"), "wb") as f:
            f.write(jedec(count, rng))
    for name, text in ODD.items():
        with open(os.path.join(out, name + ".jed"), "wb") as f:
            f.write(text)


if __name__ == "__main__":
    main()
