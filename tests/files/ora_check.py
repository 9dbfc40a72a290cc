#!/usr/bin/python3
"""Checks an OpenRaster file with zipfile, xml.etree and PIL (readers independent of ours)
against expectations in a JSON file: {"width", "height", "layers": [top first: {"name", "src",
"x", "y", "opacity" (0-255), "visibility", "op", "own": {attribute: value}, "width", "height",
"pixels": [[x, y, r, g, b, a], ...]}]}. Prints each mismatch; exit status 0 when all agree,
1 on a mismatch, 2 when PIL is missing."""
import json
import sys
import zipfile
import xml.etree.ElementTree as ET

try:
    from PIL import Image
except ImportError:
    print("PIL is not installed", file=sys.stderr)
    sys.exit(2)

OWN = "{urn:quillmere:ora:1}"


def main(path, expected_path):
    with open(expected_path, encoding="utf-8") as f:
        want = json.load(f)
    problems = []

    def check(what, got, expected):
        if got != expected:
            problems.append("%s: got %r, expected %r" % (what, got, expected))

    with open(path, "rb") as f:
        raw = f.read()
    # The mimetype must be readable without unzipping: local header, name, then the text.
    check("local header signature", raw[0:4], b"PK\x03\x04")
    check("first name in the file", raw[30:38], b"mimetype")
    check("mimetype text at byte 38", raw[38:54], b"image/openraster")

    archive = zipfile.ZipFile(path)
    infos = archive.infolist()
    first = infos[0]
    check("first entry", first.filename, "mimetype")
    check("mimetype compression", first.compress_type, zipfile.ZIP_STORED)
    check("mimetype extra field", first.extra, b"")
    check("mimetype content", archive.read("mimetype"), b"image/openraster")
    if archive.testzip() is not None:
        problems.append("a damaged entry: %s" % archive.testzip())

    root = ET.fromstring(archive.read("stack.xml"))
    check("root element", root.tag, "image")
    check("image w", int(root.get("w")), want["width"])
    check("image h", int(root.get("h")), want["height"])
    stack = root.find("stack")
    layers = stack.findall("layer")
    check("layer count", len(layers), len(want["layers"]))
    for i, (element, expected) in enumerate(zip(layers, want["layers"])):
        where = "layer %d " % i
        check(where + "name", element.get("name"), expected["name"])
        check(where + "src", element.get("src"), expected["src"])
        check(where + "x", int(element.get("x")), expected["x"])
        check(where + "y", int(element.get("y")), expected["y"])
        check(where + "opacity", round(float(element.get("opacity")) * 255), expected["opacity"])
        check(where + "visibility", element.get("visibility"), expected["visibility"])
        check(where + "composite-op", element.get("composite-op"), expected["op"])
        for key, value in expected["own"].items():
            check(where + key, element.get(OWN + key), str(value))
        with archive.open(expected["src"]) as f:
            image = Image.open(f)
            image.load()
        check(where + "png size", image.size, (expected["width"], expected["height"]))
        rgba = image.convert("RGBA")
        for x, y, r, g, b, a in expected["pixels"]:
            check(where + "pixel %d,%d" % (x, y), rgba.getpixel((x, y)), (r, g, b, a))

    with archive.open("mergedimage.png") as f:
        merged = Image.open(f)
        merged.load()
    check("merged size", merged.size, (want["width"], want["height"]))
    with archive.open("Thumbnails/thumbnail.png") as f:
        thumbnail = Image.open(f)
        thumbnail.load()
    tw, th = thumbnail.size
    if tw > 256 or th > 256:
        problems.append("thumbnail %dx%d exceeds 256" % (tw, th))
    longer = max(want["width"], want["height"])
    scale = min(1.0, 256.0 / longer)
    check("thumbnail size", (tw, th),
          (max(1, round(want["width"] * scale)), max(1, round(want["height"] * scale))))

    for p in problems:
        print(p)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], sys.argv[2]))
