#!/usr/bin/python3
"""Checks the embedded Ogg tracks against the track table.

  /usr/bin/python3 tools/audio/check.py [DIR]    # DIR defaults to resources/audio

For every track: it decodes (oggdec), sample rate 44,100 Hz, the table's
channel count, a length within 25 % of the table's, audible RMS, the title tag
(exactly the table's, or no tags at all for 101 and 103); for the music loop
101 also that the last sample runs into the first without a jump (a step at
most twice the largest step between neighbouring samples nearby). Also: the
narration text of each narration track exists, and all tracks together stay
under 12 MB. Prints one line per track and exits with 1 on any failure.
"""

import os
import subprocess
import sys
import tempfile
import wave

import numpy as np

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from tracks import TRACKS, SAMPLE_RATE, AUDIO_DIR, narration_path  # noqa: E402

LENGTH_TOLERANCE = 0.25
MIN_RMS_DBFS = -40.0
MAX_TOTAL_BYTES = 12 * 1000 * 1000
SEAM_WINDOW = 441  # 10 ms each side of the loop point
# A clean loop point steps like its neighbours (ratio about 1, a little more
# after lossy coding); a cut wave or a fade to silence gives ratios above 10.
MAX_SEAM_RATIO = 2.0


def decode(path, tmp):
    """Decoded samples as float array (frames, channels) and the sample rate."""
    wav = os.path.join(tmp, "decoded.wav")
    res = subprocess.run(["oggdec", "-Q", "-o", wav, path], stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
    if res.returncode != 0:
        raise ValueError("does not decode: " + res.stdout.strip())
    with wave.open(wav, "rb") as w:
        channels, rate = w.getnchannels(), w.getframerate()
        data = np.frombuffer(w.readframes(w.getnframes()), dtype="<i2").astype(np.float64) / 32768.0
    return data.reshape(-1, channels), rate


def comments(path):
    """The user comments of the Vorbis comment header (the vendor string is not one)."""
    res = subprocess.run(["vorbiscomment", "-l", path], stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
    if res.returncode != 0:
        raise ValueError("comment header unreadable: " + res.stdout.strip())
    return [line for line in res.stdout.splitlines() if line]


def seam_jump(samples):
    """Size of the step from the last sample to the first, relative to the
    largest step between neighbouring samples within 10 ms either side of the
    loop point. About 1 means the loop point looks like any other sample step."""
    around = np.concatenate([samples[-SEAM_WINDOW:], samples[:SEAM_WINDOW]])
    local = np.max(np.abs(np.diff(around[:SEAM_WINDOW], axis=0)), axis=0)
    local = np.maximum(local, np.max(np.abs(np.diff(around[SEAM_WINDOW:], axis=0)), axis=0))
    jump = np.abs(samples[0] - samples[-1])
    return float(np.max(jump / np.maximum(local, 1.0 / 32768.0)))


def check_track(track_id, path, tmp):
    channels, target, title = TRACKS[track_id]
    problems = []
    if not os.path.isfile(path):
        return ["missing file %s" % path], "missing"
    samples, rate = decode(path, tmp)
    seconds = len(samples) / float(rate) if rate else 0.0
    rms = np.sqrt(np.mean(samples ** 2)) if len(samples) else 0.0
    rms_db = 20 * np.log10(max(rms, 1e-10))
    if rate != SAMPLE_RATE:
        problems.append("sample rate %d, expected %d" % (rate, SAMPLE_RATE))
    if samples.shape[1] != channels:
        problems.append("%d channels, expected %d" % (samples.shape[1], channels))
    if abs(seconds - target) > LENGTH_TOLERANCE * target:
        problems.append("length %.2f s, expected %.2f s +/- 25 %%" % (seconds, target))
    if rms_db < MIN_RMS_DBFS:
        problems.append("nearly silent: RMS %.1f dBFS" % rms_db)
    # Field names are case-insensitive in Vorbis comments; values are compared exactly.
    tags = [t.split("=", 1)[0].upper() + "=" + t.split("=", 1)[-1] for t in comments(path)]
    expected = ["TITLE=%s" % title] if title is not None else []
    if tags != expected:
        problems.append("tags %s, expected %s" % (tags, expected or "none"))
    detail = "%6.2f s (target %6.2f), %d ch, %d Hz, RMS %5.1f dBFS, %s" % (
        seconds, target, samples.shape[1], rate, rms_db, title or "untagged")
    if track_id == 101 and len(samples) > 2 * SEAM_WINDOW:
        jump = seam_jump(samples)
        detail += ", seam step %.2f of local max" % jump
        if jump > MAX_SEAM_RATIO:
            problems.append("loop point jumps (%.2f times the largest nearby step)" % jump)
    if title is not None:
        text = narration_path(track_id)
        has_text = False
        if os.path.isfile(text):
            with open(text, encoding="utf-8") as f:
                has_text = bool(f.read().strip())
        if not has_text:
            problems.append("no narration text %s" % text)
    return problems, detail


def main(argv):
    directory = argv[0] if argv else AUDIO_DIR
    failures = 0
    total = 0
    with tempfile.TemporaryDirectory() as tmp:
        for track_id in sorted(TRACKS):
            path = os.path.join(directory, "%d.ogg" % track_id)
            try:
                problems, detail = check_track(track_id, path, tmp)
            except ValueError as e:
                problems, detail = [str(e)], "unreadable"
            if os.path.isfile(path):
                total += os.path.getsize(path)
            print("%s %d: %s%s" % ("FAIL" if problems else "ok  ", track_id, detail,
                                   "".join("\n       - " + p for p in problems)))
            failures += bool(problems)
    size_ok = total < MAX_TOTAL_BYTES
    print("%s total size %d bytes (limit %d)" % ("ok  " if size_ok else "FAIL", total, MAX_TOTAL_BYTES))
    failures += not size_ok
    print("%d failure(s)" % failures)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
