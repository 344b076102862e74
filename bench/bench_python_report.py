#!/usr/bin/env python3
"""The text report of bench_text_report (2,000 A4 pages, 60 laid-out lines of
prose a page in DejaVu Sans 10 pt wrapped at 450 points, the font embedded,
contents compressed) through the Python package, against the same report
with reportlab (Debian's python3-reportlab), and the cost of a call through
the package.

The package is timed from an empty document through add_font and, per page,
add_page, create_text, the text settings, write_text of every written line,
apply_resource and locate, to save: the engine wraps the written lines at
450 points. reportlab is timed from the canvas through registering the font
(embedded as a subset) and, per page, the same written lines wrapped at 450
points by reportlab's simpleSplit and drawn with drawString, to save: the
same work from the same text. For reference, reportlab is also timed on the
engine's own laid-out lines at the engine's positions, doing no wrapping (as
libharu in bench_text_report), the cheapest reportlab can be. The text comes
from bench_text_report --dump before any clock starts. The sides alternate
over several rounds; the round with the least CPU time of each counts.

Target: the package at least 5 times faster than reportlab doing the same
work. Also reported: one million text_size puts through the package, per
call.

    bench_python_report.py BENCH_TEXT_REPORT [FONT]
(build/bench/bench_python_report runs it with the build's library.)"""
import os
import subprocess
import sys
import tempfile
import time

import vellumark

PAGE_HEIGHT = 842.0
MARGIN = 56.7
MAX_WIDTH = 450.0
FONT_SIZE = 10
ROUNDS = 3
TARGET = 5.0
PUTS = 1_000_000


def read_text(path):
    pages = []
    for line in open(path, encoding="latin-1"):
        line = line.rstrip("\n")
        if line == "P":
            pages.append(([], []))
        elif line.startswith("W\t"):
            pages[-1][0].append(line[2:])
        elif line.startswith("L\t"):
            _, x, y, text = line.split("\t", 3)
            pages[-1][1].append((float(x), float(y), text))
    return pages


def with_package(pages, font, out):
    doc = vellumark.Document()
    number = doc.add_font(font)
    doc.set_embed_font(number, True)
    for p, (written, _) in enumerate(pages, 1):
        doc.add_page(0)
        text = doc.create_text()
        doc.text_font = number
        doc.text_size = FONT_SIZE
        doc.text_max_width = MAX_WIDTH
        for line in written:
            doc.write_text(line)
        doc.locate(p, doc.apply_resource(p, text), MARGIN, PAGE_HEIGHT - MARGIN)
    doc.save(out)
    doc.close()


def reportlab_canvas(font, out):
    from reportlab.lib.pagesizes import A4
    from reportlab.pdfbase import pdfmetrics
    from reportlab.pdfbase.ttfonts import TTFont
    from reportlab.pdfgen import canvas

    pdfmetrics.registerFont(TTFont("ReportFont", font))
    return canvas.Canvas(out, pagesize=A4, pageCompression=1)


def with_reportlab(pages, font, out):
    """The written lines, wrapped by reportlab, one line below the other at the
    engine's line distance."""
    from reportlab.lib.utils import simpleSplit

    first = pages[0][1]
    x, top, leading = first[0][0], first[0][1], first[0][1] - first[1][1]
    c = reportlab_canvas(font, out)
    for written, _ in pages:
        c.setFont("ReportFont", FONT_SIZE)
        y = top
        for paragraph in written:
            for line in simpleSplit(paragraph, "ReportFont", FONT_SIZE, MAX_WIDTH):
                c.drawString(x, y, line)
                y -= leading
        c.showPage()
    c.save()


def with_reportlab_laid_out(pages, font, out):
    """The engine's laid-out lines at the engine's positions: no wrapping."""
    c = reportlab_canvas(font, out)
    for _, lines in pages:
        c.setFont("ReportFont", FONT_SIZE)
        for x, y, text in lines:
            c.drawString(x, y, text)
        c.showPage()
    c.save()


def cpu(function, *args):
    start = time.process_time()
    function(*args)
    return time.process_time() - start


def qpdf(path):
    r = subprocess.run(["qpdf", "--check", path], capture_output=True, text=True)
    return r.returncode, (r.stdout + r.stderr).strip().splitlines()[-1:]


def verdict(ok):
    return "PASS" if ok else "FAIL"


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    report = sys.argv[1]
    font = sys.argv[2] if len(sys.argv) > 2 else "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"
    try:
        import reportlab
    except ImportError:
        print("reportlab (python3-reportlab) is not installed: the comparison is skipped")
        return
    with tempfile.TemporaryDirectory() as folder:
        dump = os.path.join(folder, "text.txt")
        subprocess.run([report, font, "--dump", dump], check=True, stdout=subprocess.DEVNULL)
        pages = read_text(dump)
        lines = sum(len(p[1]) for p in pages)
        print("bench_python_report: %d pages, %d written lines, %d laid-out lines; reportlab %s; CPU times, best "
              "of %d rounds" % (len(pages), sum(len(p[0]) for p in pages), lines, reportlab.Version, ROUNDS))
        ours, theirs = os.path.join(folder, "ours.pdf"), os.path.join(folder, "theirs.pdf")
        laid = os.path.join(folder, "laid.pdf")
        our_times, their_times, laid_times = [], [], []
        for _ in range(ROUNDS):
            our_times.append(cpu(with_package, pages, font, ours))
            their_times.append(cpu(with_reportlab, pages, font, theirs))
            laid_times.append(cpu(with_reportlab_laid_out, pages, font, laid))
        our, their, laid_out = min(our_times), min(their_times), min(laid_times)
        print("  Python package, wrapping:                  %.3f s, %.1f MiB" % (our, os.path.getsize(ours) / 1048576))
        print("  reportlab, wrapping (simpleSplit):         %.3f s, %.1f MiB"
              % (their, os.path.getsize(theirs) / 1048576))
        print("  reportlab, the engine's lines (reference): %.3f s, %.1f MiB: %.1f times the package's time"
              % (laid_out, os.path.getsize(laid) / 1048576, laid_out / our))
        status, last = qpdf(ours)
        print("qpdf --check of the package's file: exit %d, %s %s" % (status, last, verdict(status == 0)))

        doc = vellumark.Document()
        doc.create_text()
        start = time.process_time()
        for i in range(PUTS):
            doc.text_size = 8 + (i & 15)
        per_call = (time.process_time() - start) / PUTS
        print("one million text_size puts through the Python package: %.3f s, %.0f ns a call"
              % (per_call * PUTS, per_call * 1e9))
        print("reportlab vs Python package time: %.3f s vs %.3f s: %.1f times faster (target >= %.0f) %s"
              % (their, our, their / our, TARGET, verdict(their / our >= TARGET)))


if __name__ == "__main__":
    main()
