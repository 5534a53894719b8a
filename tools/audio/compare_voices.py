#!/usr/bin/python3
"""Compares the English voices Debian offers by how well a speech recogniser
understands them: each voice reads the same narration lines, pocketsphinx
(Debian's pocketsphinx with pocketsphinx-en-us) transcribes them, and the word
error rate against the text is printed. A recogniser is a rough listener, but
an impartial one; the ranking is a check on what the ear says.

  /usr/bin/python3 tools/audio/compare_voices.py [NAME-PART ...]   # all voices, or those whose name contains a part

Needs festival, festvox-us-slt-hts, flite, espeak-ng, sox, pocketsphinx and
pocketsphinx-en-us.
"""

import os
import re
import subprocess
import sys
import tempfile

# Lines with plain words only (no digits or proper names), so that the
# recogniser's dictionary and language model treat every voice alike.
LINES = [
    "Close to the Earth, satellites move fast and circle the planet in an hour and a half to two hours.",
    "A satellite circling above the equator seems to stand still in the sky, so a dish on the ground can stay pointed at it.",
    "That is why television and communication satellites gather here.",
    "Each satellite carries atomic clocks and broadcasts the exact time and its own position.",
    "So the satellite crosses the equator at the same local time every day, and sees the ground in the same light.",
    "At these heights the air is so thin that most fragments will stay in orbit for decades.",
    "Now let us leave the equator behind, and turn to the orbits that carry satellites over the poles.",
    "While they circle, the Earth turns beneath them, so in the course of a day each of them passes over every part of the globe.",
]

VOICES = {
    "festival HTS cmu_us_slt_arctic_hts": lambda txt, wav: ["text2wave", "-eval", "(voice_cmu_us_slt_arctic_hts)", txt, "-o", wav],
    "festival HTS slt, speed 0.92 (used)": lambda txt, wav: [
        "text2wave", "-eval", "(voice_cmu_us_slt_arctic_hts)",
        "-eval", '(set! hts_engine_params (append hts_engine_params (list (list "-r" 0.92))))', txt, "-o", wav],
    "flite slt": lambda txt, wav: ["flite", "-voice", "slt", "-f", txt, "-o", wav],
    "flite awb": lambda txt, wav: ["flite", "-voice", "awb", "-f", txt, "-o", wav],
    "flite rms": lambda txt, wav: ["flite", "-voice", "rms", "-f", txt, "-o", wav],
    "flite kal16": lambda txt, wav: ["flite", "-voice", "kal16", "-f", txt, "-o", wav],
    "espeak-ng en-us": lambda txt, wav: ["espeak-ng", "-v", "en-us", "-f", txt, "-w", wav],
}

MODEL = "/usr/share/pocketsphinx/model/en-us"


def words(text):
    return re.findall(r"[a-z']+", text.lower())


def edit_distance(a, b):
    row = list(range(len(b) + 1))
    for i, x in enumerate(a, 1):
        prev, row[0] = row[0], i
        for j, y in enumerate(b, 1):
            prev, row[j] = row[j], min(row[j] + 1, row[j - 1] + 1, prev + (x != y))
    return row[-1]


def transcribe(wav16k):
    res = subprocess.run(["pocketsphinx_continuous", "-infile", wav16k,
                          "-hmm", os.path.join(MODEL, "en-us"),
                          "-lm", os.path.join(MODEL, "en-us.lm.bin"),
                          "-dict", os.path.join(MODEL, "cmudict-en-us.dict")],
                         stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True, check=True)
    return " ".join(res.stdout.split())


def main(parts):
    results = []
    with tempfile.TemporaryDirectory() as tmp:
        for name, command in VOICES.items():
            if parts and not any(p in name for p in parts):
                continue
            errors = total = 0
            for i, line in enumerate(LINES):
                txt = os.path.join(tmp, "line.txt")
                with open(txt, "w") as f:
                    f.write(line + "\n")
                raw, wav = os.path.join(tmp, "raw.wav"), os.path.join(tmp, "16k.wav")
                try:
                    subprocess.run(command(txt, raw), check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
                except (subprocess.CalledProcessError, FileNotFoundError) as e:
                    print("%s: cannot synthesise (%s)" % (name, e), file=sys.stderr)
                    errors = None
                    break
                subprocess.run(["sox", raw, "-r", "16000", "-c", "1", "-b", "16", wav], check=True)
                heard = words(transcribe(wav))
                ref = words(line)
                errors += edit_distance(ref, heard)
                total += len(ref)
            if errors is not None:
                results.append((errors / total, name))
                print("%-36s word error rate %5.1f %% (%d of %d words)" % (name, 100.0 * errors / total, errors, total),
                      flush=True)
    print("best: %s" % min(results)[1])


if __name__ == "__main__":
    main(sys.argv[1:])
