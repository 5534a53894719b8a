#version 430
// Gathers the head of every satellite from the records the propagation pass captured: the
// position of its first record (the front tip) and of the record behind it (for the direction
// of motion), packed so that the CPU reads a few bytes per satellite instead of every record.
// Words are copied as they are, so the gathered positions equal the captured ones bit for bit.

layout(local_size_x = 64) in;

layout(location = 0) uniform uint uCount;  // satellites

// One captured record is 13 words (52 bytes); the position is its first three.
layout(std430, binding = 0) readonly buffer Captured { uint captured[]; };
// Per satellite: the record of its tip and the record behind it.
layout(std430, binding = 1) readonly buffer Heads { uvec2 heads[]; };
// All tips (3 words each), then all records behind them.
layout(std430, binding = 2) writeonly buffer Gathered { uint gathered[]; };

const uint RECORD_WORDS = 13u;

void main() {
    uint i = gl_GlobalInvocationID.x;
    if (i >= uCount) return;
    uint tip = heads[i].x * RECORD_WORDS;
    uint behind = heads[i].y * RECORD_WORDS;
    uint out0 = 3u * i;
    uint out1 = 3u * (uCount + i);
    for (uint k = 0u; k < 3u; ++k) {
        gathered[out0 + k] = captured[tip + k];
        gathered[out1 + k] = captured[behind + k];
    }
}
