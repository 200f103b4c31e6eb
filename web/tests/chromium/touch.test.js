// A finger on a phone or a touch screen: the tap that opens the settings
// presses nothing in them, though the panel opens right under the finger.
import { expect, test } from '@playwright/test';
import { fingerTapTool, openGame, screenshot } from './helpers.js';

const SCREENS = [
  { name: 'phone 360 x 640', viewport: { width: 360, height: 640 }, deviceScaleFactor: 3 },
  { name: 'phone 390 x 844', viewport: { width: 390, height: 844 }, deviceScaleFactor: 3 },
  { name: 'phone 412 x 915', viewport: { width: 412, height: 915 }, deviceScaleFactor: 2.625 },
  { name: 'touch screen 640 x 480', viewport: { width: 640, height: 480 }, deviceScaleFactor: 1 },
];

for (const { name, viewport, deviceScaleFactor } of SCREENS) {
  test.describe(name, () => {
    test.use({ viewport, deviceScaleFactor, hasTouch: true, isMobile: viewport.width < 500 });

    test('a finger tap on settings, then OK: the sound stays on', async ({ page }) => {
      await openGame(page);
      await page.touchscreen.tap(Math.round(viewport.width * 0.1), Math.round(viewport.height * 0.9));
      await fingerTapTool(page, '#settingsIcon');
      await expect(page.locator('#settingsPanel')).toBeVisible();
      await expect(page.locator('#soundSwitch')).toBeChecked();
      if (viewport.width === 390)
        await screenshot(page, 'phone-settings-after-finger-tap');
      const ok = await page.locator('#okButton').boundingBox();
      await page.touchscreen.tap(ok.x + ok.width / 2, ok.y + ok.height / 2);
      await expect(page.locator('#settingsPanel')).toBeHidden();
      expect(await page.evaluate(() => localStorage.getItem('game/sound'))).toBe('true');
      expect(await page.evaluate(() => globalThis.frostpaneTest.sound().enabled)).toBe(true);
    });
  });
}

test.describe('on a phone', () => {
  test.use({ viewport: { width: 390, height: 844 }, deviceScaleFactor: 3, hasTouch: true, isMobile: true });

  test('a later tap on the Sound switch still turns it off', async ({ page }) => {
    await openGame(page);
    await page.touchscreen.tap(39, 760);
    await fingerTapTool(page, '#settingsIcon');
    await expect(page.locator('#soundSwitch')).toBeChecked();
    const sound = await page.locator('#soundSwitch').boundingBox();
    await page.touchscreen.tap(sound.x + sound.width / 2, sound.y + sound.height / 2);
    await expect(page.locator('#soundSwitch')).not.toBeChecked();
  });
});
