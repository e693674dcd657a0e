#!/usr/bin/env python3
"""Shoots the real-program pages of the recognition corpus and writes, beside
each PNG, its lines of text in reading order (a TSV the screens benchmark and
the tests read). Pages rendered by headless Chromium from source/*.html, an
xterm with its default colours showing source/*.ansi, and a Tk window
(source/tkpage.py). Needs chromium, xterm, Xvfb, xdotool, xwininfo and
ImageMagick's import. Run it again only when a source changes:
    tests/recognition/pages/make-pages.py [NAME ...]
"""
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time
import unicodedata

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE = os.path.join(HERE, "source")

# name: (kind, language, set, scale, width, height)
PAGES = {
    "news-sidebar-en": ("html", "English", "tuning", 1, 1280, 860),
    "columns-en": ("html", "English", "tuning", 1, 1280, 440),
    "news-zh": ("html", "Chinese", "tuning", 1, 1280, 820),
    "forum-en": ("html", "English", "tuning", 1, 1200, 640),
    "docs-de": ("html", "German", "tuning", 1, 1180, 720),
    "blog-mixed": ("html", "Mixed", "tuning", 1, 1200, 860),
    "xterm-en": ("xterm", "English", "tuning", 1, 96, 28),
    "tk-en": ("tk", "English", "tuning", 1, 0, 0),
    "news-es": ("html", "Spanish", "heldout", 1, 1280, 800),
    "shop-fr": ("html", "French", "heldout", 1, 1200, 480),
    "forum-zh": ("html", "Chinese", "heldout", 2, 720, 420),
    "news-de": ("html", "German", "heldout", 1, 1240, 700),
    "xterm-es": ("xterm", "Spanish", "heldout", 1, 90, 28),
    "tk-zh": ("tk", "Chinese", "heldout", 1, 0, 0),
}


def write_tsv(name, language, page_set, scale, lines, size):
    width, height = size
    rows = ["# language %s" % language, "# scale %d" % scale, "# set %s" % page_set]
    for window, part, unit, x, y, w, h, text in lines:
        if x >= width or y >= height or x + w <= 0 or y + h <= 0:
            continue
        if x < 0 or y < 0 or x + w > width or y + h > height:
            rows.append("ignore\t%d\t%d\t%d\t%d" % (max(0, x), max(0, y), min(w, width - x), min(h, height - y)))
            continue
        rows.append("line\t%d\t%d\t%d\t%d\t%d\t%d\t%d\t%s" % (window, part, unit, x, y, w, h, text))
    with open(os.path.join(HERE, name + ".tsv"), "w", encoding="utf-8") as f:
        f.write("\n".join(rows) + "\n")


def png_size(path):
    out = subprocess.run(["identify", "-format", "%w %h", path], capture_output=True, text=True, check=True).stdout
    return tuple(int(v) for v in out.split())


def shrink(path):
    # Fewer colours keep the file small; text edges keep their shades.
    subprocess.run(["convert", path, "-strip", "+dither", "-colors", "128", "-define", "png:compression-level=9", path], check=True)


def chromium(args, profile):
    base = ["chromium", "--headless", "--no-sandbox", "--disable-gpu", "--disable-background-networking",
            "--disable-component-update", "--disable-sync", "--no-first-run", "--hide-scrollbars",
            "--user-data-dir=" + profile, "--allow-file-access-from-files"]
    return subprocess.run(base + args, capture_output=True, text=True, timeout=120)


def html_page(name, language, page_set, scale, width, height):
    url = "file://" + os.path.join(SOURCE, name + ".html")
    png = os.path.join(HERE, name + ".png")
    with tempfile.TemporaryDirectory() as profile:
        common = ["--window-size=%d,%d" % (width, height), "--force-device-scale-factor=%d" % scale]
        chromium(common + ["--screenshot=" + png, url], profile)
        dom = chromium(common + ["--dump-dom", url], profile).stdout
    found = re.search(r'<pre id="klipo-lines"[^>]*>(.*?)</pre>', dom, re.S)
    if not found:
        sys.exit("%s: no lines in the page" % name)
    lines = []
    for row in found.group(1).split("\n"):
        f = row.split("\t")
        if len(f) < 8:
            continue
        text = f[7].replace("&amp;", "&").replace("&lt;", "<").replace("&gt;", ">").replace("&quot;", '"')
        lines.append([int(v) for v in f[:7]] + [text])
    width, height = png_size(png)
    # Nothing but the page's background below its last line.
    bottom = min(height, max(y + h for _, _, _, _, y, _, h, _ in lines) + 24 * scale)
    subprocess.run(["convert", png, "-crop", "%dx%d+0+0" % (width, bottom), "+repage", png], check=True)
    shrink(png)
    write_tsv(name, language, page_set, scale, lines, (width, bottom))


class Display:
    def __init__(self):
        self.number = 91
        while os.path.exists("/tmp/.X11-unix/X%d" % self.number):
            self.number += 1
        self.server = subprocess.Popen(["Xvfb", ":%d" % self.number, "-screen", "0", "1400x1000x24", "-nolisten", "tcp"],
                                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.env = dict(os.environ, DISPLAY=":%d" % self.number)
        time.sleep(1.0)

    def close(self):
        self.server.terminate()
        self.server.wait()


def window_of(display, search):
    for _ in range(100):
        out = subprocess.run(["xdotool", "search", "--onlyvisible"] + search, env=display.env,
                             capture_output=True, text=True).stdout.split()
        if out:
            return out[-1]
        time.sleep(0.1)
    sys.exit("no window")


def shoot(display, window, png):
    subprocess.run(["import", "-window", window, png], env=display.env, check=True)


def cells(text):
    return sum(2 if unicodedata.east_asian_width(c) in "WF" else 1 for c in text)


def xterm_page(display, name, language, page_set, scale, columns, rows):
    source = os.path.join(SOURCE, name + ".ansi")
    with open(source, encoding="utf-8") as f:
        content = f.read().replace("\\e", "\x1b")
    plain = [re.sub(r"\x1b\[[0-9;]*m", "", row) for row in content.rstrip("\n").split("\n")]
    with tempfile.NamedTemporaryFile("w", suffix=".txt", delete=False, encoding="utf-8") as f:
        f.write(content.rstrip("\n"))
        shown = f.name
    term = subprocess.Popen(["xterm", "-geometry", "%dx%d+0+0" % (columns, rows), "-fa", "DejaVu Sans Mono", "-fs", "11",
                             "+sb", "-e", "sh", "-c", "cat %s; sleep 60" % shown], env=display.env)
    window = window_of(display, ["--pid", str(term.pid)])
    time.sleep(1.5)
    png = os.path.join(HERE, name + ".png")
    shoot(display, window, png)
    term.terminate()
    os.unlink(shown)
    width, height = png_size(png)
    border = 2
    cell_w = (width - 2 * border) / columns
    cell_h = (height - 2 * border) / rows
    lines = []
    for i, row in enumerate(plain):
        lead = len(row) - len(row.lstrip(" "))
        text = row.strip()
        if not text:
            continue
        x = border + lead * cell_w
        lines.append([1, 1, i, int(x), int(border + i * cell_h), int(cells(text) * cell_w + 1), int(cell_h), text])
    shrink(png)
    write_tsv(name, language, page_set, scale, lines, (width, height))


def tk_page(display, name, language, page_set, scale):
    lang = name.split("-")[1]
    with tempfile.TemporaryDirectory() as tmp:
        out = os.path.join(tmp, "lines.tsv")
        app = subprocess.Popen([sys.executable, os.path.join(SOURCE, "tkpage.py"), lang, out], env=display.env)
        for _ in range(100):
            if os.path.exists(out) and open(out, encoding="utf-8").read().find("# size") >= 0:
                break
            time.sleep(0.1)
        window = window_of(display, ["--class", "Tk"])
        time.sleep(0.5)
        png = os.path.join(HERE, name + ".png")
        shoot(display, window, png)
        app.terminate()
        lines = []
        for row in open(out, encoding="utf-8").read().split("\n"):
            f = row.split("\t")
            if len(f) >= 9 and f[0] == "line":
                lines.append([int(v) for v in f[1:8]] + [f[8]])
    shrink(png)
    write_tsv(name, language, page_set, scale, lines, png_size(png))


def main():
    wanted = sys.argv[1:] or list(PAGES)
    for tool in ("chromium", "xterm", "Xvfb", "xdotool", "import", "convert", "identify"):
        if not shutil.which(tool):
            sys.exit("missing: " + tool)
    display = Display()
    try:
        for name in wanted:
            kind, language, page_set, scale, a, b = PAGES[name]
            if kind == "html":
                html_page(name, language, page_set, scale, a, b)
            elif kind == "xterm":
                xterm_page(display, name, language, page_set, scale, a, b)
            else:
                tk_page(display, name, language, page_set, scale)
            print(name, os.path.getsize(os.path.join(HERE, name + ".png")) // 1024, "KiB")
    finally:
        display.close()


main()
