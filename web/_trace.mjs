import { chromium } from 'playwright-core';
import { readFileSync } from 'node:fs';
const b = await chromium.launch({ executablePath: '/usr/bin/chromium', args: ['--use-fake-device-for-media-stream', '--use-fake-ui-for-media-stream', '--use-file-for-fake-video-capture=/tmp/clips/ball.y4m'] });
const ctx = await b.newContext({ viewport: { width: 640, height: 480 }, serviceWorkers: 'block' });
const page = await ctx.newPage();
await page.goto(process.argv[2]);
await page.evaluate(() => localStorage.setItem('game/sound', 'false')); await page.reload();
await page.waitForSelector('#game[data-state="ready"]');
await page.waitForFunction(() => performance.now() - globalThis.frostpane.startedAt > 600);
const box = await page.locator('#cameraIcon').boundingBox();
await page.mouse.click(box.x + box.width / 2, box.y + box.height / 2);
await page.waitForSelector('#game[data-fade="stopped"]', { timeout: 30000 });
await page.waitForTimeout(2000);
await b.startTracing(page, { path: '/tmp/trace.json', categories: ['devtools.timeline', 'disabled-by-default-devtools.timeline', 'toplevel', 'blink', 'cc', 'viz', 'media', 'gpu', 'v8'] });
await page.waitForTimeout(5000);
await b.stopTracing();
await b.close();
const t = JSON.parse(readFileSync('/tmp/trace.json', 'utf8'));
const ev = t.traceEvents ?? t;
const names = new Map();
for (const e of ev) if (e.ph === 'M' && e.name === 'thread_name') names.set(`${e.pid}:${e.tid}`, e.args.name);
const agg = new Map();
for (const e of ev) {
  if (e.ph !== 'X' || !e.dur) continue;
  const th = names.get(`${e.pid}:${e.tid}`) ?? e.tid;
  if (th !== 'CrRendererMain') continue;
  const k = `${th} | ${e.name}`;
  const a = agg.get(k) ?? { dur: 0, tdur: 0, n: 0 };
  a.dur += e.dur; a.tdur += e.tdur ?? 0; a.n++;
  agg.set(k, a);
}
for (const [k, a] of [...agg].sort((x, y) => y[1].tdur - x[1].tdur).slice(0, 30))
  console.log(`${(a.tdur / 5e6 * 100).toFixed(2)}% cpu n=${a.n} ${k}`);
