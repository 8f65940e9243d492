// One recording's chart: the server thins each lane to the canvas's pixel columns (lowest,
// highest, first and last value of each), so zoom and pan fetch only what one view shows.
const $ = (id) => document.getElementById(id);
const LANE_COLOURS = ["#00ff40", "#ffd000", "#40a0ff", "#ff60c0", "#ff8030", "#a0ff80", "#c080ff", "#ffffff"];
const AXIS = 18;  // pixels under the lanes for the time axis

let current = null;  // { name, start, end, from, to, data }
let request = 0;

function clockText(seconds) {
  const s = Math.max(0, Math.floor(seconds));
  const h = Math.floor(s / 3600), m = Math.floor((s % 3600) / 60), r = s % 60;
  const two = (n) => String(n).padStart(2, "0");
  return h > 0 ? `${h}:${two(m)}:${two(r)}` : `${m}:${two(r)}`;
}

async function load(from, to) {
  const canvas = $("chart");
  const width = Math.max(50, Math.min(2000, Math.round(canvas.clientWidth)));
  const query = new URLSearchParams({ width: String(width) });
  if (from !== undefined) { query.set("from", from.toFixed(3)); query.set("to", to.toFixed(3)); }
  const mine = ++request;
  const said = $("chart-said");
  said.textContent = "Loading…";
  const reply = await fetch(`/api/recordings/${encodeURIComponent(current.name)}/chart?${query}`, { cache: "no-store" });
  if (mine !== request) return;  // a newer view was asked for meanwhile
  if (!reply.ok) { said.textContent = `The chart did not open (${reply.status}).`; return; }
  const data = await reply.json();
  if (mine !== request) return;
  Object.assign(current, { start: data.start, end: data.end, from: data.from, to: data.to, data });
  draw();
}

function draw() {
  const canvas = $("chart");
  const ratio = window.devicePixelRatio || 1;
  const w = canvas.clientWidth, h = canvas.clientHeight;
  canvas.width = Math.round(w * ratio);
  canvas.height = Math.round(h * ratio);
  const g = canvas.getContext("2d");
  g.setTransform(ratio, 0, 0, ratio, 0, 0);
  g.fillStyle = "#000"; g.fillRect(0, 0, w, h);
  const data = current?.data;
  if (!data) return;
  const lanes = data.lanes;
  const laneHeight = (h - AXIS) / lanes.length;
  const scaleX = w / data.width;
  g.font = "11px sans-serif";
  const summary = [];
  lanes.forEach((lane, index) => {
    const top = index * laneHeight;
    const low = lane.low, high = lane.high;
    g.strokeStyle = "#333"; g.lineWidth = 1;
    g.beginPath(); g.moveTo(0, top + laneHeight - 0.5); g.lineTo(w, top + laneHeight - 0.5); g.stroke();
    if (low === null || high === null) {
      summary.push(`${lane.name}: no readings`);
      return;
    }
    const span = high > low ? high - low : 1;
    const y = (v) => top + 3 + (1 - (v - low) / span) * (laneHeight - 6);
    const breaks = new Set(lane.breaks);
    g.strokeStyle = LANE_COLOURS[index % LANE_COLOURS.length];
    g.lineWidth = 1.2;
    g.beginPath();
    let previous = null;
    let viewLow = Infinity, viewHigh = -Infinity;
    lane.columns.forEach((column, c) => {
      if (column === null) return;  // the line runs on over columns without a sample
      const [lo, hi, first, last] = Array.isArray(column) ? column : [column, column, column, column];
      viewLow = Math.min(viewLow, lo); viewHigh = Math.max(viewHigh, hi);
      const x = (c + 0.5) * scaleX;
      if (previous !== null && !breaks.has(c)) {
        g.moveTo(previous.x, y(previous.last)); g.lineTo(x, y(first));
      }
      if (hi > lo) { g.moveTo(x, y(hi)); g.lineTo(x, y(lo)); } else { g.moveTo(x - 0.5, y(lo)); g.lineTo(x + 0.5, y(lo)); }
      previous = { x, last };
    });
    g.stroke();
    g.fillStyle = g.strokeStyle;
    g.fillText(`${lane.name} (${lane.unit})`, 4, top + 12);
    summary.push(Number.isFinite(viewLow) ? `${lane.name}: ${viewLow} to ${viewHigh} ${lane.unit}` : `${lane.name}: no readings here`);
  });
  const seconds = (t) => (t - data.from) / (data.to - data.from) * w;
  for (const [t, number, text] of data.markers) {
    if (t < data.from || t > data.to) continue;
    const x = seconds(t);
    g.strokeStyle = "#ff4040"; g.lineWidth = 1;
    g.beginPath(); g.moveTo(x, 0); g.lineTo(x, h - AXIS); g.stroke();
    g.fillStyle = "#ff4040";
    g.fillText(text ? `${number} ${text}` : String(number), x + 3, h - AXIS - 4);
  }
  g.fillStyle = "#ccc";
  const step = niceStep((data.to - data.from) / Math.max(1, w / 90));
  for (let t = Math.ceil((data.from - data.start) / step) * step; t + data.start <= data.to; t += step) {
    const x = seconds(t + data.start);
    g.fillRect(x, h - AXIS, 1, 4);
    g.fillText(clockText(t), x + 2, h - 4);
  }
  const visible = data.markers.filter(([t]) => t >= data.from && t <= data.to).length;
  $("chart-said").textContent =
    `${clockText(data.from - data.start)} to ${clockText(data.to - data.start)} of ${clockText(data.end - data.start)}; ` +
    `${visible} of ${data.markers.length} markers. ${summary.join("; ")}.`;
}

function niceStep(rough) {
  const steps = [1, 2, 5, 10, 15, 30, 60, 120, 300, 600, 900, 1800, 3600, 7200, 14400, 21600, 43200, 86400];
  return steps.find((s) => s >= rough) ?? 86400 * Math.ceil(rough / 86400);
}

function view(from, to) {
  const length = Math.max(1, to - from);
  const all = current.end - current.start;
  if (length >= all) return load();
  from = Math.min(Math.max(from, current.start), current.end - length);
  return load(from, from + length);
}

function zoom(factor, anchor) {
  const { from, to } = current;
  const at = anchor ?? (from + to) / 2;
  view(at - (at - from) / factor, at + (to - at) / factor);
}

function goToMarker(direction) {
  const middle = (current.from + current.to) / 2;
  const times = current.data.markers.map(([t]) => t);
  const target = direction > 0 ? times.find((t) => t > middle + 0.001) : times.reverse().find((t) => t < middle - 0.001);
  if (target === undefined) return;
  const half = (current.to - current.from) / 2;
  view(target - half, target + half);
}

let wired = false;
function wire() {
  if (wired) return;
  wired = true;
  const canvas = $("chart");
  $("zoom-in").addEventListener("click", () => zoom(2));
  $("zoom-out").addEventListener("click", () => zoom(0.5));
  $("zoom-all").addEventListener("click", () => load());
  $("marker-next").addEventListener("click", () => goToMarker(1));
  $("marker-prev").addEventListener("click", () => goToMarker(-1));
  canvas.addEventListener("wheel", (event) => {
    event.preventDefault();
    const at = current.from + event.offsetX / canvas.clientWidth * (current.to - current.from);
    zoom(event.deltaY < 0 ? 1.5 : 1 / 1.5, at);
  }, { passive: false });
  const pointers = new Map();
  let dragFrom = null;
  canvas.addEventListener("pointerdown", (event) => {
    canvas.setPointerCapture(event.pointerId);
    pointers.set(event.pointerId, event.offsetX);
    dragFrom = { x: event.offsetX, from: current.from, to: current.to, spread: null };
    if (pointers.size === 2) {
      const [a, b] = [...pointers.values()];
      dragFrom.spread = Math.abs(a - b);
      dragFrom.x = (a + b) / 2;
    }
  });
  canvas.addEventListener("pointermove", (event) => {
    if (!dragFrom || !pointers.has(event.pointerId)) return;
    pointers.set(event.pointerId, event.offsetX);
    const perPixel = (dragFrom.to - dragFrom.from) / canvas.clientWidth;
    if (pointers.size === 2 && dragFrom.spread) {
      const [a, b] = [...pointers.values()];
      const factor = Math.abs(a - b) / dragFrom.spread;
      if (factor > 0.2) {
        const at = dragFrom.from + dragFrom.x * perPixel;
        current.pending = [at - (at - dragFrom.from) / factor, at + (dragFrom.to - at) / factor];
      }
    } else {
      const shift = (dragFrom.x - event.offsetX) * perPixel;
      current.pending = [dragFrom.from + shift, dragFrom.to + shift];
    }
  });
  const end = (event) => {
    pointers.delete(event.pointerId);
    if (pointers.size === 0 && current.pending) {
      const [from, to] = current.pending;
      current.pending = null;
      dragFrom = null;
      view(from, to);
    }
  };
  canvas.addEventListener("pointerup", end);
  canvas.addEventListener("pointercancel", end);
  window.addEventListener("resize", () => current && draw());
}

export function openChart(name) {
  current = { name, data: null, pending: null };
  $("chart-card").hidden = false;
  $("chart-title").textContent = `Chart: ${name}`;
  wire();
  $("chart-card").scrollIntoView({ behavior: "smooth", block: "start" });
  load();
}
