// The dashboard page: live samples over /api/live, the logger's state from /api/status, the
// Marker button and the recordings. Every value drawn on a canvas is also on the page as text.
import { BarGauge, Dial, scales } from "/gauges.js";
import { openChart } from "/chart.js";

const $ = (id) => document.getElementById(id);
// Where the panel groups its bars, under the first bar of each group.
const GROUPS = { gauInj1PW: "FRONT CYLINDER", gauInj2PW: "REAR CYLINDER" };
const DECIMALS = { engine_speed_rpm: 0, throttle_pct: 1, fuel_front_pct: 2, fuel_rear_pct: 2,
                   battery_v: 2, injector_front_ms: 2, injector_rear_ms: 2, retard_deg: 1 };

const dial = new Dial($("dial"));
const bars = [];
for (const bar of scales.bars) {
  const box = document.createElement("div");
  box.className = "bar";
  box.dataset.gauge = bar.gauge;
  const group = document.createElement("div");
  group.className = "group";
  group.textContent = GROUPS[bar.gauge] ?? "";
  const canvas = document.createElement("canvas");
  canvas.setAttribute("aria-hidden", "true");
  const value = document.createElement("div");
  value.className = "value";
  value.id = `value-${bar.key}`;
  value.textContent = "-";
  value.title = bar.label;
  box.append(group, canvas, value);
  $("bars").append(box);
  bars.push({ gauge: new BarGauge(canvas, bar), value, bar, box });
}

function valueText(key, value) {
  return typeof value === "number" ? value.toFixed(DECIMALS[key] ?? 2) : "-";
}

let model = "";
function showModel(name) {
  if (!name || name === model) return;
  model = name;
  dial.setModel(name);
  const retard = scales.dial.models[name]?.showsRetard ?? true;
  for (const b of bars) {
    if (b.bar.key === "retard_deg") b.box.classList.toggle("hidden", !retard);
  }
  $("model").textContent = name;
}

function showSample(sample) {
  dial.set(sample.engine_speed_rpm ?? NaN);
  $("value-engine_speed_rpm").textContent = valueText("engine_speed_rpm", sample.engine_speed_rpm);
  for (const b of bars) {
    const v = sample[b.bar.key];
    b.gauge.set(typeof v === "number" ? v : NaN);
    b.value.textContent = valueText(b.bar.key, v);
  }
  $("status").textContent = (sample.status ?? "").split(" / ").join("\n") || "-";
}

function size(bytes) {
  if (typeof bytes !== "number") return "-";
  if (bytes >= 1 << 30) return `${(bytes / (1 << 30)).toFixed(1)} GB`;
  if (bytes >= 1 << 20) return `${(bytes / (1 << 20)).toFixed(1)} MB`;
  return `${(bytes / 1024).toFixed(0)} kB`;
}

async function getJson(path) {
  const reply = await fetch(path, { cache: "no-store" });
  if (reply.status === 401) {
    location.reload();  // the page then says how to get the link
    throw new Error("unauthorized");
  }
  if (!reply.ok) throw new Error(`${path}: ${reply.status}`);
  return reply.json();
}

function showLink(up, text) {
  const pill = $("link");
  pill.textContent = text;
  pill.classList.toggle("up", up);
  pill.classList.toggle("down", !up);
}

let socketOpen = false;
async function refreshStatus() {
  try {
    const status = await getJson("/api/status");
    showModel(status.model);
    $("state").textContent = status.state || "-";
    const rec = status.recording ?? {};
    $("recording").textContent = rec.file ?? "none";
    $("rows").textContent = rec.rows ?? "-";
    $("size").textContent = size(rec.size);
    $("free").textContent = size(rec.free);
    const alarm = $("alarm");
    alarm.hidden = !status.alarm;
    alarm.textContent = status.alarm ? `Alarm: ${status.alarm}` : "";
    showLink(status.link === "up" && socketOpen, status.link === "up" ? (socketOpen ? "link up" : "page offline") : "link down");
    if (!socketOpen && status.live) showSample(status.live);
  } catch (error) {
    showLink(false, "logger unreachable");
  }
}

function connectLive() {
  const scheme = location.protocol === "https:" ? "wss" : "ws";
  const socket = new WebSocket(`${scheme}://${location.host}/api/live`);
  socket.onopen = () => { socketOpen = true; refreshStatus(); };
  socket.onmessage = (event) => {
    try { showSample(JSON.parse(event.data)); } catch (error) { /* one bad message is skipped */ }
  };
  socket.onclose = () => {
    socketOpen = false;
    showLink(false, "reconnecting");
    setTimeout(connectLive, 2000);
  };
}

$("marker").addEventListener("click", async () => {
  const said = $("marker-said");
  try {
    const reply = await fetch("/api/marker", { method: "POST", body: "" });
    said.textContent = reply.ok ? `Marker asked for at ${new Date().toLocaleTimeString()}` : `Marker refused (${reply.status})`;
  } catch (error) {
    said.textContent = "Marker not sent: the logger is unreachable";
  }
});

async function refreshRecordings() {
  try {
    const list = await getJson("/api/recordings");
    const items = list.map((entry) => {
      const li = document.createElement("li");
      const name = document.createElement("span");
      name.className = "name";
      name.textContent = entry.name;
      const facts = document.createElement("span");
      facts.className = "facts";
      facts.textContent = `${entry.start ? entry.start.replace("T", " ").slice(0, 19) : "-"} · ${entry.rows} rows · ${size(entry.size)} · ${entry.markers} markers`;
      const actions = document.createElement("div");
      actions.className = "actions";
      const path = `/api/recordings/${encodeURIComponent(entry.name)}`;
      const csv = Object.assign(document.createElement("a"), { href: path, textContent: "CSV" });
      csv.download = entry.name;
      const mlg = Object.assign(document.createElement("a"), { href: `${path}?format=mlg`, textContent: "MLG" });
      const chart = Object.assign(document.createElement("button"), { type: "button", textContent: "Chart" });
      chart.className = "open-chart";
      chart.addEventListener("click", () => openChart(entry.name));
      actions.append(chart, csv, mlg);
      li.append(name, facts, actions);
      return li;
    });
    $("recordings").replaceChildren(...items);
  } catch (error) { /* shown again on the next refresh */ }
}

window.addEventListener("resize", () => { dial.draw(); bars.forEach((b) => b.gauge.draw()); });
dial.draw();
bars.forEach((b) => b.gauge.draw());
connectLive();
refreshStatus();
refreshRecordings();
setInterval(refreshStatus, 1000);
setInterval(refreshRecordings, 10000);
