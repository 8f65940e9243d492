// Drives Debian's Chromium, headless, through the dashboard as a phone and as a laptop would:
// node dashboard.mjs NPM_DIR LINK OUT_DIR. One JSON object a line on standard output tells what
// the page showed; screenshots go to OUT_DIR.
import { createRequire } from "module";
import fs from "fs";
import path from "path";

const [npmDir, link, outDir] = process.argv.slice(2);
const require = createRequire(path.join(npmDir, "package.json"));
const puppeteer = require("puppeteer-core");
const say = (what) => console.log(JSON.stringify(what));
const pause = (ms) => new Promise((done) => setTimeout(done, ms));

const browser = await puppeteer.launch({
  executablePath: "/usr/bin/chromium",
  headless: true,
  args: ["--no-sandbox", "--disable-gpu", "--disable-background-networking",
         "--disable-component-update", "--disable-sync", "--no-first-run",
         `--user-data-dir=${fs.mkdtempSync(path.join(outDir, "chromium-"))}`],
});
try {
  const page = await browser.newPage();
  page.on("pageerror", (error) => say({ pageError: error.message }));
  page.on("console", (message) => say({ console: message.text() }));
  await page.setViewport({ width: 360, height: 780, deviceScaleFactor: 2, isMobile: true, hasTouch: true });
  await page.goto(link, { waitUntil: "domcontentloaded" });
  say({ address: page.url() });
  await page.waitForFunction(() => /\d/.test(document.getElementById("value-engine_speed_rpm").textContent),
                             { timeout: 10000 });
  say({ rpm: await page.$eval("#value-engine_speed_rpm", (e) => e.textContent),
        status: await page.$eval("#status", (e) => e.textContent),
        link: await page.$eval("#link", (e) => e.textContent),
        pageWidth: await page.evaluate(() => document.documentElement.scrollWidth) });
  await pause(500);
  await page.screenshot({ path: path.join(outDir, "phone-live.png") });
  await page.click("#marker");
  await page.waitForFunction(() => document.getElementById("marker-said").textContent !== "", { timeout: 5000 });
  say({ marker: await page.$eval("#marker-said", (e) => e.textContent) });
  await page.waitForSelector(".open-chart", { timeout: 15000 });
  const started = Date.now();
  await page.click(".open-chart");
  await page.waitForFunction(() => /markers/.test(document.getElementById("chart-said").textContent),
                             { timeout: 20000 });
  say({ chartMs: Date.now() - started, chart: await page.$eval("#chart-said", (e) => e.textContent) });
  await page.screenshot({ path: path.join(outDir, "phone-chart.png"), fullPage: true });
  // Leaving the phone's touch screen reloads the page.
  await page.setViewport({ width: 1280, height: 900, deviceScaleFactor: 1 });
  await page.waitForSelector(".open-chart", { timeout: 15000 });
  await pause(800);
  await page.screenshot({ path: path.join(outDir, "laptop-live.png") });
  await page.click(".open-chart");
  await page.waitForFunction(() => /markers/.test(document.getElementById("chart-said").textContent),
                             { timeout: 20000 });
  await pause(300);
  await page.screenshot({ path: path.join(outDir, "laptop-chart.png"), fullPage: true });
  say({ done: true });
} finally {
  await browser.close();
}
