import { mkdirSync, writeFileSync } from 'node:fs';
import { join } from 'node:path';
import { expect } from '@playwright/test';
import { decodePng } from '../support/png.js';
import { SHOT_DIR } from '../support/site.js';

export const TOOLS = ['switchCameraIcon', 'eyeIcon', 'aboutIcon', 'cameraIcon', 'settingsIcon',
  'previousPictureIcon', 'nextPictureIcon'];

// Loads the page and waits until the module runs and the picture is drawn.
export async function openGame(page, path = '/') {
  await page.goto(path);
  await expect(page.locator('#game')).toHaveAttribute('data-state', 'ready');
}

// A screenshot, kept under test-results/screenshots for a person to look at,
// and its pixels.
export async function screenshot(page, name) {
  mkdirSync(SHOT_DIR, { recursive: true });
  const png = await page.screenshot();
  writeFileSync(join(SHOT_DIR, `${name}.png`), png);
  return decodePng(png);
}

// A tap where a finger or the mouse would: down, short, up.
export async function tap(page, x, y) {
  await page.mouse.move(x, y);
  await page.mouse.down();
  await page.mouse.up();
}

export async function tapCenter(page, selector) {
  const box = await page.locator(selector).boundingBox();
  await tap(page, box.x + box.width / 2, box.y + box.height / 2);
}

// The game takes one press of a tool icon per 500 ms, the first one 500 ms
// after it started; a test that taps icons waits that out, as a child's
// next tap would come later.
const GATE_MILLISECONDS = 550;
const lastToolTap = new WeakMap();

export async function waitForPressGate(page) {
  // Counted from the start page being drawn: the module's gate is made
  // during the start, some time after it began.
  await page.waitForFunction((gate) => performance.now() - (globalThis.frostpaneTest?.shownAt() ?? Infinity) > gate,
    GATE_MILLISECONDS);
  const last = lastToolTap.get(page);
  if (last !== undefined) {
    const left = GATE_MILLISECONDS - (Date.now() - last);
    if (left > 0)
      await page.waitForTimeout(left); // the gate's own time, see above
  }
}

// Whether a tool is out of sight: gone (hidden), or faded, which leaves it
// in the page for screen readers and switch devices but out of sight and out
// of the pointer's way.
export async function expectOutOfSight(locator) {
  await expect.poll(() => locator.evaluate((e) => e.hidden || e.classList.contains('faded'))).toBe(true);
}

export async function expectInSight(locator) {
  await expect(locator).toBeVisible();
  await expect(locator).not.toHaveClass(/\bfaded\b/);
}

// Taps an icon as a child would, once the press gate lets the press count.
export async function tapTool(page, selector) {
  await expectInSight(page.locator(selector));
  await waitForPressGate(page);
  await tapCenter(page, selector);
  lastToolTap.set(page, Date.now());
}

// Presses a tool as a screen reader or a switch device does: a click with no
// pointer before it, once the press gate lets it count.
export async function activateTool(page, selector) {
  await waitForPressGate(page);
  await page.locator(selector).evaluate((tool) => tool.click());
  lastToolTap.set(page, Date.now());
}

// Taps an icon with a finger, once the press gate lets the press count.
export async function fingerTapTool(page, selector) {
  await expectInSight(page.locator(selector));
  await waitForPressGate(page);
  const box = await page.locator(selector).boundingBox();
  await page.touchscreen.tap(box.x + box.width / 2, box.y + box.height / 2);
  lastToolTap.set(page, Date.now());
}

// Shows the tools with a tap on the picture away from any icon.
export async function showTools(page) {
  const { width, height } = page.viewportSize();
  await tap(page, Math.round(width * 0.1), Math.round(height * 0.9));
  await expectInSight(page.locator('#settingsIcon'));
}

// Once the worklet runs (the first tap starts it), its level is measured
// from now on: `globalThis.frostpaneTest.sound().peak` is the loudest since.
export async function meterSound(page) {
  await page.waitForFunction(() => globalThis.frostpaneTest.sound().running);
  await page.evaluate(() => {
    globalThis.frostpaneTest.meterSound();
    globalThis.frostpaneTest.resetSoundPeak();
  });
}

// Resolves once `count` more camera frames have been taken by the game.
export async function cameraFrames(page, count) {
  const now = await page.evaluate(() => globalThis.frostpaneTest.frames());
  await page.waitForFunction((until) => globalThis.frostpaneTest.frames() >= until, now + count);
}
