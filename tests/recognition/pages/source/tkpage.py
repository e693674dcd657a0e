#!/usr/bin/env python3
"""A Tk window of a small program (a form, a list, a text with paragraphs,
buttons) in one language; once shown it writes its lines of text, in reading
order, to the file given and waits to be shot."""
import sys
import tkinter as tk

TEXTS = {
    "en": dict(title="Trip planner", heading="Plan a weekend trip", labels=["Destination", "Travellers", "Leave on"],
               values=["Lake District", "Two adults", "Friday 17 May"], check="Send me a reminder the day before",
               list_title="Saved places", places=["Keswick youth hostel", "Castlerigg stone circle", "Derwentwater boat landing",
                                                  "Catbells walk", "Pencil museum"],
               notes=["The bus from the station takes forty minutes and leaves every hour until six.",
                      "Bring waterproof shoes: the path along the lake is often muddy after rain, and the higher trails can be slippery."],
               buttons=["Cancel", "Save plan"], font="DejaVu Sans"),
    "zh": dict(title="旅行计划", heading="安排一次周末旅行", labels=["目的地", "人数", "出发日期"],
               values=["杭州西湖", "两位成人", "五月十七日 周五"], check="出发前一天提醒我",
               list_title="收藏的地点", places=["断桥残雪", "灵隐寺", "西溪湿地公园", "河坊街", "中国茶叶博物馆"],
               notes=["从火车站坐地铁一号线到龙翔桥站，大约需要二十分钟。",
                      "周末游客较多，建议提前在网上预约景点门票，并且带好雨具。"],
               buttons=["取消", "保存计划"], font="WenQuanYi Micro Hei"),
}

lang, out = sys.argv[1], sys.argv[2]
t = TEXTS[lang]
root = tk.Tk()
root.title(t["title"])
root.configure(bg="#ececec")
font = (t["font"], 11)
tk.Label(root, text=t["heading"], font=(t["font"], 16, "bold"), bg="#ececec").grid(row=0, column=0, columnspan=3, sticky="w", padx=14, pady=(12, 8))
entries = []
for i, (label, value) in enumerate(zip(t["labels"], t["values"])):
    tk.Label(root, text=label, font=font, bg="#ececec").grid(row=1 + i, column=0, sticky="w", padx=14, pady=4)
    e = tk.Entry(root, font=font, width=24)
    e.insert(0, value)
    e.grid(row=1 + i, column=1, sticky="w", pady=4)
    entries.append(e)
check = tk.Checkbutton(root, text=t["check"], font=font, bg="#ececec")
check.select()
check.grid(row=4, column=0, columnspan=2, sticky="w", padx=10, pady=6)
side = tk.Frame(root, bg="#ececec")
side.grid(row=1, column=2, rowspan=5, sticky="n", padx=(24, 14))
tk.Label(side, text=t["list_title"], font=(t["font"], 11, "bold"), bg="#ececec").pack(anchor="w")
listbox = tk.Listbox(side, font=font, height=len(t["places"]), width=24)
for p in t["places"]:
    listbox.insert("end", p)
listbox.pack(anchor="w", pady=4)
text = tk.Text(root, font=font, width=52, height=6, wrap="word", relief="sunken", bd=1)
text.insert("1.0", "\n".join(t["notes"]))
text.grid(row=5, column=0, columnspan=2, sticky="w", padx=14, pady=8)
bar = tk.Frame(root, bg="#ececec")
bar.grid(row=6, column=0, columnspan=3, sticky="e", padx=14, pady=(4, 12))
buttons = [tk.Button(bar, text=b, font=font, width=10) for b in t["buttons"]]
for b in buttons:
    b.pack(side="left", padx=4)
root.geometry("+0+0")
root.update()


def box(w):
    return w.winfo_rootx(), w.winfo_rooty(), w.winfo_width(), w.winfo_height()


def write():
    rows = []
    unit = [0]

    def line(part, x, y, w, h, s):
        rows.append("line\t1\t%d\t%d\t%d\t%d\t%d\t%d\t%s" % (part, unit[0], x, y, w, h, s))
        unit[0] += 1

    root.update()
    line(1, *box(root.grid_slaves(row=0, column=0)[0]), t["heading"])
    for i, (label, value) in enumerate(zip(t["labels"], t["values"])):
        line(1, *box(root.grid_slaves(row=1 + i, column=0)[0]), label)
        line(1, *box(entries[i]), value)
    line(1, *box(check), t["check"])
    sx, sy = side.winfo_rootx(), side.winfo_rooty()
    line(2, *box(side.pack_slaves()[0]), t["list_title"])
    for i, p in enumerate(t["places"]):
        x, y, w, h = listbox.bbox(i)
        line(2, listbox.winfo_rootx() + x, listbox.winfo_rooty() + y, w, h, p)
    # The text's display lines, each its own line, one unit per paragraph.
    index = "1.0"
    for paragraph in range(len(t["notes"])):
        start = "%d.0" % (paragraph + 1)
        index = start
        while text.compare(index, "<", "%d.end" % (paragraph + 1)):
            end = text.index(index + " display lineend")
            info = text.dlineinfo(index)
            if info:
                x, y, w, h, _ = info
                line_text = text.get(index, end).strip()
                if line_text:
                    rows.append("line\t1\t3\t%d\t%d\t%d\t%d\t%d\t%s" % (unit[0], text.winfo_rootx() + x, text.winfo_rooty() + y, w, h, line_text))
            index = text.index(end + " +1c")
            if text.compare(index, "<=", end):
                break
        unit[0] += 1
    for b in buttons:
        line(4, *box(b), b.cget("text"))
    with open(out, "w", encoding="utf-8") as f:
        f.write("\n".join(rows) + "\n")
        f.write("# size %d %d\n" % (root.winfo_width(), root.winfo_height()))


root.after(300, write)
root.mainloop()
