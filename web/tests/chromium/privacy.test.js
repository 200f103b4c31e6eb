// What the page may load and from where, and play with no network.
import { expect, test } from '@playwright/test';
import { openGame, showTools, tapTool } from './helpers.js';

test('the page and its files come with the content policy and the right types', async ({ page, baseURL }) => {
  const response = await page.goto('/');
  const policy = response.headers()['content-security-policy'];
  const directives = Object.fromEntries(policy.split(';').map((d) => d.trim().split(/\s+/))
    .map(([name, ...values]) => [name, values]));
  expect(directives['script-src']).toEqual(["'self'", "'wasm-unsafe-eval'"]);
  expect(directives['default-src']).toEqual(["'self'"]);
  expect(directives['object-src']).toEqual(["'none'"]);
  expect(policy).not.toContain('unsafe-inline');
  expect(policy).not.toMatch(/https?:/);
  for (const [path, type] of [['module/frostpane.wasm', 'application/wasm'], ['module/sound.wasm', 'application/wasm'],
    ['module/frostpane.js', 'text/javascript'], ['manifest.webmanifest', 'application/manifest+json']]) {
    const file = await page.request.get(new URL(path, baseURL).href);
    expect([path, file.headers()['content-type']]).toEqual([path, type]);
    expect(file.headers()['content-security-policy']).toBe(policy);
  }
  // The page runs under it: no inline script was needed and none was refused.
  await expect(page.locator('#game')).toHaveAttribute('data-state', 'ready');
});

test('every request stays on the page\'s origin', async ({ page, baseURL }) => {
  const origin = new URL(baseURL).origin;
  const requests = [];
  page.on('request', (request) => requests.push(request.url()));
  const refused = [];
  page.on('console', (message) => {
    if (/Content Security Policy|Refused to/.test(message.text()))
      refused.push(message.text());
  });
  await openGame(page);
  await tapTool(page, '#cameraIcon');
  await expect(page.locator('#game')).toHaveAttribute('data-camera', 'on');
  await showTools(page);
  await tapTool(page, '#aboutIcon');
  await page.keyboard.press('Escape');
  await showTools(page);
  await tapTool(page, '#nextPictureIcon');
  await page.waitForFunction(() => globalThis.frostpaneTest.sound().running);
  expect(requests.length).toBeGreaterThan(10);
  const elsewhere = requests.filter((url) => !url.startsWith(`${origin}/`) && !url.startsWith('blob:')
    && !url.startsWith('data:'));
  expect(elsewhere).toEqual([]);
  expect(refused).toEqual([]);
});

test('after one visit the game starts with the network off', async ({ page, context }) => {
  await openGame(page);
  await page.evaluate(async () => {
    await navigator.serviceWorker.ready;
    if (!navigator.serviceWorker.controller) {
      await new Promise((resolve) => navigator.serviceWorker.addEventListener('controllerchange', resolve,
        { once: true }));
    }
  });
  await context.setOffline(true);
  await page.reload();
  await expect(page.locator('#game')).toHaveAttribute('data-state', 'ready');
  await expect(page.locator('#game')).toHaveAttribute('data-simd', 'WASM');
  await showTools(page);
  await tapTool(page, '#nextPictureIcon');
  await expect(page.locator('#game')).toHaveAttribute('data-picture', '2');
  await expect(page.locator('#game')).toHaveAttribute('data-shown', '2');
  // And it plays: a stroke wipes.
  await page.mouse.move(60, 240);
  await page.mouse.down();
  for (let x = 60; x <= 580; x += 40)
    await page.mouse.move(x, 240);
  await page.mouse.up();
  await expect(page.locator('#game')).toHaveAttribute('data-scene', 'play');
});

test('the manifest names the game, its icons and a full-screen display', async ({ page, baseURL }) => {
  await openGame(page);
  const href = await page.locator('link[rel="manifest"]').getAttribute('href');
  const manifest = await (await page.request.get(new URL(href, baseURL).href)).json();
  expect(manifest.name).toBe('Frostpane');
  expect(['fullscreen', 'standalone']).toContain(manifest.display);
  const sizes = manifest.icons.map((icon) => icon.sizes);
  expect(sizes).toContain('512x512');
  for (const icon of manifest.icons) {
    const file = await page.request.get(new URL(icon.src, baseURL).href);
    expect([icon.src, file.status(), file.headers()['content-type']]).toEqual([icon.src, 200, 'image/png']);
  }
  // Chromium finds nothing that keeps it from offering to install the game
  // but that a test's browser context is a private one.
  await page.evaluate(() => navigator.serviceWorker.ready);
  const cdp = await page.context().newCDPSession(page);
  const { installabilityErrors } = await cdp.send('Page.getInstallabilityErrors');
  expect(installabilityErrors.map((e) => e.errorId).filter((id) => id !== 'in-incognito')).toEqual([]);
});
