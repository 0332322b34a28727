// The report page's script: it shows the data korvex wrote into the page
// and decodes nothing itself. The head (element korvex-head: the file's
// facts and the first rows) comes before this script and is drawn at once;
// the rest (korvex-data: every row, the calls, the packed texts) comes after
// it and is taken when the document has been read. The frame list draws only
// the rows in view, so that a trace of any length opens at once; a frame's
// detail text is inflated from its compressed chunk when opened.
"use strict";
(function () {
  const head = JSON.parse(document.getElementById("korvex-head").textContent);
  const data = Object.assign({calls: 0}, head);
  const byId = (id) => document.getElementById(id);
  const make = (tag, text, cls) => {
    const e = document.createElement(tag);
    if (text !== undefined) e.textContent = text;
    if (cls) e.className = cls;
    return e;
  };
  let total = data.number.length;

  // The header: the file's facts, the selection, the reader's messages.
  document.title = "korvex report: " + data.file;
  byId("file").textContent = data.file;
  const facts = [["Protocol", data.protocol || "?"], ["Frames", String(data.frames)]];
  if (data.selected !== data.frames) facts.push(["Selected", String(data.selected)]);
  if (data.first) facts.push(["Time span", data.first + " \u2013 " + data.last]);
  for (const [name, value] of facts) {
    const d = make("div");
    d.append(make("dt", name), make("dd", value));
    byId("facts").append(d);
  }
  const choice = [];
  if (data.where) choice.push("--where " + data.where);
  if (data.range) choice.push("--frames " + data.range);
  if (choice.length > 0) {
    byId("where").textContent = choice.join(" ");
    byId("selection").hidden = false;
  }
  if (data.messages) {
    byId("messages").textContent = data.messages;
    byId("messages").hidden = false;
  }

  // Link health, as korvex stats counts it.
  const links = Object.keys(data.stats.links || {});
  if (links.length > 0) {
    const columns = ["REJ", "RNR", "FRMR", "DM", "reestablished", "repeated_ns"];
    const head = make("tr");
    head.append(make("th", "link"));
    for (const c of ["REJ", "RNR", "FRMR", "DM", "re-establish", "repeated N(S)"]) head.append(make("th", c));
    byId("health-table").tHead.append(head);
    for (const link of links) {
      const tr = make("tr");
      tr.append(make("td", link));
      for (const c of columns) tr.append(make("td", String(data.stats.links[link][c])));
      byId("health-table").tBodies[0].append(tr);
    }
    byId("health").hidden = false;
  }

  // The frame list. shown holds the row indexes in view order: all of
  // them, those of the chosen call, narrowed further by the search text.
  const list = byId("list");
  const rows = byId("list-rows");
  const rowHeight = parseFloat(getComputedStyle(document.documentElement).getPropertyValue("--row")) || 20;
  const directionClass = (i) => {
    const d = data.direction[i];
    return d === "U" || d === "N" ? "dir-" + d : "dir-other";
  };
  let base = null;  // the chosen call's row indexes, or null for all
  let shown = null; // the rows shown, or null for all
  let chosen = -1;  // the row whose detail is open
  const count = () => (shown === null ? total : shown.length);
  const rowAt = (k) => (shown === null ? k : shown[k]);

  function draw() {
    const first = Math.max(0, Math.floor(list.scrollTop / rowHeight));
    const last = Math.min(count(), first + Math.ceil(list.clientHeight / rowHeight) + 1);
    rows.style.top = first * rowHeight + "px";
    const fragment = document.createDocumentFragment();
    for (let k = first; k < last; ++k) {
      const i = rowAt(k);
      const row = make("div", undefined, "row " + directionClass(i) + (i === chosen ? " chosen" : ""));
      row.dataset.row = i;
      row.dataset.frame = data.number[i];
      const d = data.direction[i];
      row.append(make("span", String(data.number[i]), "n"), make("span", data.time[i], "t"),
                 make("span", d === "-" ? "" : d, "d"), make("span", data.summary[i], "s"));
      fragment.append(row);
    }
    rows.replaceChildren(fragment);
  }

  function refresh() {
    byId("list-space").style.height = count() * rowHeight + "px";
    // As tall as its rows, at most half the window.
    const fit = Math.max(5, Math.min(count(), Math.floor(window.innerHeight * 0.5 / rowHeight)));
    list.style.height = fit * rowHeight + "px";
    const what = base === null ? total : base.length;
    byId("shown").textContent = count() === total ? total + " frames"
                                                  : count() + " of " + what + " frames shown";
    draw();
  }

  // Search: the rows whose summary line holds the text, any case.
  let lower = null;
  function applySearch() {
    const text = byId("search").value.trim().toLowerCase();
    if (text === "") {
      shown = base;
    } else {
      if (lower === null) lower = data.summary.map((s) => s.toLowerCase());
      const from = base === null ? null : base;
      const hits = [];
      const n = from === null ? total : from.length;
      for (let k = 0; k < n; ++k) {
        const i = from === null ? k : from[k];
        if (lower[i].includes(text)) hits.push(i);
      }
      shown = hits;
    }
    list.scrollTop = 0;
    refresh();
  }
  let searchTimer = 0;
  byId("search").addEventListener("input", () => {
    clearTimeout(searchTimer);
    searchTimer = setTimeout(applySearch, total > 20000 ? 200 : 0);
  });

  // Packed texts (details, ladders, the call list): a chunk inflated once,
  // kept for the next time.
  const chunks = new Map();
  async function unpack(name, i) {
    await loaded;
    const per = data[name + "_chunk"];
    const key = name + ":" + Math.floor(i / per);
    if (!chunks.has(key)) {
      const bytes = Uint8Array.from(atob(data[name][Math.floor(i / per)]), (ch) => ch.charCodeAt(0));
      const stream = new Blob([bytes]).stream().pipeThrough(new DecompressionStream("deflate"));
      chunks.set(key, new Response(stream).text().then((t) => t.split("\0")));
    }
    return chunks.get(key).then((texts) => texts[i % per]);
  }
  async function open(i) {
    chosen = i;
    draw();
    const text = await unpack("detail", i);
    if (chosen !== i) return;
    const detail = byId("detail");
    detail.textContent = text;
    detail.className = directionClass(i);
    detail.dataset.frame = data.number[i];
    detail.hidden = false;
  }
  rows.addEventListener("click", (event) => {
    const row = event.target.closest(".row");
    if (row) open(Number(row.dataset.row));
  });
  list.addEventListener("scroll", () => requestAnimationFrame(draw));
  window.addEventListener("resize", refresh);

  // The index of a frame number's row: the numbers rise through the list.
  function rowOf(number) {
    let lo = 0, hi = total - 1;
    while (lo <= hi) {
      const mid = (lo + hi) >> 1;
      if (data.number[mid] === number) return mid;
      if (data.number[mid] < number) lo = mid + 1; else hi = mid - 1;
    }
    return -1;
  }

  // The calls, as korvex calls --format json gives them; a click shows the
  // call's ladder and narrows the frames to the call's own. The list is
  // unpacked once the first rows are drawn, its rows added a batch at a time.
  let callList = null;
  let callShown = -1;
  async function chooseCall(c) {
    callShown = c;
    byId("ladder-svg").replaceChildren();
    const table = byId("call-table").tBodies[0];
    for (const tr of table.rows) tr.classList.toggle("chosen", Number(tr.dataset.call) === c);
    if (c < 0) {
      base = null;
      byId("ladder").hidden = true;
    } else {
      base = callList.call_frames[c].map(rowOf).filter((i) => i >= 0);
      byId("ladder-title").textContent = "Call " + callList.calls[c].number + ": " + base.length + " frames";
      byId("ladder").hidden = false;
    }
    applySearch();
    if (c >= 0) {
      const svg = await unpack("ladder", c);
      if (callShown === c) byId("ladder-svg").innerHTML = svg;
    }
  }
  async function showCalls() {
    callList = JSON.parse(await unpack("call_list", 0));
    const calls = callList.calls;
    const keys = Object.keys(calls[0]);
    const head = make("tr");
    for (const k of keys) head.append(make("th", k));
    byId("call-table").tHead.append(head);
    byId("call-table").tBodies[0].addEventListener("click", (event) => {
      const tr = event.target.closest("tr");
      if (tr) chooseCall(Number(tr.dataset.call));
    });
    byId("all-frames").addEventListener("click", () => chooseCall(-1));
    byId("calls").hidden = false;
    // A thousand rows at a time: a trace may hold a call per frame.
    const batch = 1000;
    let added = 0;
    const addRows = () => {
      const fragment = document.createDocumentFragment();
      for (const end = Math.min(calls.length, added + batch); added < end; ++added) {
        const tr = make("tr");
        tr.dataset.call = added;
        for (const k of keys) tr.append(make("td", calls[added][k] === null ? "" : String(calls[added][k])));
        fragment.append(tr);
      }
      byId("call-table").tBodies[0].append(fragment);
      byId("more-calls").hidden = added >= calls.length;
      byId("more-calls").textContent = "Show " + Math.min(batch, calls.length - added) + " more of " +
                                       (calls.length - added) + " calls";
    };
    byId("more-calls").addEventListener("click", addRows);
    addRows();
  }

  // The first rows now; every row, the calls and the packed texts once the
  // document has been read.
  refresh();
  const loaded = new Promise((resolve) => {
    const take = () => {
      Object.assign(data, JSON.parse(byId("korvex-data").textContent));
      total = data.number.length;
      lower = null;
      const facts = byId("facts");
      const d = make("div");
      d.append(make("dt", "Calls"), make("dd", String(data.calls)));
      facts.append(d);
      applySearch();
      resolve();
    };
    if (document.readyState === "loading") document.addEventListener("DOMContentLoaded", take);
    else take();
  });
  loaded.then(() => {
    if (data.calls > 0) showCalls();
  });
})();