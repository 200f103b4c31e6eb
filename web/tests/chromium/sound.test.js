// The game's sound: the synthesis in an audio worklet, started by a tap.
import { expect, test } from '@playwright/test';
import { openGame, showTools, tapTool } from './helpers.js';

async function level(page) {
  return page.evaluate(() => globalThis.frostpane.sound.level);
}

// The loudest the worklet was since the last reset: a tick lasts a tenth of
// a second, shorter than a look at the page may take.
async function peak(page) {
  return page.evaluate(() => globalThis.frostpane.sound.peak);
}

test('the first tap starts the worklet and a tool\'s tap makes a tick', async ({ page }) => {
  await openGame(page);
  // No sound before a gesture: browsers allow none.
  expect(await page.evaluate(() => globalThis.frostpane.sound.context)).toBeNull();
  await showTools(page);
  await page.waitForFunction(() => globalThis.frostpane.sound.running);
  await page.evaluate(() => globalThis.frostpane.sound.meter(true));
  // Blocks keep coming, and with nothing happening they are silent.
  await expect.poll(() => page.evaluate(() => globalThis.frostpane.sound.blocks)).toBeGreaterThan(64);
  expect(await level(page)).toBe(0);
  await page.evaluate(() => globalThis.frostpane.sound.resetPeak());
  await tapTool(page, '#nextPictureIcon');
  await expect.poll(() => peak(page)).toBeGreaterThan(0.01);
  // The tick dies away.
  await expect.poll(() => level(page), { timeout: 5000 }).toBe(0);
});

test('with Sound off a tap makes no sound', async ({ page }) => {
  await openGame(page);
  await showTools(page);
  await tapTool(page, '#settingsIcon');
  await page.locator('#soundSwitch').uncheck();
  await page.locator('#okButton').click();
  await page.waitForFunction(() => globalThis.frostpane.sound.running);
  await page.evaluate(() => globalThis.frostpane.sound.meter(true));
  await showTools(page);
  await page.evaluate(() => globalThis.frostpane.sound.resetPeak());
  await tapTool(page, '#nextPictureIcon');
  const blocks = await page.evaluate(() => globalThis.frostpane.sound.blocks);
  await expect.poll(() => page.evaluate(() => globalThis.frostpane.sound.blocks)).toBeGreaterThan(blocks + 96);
  expect(await peak(page)).toBe(0);
});
