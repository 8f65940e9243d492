// Opens the only recording's chart twice in Debian's Chromium at laptop width: once as the
// logger first reads the file, then again once it holds it; the time to the first drawing and
// the bytes of one view. node chart-bench.mjs NPM_DIR LINK WORK_DIR
import { createRequire } from "module";
import fs from "fs";
import path from "path";

const [npmDir, link, workDir] = process.argv.slice(2);
const require = createRequire(path.join(npmDir, "package.json"));
const puppeteer = require("puppeteer-core");
const browser = await puppeteer.launch({
  executablePath: "/usr/bin/chromium", headless: true,
  args: ["--no-sandbox", "--disable-gpu", "--disable-background-networking",
         "--disable-component-update", "--disable-sync", "--no-first-run",
         `--user-data-dir=${fs.mkdtempSync(path.join(workDir, "chromium-"))}`],
});
try {
  const page = await browser.newPage();
  await page.setViewport({ width: 1280, height: 900 });
  let bytes = 0;
  page.on("response", async (response) => {
    if (response.url().includes("/chart?")) bytes = (await response.buffer()).length;
  });
  const open = async () => {
    await page.waitForSelector(".open-chart", { timeout: 60000 });
    const started = Date.now();
    await page.click(".open-chart");
    await page.waitForFunction(() => /markers/.test(document.getElementById("chart-said").textContent),
                               { timeout: 240000, polling: 20 });
    return Date.now() - started;
  };
  await page.goto(link, { waitUntil: "domcontentloaded" });
  const coldMs = await open();
  await page.reload({ waitUntil: "domcontentloaded" });
  const warmMs = await open();
  await page.screenshot({ path: path.join(workDir, "day-chart.png"), fullPage: true });
  console.log(JSON.stringify({ coldMs, warmMs, bytes }));
} finally {
  await browser.close();
}
