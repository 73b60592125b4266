#!/usr/bin/env python3
"""Writes the seed corpora in fuzz/corpus/ from the console test cases and hand-made samples.

The PNG corpus in tests/data is passed to the pipeline fuzzer as it stands (see fuzz/run),
so only what has no other home is written here. Run again after adding console cases.
"""
import hashlib
import io
import pathlib
import re
import struct
import zipfile
import zlib

ROOT = pathlib.Path(__file__).resolve().parent.parent
CORPUS = ROOT / "fuzz" / "corpus"


def put(target, data):
    if isinstance(data, str):
        data = data.encode("utf-8")
    folder = CORPUS / target
    folder.mkdir(parents=True, exist_ok=True)
    (folder / hashlib.sha1(data).hexdigest()[:16]).write_bytes(data)


def case_sections(text):
    """The '== name' sections of a console test case, as name -> lines."""
    sections, name = {}, None
    for line in text.splitlines():
        if line.startswith("== "):
            name = line[3:]
            sections[name] = []
        elif name is not None:
            sections[name].append(line)
    return sections


for case in sorted((ROOT / "tests" / "cli" / "cases").glob("*.case")):
    sections = case_sections(case.read_text(encoding="utf-8"))
    args = [a.replace("{tmp}", "/tmp/t") for a in sections.get("args", [])]
    put("command_line", "\n".join(args))
    for name, lines in sections.items():
        if name.startswith("file ") and any("[" in l for l in lines):
            put("profile", "\r\n".join(lines) + "\r\n")
            put("preference_file", "\n".join(lines) + "\n")

put("profile", "\ufeff\r\n[CLI]\r\n--Tga-Compression =  rle \r\n--jpg-quality=\r\n--gamma=NaN\r\n")
put("profile", b"[CLI]\n--watermark-text=\xe9t\xe9 %width%x%height%\n--width=$FF\n--height=%101\n")
put("profile", "[CLI]\n--frame=SOLID\n--fr-solid-left-color=12AB3F\n--brightness=-100\n")

put("preference_file", "\ufeff\r\n[General]\r\nCFG=18\r\nLanguage=English\r\n[Output]\r\n"
    "TGA BPP=24\r\nTGA Compression=1\r\n[Advanced]\r\nFilename Mask=%filename%_%n%\r\n"
    "Gamma=+Infinity\r\n; comment\r\n[Window]\r\nX=-5\r\nY=99999999999999999999\r\n")
put("preference_file", b"[General]\nCFG=10\n[Input]\nRAW Load As=2147483647\n"
    b"[Advanced]\nFilename Mask=caf\xe9\n")

for mask in ["%filename%.%ext%\n/in/sub/a.png\n/in/\n/out/",
             "%FILENAME%_%width%x%height%_%bpp%_%rnd%_%n%.%EXT%\n/a/b.c.png\n/a\n/o/",
             "%yyyy%-%mm%-%dd% %hh%%nn%%ss%/%filename%\nrel/x.png\nrel/\nout/",
             "../%filename%\n/in/../in/a.png\n/in/./\n/out/",
             "%%%\n\n\n"]:
    put("naming", mask)

put("theme_config", "[Theme]\r\nName=Hand Drawn\r\nAuthor=Pixelmill\r\n[Icons]\r\n"
    "Convert=convert\r\nOpen=open.png\r\n")
put("theme_config", "\r\n[theme]\r\nname = a = b \r\n[Theme]\r\nName=second\r\n")

for compression in (zipfile.ZIP_STORED, zipfile.ZIP_DEFLATED):
    buffer = io.BytesIO()
    with zipfile.ZipFile(buffer, "w", compression) as archive:
        archive.writestr("theme.cfg", "[Theme]\r\nName=Seed\r\n[Icons]\r\nOpen=open\r\n")
        archive.writestr("open_16.png", (ROOT / "tests/data/corpus/pngsuite/basn2c08.png").read_bytes())
        archive.writestr("sub/", "")
    put("theme_archive", buffer.getvalue())

# A zip without a central directory whose only entry, of unstated length, inflates to 1 GiB of
# zeros (libFuzzer cuts seeds at 1 MiB): a reader that streams through it takes seconds.
squeezer = zlib.compressobj(9, zlib.DEFLATED, -15)
segment = squeezer.compress(bytes(1 << 20)) + squeezer.flush(zlib.Z_FULL_FLUSH)
name = b"theme.cfg"
header = (b"PK\x03\x04" + struct.pack("<HHH", 20, 8, 8) + bytes(16)
          + struct.pack("<HH", len(name), 0) + name)
put("theme_archive", header + segment * 1000 + b"\x03\x00")

put("update_response", "HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\n\r\n 291 \r\n\r\n")
put("update_response", "HTTP/1.1 200 OK\r\n\r\n300")
put("update_response", b"HTTP/1.0 200 OK\r\n\r\n2\x009\r\n\r\n")
put("update_response", "http://www.pixelmill.example:8080/files/millconv.dat")
put("update_response", "host:0/")
