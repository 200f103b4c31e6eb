// The page as a child first sees it, its tools, keys and languages.
import { readFileSync } from 'node:fs';
import { join } from 'node:path';
import { expect, test } from '@playwright/test';
import { decodePng, meanDifference } from '../support/png.js';
import { PROJECT_DIR } from '../support/site.js';
import { TOOLS, expectOutOfSight, openGame, screenshot, showTools, tap, tapTool, waitForPressGate } from './helpers.js';

// Where the desktop window puts each tool icon at 640 x 480: 51.2 pixels
// square, centred on fixed fractions of the window, its corner cut to whole
// pixels.
const ICONS_AT_640_480 = {
  switchCameraIcon: [230, 70],
  eyeIcon: [358, 70],
  aboutIcon: [166, 166],
  cameraIcon: [294, 166],
  settingsIcon: [422, 166],
  previousPictureIcon: [230, 262],
  nextPictureIcon: [358, 262],
};

async function iconBox(page, id) {
  return page.locator(`#${id}`).boundingBox();
}

test('at 640 x 480 the start page shows what the desktop window shows', async ({ page }) => {
  await openGame(page);
  await expect(page.locator('#cameraIcon')).toBeVisible();
  for (const id of TOOLS.filter((id) => id !== 'cameraIcon'))
    await expectOutOfSight(page.locator(`#${id}`));
  const box = await iconBox(page, 'cameraIcon');
  expect(box.x).toBe(294);
  expect(box.y).toBe(166);
  expect(box.width).toBeCloseTo(51.2, 1);

  const shot = await screenshot(page, 'start-640x480');
  const desktop = decodePng(readFileSync(join(PROJECT_DIR, 'docs', 'screenshots', 'start-window.png')));
  expect(shot.width).toBe(desktop.width);
  // The same ice of picture 1 everywhere, and the camera icon in the same
  // place (only the scaling of the icon's edge may differ a little).
  expect(meanDifference(shot, desktop)).toBeLessThan(1.5);
  const iconArea = { x: 290, y: 162, width: 60, height: 60 };
  expect(meanDifference(shot, desktop, iconArea)).toBeLessThan(8);
  // The icon is really there: its area is not the ice's.
  const elsewhere = { x: 100, y: 162, width: 60, height: 60 };
  expect(meanDifference(shot, desktop, elsewhere)).toBeLessThan(1.5);
});

test('a tap on the picture shows the tools at their places; idle, they fade and hide', async ({ page }) => {
  await openGame(page);
  await showTools(page);
  for (const [id, [x, y]] of Object.entries(ICONS_AT_640_480)) {
    if (id === 'switchCameraIcon')
      continue; // one camera only: nothing to switch to
    await expect(page.locator(`#${id}`)).toBeVisible();
    const box = await iconBox(page, id);
    expect([id, box.x, box.y]).toEqual([id, x, y]);
  }
  await expect(page.locator('#switchCameraIcon')).toBeHidden();
  await screenshot(page, 'tools-640x480');

  // 200 ticks of 20 ms at full opacity, then nine steps down, then hidden.
  await expect.poll(() => page.locator('#settingsIcon').evaluate((e) => Number(e.style.opacity)),
    { timeout: 8000 }).toBeLessThan(1);
  const during = await page.locator('#settingsIcon').evaluate((e) => Number(e.style.opacity));
  expect(during).toBeGreaterThan(0);
  await expectOutOfSight(page.locator('#settingsIcon'));
  for (const id of TOOLS)
    await expectOutOfSight(page.locator(`#${id}`));
  await expect(page.locator('#game')).toHaveAttribute('data-fade', 'stopped');
});

test('a held icon grows about its centre and a long press does not act', async ({ page }) => {
  await openGame(page);
  await showTools(page);
  await waitForPressGate(page);
  const rest = await iconBox(page, 'settingsIcon');
  await page.mouse.move(rest.x + rest.width / 2, rest.y + rest.height / 2);
  await page.mouse.down();
  await expect(page.locator('#settingsIcon')).toHaveClass(/held/);
  const held = await iconBox(page, 'settingsIcon');
  expect(held.width).toBeCloseTo(rest.width * 1.3, 1);
  expect(held.x + held.width / 2).toBeCloseTo(Math.trunc(rest.x + rest.width / 2), 0);
  // Longer than the 500 ms a tap may last: no click.
  await page.waitForTimeout(700);
  await page.mouse.up();
  await expect(page.locator('#settingsIcon')).not.toHaveClass(/held/);
  expect(await iconBox(page, 'settingsIcon')).toEqual(rest);
  await expect(page.locator('#settingsPanel')).toBeHidden();
  await expect(page.locator('#game')).toHaveAttribute('data-panel', 'none');
});

test('next and previous step through the pictures and wrap around', async ({ page }) => {
  await openGame(page);
  await showTools(page);
  const before = await screenshot(page, 'picture-1');
  await tapTool(page, '#previousPictureIcon');
  await expect(page.locator('#game')).toHaveAttribute('data-picture', '6');
  await tapTool(page, '#nextPictureIcon');
  await tapTool(page, '#nextPictureIcon');
  await expect(page.locator('#game')).toHaveAttribute('data-picture', '2');
  // The ice of picture 2 is another picture.
  await expect(page.locator('#game')).toHaveAttribute('data-shown', '2');
  const after = await screenshot(page, 'picture-2');
  expect(meanDifference(before, after, { x: 0, y: 0, width: 100, height: 100 })).toBeGreaterThan(5);
});

test('the About panel opens from its icon; a tap inside keeps it, Escape closes it', async ({ page }) => {
  await openGame(page);
  await showTools(page);
  await tapTool(page, '#aboutIcon');
  await expect(page.locator('#aboutPanel')).toBeVisible();
  await expect(page.locator('#aboutPanel')).toContainText('Frostpane! v.1.0');
  await expect(page.locator('#aboutPanel a')).toHaveAttribute('href', 'CREDITS.txt');
  for (const id of TOOLS)
    await expect(page.locator(`#${id}`)).toBeHidden();
  await screenshot(page, 'about-640x480');
  await tap(page, 320, 240);
  await expect(page.locator('#aboutPanel')).toBeVisible();
  await page.keyboard.press('Escape');
  await expect(page.locator('#aboutPanel')).toBeHidden();
  // The tools stay hidden until the next tap on the picture.
  await expectOutOfSight(page.locator('#settingsIcon'));
});

test('F11 and a double tap switch full screen; Escape leaves it', async ({ page }) => {
  await openGame(page);
  await page.keyboard.press('F11');
  await expect.poll(() => page.evaluate(() => document.fullscreenElement !== null)).toBe(true);
  await page.keyboard.press('Escape');
  await expect.poll(() => page.evaluate(() => document.fullscreenElement !== null)).toBe(false);
  await page.mouse.dblclick(60, 420);
  await expect.poll(() => page.evaluate(() => document.fullscreenElement !== null)).toBe(true);
  await page.mouse.dblclick(60, 420);
  await expect.poll(() => page.evaluate(() => document.fullscreenElement !== null)).toBe(false);
});

test('nothing scrolls, zooms, selects or opens a menu under a child\'s hands', async ({ page }) => {
  await openGame(page);
  const style = await page.locator('#game').evaluate((e) => {
    const s = getComputedStyle(e);
    return { touchAction: s.touchAction, userSelect: s.userSelect };
  });
  expect(style).toEqual({ touchAction: 'none', userSelect: 'none' });
  const prevented = await page.locator('#picture').evaluate((canvas) => {
    const event = new MouseEvent('contextmenu', { bubbles: true, cancelable: true });
    return !canvas.dispatchEvent(event);
  });
  expect(prevented).toBe(true);
});

test.describe('on a tablet', () => {
  test.use({ viewport: { width: 820, height: 1180 }, deviceScaleFactor: 2, hasTouch: true, isMobile: true });

  test('a finger shows the tools at their places for a portrait screen', async ({ page }) => {
    await openGame(page);
    await page.touchscreen.tap(80, 1100);
    await expect(page.locator('#settingsIcon')).toBeVisible();
    // 8 % of the longer side, the height: 94.4 pixels; the camera centred
    // on (0.5, 0.4) of the screen.
    const box = await iconBox(page, 'cameraIcon');
    expect(box.width).toBeCloseTo(94.4, 1);
    expect([box.x, box.y]).toEqual([Math.trunc(410 - 47.2), Math.trunc(472 - 47.2)]);
    const shot = await screenshot(page, 'tablet-820x1180');
    expect(shot.width).toBe(1640); // drawn at the screen's own pixels
  });
});

test.describe('in German', () => {
  test.use({ locale: 'de-DE' });

  test('the page speaks the browser\'s language, from the game\'s translations', async ({ page }) => {
    await openGame(page);
    await expect(page.locator('html')).toHaveAttribute('lang', 'de');
    await expect(page.locator('#cameraIcon')).toHaveAttribute('aria-label', 'Kamera');
    await showTools(page);
    await tapTool(page, '#aboutIcon');
    await expect(page.locator('#aboutPanel')).toContainText('Ein Spiel für kleine Kinder');
  });
});

test('a browser without WebAssembly SIMD gets a message instead of the game', async ({ page }) => {
  // Such a browser's WebAssembly turns the SIMD module down.
  await page.addInitScript(() => { WebAssembly.validate = () => false; });
  await page.goto('/');
  await expect(page.locator('#game')).toHaveAttribute('data-state', 'unsupported');
  await expect(page.locator('#notice')).toContainText('too old for Frostpane');
});
