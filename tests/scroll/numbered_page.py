#!/usr/bin/python3
# Another program's page for desktop tests of scrolling capture: a Tk text
# window of numbered lines, 50 pixels a wheel notch, painted straight into the
# window (no double buffering), so a still taken while it repaints shows it
# half drawn. Prints "shown X Y W H" (the text area) once up; reads "top"
# (back to the first line, answered "top" once drawn) and "quit".
# With "repeated" the page has a band of 18 identical rows, 40 pixels apart,
# after its 30th line; with "framed" the text sits in a sunken border with a
# focus ring (drawn alike with or without the focus) and some padding, as Tk
# draws a text widget by default.
# Usage: numbered_page.py X,Y,W,H LINES [repeated] [framed]
import random
import sys
import tkinter as tk

x, y, w, h = (int(v) for v in sys.argv[1].split(","))
lines = int(sys.argv[2])
repeated = "repeated" in sys.argv[3:]
framed = "framed" in sys.argv[3:]

words = ["alpha", "bravo", "kilo", "delta", "echo", "tango", "lima", "oscar", "quebec", "sierra", "zulu", "yankee"]
rng = random.Random(7)
text = "\n".join(
    "%04d  " % n + " ".join(rng.choice(words) for _ in range(rng.randint(4, 14))) for n in range(1, lines + 1))

root = tk.Tk()
root.title("numbered page")
root.geometry("%dx%d+%d+%d" % (w, h, x, y))
page = tk.Text(root, font=("DejaVu Sans Mono", 11), wrap="none", borderwidth=2 if framed else 0,
               relief="sunken", highlightthickness=1 if framed else 0, highlightcolor="#4a90d9",
               highlightbackground="#4a90d9", padx=6, pady=3 if framed else 0, background="white",
               foreground="black", cursor="arrow")
page.insert("1.0", text)
if repeated:
    page.tag_configure("band", spacing1=11, spacing3=12)
    page.insert("31.0", "repeated line\n" * 18, "band")
page.configure(state="disabled")  # no blinking insertion cursor
page.pack(fill="both", expand=True)


def command(_file, _mask):
    line = sys.stdin.readline().strip()
    if line == "top":
        page.yview_moveto(0)
        root.update_idletasks()
        print("top", flush=True)
    elif line in ("quit", ""):
        root.destroy()


root.tk.createfilehandler(sys.stdin, tk.READABLE, command)


def shown():
    print("shown %d %d %d %d" % (page.winfo_rootx(), page.winfo_rooty(), page.winfo_width(), page.winfo_height()),
          flush=True)


root.after(400, shown)
root.mainloop()
