#!/usr/bin/env python3
"""Known answers for the image cipher, computed from the algorithm's written
description alone (not from the program's code), for ChecksumScriptTest.

DecipherBlock: y, z little-endian words of the block, k[0..3] the key's words;
sum starts at 32 * 0x9E3779B9 mod 2^32; 32 times: z -= F(y) + (y ^ sum) +
k[(sum >> 11) & 3]; sum -= 0x9E3779B9; y -= F(z) + (z ^ sum) + k[sum & 3],
with F(v) = (v << 4) ^ (v >> 5). Enciphering runs the steps backwards.
"""
import struct

M = 0xFFFFFFFF
DELTA = 0x9E3779B9


def f(v):
    return ((v << 4) & M) ^ (v >> 5)


def key_words(key: bytes):
    key = (key[:16] + bytes(16))[:16]
    return struct.unpack("<4I", key)


def decipher_block(block: bytes, k):
    y, z = struct.unpack("<2I", block)
    s = (32 * DELTA) & M
    for _ in range(32):
        z = (z - ((f(y) + (y ^ s)) + k[(s >> 11) & 3])) & M
        s = (s - DELTA) & M
        y = (y - ((f(z) + (z ^ s)) + k[s & 3])) & M
    return struct.pack("<2I", y, z)


def encipher_block(block: bytes, k):
    y, z = struct.unpack("<2I", block)
    s = 0
    for _ in range(32):
        y = (y + ((f(z) + (z ^ s)) + k[s & 3])) & M
        s = (s + DELTA) & M
        z = (z + ((f(y) + (y ^ s)) + k[(s >> 11) & 3])) & M
    return struct.pack("<2I", y, z)


def image(data: bytes, key: bytes, block_fn):
    k = key_words(key)
    out = b""
    for i in range(0, len(data), 8):
        out += block_fn((data[i:i + 8] + bytes(8))[:8], k)
    return out


if __name__ == "__main__":
    print("block, zero key:", decipher_block(bytes(8), key_words(b"")).hex())
    print("block, key 0..15:", decipher_block(bytes(range(8)), key_words(bytes(range(16)))).hex())
    print("encipher, key 0..15:", encipher_block(bytes(range(8)), key_words(bytes(range(16)))).hex())
    text = b"The quick brown fox jumps over the lazy dog."
    print("decipher image:", image(text, b"Halvane checksum", decipher_block).hex())
    print("encipher image:", image(text, b"Halvane checksum", encipher_block).hex())
    print("decipher image, long key:", image(text[:17], b"0123456789abcdefEXTRA", decipher_block).hex())
