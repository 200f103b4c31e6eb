// The game's sound: the synthesis in an audio worklet, started by a tap.
import { expect, test } from '@playwright/test';
import { openGame, showTools, tapTool } from './helpers.js';

async function level(page) {
  return page.evaluate(() => globalThis.frostpaneTest.sound().level);
}

// The loudest the worklet was since the last reset: a tick lasts a tenth of
// a second, shorter than a look at the page may take.
async function peak(page) {
  return page.evaluate(() => globalThis.frostpaneTest.sound().peak);
}

async function contextState(page) {
  return page.evaluate(() => globalThis.frostpaneTest.sound().state);
}

test('the first tap starts the worklet, a tool\'s tap makes a tick, and silence lets the audio sleep', async ({ page }) => {
  await openGame(page);
  // No sound before a gesture: browsers allow none.
  expect(await page.evaluate(() => globalThis.frostpaneTest.sound().started)).toBe(false);
  await showTools(page);
  await page.waitForFunction(() => globalThis.frostpaneTest.sound().running);
  await page.evaluate(() => globalThis.frostpaneTest.meterSound());
  // Blocks come, and with nothing happening they are silent, until the
  // audio goes to sleep.
  await expect.poll(() => page.evaluate(() => globalThis.frostpaneTest.sound().blocks)).toBeGreaterThan(64);
  expect(await level(page)).toBe(0);
  await expect.poll(() => contextState(page)).toBe('suspended');
  // A tap wakes it for its tick.
  await page.evaluate(() => globalThis.frostpaneTest.resetSoundPeak());
  await tapTool(page, '#nextPictureIcon');
  await expect.poll(() => peak(page)).toBeGreaterThan(0.01);
  expect(await contextState(page)).toBe('running');
  // The tick dies away, and the audio sleeps again.
  await expect.poll(() => level(page), { timeout: 5000 }).toBe(0);
  await expect.poll(() => contextState(page)).toBe('suspended');
});

test('with Sound off a tap makes no sound', async ({ page }) => {
  await openGame(page);
  await showTools(page);
  await tapTool(page, '#settingsIcon');
  await page.locator('#soundSwitch').uncheck();
  await page.locator('#okButton').click();
  await page.waitForFunction(() => globalThis.frostpaneTest.sound().running);
  await page.evaluate(() => globalThis.frostpaneTest.meterSound());
  await showTools(page);
  await page.evaluate(() => globalThis.frostpaneTest.resetSoundPeak());
  await tapTool(page, '#nextPictureIcon');
  // The audio goes to sleep and the tap does not wake it: nothing was heard.
  await expect.poll(() => contextState(page)).toBe('suspended');
  await showTools(page);
  await tapTool(page, '#nextPictureIcon');
  // A tick's length and more: the time passing is the point.
  await page.evaluate(() => new Promise((done) => setTimeout(done, 300)));
  expect(await contextState(page)).toBe('suspended');
  expect(await peak(page)).toBe(0);
});
