// The browser edition on a slow device: Chromium's CPU throttled by the
// DevTools protocol (Emulation.setCPUThrottlingRate, RATES x slower) while
// the game plays on the fake camera's ball, in a 640 x 480, a 1280 x 720 and
// a portrait tablet (800 x 1280) window. Each row gives the camera frames
// stepped per second, the largest gap between animation frames while
// playing, and how long a frame takes from its capture to the end of the
// step that draws it (median and 95th percentile).
//
// Everything is read from outside the page's code: the frames stepped from
// `frostpane.camera.frames`, the gaps from a requestAnimationFrame loop of
// this script's own, and the latency by wrapping the camera's `onFrame` hand
// over (the page awaits it for the whole step: copy, module step, drawing).
// A frame's capture time is the VideoFrame's `metadata().captureTime` where
// the browser gives one (the page's clock); where it gives none, the latency
// is counted from the frame's hand-over to the page instead, and the row
// says so ("from hand-over").
//   node web/tools/measure_throttled.mjs SITE CLIP [SECONDS] [RATES]
//   RATES: comma-separated throttling rates, default 10,20
import { spawn } from 'node:child_process';
import { resolve } from 'node:path';
import { chromium } from 'playwright-core';

const [site, clip, secondsArgument, ratesArgument] = process.argv.slice(2);
const seconds = Number(secondsArgument ?? 10);
const rates = (ratesArgument ?? '10,20').split(',').map(Number);
const windows = [
  ['640x480', { width: 640, height: 480 }],
  ['1280x720', { width: 1280, height: 720 }],
  ['800x1280 portrait tablet', { width: 800, height: 1280 }],
];
const here = import.meta.dirname;

function serve(folder) {
  const server = spawn('python3', [resolve(here, '..', 'serve.py'), '--port', '0', folder],
    { stdio: ['ignore', 'pipe', 'inherit'] });
  return new Promise((done) => server.stdout.once('data', (d) => done({
    server, origin: String(d).match(/http:\/\/[\d.]+:\d+/)[0],
  })));
}

// Installed in the page once the camera plays: counts from now on.
function startRecording() {
  const record = { gaps: [], latencies: [], fromCapture: 0, fromHandOver: 0, frames: 0, start: 0 };
  const camera = globalThis.frostpane.camera;
  const handOver = camera.onFrame;
  camera.onFrame = async (source) => {
    const arrived = performance.now();
    let captured = null;
    try {
      captured = source.metadata?.().captureTime ?? null;
    } catch {
      // no metadata on this source
    }
    await handOver(source);
    const stepped = performance.now();
    if (typeof captured === 'number' && captured > 0 && captured <= arrived) {
      record.latencies.push(stepped - captured);
      ++record.fromCapture;
    } else {
      record.latencies.push(stepped - arrived);
      ++record.fromHandOver;
    }
  };
  let last = performance.now();
  const tick = (now) => {
    record.gaps.push(now - last);
    last = now;
    if (!record.stopped)
      requestAnimationFrame(tick);
  };
  requestAnimationFrame(tick);
  record.frames = camera.frames;
  record.start = performance.now();
  globalThis.measureRecord = record;
}

function stopRecording() {
  const record = globalThis.measureRecord;
  record.stopped = true;
  const camera = globalThis.frostpane.camera;
  const elapsed = (performance.now() - record.start) / 1000;
  const sorted = [...record.latencies].sort((a, b) => a - b);
  const at = (q) => sorted.length ? sorted[Math.min(sorted.length - 1, Math.floor(q * sorted.length))] : NaN;
  return {
    framesPerSecond: (camera.frames - record.frames) / elapsed,
    largestGap: Math.max(0, ...record.gaps),
    median: at(0.5),
    p95: at(0.95),
    samples: sorted.length,
    fromCapture: record.fromCapture,
    fromHandOver: record.fromHandOver,
    cleaned: document.getElementById('game').dataset.cleaned,
  };
}

const game = await serve(resolve(site));
const browser = await chromium.launch({
  executablePath: process.env.FROSTPANE_CHROMIUM ?? '/usr/bin/chromium',
  args: ['--use-fake-device-for-media-stream', '--use-fake-ui-for-media-stream',
    `--use-file-for-fake-video-capture=${resolve(clip)}`],
});
const ms = (value) => `${value.toFixed(1)} ms`;
try {
  for (const [name, viewport] of windows) {
    for (const rate of rates) {
      const context = await browser.newContext({ viewport, serviceWorkers: 'block' });
      const page = await context.newPage();
      await page.goto(`${game.origin}/`);
      await page.waitForSelector('#game[data-state="ready"]');
      await page.waitForFunction(() => performance.now() - globalThis.frostpane.startedAt > 600);
      const box = await page.locator('#cameraIcon').boundingBox();
      await page.mouse.click(box.x + box.width / 2, box.y + box.height / 2);
      await page.waitForSelector('#game[data-camera="on"]');
      // Slowed once the camera plays: the start and the tap are not measured.
      const cdp = await context.newCDPSession(page);
      await cdp.send('Emulation.setCPUThrottlingRate', { rate });
      await page.waitForFunction(() => globalThis.frostpane.camera.frames > 3, null, { timeout: 60_000 });
      await page.evaluate(startRecording);
      await page.waitForTimeout(seconds * 1000); // the measuring window itself
      const r = await page.evaluate(stopRecording);
      await cdp.send('Emulation.setCPUThrottlingRate', { rate: 1 });
      const from = r.fromCapture && !r.fromHandOver ? 'from capture'
        : r.fromCapture ? `from capture for ${r.fromCapture} of ${r.samples}, else from hand-over` : 'from hand-over';
      console.log(`${name}, CPU ${rate} x slower: ${r.framesPerSecond.toFixed(1)} frames stepped/s, `
        + `largest animation-frame gap ${ms(r.largestGap)}, latency ${from} median ${ms(r.median)}, `
        + `p95 ${ms(r.p95)} (${r.samples} frames, cleaned ${r.cleaned})`);
      await context.close();
    }
  }
} finally {
  await browser.close();
  game.server.kill('SIGINT');
}
