#!/usr/bin/env python3
"""Benchmark model: writes a skinned, animated glTF model of 100,000 triangles as one .glb (standard library only).

    benchmarks/write_benchmark_model.py OUTPUT.glb

A closed-sided tube 0.6 wide and 1.8 tall (250 segments around, 200 rings: 100,000 triangles, 50,451
vertices), skinned to two joints that blend across its middle; its one animation sways the upper joint
40 degrees either way over two seconds, so every frame poses and uploads every vertex.
"""
import json
import math
import struct
import sys
from array import array

SEGMENTS = 250
RINGS = 200
RADIUS = 0.3
HEIGHT = 1.8
SWAY_DEGREES = 40.0
KEY_TIMES = [0.0, 0.5, 1.0, 1.5, 2.0]
KEY_SWAYS = [0.0, 1.0, 0.0, -1.0, 0.0]

FLOAT, UNSIGNED_SHORT, UNSIGNED_INT = 5126, 5123, 5125
ARRAY_BUFFER, ELEMENT_ARRAY_BUFFER = 34962, 34963


def tube():
    positions, normals, joints, weights, indices = array("f"), array("f"), array("H"), array("f"), array("I")
    for ring in range(RINGS + 1):
        y = HEIGHT * ring / RINGS
        upper = min(max((y / HEIGHT - 0.35) / 0.3, 0.0), 1.0)  # the blend across the middle
        for segment in range(SEGMENTS + 1):  # the seam repeats its first column
            angle = 2.0 * math.pi * segment / SEGMENTS
            x, z = math.sin(angle), math.cos(angle)
            positions.extend((RADIUS * x, y, RADIUS * z))
            normals.extend((x, 0.0, z))
            joints.extend((0, 1, 0, 0))
            weights.extend((1.0 - upper, upper, 0.0, 0.0))
    row = SEGMENTS + 1
    for ring in range(RINGS):
        for segment in range(SEGMENTS):
            a, b = ring * row + segment, ring * row + segment + 1
            indices.extend((a, b, b + row, a, b + row, a + row))  # counter-clockwise seen from outside
    return positions, normals, joints, weights, indices


def sway_rotations():
    values = array("f")
    for share in KEY_SWAYS:
        half = math.radians(SWAY_DEGREES * share) / 2.0
        values.extend((0.0, 0.0, math.sin(half), math.cos(half)))
    return values


def main():
    if len(sys.argv) != 2:
        raise SystemExit("usage: write_benchmark_model.py OUTPUT.glb")
    positions, normals, joints, weights, indices = tube()
    inverse_binds = array("f", [1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1,
                                1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, -HEIGHT / 2, 0, 1])
    blobs = [positions, normals, joints, weights, indices, inverse_binds, array("f", KEY_TIMES), sway_rotations()]
    binary, views = bytearray(), []
    for blob in blobs:
        data = blob.tobytes()
        views.append({"buffer": 0, "byteOffset": len(binary), "byteLength": len(data)})
        binary += data + b"\0" * (-len(data) % 4)
    views[0]["target"] = views[1]["target"] = views[2]["target"] = views[3]["target"] = ARRAY_BUFFER
    views[4]["target"] = ELEMENT_ARRAY_BUFFER
    vertices = len(positions) // 3
    accessors = [
        {"bufferView": 0, "componentType": FLOAT, "count": vertices, "type": "VEC3",
         "min": [-RADIUS, 0.0, -RADIUS], "max": [RADIUS, HEIGHT, RADIUS]},
        {"bufferView": 1, "componentType": FLOAT, "count": vertices, "type": "VEC3"},
        {"bufferView": 2, "componentType": UNSIGNED_SHORT, "count": vertices, "type": "VEC4"},
        {"bufferView": 3, "componentType": FLOAT, "count": vertices, "type": "VEC4"},
        {"bufferView": 4, "componentType": UNSIGNED_INT, "count": len(indices), "type": "SCALAR"},
        {"bufferView": 5, "componentType": FLOAT, "count": 2, "type": "MAT4"},
        {"bufferView": 6, "componentType": FLOAT, "count": len(KEY_TIMES), "type": "SCALAR",
         "min": [KEY_TIMES[0]], "max": [KEY_TIMES[-1]]},
        {"bufferView": 7, "componentType": FLOAT, "count": len(KEY_TIMES), "type": "VEC4"},
    ]
    document = {
        "asset": {"version": "2.0", "generator": "Lumivor benchmark model writer"},
        "scene": 0,
        "scenes": [{"nodes": [0, 2]}],
        "nodes": [{"name": "lower", "children": [1]},
                  {"name": "upper", "translation": [0.0, HEIGHT / 2, 0.0]},
                  {"name": "tube", "mesh": 0, "skin": 0}],
        "meshes": [{"name": "tube", "primitives": [{
            "attributes": {"POSITION": 0, "NORMAL": 1, "JOINTS_0": 2, "WEIGHTS_0": 3},
            "indices": 4, "material": 0}]}],
        "materials": [{"name": "satin", "pbrMetallicRoughness": {
            "baseColorFactor": [0.2, 0.45, 0.8, 1.0], "metallicFactor": 0.0, "roughnessFactor": 0.4}}],
        "skins": [{"joints": [0, 1], "inverseBindMatrices": 5}],
        "animations": [{"name": "sway", "samplers": [{"input": 6, "output": 7, "interpolation": "LINEAR"}],
                        "channels": [{"sampler": 0, "target": {"node": 1, "path": "rotation"}}]}],
        "bufferViews": views,
        "accessors": accessors,
        "buffers": [{"byteLength": len(binary)}],
    }
    text = json.dumps(document).encode()
    text += b" " * (-len(text) % 4)
    total = 12 + 8 + len(text) + 8 + len(binary)
    with open(sys.argv[1], "wb") as output:
        output.write(struct.pack("<III", 0x46546C67, 2, total))
        output.write(struct.pack("<II", len(text), 0x4E4F534A) + text)
        output.write(struct.pack("<II", len(binary), 0x004E4942) + binary)


main()
