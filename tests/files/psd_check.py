#!/usr/bin/python3
"""Reads a PSD file with psd_tools (an independent reader) and prints what it found as JSON:
the picture size and, per layer bottom first, name, box, opacity, visibility, blend key and the
RGBA bytes in hex. Exit status 2 when psd_tools is missing, 1 when the file is refused."""
import json
import sys

try:
    from psd_tools import PSDImage
except ImportError:
    print("psd_tools is not installed", file=sys.stderr)
    sys.exit(2)


def main(path):
    try:
        psd = PSDImage.open(path)
    except Exception as error:  # any refusal counts as a failed check
        print("refused: %s" % error, file=sys.stderr)
        return 1
    layers = []
    for layer in psd:
        entry = {
            "name": layer.name,
            "left": layer.left,
            "top": layer.top,
            "width": layer.width,
            "height": layer.height,
            "opacity": layer.opacity,
            "visible": bool(layer.visible),
            "blend": layer.blend_mode.value.decode("latin-1"),
            "rgba": "",
        }
        if layer.width > 0 and layer.height > 0:
            image = layer.topil()
            if image is not None:
                entry["rgba"] = image.convert("RGBA").tobytes().hex()
        layers.append(entry)
    print(json.dumps({"width": psd.width, "height": psd.height, "layers": layers},
                     ensure_ascii=False))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
