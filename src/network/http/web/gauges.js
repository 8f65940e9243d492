// The dial and the bar gauges drawn as the window draws them, from the scales the logger hands
// out (/scales.js): same segments, ticks, bands, marks and red zones.
import { scales } from "/scales.js";

const FACE = "#484848", BEVEL_LIGHT = "#8c8c8c", BEVEL_DARK = "#181818", POINTER = "#00ff40";
const BAND_LEFT = 0.85, BAND_WIDTH = 0.15, TICK_LEFT = 0.66, NUMBER_RIGHT = 0.62, LABEL_Y = 0.04;
const POINTER_BASE = 0.64, POINTER_HALF = 0.018, MIN_POINTER_HALF = 3;

function fitCanvas(canvas) {
  const ratio = window.devicePixelRatio || 1;
  const width = Math.max(1, Math.round(canvas.clientWidth * ratio));
  const height = Math.max(1, Math.round(canvas.clientHeight * ratio));
  if (canvas.width !== width || canvas.height !== height) {
    canvas.width = width;
    canvas.height = height;
  }
  const context = canvas.getContext("2d");
  context.setTransform(ratio, 0, 0, ratio, 0, 0);
  return { context, w: canvas.clientWidth, h: canvas.clientHeight };
}

function ticks(from, to, step) {
  const values = [];
  if (!(step > 0)) return values;
  const count = Math.floor((to - from) / step + 1e-9);
  for (let i = 0; i <= count; i++) values.push(from + i * step);
  return values;
}

function clamp(value, low, high) { return Math.min(high, Math.max(low, value)); }

function segmentY(segment, value) {
  const span = segment.high - segment.low;
  if (!(span > 0)) return segment.bottom;
  const v = Number.isFinite(value) ? clamp(value, segment.low, segment.high) : segment.low;
  return segment.bottom - (v - segment.low) / span * (segment.bottom - segment.top);
}

// The segment the polling shows a value on.
export function segmentFor(bar, value) {
  const last = bar.segments.length - 1;
  if (!Number.isFinite(value)) return 0;
  for (let i = 0; i < last; i++) {
    const high = bar.segments[i].high;
    if (value < high || (value === high && !bar.upAtBoundary)) return i;
  }
  return last;
}

export class BarGauge {
  constructor(canvas, bar) {
    this.canvas = canvas;
    this.bar = bar;
    this.value = NaN;
  }
  set(value) { this.value = value; this.draw(); }
  draw() {
    const { context: g, w, h } = fitCanvas(this.canvas);
    const bar = this.bar;
    g.fillStyle = FACE; g.fillRect(0, 0, w, h);
    g.fillStyle = BEVEL_LIGHT; g.fillRect(0, 0, w, 1); g.fillRect(0, 0, 1, h);
    g.fillStyle = BEVEL_DARK; g.fillRect(0, h - 1, w, 1); g.fillRect(w - 1, 0, 1, h);
    for (const band of bar.bands) {
      const segment = bar.segments[band.segment];
      if (!segment) continue;
      const top = segmentY(segment, band.high) * h, bottom = segmentY(segment, band.low) * h;
      g.fillStyle = band.colour;
      g.fillRect(BAND_LEFT * w, top, BAND_WIDTH * w, bottom - top);
    }
    const font = Math.max(8, Math.min(11, w / 5));
    g.font = `${font}px sans-serif`;
    g.textBaseline = "middle";
    g.fillStyle = "#fff";
    const drawn = [];
    for (const segment of bar.segments) {
      for (const tick of ticks(segment.tickFrom, segment.tickTo, segment.tickStep)) {
        const y = segmentY(segment, tick) * h;
        if (drawn.some((row) => Math.abs(row - y) < 0.5)) continue;
        drawn.push(y);
        g.fillRect(TICK_LEFT * w, y - 0.5, (BAND_LEFT - TICK_LEFT) * w, 1);
        g.textAlign = "right";
        g.fillText(String(+tick.toPrecision(6)), NUMBER_RIGHT * w, y);
      }
    }
    g.fillStyle = bar.labelColour;
    g.textAlign = "center";
    g.fillText(bar.label, w / 2, LABEL_Y * h + font / 2);
    const segment = bar.segments[segmentFor(bar, this.value)];
    const y = segmentY(segment, this.value) * h;
    const half = Math.max(MIN_POINTER_HALF, POINTER_HALF * h);
    g.fillStyle = POINTER;
    g.beginPath();
    g.moveTo(POINTER_BASE * w, y - half); g.lineTo(BAND_LEFT * w, y); g.lineTo(POINTER_BASE * w, y + half);
    g.closePath(); g.fill();
    g.fillRect(BAND_LEFT * w, y - 0.5, w - BAND_LEFT * w, 1);
  }
}

const OUTLINE = [[0, 100], [100, 0], [900, 0], [1000, 100], [1000, 900], [900, 1000], [100, 1000], [0, 900]];

export class Dial {
  constructor(canvas) {
    this.canvas = canvas;
    this.rpm = NaN;
    this.model = scales.dial.models["Corvane II VR"];
  }
  setModel(name) {
    const model = scales.dial.models[name];
    if (model && model !== this.model) { this.model = model; this.draw(); }
  }
  set(rpm) { this.rpm = rpm; this.draw(); }
  angle(thousands) {
    const max = this.model.scaleMax;
    const fraction = max > 0 && Number.isFinite(thousands) ? clamp(thousands / max, 0, 1) : 0;
    return (scales.dial.startDegrees - fraction * scales.dial.sweepDegrees) * Math.PI / 180;
  }
  draw() {
    const { context: g, w, h } = fitCanvas(this.canvas);
    const cx = w / 2, cy = h / 2, r = 0.42 * Math.min(w, h);
    const at = (radius, a) => [cx + radius * Math.cos(a), cy - radius * Math.sin(a)];
    g.clearRect(0, 0, w, h);
    g.beginPath();
    OUTLINE.forEach(([x, y], i) => (i ? g.lineTo : g.moveTo).call(g, x * (w - 1) / 1000 + 0.5, y * (h - 1) / 1000 + 0.5));
    g.closePath();
    g.fillStyle = "#101010"; g.fill();
    g.strokeStyle = "#a0a0a0"; g.lineWidth = 2; g.stroke();
    const zone = (from, to, colour) => {
      if (!(to > from)) return;
      g.beginPath();
      g.strokeStyle = colour; g.lineWidth = 0.10 * r;
      g.arc(cx, cy, 0.95 * r, -this.angle(from), -this.angle(to));
      g.stroke();
    };
    zone(this.model.markLow, this.model.markHigh, scales.dial.caution);
    zone(this.model.markHigh, this.model.scaleMax, scales.dial.red);
    g.strokeStyle = "#fff"; g.lineWidth = 2;
    g.fillStyle = "#fff";
    g.font = `${Math.round(0.13 * r)}px sans-serif`;
    g.textAlign = "center"; g.textBaseline = "middle";
    for (const tick of ticks(0, this.model.scaleMax, scales.dial.division)) {
      const a = this.angle(tick);
      g.beginPath(); g.moveTo(...at(0.86 * r, a)); g.lineTo(...at(r, a)); g.stroke();
      g.fillText(String(+tick.toPrecision(6)), ...at(0.68 * r, a));
    }
    g.fillStyle = "#ff0";
    g.fillText("RPM", cx, cy + 0.30 * r);
    g.fillText("x 1000", cx, cy + 0.40 * r);
    const a = this.angle(this.rpm / 1000);
    g.strokeStyle = POINTER; g.lineWidth = 3; g.lineCap = "round";
    g.beginPath(); g.moveTo(...at(0.12 * r, a + Math.PI)); g.lineTo(...at(0.86 * r, a)); g.stroke();
    g.fillStyle = "#808080";
    g.beginPath(); g.arc(cx, cy, 0.07 * r, 0, 2 * Math.PI); g.fill();
    const box = { x: cx - 0.36 * r, y: cy + 0.48 * r, w: 0.72 * r, h: 0.30 * r };
    g.fillStyle = "#000"; g.fillRect(box.x, box.y, box.w, box.h);
    g.strokeStyle = "#a0a0a0"; g.lineWidth = 1; g.strokeRect(box.x, box.y, box.w, box.h);
    g.fillStyle = "#fff"; g.font = `bold ${Math.round(0.18 * r)}px sans-serif`;
    g.fillText(Number.isFinite(this.rpm) ? String(Math.round(this.rpm)) : "", cx, box.y + box.h / 2);
  }
}

export { scales };
