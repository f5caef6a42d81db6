#!/usr/bin/env python3
"""Writes a tree of equal files for the tree benchmarks:

    make_tree.py ROOT COUNT SPREAD SIZE [random|pattern] [NAME_FORMAT]

COUNT files of SIZE bytes go into SPREAD folders two deep (gNN/fNNNN), file i into
folder i % SPREAD. The bytes are random (one block shared by all) or a fixed pattern.
"""
import os
import sys

root, count, spread, size = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), int(sys.argv[4])
kind = sys.argv[5] if len(sys.argv) > 5 else "random"
name_format = sys.argv[6] if len(sys.argv) > 6 else "file%06d.txt"
data = os.urandom(size) if kind == "random" else bytes((i * 7) % 256 for i in range(size))
for i in range(count):
    folder = os.path.join(root, "g%02d" % (i % spread % 10), "f%04d" % (i % spread))
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name_format % i), "wb") as f:
        f.write(data)
