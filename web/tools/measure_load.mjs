// The browser's whole CPU while the game plays on the fake camera's ball,
// beside a page that only shows the same camera at the same size, in one
// run of one browser build: every process of the browser (browser, renderer,
// GPU, video capture, audio) is counted from /proc, and shown by kind too.
// Two more rows help to read the figure: the game with its sound switched
// off, and a page that only copies each camera frame and draws it (the
// least a page that reads the camera and draws its own picture does).
//   node web/tools/measure_load.mjs SITE CLIP [SECONDS]
import { spawn } from 'node:child_process';
import { readFileSync, readdirSync } from 'node:fs';
import { resolve } from 'node:path';
import { chromium } from 'playwright-core';

const [site, clip, secondsArgument] = process.argv.slice(2);
const seconds = Number(secondsArgument ?? 15);
const here = import.meta.dirname;
const ticksPerSecond = 100; // USER_HZ on Linux

function serve(folder) {
  const server = spawn('python3', [resolve(here, '..', 'serve.py'), '--port', '0', folder],
    { stdio: ['ignore', 'pipe', 'inherit'] });
  return new Promise((done) => server.stdout.once('data', (d) => done({
    server, origin: String(d).match(/http:\/\/[\d.]+:\d+/)[0],
  })));
}

// pid -> { parent, ticks } for every process now.
function processes() {
  const table = new Map();
  for (const name of readdirSync('/proc')) {
    if (!/^\d+$/.test(name))
      continue;
    try {
      const stat = readFileSync(`/proc/${name}/stat`, 'utf8');
      const fields = stat.slice(stat.lastIndexOf(')') + 2).split(' ');
      const command = stat.slice(stat.indexOf('(') + 1, stat.lastIndexOf(')'));
      let kind = 'browser';
      try {
        const line = readFileSync(`/proc/${name}/cmdline`, 'utf8');
        kind = line.match(/--utility-sub-type=[a-z]+\.mojom\.(\w+)/)?.[1] ?? line.match(/--type=([\w-]+)/)?.[1] ?? kind;
      } catch {
        // gone meanwhile
      }
      table.set(Number(name), { parent: Number(fields[1]), ticks: Number(fields[11]) + Number(fields[12]), command, kind });
    } catch {
      // gone meanwhile
    }
  }
  return table;
}

// The CPU ticks of every browser process (the descendants of this node
// process but the servers).
function browserTicks() {
  const table = processes();
  const ours = new Set([process.pid]);
  let grew = true;
  while (grew) {
    grew = false;
    for (const [pid, p] of table) {
      if (!ours.has(pid) && ours.has(p.parent)) {
        ours.add(pid);
        grew = true;
      }
    }
  }
  const ticks = new Map();
  for (const pid of ours) {
    const p = table.get(pid);
    if (pid !== process.pid && p && !p.command.startsWith('python'))
      ticks.set(pid, p);
  }
  return ticks;
}

async function cpuOver(page, milliseconds) {
  const before = browserTicks();
  await page.waitForTimeout(milliseconds); // the measuring window itself
  const after = browserTicks();
  const share = (ticks) => ticks / ticksPerSecond / (milliseconds / 1000); // cores busy on average
  let used = 0;
  const byKind = {};
  for (const [pid, p] of after) {
    const ticks = p.ticks - (before.get(pid)?.ticks ?? 0);
    used += ticks;
    byKind[p.kind] = (byKind[p.kind] ?? 0) + ticks;
  }
  const kinds = Object.entries(byKind).filter(([, ticks]) => ticks > 0)
    .map(([kind, ticks]) => `${kind} ${(share(ticks) * 100).toFixed(1)}`).join(', ');
  return { cores: share(used), kinds };
}

const game = await serve(resolve(site));
const plain = await serve(resolve(here, 'plain_camera'));
const browser = await chromium.launch({
  executablePath: process.env.FROSTPANE_CHROMIUM ?? '/usr/bin/chromium',
  args: ['--use-fake-device-for-media-stream', '--use-fake-ui-for-media-stream',
    `--use-file-for-fake-video-capture=${resolve(clip)}`],
});
try {
  for (const [width, height] of [[640, 480], [1920, 1080]]) {
    const results = {};
    for (const kind of ['plain', 'copy', 'game', 'game, sound off']) {
      const context = await browser.newContext({ viewport: { width, height }, serviceWorkers: 'block' });
      const page = await context.newPage();
      if (kind === 'plain' || kind === 'copy') {
        await page.goto(`${plain.origin}/`);
        await page.evaluate((copy) => globalThis.startCamera({ copy }), kind === 'copy');
      } else {
        await page.goto(`${game.origin}/`);
        if (kind === 'game, sound off') {
          await page.evaluate(() => localStorage.setItem('game/sound', 'false'));
          await page.reload();
        }
        await page.waitForSelector('#game[data-state="ready"]');
        await page.waitForFunction(() => performance.now() - globalThis.frostpaneTest.startedAt() > 600);
        const box = await page.locator('#cameraIcon').boundingBox();
        await page.mouse.click(box.x + box.width / 2, box.y + box.height / 2);
        await page.waitForSelector('#game[data-camera="on"]');
        // The tools the tap showed have faded: the child plays.
        await page.waitForSelector('#game[data-fade="stopped"]', { timeout: 30_000 });
      }
      await page.waitForTimeout(3000); // the camera settles before the window opens
      const playing = kind.startsWith('game');
      const frames = playing ? page.evaluate(() => new Promise((done) => {
        const first = globalThis.frostpaneTest.frames();
        setTimeout(() => done(globalThis.frostpaneTest.frames() - first), 5000);
      })) : Promise.resolve(null);
      const { cores, kinds } = await cpuOver(page, seconds * 1000);
      results[kind] = cores;
      const stepped = await frames;
      const cleaned = playing ? await page.evaluate(() => document.getElementById('game').dataset.cleaned) : '';
      console.log(`${width}x${height} ${kind}: ${(cores * 100).toFixed(1)} % of one core`
        + (playing ? ` (${stepped} frames in the first 5 s, cleaned ${cleaned})` : '') + `\n    ${kinds}`);
      await context.close();
    }
    for (const kind of ['copy', 'game', 'game, sound off'])
      console.log(`${width}x${height} ${kind} / plain: ${(results[kind] / results.plain).toFixed(2)}`);
  }
} finally {
  await browser.close();
  game.server.kill('SIGINT');
  plain.server.kill('SIGINT');
}
