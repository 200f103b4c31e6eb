// How fast the start page shows and how much it loads first: opens the
// built site in headless Chromium (a fresh profile, so nothing is cached)
// five times and prints the milliseconds from navigation until the picture
// and the camera icon are shown, and the bytes transferred until then.
//   node web/tools/measure_start.mjs [SITE]
import { spawn } from 'node:child_process';
import { resolve } from 'node:path';
import { chromium } from 'playwright-core';

const site = resolve(process.argv[2] ?? 'build-wasm/site');
const server = spawn('python3', [resolve(import.meta.dirname ?? '.', '..', 'serve.py'), '--port', '0', site],
  { stdio: ['ignore', 'pipe', 'inherit'] });
const origin = await new Promise((done) => server.stdout.once('data', (d) => done(String(d).match(/http:\/\/[\d.]+:\d+/)[0])));
const browser = await chromium.launch({ executablePath: process.env.FROSTPANE_CHROMIUM ?? '/usr/bin/chromium' });
try {
  for (let run = 1; run <= 5; ++run) {
    const context = await browser.newContext({ viewport: { width: 640, height: 480 }, serviceWorkers: 'block' });
    const page = await context.newPage();
    await page.goto(`${origin}/`, { waitUntil: 'commit' });
    await page.waitForSelector('#game[data-state="ready"]');
    // What had come over the network by the time the page was shown, by the
    // browser's own resource timing (everything is of the page's origin).
    const { shownAt, bytes } = await page.evaluate(() => {
      const shown = globalThis.frostpaneTest.shownAt();
      const entries = [...performance.getEntriesByType('navigation'), ...performance.getEntriesByType('resource')];
      return {
        shownAt: shown,
        bytes: entries.filter((e) => e.responseEnd <= shown).reduce((sum, e) => sum + e.transferSize, 0),
      };
    });
    console.log(`run ${run}: start page shown after ${shownAt.toFixed(0)} ms, ${(bytes / 1e6).toFixed(2)} MB transferred`);
    await context.close();
  }
} finally {
  await browser.close();
  server.kill('SIGINT');
}
