#!/usr/bin/env python3
"""Draws docs/strength.svg from the calibration table in docs/levels.md: each level's set Elo
against its measured rating, with the 95% margin as a bar; the diagonal is a perfect match.
Rows are read from the table whose header starts with "| level | opponent |"; the level
"full" stands at the top of the scale."""
import re
import sys
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
LOW, HIGH = 600, 2000  # the plotted Elo range
SIZE, MARGIN = 420, 60
FULL = 1800  # where the full strength stands on the level scale


def rows(readme):
    lines = readme.splitlines()
    start = next(i for i, line in enumerate(lines) if line.startswith("| level | opponent |"))
    for line in lines[start + 2:]:
        if not line.startswith("|"):
            break
        cells = [cell.strip() for cell in line.strip("|").split("|")]
        level = FULL if cells[0].startswith("full") else int(cells[0])
        measured = int(re.match(r"-?\d+", cells[4]).group())
        margin = int(re.match(r"\d+", cells[5]).group())
        yield level, measured, margin


def scale(elo):
    span = SIZE - 2 * MARGIN
    return MARGIN + (elo - LOW) * span / (HIGH - LOW)


def svg(points):
    top = SIZE - MARGIN
    out = [f'<svg xmlns="http://www.w3.org/2000/svg" width="{SIZE}" height="{SIZE}" '
           'font-family="sans-serif" font-size="11">',
           '<rect width="100%" height="100%" fill="white"/>',
           f'<text x="{MARGIN}" y="24" font-size="13">Morvelline levels: set against measured '
           '(10+0.1, 95% bars)</text>',
           f'<line x1="{MARGIN}" y1="{top}" x2="{top}" y2="{MARGIN}" stroke="#999" stroke-dasharray="4 3"/>',
           f'<line x1="{MARGIN}" y1="{top}" x2="{top}" y2="{top}" stroke="black"/>',
           f'<line x1="{MARGIN}" y1="{top}" x2="{MARGIN}" y2="{MARGIN}" stroke="black"/>']
    for elo in range(800, HIGH + 1, 200):
        x, y = scale(elo), SIZE - scale(elo)
        out.append(f'<text x="{x - 12:.0f}" y="{top + 16}">{elo}</text>'
                   f'<text x="{MARGIN - 38}" y="{y + 4:.0f}">{elo}</text>')
    out.append(f'<text x="{SIZE / 2 - 40:.0f}" y="{top + 34}">set level (Elo)</text>')
    out.append(f'<text x="14" y="{SIZE / 2 + 40:.0f}" transform="rotate(-90 14 {SIZE / 2 + 40:.0f})">'
               'measured rating</text>')
    for level, measured, margin in points:
        x = scale(level)
        low, high = SIZE - scale(measured - margin), SIZE - scale(measured + margin)
        y = SIZE - scale(measured)
        out.append(f'<line x1="{x:.0f}" y1="{low:.0f}" x2="{x:.0f}" y2="{high:.0f}" stroke="#36c"/>')
        out.append(f'<circle cx="{x:.0f}" cy="{y:.0f}" r="4" fill="#36c"/>'
                   f'<text x="{x + 6:.0f}" y="{y + 4:.0f}">{measured}</text>')
    out.append('</svg>')
    return "\n".join(out) + "\n"


def main():
    points = list(rows((ROOT / "docs" / "levels.md").read_text()))
    if not points:
        sys.exit("no calibration rows in docs/levels.md")
    (ROOT / "docs" / "strength.svg").write_text(svg(points))
    print(f"docs/strength.svg: {len(points)} levels")


if __name__ == "__main__":
    main()
