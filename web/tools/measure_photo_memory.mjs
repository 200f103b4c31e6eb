// What adding one large photo costs the browser in memory: opens the built
// site in headless Chromium, adds each photo below through "Add photos…" in a
// fresh page, and prints the rise of the browser's memory (the resident
// memory of all its processes, sampled every 20 ms) from before the photo to
// its peak while the photo was added, with the page's verdict.
//   node web/tools/measure_photo_memory.mjs [SITE]
import { spawn } from 'node:child_process';
import { readdirSync, readFileSync } from 'node:fs';
import { resolve } from 'node:path';
import { chromium } from 'playwright-core';
import { blackPng } from '../tests/support/png.js';

const PHOTOS = [
  { name: '10950 x 10950 PNG', file: 'big.png', make: () => blackPng(10950, 10950) },
  { name: 'PNG whose header says 10950 x 10950, with 10 rows', file: 'cut.png', make: () => blackPng(10950, 10950, 10) },
  { name: '5000 x 5000 PNG (the most the browser edition takes)', file: 'square.png', make: () => blackPng(5000, 5000) },
  { name: 'PNG whose header says 5000 x 5000, with 10 rows', file: 'cut5000.png', make: () => blackPng(5000, 5000, 10) },
  { name: '6000 x 4000 PNG (a 24-megapixel camera)', file: 'camera.png', make: () => blackPng(6000, 4000) },
];

const site = resolve(process.argv[2] ?? 'build-wasm/site');
const server = spawn('python3', [resolve(import.meta.dirname ?? '.', '..', 'serve.py'), '--port', '0', site],
  { stdio: ['ignore', 'pipe', 'inherit'] });
const origin = await new Promise((done) => server.stdout.once('data', (d) => done(String(d).match(/http:\/\/[\d.]+:\d+/)[0])));

// Resident kilobytes of every process below `root` but those below
// `skipped` (the server).
function residentKilobytes(root, skipped) {
  const parents = new Map();
  const resident = new Map();
  for (const name of readdirSync('/proc')) {
    if (!/^\d+$/.test(name))
      continue;
    try {
      const status = readFileSync(`/proc/${name}/status`, 'utf8');
      parents.set(Number(name), Number(status.match(/^PPid:\s+(\d+)/m)[1]));
      resident.set(Number(name), Number(status.match(/^VmRSS:\s+(\d+)/m)?.[1] ?? 0));
    } catch {
      // gone meanwhile
    }
  }
  let sum = 0;
  for (const [pid, kilobytes] of resident) {
    for (let p = parents.get(pid); p; p = parents.get(p)) {
      if (p === skipped || pid === skipped)
        break;
      if (p === root) {
        sum += kilobytes;
        break;
      }
    }
  }
  return sum;
}

const browser = await chromium.launch({ executablePath: process.env.FROSTPANE_CHROMIUM ?? '/usr/bin/chromium' });
// The browser's processes are this script's children, as is the server.
const memory = () => residentKilobytes(process.pid, server.pid);
try {
  for (const photo of PHOTOS) {
    const context = await browser.newContext({ viewport: { width: 640, height: 480 } });
    const page = await context.newPage();
    await page.goto(`${origin}/`);
    await page.waitForSelector('#game[data-state="ready"]');
    // The ice worker and its module come with a first photo: a small one
    // first, so that they are in the measure before.
    await page.evaluate(async () => {
      const canvas = new OffscreenCanvas(640, 480);
      canvas.getContext('2d').fillRect(0, 0, 640, 480);
      const blob = await canvas.convertToBlob({ type: 'image/png' });
      await globalThis.frostpaneTest.addPhotos([new File([blob], 'warm.png', { type: 'image/png' })]);
    });
    const buffer = photo.make();
    const before = memory();
    let peak = before;
    const sampler = setInterval(() => { peak = Math.max(peak, memory()); }, 20);
    await page.evaluate(async ({ bytes, file }) => {
      await globalThis.frostpaneTest.addPhotos([new File([new Uint8Array(bytes)], file, { type: 'image/png' })]);
    }, { bytes: Array.from(buffer), file: photo.file });
    clearInterval(sampler);
    peak = Math.max(peak, memory());
    const verdict = await page.evaluate(() => {
      const notice = document.getElementById('notice');
      return notice.hidden ? `kept (${document.getElementById('game').dataset.photos} photos)` : notice.textContent;
    });
    console.log(`${photo.name} (${(buffer.length / 1024).toFixed(0)} KB file): +${((peak - before) / 1024).toFixed(0)} MB `
      + `at the peak (${(before / 1024).toFixed(0)} MB before); ${verdict}`);
    await context.close();
  }
} finally {
  await browser.close();
  server.kill('SIGINT');
}
