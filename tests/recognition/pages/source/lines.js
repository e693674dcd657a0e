// Writes every line of text the page shows, in the page's own order, with
// its box, into a hidden <pre id="klipo-lines"> (read from the DOM dump):
//   window <tab> part <tab> unit <tab> x <tab> y <tab> w <tab> h <tab> text
// A unit is the nearest element that is not inline (or marks itself with
// data-unit); a part the nearest element with data-part.
window.addEventListener('load', () => {
  const scale = window.devicePixelRatio;
  const units = new Map();
  const unitOf = (node) => {
    for (let e = node.parentElement; e; e = e.parentElement) {
      if (e.hasAttribute('data-unit') || getComputedStyle(e).display !== 'inline') {
        if (!units.has(e)) units.set(e, units.size);
        return units.get(e);
      }
    }
    return 0;
  };
  const attr = (node, name) => {
    for (let e = node.parentElement; e; e = e.parentElement)
      if (e.hasAttribute(name)) return parseInt(e.getAttribute(name));
    return 0;
  };
  const out = [];
  let line = null;
  const flush = () => {
    if (line && line.text.trim().length > 0) {
      const r = line.box;
      out.push([line.window, line.part, line.unit, Math.floor(r.left * scale), Math.floor(r.top * scale),
                Math.ceil((r.right - r.left) * scale), Math.ceil((r.bottom - r.top) * scale),
                line.text.replace(/\s+/g, ' ').trim()].join('\t'));
    }
    line = null;
  };
  const walker = document.createTreeWalker(document.body, NodeFilter.SHOW_TEXT);
  for (let node = walker.nextNode(); node; node = walker.nextNode()) {
    if (node.parentElement.closest('script,style,[data-skip]')) continue;
    const unit = unitOf(node), part = attr(node, 'data-part'), win = attr(node, 'data-window') || 1;
    const range = document.createRange();
    for (let i = 0; i < node.data.length; ++i) {
      range.setStart(node, i);
      range.setEnd(node, i + 1);
      const rects = range.getClientRects();
      const ch = node.data[i];
      if (rects.length === 0 || rects[0].width === 0) {
        if (line) line.text += ' ';
        continue;
      }
      const r = rects[0];
      const broken = line && (line.unit !== unit || r.top > line.box.bottom - 2 || r.bottom < line.box.top + 2 ||
                              r.left < line.lastLeft - 1);
      if (broken) flush();
      if (!line) line = {window: win, part: part, unit: unit, text: '', lastLeft: r.left,
                         box: {left: r.left, top: r.top, right: r.right, bottom: r.bottom}};
      if (/\s/.test(ch)) { line.text += ' '; continue; }
      line.text += ch;
      line.lastLeft = r.left;
      line.box.left = Math.min(line.box.left, r.left);
      line.box.top = Math.min(line.box.top, r.top);
      line.box.right = Math.max(line.box.right, r.right);
      line.box.bottom = Math.max(line.box.bottom, r.bottom);
    }
  }
  flush();
  const pre = document.createElement('pre');
  pre.id = 'klipo-lines';
  pre.style.display = 'none';
  pre.textContent = '\n' + out.join('\n') + '\n';
  document.body.appendChild(pre);
});
