#!/usr/bin/env python3
"""Assembles resources/text/acknowledgements.txt from the Debian copyright
files (machine-readable format) of the open-source components in the product.

Usage: make_acknowledgements.py [extra doc root ...] > ../resources/text/acknowledgements.txt

Each component is looked up under /usr/share/doc/<package>/copyright and under
each extra root given (for packages extracted with `apt-get download` and
`dpkg-deb -x`, pass <dir>/usr/share/doc). Add a component to COMPONENTS when the
product starts to use it, and run the script again.
"""
import re
import sys
from pathlib import Path

COMMON_LICENSES = Path("/usr/share/common-licenses")
SEPARATOR = "-" * 40

# name, package, stanzas to take (regex on each Files pattern), stanzas to
# skip, licence chosen where a stanza offers a choice ("A or B"), full licence
# texts to append (from /usr/share/common-licenses).
COMPONENTS = [
    dict(name="Qt", package="libqt6core6",
         take=r"^(\*|src/3rdparty/(double-conversion|easing|harfbuzz-ng|freetype|libjpeg/src|libpng|md4|md4c|pcre2/src|rfc6234|sha1|sha3|tinycbor)/.*)$",
         skip=r"(test|tools|\.sh$|pcf|bdf|gzip)",
         choose={"LGPL-3 or GPL-2": "LGPL-3", "GPL-2+ or FTL": "FTL"},
         full=["LGPL-3", "GPL-3"]),
    dict(name="RapidJSON", package="rapidjson-dev",
         take=r"^(\*|include/rapidjson/.*)$"),
    dict(name="libarchive", package="libarchive13",
         take=r"^(\*|libarchive/.*)$", skip=r"(test|\.[0-9]$)",
         choose={"Apache-2.0 or CC0-1.0 or OpenSSL+SSLeay": "CC0-1.0"}),
    dict(name="libsndfile", package="libsndfile1",
         take=r"^(\*|src/.*|include/.*)$", skip=r"test",
         full=["LGPL-2.1"]),
    dict(name="libsamplerate", package="libsamplerate0", take=r"^\*$"),
    dict(name="PulseAudio client library (libpulse)", package="libpulse0",
         take=r"^(\*|src/pulse/.*|src/pulsecore/(poll|g711)\..*)$", skip=r"(modules|tests)"),
    dict(name="Rubber Band Library", package="librubberband2",
         take=r"^(\*|src/ext/.*)$",
         full=["GPL-2"]),
    dict(name="libogg", package="libogg0", take=r"^\*$"),
    dict(name="libvorbis", package="libvorbis0a", take=r"^\*$"),
    dict(name="RtMidi", package="librtmidi6", take=r"^\*$"),
    dict(name="ordered-map (tsl::ordered_map)", package="libtsl-ordered-map-dev", take=r"^\*$"),
]

DEBIAN_POINTER = re.compile(r"(On Debian|Debian systems|/usr/share/common-licenses)", re.I)


def parse(text):
    """Paragraphs of a DEP-5 file as lists of (field, first line, body lines)."""
    paragraphs = []
    for block in re.split(r"\n\s*\n", text):
        fields = []
        for line in block.splitlines():
            if not line.strip():
                continue
            if line[0] in " \t" and fields:
                fields[-1][2].append(line)
            elif ":" in line:
                key, value = line.split(":", 1)
                fields.append((key.strip(), value.strip(), []))
        if fields:
            paragraphs.append(fields)
    return paragraphs


def field(paragraph, name):
    for key, value, body in paragraph:
        if key.lower() == name.lower():
            return value, body
    return None


def unfold(body):
    out = []
    for line in body:
        line = line[1:] if line.startswith(" ") else line.lstrip("\t")
        out.append("" if line.strip() == "." else line.rstrip())
    return out


def drop_debian_pointers(lines):
    """Removes the sentence that points to a Debian path; a licence text
    that is only such a pointer becomes empty."""
    text = "\n".join(lines)
    parts = re.split(r"\n\n", text)
    kept = [p for p in parts if not DEBIAN_POINTER.search(p)]
    return "\n\n".join(kept).strip("\n")


def find_copyright(package, roots):
    for root in [Path("/usr/share/doc")] + roots:
        path = root / package / "copyright"
        if path.exists():
            return path.read_text(encoding="utf-8")
    raise SystemExit(f"copyright file of {package} not found; install or extract the package")


def component_text(component, roots):
    paragraphs = parse(find_copyright(component["package"], roots))
    take = re.compile(component["take"])
    skip = re.compile(component["skip"]) if component.get("skip") else None
    choose = component.get("choose", {})

    standalone = {}
    for p in paragraphs:
        if field(p, "Files") is None and field(p, "License") is not None and field(p, "Format") is None:
            name, body = field(p, "License")
            standalone.setdefault(name, unfold(body))

    notices = []
    licence_names = []
    inline = {}
    for p in paragraphs:
        files = field(p, "Files")
        if files is None:
            continue
        patterns = ([files[0]] if files[0] else []) + [b.strip() for b in files[1]]
        patterns = [x for pat in patterns for x in pat.split()]
        if not any(take.match(x) for x in patterns):
            continue
        if skip and all(skip.search(x) for x in patterns if take.match(x)):
            continue
        copyright_field = field(p, "Copyright")
        licence = field(p, "License")
        if licence is None:
            continue
        name = choose.get(licence[0], licence[0])
        lines = []
        if copyright_field:
            first, rest = copyright_field
            for c in ([first] if first else []) + [r.strip() for r in rest]:
                if not c:
                    continue
                # Years and "(c)" lines are notices; other lines continue one.
                lines.append("Copyright " + c if re.match(r"(\(c\)|©|\d)", c, re.I) else c)
        block = "\n".join(lines)
        if block and block not in notices:
            notices.append(block)
        for single in re.split(r"\s+(?:and|or)\s+", name):
            single = single.strip().rstrip(",")
            if single and single not in licence_names:
                licence_names.append(single)
        if licence[1] and name == licence[0]:
            inline.setdefault(name, unfold(licence[1]))

    out = [component["name"], ""]
    out.append("\n\n".join(notices))
    for name in licence_names:
        body = inline.get(name) or standalone.get(name)
        if body is None:
            continue
        text = drop_debian_pointers(body)
        if not text:
            continue
        out += ["", f"License: {name}", "", text]
    for name in component.get("full", []):
        out += ["", f"Full text of {name}:", "", (COMMON_LICENSES / name).read_text(encoding="utf-8").strip("\n")]
    return "\n".join(out).rstrip() + "\n"


def main():
    roots = [Path(a) for a in sys.argv[1:]]
    texts = [component_text(c, roots) for c in COMPONENTS]
    sys.stdout.write(("\n" + SEPARATOR + "\n\n").join(texts))


if __name__ == "__main__":
    main()
