// The band view: the show as the program pushes it over one WebSocket, drawn with plain DOM
// calls (text goes in as text, never as markup), and the operator's commands sent back.
"use strict";

const $ = (id) => document.getElementById(id);
const show = { texts: {}, rows: [], state: {}, clock: { elapsed: 0, length: 0, at: 0 }, lyric: null, karaoke: null };
let socket = null;
let shownStretch = -1;

function text(key, ...values) {
  let s = show.texts[key] || "";
  values.forEach((v, i) => { s = s.replace("%" + (i + 1), v); });
  return s;
}

function clockText(seconds) {
  const s = Math.max(0, Math.floor(seconds));
  const h = Math.floor(s / 3600), m = Math.floor((s % 3600) / 60), r = String(s % 60).padStart(2, "0");
  return h > 0 ? h + ":" + String(m).padStart(2, "0") + ":" + r : m + ":" + r;
}

// The song's position now: counted on from the last report while it plays.
function elapsedNow() {
  const c = show.clock;
  if (!show.state.playing) return c.elapsed;
  const e = c.elapsed + (performance.now() - c.at) / 1000;
  return c.length > 0 ? Math.min(e, c.length) : e;
}

// ---- views -------------------------------------------------------------------------------
function chooseView(view) {
  if (view !== "band" && view !== "lyric") view = "band";
  document.body.dataset.view = view;
  $("viewBand").setAttribute("aria-pressed", view === "band");
  $("viewLyric").setAttribute("aria-pressed", view === "lyric");
  try { localStorage.setItem("vl.view", view); } catch (e) { /* private mode: not remembered */ }
  drawLyric();
}

function applyTexts(message) {
  show.texts = message.texts || {};
  document.documentElement.lang = message.language === "deutsch" ? "de" : "en";
  document.querySelectorAll("[data-text]").forEach((el) => { el.textContent = text(el.dataset.text); });
  $("pin").setAttribute("aria-label", text("pin"));
  drawState();
  drawLink();
}

// ---- setlist ----------------------------------------------------------------------------
function applySetlist(message) {
  show.rows = Array.isArray(message.rows) ? message.rows : [];
  $("setName").textContent = message.name || "";
  const list = $("setlist");
  list.replaceChildren();
  show.rows.forEach((row, i) => {
    const li = document.createElement("li");
    li.dataset.row = i + 1;
    const number = document.createElement("span");
    number.className = "number";
    number.textContent = i + 1;
    const title = document.createElement("span");
    title.className = "title";
    title.textContent = row.title;
    const length = document.createElement("span");
    length.className = "length";
    length.textContent = row.length > 0 ? clockText(row.length) : "";
    li.append(number, title, length);
    list.append(li);
  });
  drawState();
}

function drawState() {
  const st = show.state;
  document.querySelectorAll("#setlist li").forEach((li) => {
    const row = Number(li.dataset.row);
    li.classList.toggle("playing", row === st.playingRow);
    li.classList.toggle("next", row === st.nextRow && row !== st.playingRow);
    li.classList.toggle("selected", row === st.selectedRow);
  });
  $("songTitle").textContent = st.title || "";
  $("play").hidden = !!st.playing;
  $("stop").hidden = !st.playing;
  $("lyricToggle").textContent = text(st.lyricShown ? "hideLyric" : "showLyric");
  const playing = document.querySelector("#setlist li.playing") || document.querySelector("#setlist li.selected");
  if (playing && document.body.dataset.view === "band") playing.scrollIntoView({ block: "nearest" });
  drawClock();
}

function drawClock() {
  const length = show.clock.length;
  const elapsed = elapsedNow();
  $("elapsed").textContent = clockText(elapsed);
  // Counted down to the whole second above, so that elapsed and remaining add up to the length.
  $("remaining").textContent = "-" + clockText(Math.ceil(length - elapsed - 0.001));
  $("barFill").style.width = (length > 0 ? Math.min(100, (100 * elapsed) / length) : 0) + "%";
  // The set: all of it, and what is left from the song on stage (or the next one) on.
  let total = 0, left = 0;
  const st = show.state, from = st.playingRow || st.nextRow || st.selectedRow || 1;
  show.rows.forEach((row, i) => {
    const len = row.length > 0 ? row.length : 0;
    total += len;
    if (i + 1 > from || (i + 1 === from && !st.playingRow)) left += len;
  });
  if (st.playingRow) left += Math.max(0, length - elapsed);
  $("setTime").textContent = text("setTime", clockText(total), clockText(left));
  followLyric(elapsed);
}

// ---- lyric ------------------------------------------------------------------------------
function lyricScale() {
  const width = $("lyric").clientWidth || window.innerWidth;
  return Math.min(2, Math.max(0.75, width / 800)) * (4 / 3); // points to pixels, as the lyric view zooms
}

function paragraphs(blocks) {
  const scale = lyricScale();
  const out = document.createDocumentFragment();
  (blocks || []).forEach((block) => {
    const p = document.createElement("p");
    if (["left", "center", "right", "justify"].includes(block.align)) p.style.textAlign = block.align;
    (block.runs || []).forEach((run) => {
      const span = document.createElement("span");
      span.textContent = run.text;
      if (/^#[0-9a-f]{6}$/i.test(run.color || "")) span.style.color = run.color;
      if (run.size > 0) span.style.fontSize = Math.round(run.size * scale) + "px";
      if (run.bold) span.style.fontWeight = "bold";
      if (run.italic) span.style.fontStyle = "italic";
      if (run.underline) span.style.textDecoration = "underline";
      p.append(span);
    });
    out.append(p);
  });
  return out;
}

function drawLyric() {
  const box = $("lyricText");
  const lyric = show.lyric;
  shownStretch = -1;
  if (!lyric || lyric.mode === "none") {
    box.replaceChildren();
  } else if (lyric.mode === "midi") {
    drawKaraoke();
  } else if (lyric.mode === "plain") {
    box.replaceChildren(paragraphs(lyric.blocks));
  }
  followLyric(elapsedNow());
}

function drawKaraoke() {
  const k = show.karaoke || {};
  const box = $("lyricText");
  const p = document.createElement("p");
  p.style.textAlign = "center";
  p.style.fontSize = Math.round(28 * lyricScale()) + "px";
  [["sung", "#505050"], ["singing", "#ffff00"], ["coming", "#ffffff"]].forEach(([part, colour]) => {
    const span = document.createElement("span");
    span.className = part;
    span.style.color = colour;
    span.textContent = k[part] || "";
    p.append(span);
  });
  box.replaceChildren(p);
}

// As the lyric view follows the song: the plain lyric scrolls, the timed lyric shows the
// stretch of its last passed tag.
function followLyric(elapsed) {
  const lyric = show.lyric;
  if (!lyric) return;
  if (lyric.mode === "plain" && show.state.playing && show.clock.length > 0) {
    const pane = $("lyric");
    const range = (pane.scrollHeight - pane.clientHeight) * 1.1;
    pane.scrollTop = Math.min(pane.scrollHeight, (range * elapsed) / show.clock.length);
  } else if (lyric.mode === "tags") {
    // Stretches come only while the song plays; before, the whole lyric shows.
    const stretches = lyric.stretches || [];
    let index = -2;
    if (show.state.playing && stretches.length > 0) {
      index = 0;
      stretches.forEach((s, i) => { if (s.at <= elapsed) index = i; });
    }
    if (index !== shownStretch) {
      shownStretch = index;
      $("lyricText").replaceChildren(paragraphs(index < 0 ? lyric.blocks : stretches[index].blocks));
      $("lyricText").dataset.stretch = index;
      $("lyric").scrollTop = 0;
    }
  }
}

// ---- operator ---------------------------------------------------------------------------
function token() {
  try { return localStorage.getItem("vl.token") || ""; } catch (e) { return ""; }
}
function keepToken(value) {
  try { value ? localStorage.setItem("vl.token", value) : localStorage.removeItem("vl.token"); } catch (e) { /* kept for this page only */ }
}
function send(message) {
  if (socket && socket.readyState === WebSocket.OPEN) socket.send(JSON.stringify(message));
}
function command(name, extra) {
  send(Object.assign({ type: "command", token: token(), command: name }, extra || {}));
}
function setOperator(on) {
  document.body.classList.toggle("operator", on);
  $("controls").hidden = !on;
  $("pinForm").hidden = on;
}

function applyPinAnswer(message) {
  $("pin").value = "";
  if (message.result === "accepted") {
    keepToken(message.token);
    $("pinAnswer").textContent = "";
    setOperator(true);
  } else if (message.result === "locked") {
    $("pinAnswer").textContent = text("pinLocked", message.wait);
  } else {
    $("pinAnswer").textContent = text("pinWrong");
  }
}

function applySession(message) {
  if (!message.valid) keepToken("");
  setOperator(!!message.valid);
}

function applyCommandAnswer(message) {
  if (message.result === "denied") {
    keepToken("");
    setOperator(false);
    $("operator").hidden = false;
    $("pinAnswer").textContent = text("sessionOver");
  }
  $("commandAnswer").textContent = message.result === "busy" ? text("busy") : "";
}

// ---- connection -------------------------------------------------------------------------
function drawLink() {
  const online = socket && socket.readyState === WebSocket.OPEN;
  $("link").classList.toggle("offline", !online);
  $("link").textContent = online ? "" : text("offline") || "\u2026";
}

const handlers = {
  texts: applyTexts,
  setlist: applySetlist,
  state: (m) => { show.state = m; drawState(); },
  clock: (m) => { show.clock = { elapsed: m.elapsed || 0, length: m.length || 0, at: performance.now() }; drawClock(); },
  lyric: (m) => { show.lyric = m; drawLyric(); },
  karaoke: (m) => { show.karaoke = m; if (show.lyric && show.lyric.mode === "midi") drawKaraoke(); },
  pin: applyPinAnswer,
  session: applySession,
  command: applyCommandAnswer,
};

function connect() {
  socket = new WebSocket((location.protocol === "https:" ? "wss://" : "ws://") + location.host + "/live");
  socket.onopen = () => {
    drawLink();
    if (token()) send({ type: "resume", token: token() });
  };
  socket.onmessage = (event) => {
    let message;
    try { message = JSON.parse(event.data); } catch (e) { return; }
    const handler = message && handlers[message.type];
    if (handler) handler(message);
  };
  socket.onclose = () => {
    drawLink();
    setTimeout(connect, 1000);
  };
}

function start() {
  let view = "band";
  try { view = localStorage.getItem("vl.view") || "band"; } catch (e) { /* the default */ }
  chooseView(view);
  $("viewBand").onclick = () => chooseView("band");
  $("viewLyric").onclick = () => chooseView("lyric");
  $("operatorButton").onclick = () => { $("operator").hidden = !$("operator").hidden; };
  $("pinForm").onsubmit = (event) => {
    event.preventDefault();
    if ($("pin").value) send({ type: "pin", pin: $("pin").value });
  };
  document.querySelectorAll("#controls [data-command]").forEach((b) => { b.onclick = () => command(b.dataset.command); });
  $("lyricToggle").onclick = () => command(show.state.lyricShown ? "lyric-hide" : "lyric-show");
  $("logout").onclick = () => { send({ type: "logout", token: token() }); keepToken(""); setOperator(false); };
  $("setlist").onclick = (event) => {
    const li = event.target.closest("li");
    if (li && document.body.classList.contains("operator")) command("row", { row: Number(li.dataset.row) });
  };
  window.addEventListener("resize", drawLyric);
  setOperator(false);
  setInterval(drawClock, 100);
  connect();
}

start();
