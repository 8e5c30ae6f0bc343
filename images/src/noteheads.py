#!/usr/bin/env python3
"""Writes the click tool's note icons, images/notehead-<n>.svg: the note
whose length is n thirty-second notes, as white shapes on a 32x32 canvas
(the views tint them). Run from the repository root."""

import os

# n -> (head, flags, dots): head "whole", "half" (hollow, stem) or "filled".
NOTES = {
    1: ("filled", 3, 0), 2: ("filled", 2, 0), 3: ("filled", 2, 1), 4: ("filled", 1, 0),
    6: ("filled", 1, 1), 7: ("filled", 1, 2), 8: ("filled", 0, 0), 12: ("filled", 0, 1),
    14: ("filled", 0, 2), 16: ("half", 0, 0), 24: ("half", 0, 1), 28: ("half", 0, 2),
    30: ("half", 0, 3), 31: ("half", 0, 4), 32: ("whole", 0, 0),
}

HEAD_X, HEAD_Y = 8.0, 25.0
STEM_X = 13.1


def head(kind):
    if kind == "whole":
        return ('<path fill-rule="evenodd" d="M2,25 a6.5,4.3 0 1,0 13,0 a6.5,4.3 0 1,0 -13,0 Z '
                'M6.2,23.2 a2.6,1.9 -50 1,0 5,3.6 a2.6,1.9 -50 1,0 -5,-3.6 Z"/>')
    outer = (f'<ellipse cx="{HEAD_X}" cy="{HEAD_Y}" rx="5.4" ry="3.7" '
             f'transform="rotate(-22 {HEAD_X} {HEAD_Y})"/>')
    if kind == "filled":
        return outer
    return ('<path fill-rule="evenodd" d="M2.6,25 a5.4,3.7 -22 1,0 10.8,0 a5.4,3.7 -22 1,0 -10.8,0 Z '
            'M4.6,26.3 a4,1.6 -22 1,0 6.8,-2.6 a4,1.6 -22 1,0 -6.8,2.6 Z"/>')


def stem():
    return f'<rect x="{STEM_X - 1.3:.1f}" y="3" width="1.3" height="{HEAD_Y - 3.5}"/>'


def flag(i):
    y = 3 + i * 4.2
    x = STEM_X
    return (f'<path d="M{x},{y} C{x + 0.5},{y + 3} {x + 7},{y + 4.5} {x + 5},{y + 10} '
            f'C{x + 5.6},{y + 6} {x + 2},{y + 5} {x},{y + 4.6} Z"/>')


def dot(i):
    return f'<circle cx="{17.5 + i * 3.6}" cy="{HEAD_Y - 0.5}" r="1.4"/>'


def svg(kind, flags, dots):
    parts = [head(kind)]
    if kind != "whole":
        parts.append(stem())
    parts += [flag(i) for i in range(flags)]
    parts += [dot(i) for i in range(dots)]
    body = "\n  ".join(parts)
    return ('<svg xmlns="http://www.w3.org/2000/svg" width="32" height="32" viewBox="0 0 32 32">\n'
            f'<g fill="#ffffff">\n  {body}\n</g>\n</svg>\n')


def main():
    for n, (kind, flags, dots) in NOTES.items():
        with open(os.path.join("images", f"notehead-{n}.svg"), "w", encoding="utf-8") as out:
            out.write(svg(kind, flags, dots))


if __name__ == "__main__":
    main()
