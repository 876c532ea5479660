#!/usr/bin/env python3
"""Writes resources/alarm.wav, the built-in alarm chime.

Two bell-like notes (E6, then C6 a fifth of a second later), each a sine with a quieter octave partial,
a 5 ms attack and an exponential decay, mixed and faded out over the last 50 ms so the sound ends without
a click. 16-bit mono PCM at 22050 Hz, 0.6 s. Run from the repository root:

    python3 scripts/make_alarm_wav.py
"""
import math
import struct
import sys
import wave
from pathlib import Path

RATE = 22050
LENGTH = 0.6
NOTES = [  # (start in seconds, frequency in Hz, peak amplitude)
    (0.00, 1318.51, 0.55),
    (0.20, 1046.50, 0.55),
]
DECAY = 7.0  # 1/s: the note falls to about 1/e in 0.14 s
ATTACK = 0.005
FADE = 0.05


def sample(t: float) -> float:
    value = 0.0
    for start, freq, amp in NOTES:
        dt = t - start
        if dt < 0:
            continue
        env = amp * math.exp(-DECAY * dt) * min(1.0, dt / ATTACK)
        phase = 2 * math.pi * freq * dt
        value += env * (math.sin(phase) + 0.25 * math.sin(2 * phase) + 0.08 * math.sin(3 * phase))
    remaining = LENGTH - t
    if remaining < FADE:
        value *= max(0.0, remaining / FADE)
    return value


def main() -> int:
    out = Path(sys.argv[1]) if len(sys.argv) > 1 else Path(__file__).resolve().parent.parent / "resources" / "alarm.wav"
    frames = int(RATE * LENGTH)
    samples = [sample(i / RATE) for i in range(frames)]
    peak = max(abs(s) for s in samples) or 1.0
    scale = 0.8 * 32767 / peak
    data = b"".join(struct.pack("<h", int(round(s * scale))) for s in samples)
    with wave.open(str(out), "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(RATE)
        w.writeframes(data)
    print(f"{out}: {frames} frames, {len(data) + 44} bytes")
    return 0


if __name__ == "__main__":
    sys.exit(main())
