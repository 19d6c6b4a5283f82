#!/usr/bin/env python3
"""Makes the stand-in music font the window tests load privately.

The music font the notes palette uses is not shipped with the program, so
the tests make a font of their own under its face name "Cantoria", with
glyphs at the same code points (0x20 to 0xFF): DejaVu Sans cut down to
those characters and renamed. Needs fontTools (Debian: python3-fonttools)
and fonts-dejavu-core. Usage: make_music_font.py OUTPUT.ttf
"""
import os
import sys

try:
    from fontTools import subset
    from fontTools.ttLib import TTFont
except ImportError:
    # CMake may have found another interpreter than the system's, which
    # holds Debian's fontTools.
    if sys.executable != "/usr/bin/python3" and os.path.exists("/usr/bin/python3"):
        os.execv("/usr/bin/python3", ["/usr/bin/python3"] + sys.argv)
    sys.exit("make_music_font.py: fontTools is missing (apt install python3-fonttools)")

SOURCE = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"
FACE = "Cantoria"


def main(out):
    font = TTFont(SOURCE)
    options = subset.Options()
    options.name_IDs = ["*"]
    options.layout_features = []
    subsetter = subset.Subsetter(options)
    subsetter.populate(unicodes=range(0x20, 0x100))
    subsetter.subset(font)
    for record in font["name"].names:
        if record.nameID in (1, 4, 6, 16):
            record.string = FACE
        elif record.nameID == 3:
            record.string = FACE + " (test stand-in)"
    os.makedirs(os.path.dirname(os.path.abspath(out)), exist_ok=True)
    font.save(out + ".part")
    os.replace(out + ".part", out)


if __name__ == "__main__":
    main(sys.argv[1])
