// The settings panel and what the browser remembers of it.
import { expect, test } from '@playwright/test';
import { openGame, screenshot, showTools, tapTool } from './helpers.js';

async function startCamera(page) {
  await tapTool(page, '#cameraIcon');
  await expect(page.locator('#game')).toHaveAttribute('data-camera', 'on');
}

async function openSettings(page) {
  await showTools(page);
  await tapTool(page, '#settingsIcon');
  await expect(page.locator('#settingsPanel')).toBeVisible();
}

test('the panel shows the stored values; a changed freezing speed survives a reload', async ({ page }) => {
  await openGame(page);
  await openSettings(page);
  // The start values: sensitivity 20 is slider 255 - 20 div 3 = 249.
  await expect(page.locator('#sensitivitySlider')).toHaveValue('249');
  await expect(page.locator('#freezingSlider')).toHaveValue('10');
  await expect(page.locator('#soundSwitch')).toBeChecked();
  // The camera is there, only switched off.
  await expect(page.locator('#resolutionLabel')).toHaveText('The camera is off');
  await expect(page.locator('#resolutionSlider')).toBeDisabled();
  await screenshot(page, 'settings-640x480');

  await page.locator('#freezingSlider').fill('42');
  await page.locator('#okButton').click();
  await expect(page.locator('#settingsPanel')).toBeHidden();
  const stored = await page.evaluate(() => ({
    freezing: localStorage.getItem('game/freezingSpeed'),
    // The sensitivity slider was not moved: the stored 20 stays, though the
    // slider's 249 reads back as (255 - 249) * 3 = 18.
    sensitivity: localStorage.getItem('game/cameraSensitivity'),
    sound: localStorage.getItem('game/sound'),
    back: localStorage.getItem('camera/back'),
  }));
  expect(stored).toEqual({ freezing: '42', sensitivity: '20', sound: 'true', back: 'false' });

  await page.reload();
  await expect(page.locator('#game')).toHaveAttribute('data-state', 'ready');
  await openSettings(page);
  await expect(page.locator('#freezingSlider')).toHaveValue('42');
  await expect(page.locator('#sensitivitySlider')).toHaveValue('249');
});

const BAD_VALUES = [
  { name: 'a word for a number keeps the default', key: 'game/freezingSpeed', value: 'lots',
    slider: '#freezingSlider', shown: '10' },
  { name: 'a number out of range comes to the nearest end', key: 'game/freezingSpeed', value: '250',
    slider: '#freezingSlider', shown: '100' },
  { name: 'a sensitivity far below the range is the lowest', key: 'game/cameraSensitivity', value: '-99999',
    slider: '#sensitivitySlider', shown: '765' },
  { name: 'hexadecimal is no number', key: 'game/cameraSensitivity', value: '0x10',
    slider: '#sensitivitySlider', shown: '249' },
];

for (const { name, key, value, slider, shown } of BAD_VALUES) {
  test(`a bad stored value falls back: ${name}`, async ({ page }) => {
    const warnings = [];
    page.on('console', (message) => {
      if (message.type() === 'warning' && message.text().includes('frostpane.settings'))
        warnings.push(message.text());
    });
    await openGame(page);
    await page.evaluate(([k, v]) => localStorage.setItem(k, v), [key, value]);
    await page.reload();
    await expect(page.locator('#game')).toHaveAttribute('data-state', 'ready');
    await openSettings(page);
    await expect(page.locator(slider)).toHaveValue(shown);
    expect(warnings.join('\n')).toContain(key);
  });
}

test('a Sound switch turned off is remembered as false', async ({ page }) => {
  await openGame(page);
  await openSettings(page);
  await page.locator('#soundSwitch').uncheck();
  await page.locator('#okButton').click();
  expect(await page.evaluate(() => localStorage.getItem('game/sound'))).toBe('false');
  await page.reload();
  await expect(page.locator('#game')).toHaveAttribute('data-state', 'ready');
  expect(await page.evaluate(() => globalThis.frostpaneTest.sound().enabled)).toBe(false);
});

test('where storage is blocked the game plays on and remembers nothing', async ({ page }) => {
  // As in a private window whose storage the browser refuses.
  await page.addInitScript(() => {
    Object.defineProperty(window, 'localStorage', {
      get() { throw new DOMException('The operation is insecure.', 'SecurityError'); },
    });
  });
  const errors = [];
  page.on('pageerror', (error) => errors.push(error.message));
  await openGame(page);
  await openSettings(page);
  await page.locator('#freezingSlider').fill('3');
  await page.locator('#okButton').click();
  await expect(page.locator('#settingsPanel')).toBeHidden();
  await openSettings(page);
  await expect(page.locator('#freezingSlider')).toHaveValue('3');
  expect(errors).toEqual([]);
});

test('a full storage is told, and the settings still count for this visit', async ({ page }) => {
  // As a browser whose quota for the page is used up.
  await page.addInitScript(() => {
    Storage.prototype.setItem = () => { throw new DOMException('The quota has been exceeded.', 'QuotaExceededError'); };
  });
  await openGame(page);
  await openSettings(page);
  await page.locator('#freezingSlider').fill('5');
  await page.locator('#okButton').click();
  await expect(page.locator('#notice')).toContainText('storage is full');
  await openSettings(page);
  await expect(page.locator('#freezingSlider')).toHaveValue('5');
});

test('OK with nothing changed changes no stored value', async ({ page }) => {
  await openGame(page);
  await page.evaluate(() => {
    localStorage.setItem('game/cameraSensitivity', '20');
    localStorage.setItem('game/freezingSpeed', '10');
  });
  await page.reload();
  await expect(page.locator('#game')).toHaveAttribute('data-state', 'ready');
  const storedNow = () => page.evaluate(() => Object.fromEntries(Object.keys(localStorage).filter((k) => k.startsWith('game/'))
    .map((k) => [k, localStorage.getItem(k)])));
  const before = await storedNow();
  for (let round = 0; round < 3; ++round) {
    await openSettings(page);
    await page.locator('#okButton').click();
    await expect(page.locator('#settingsPanel')).toBeHidden();
  }
  const after = await storedNow();
  expect(after['game/cameraSensitivity']).toBe('20');
  expect(after['game/freezingSpeed']).toBe(before['game/freezingSpeed']);
});

test('the resolution slider runs from the smallest picture on the left to the largest on the right', async ({ page }) => {
  await openGame(page);
  await startCamera(page);
  await openSettings(page);
  const slider = page.locator('#resolutionSlider');
  await expect(slider).toBeEnabled();
  const widthAt = async (position) => {
    await slider.fill(String(position));
    return Number((await page.locator('#resolutionLabel').textContent()).match(/\d+/)[0]);
  };
  const max = Number(await slider.getAttribute('max'));
  expect(max).toBeGreaterThan(0);
  const widths = [];
  for (let position = 0; position <= max; ++position)
    widths.push(await widthAt(position));
  expect(widths).toEqual([...widths].sort((a, b) => a - b));
  expect(widths[0]).toBeLessThan(widths[max]);
});

// The panel's labels, with the camera on, in each language at 640 x 480 and
// on a phone.
const LABEL_CASES = [
  { locale: 'de-DE', viewport: { width: 640, height: 480 }, resolution: 'Pixel', shot: 'settings-de-640x480' },
  { locale: 'fr-FR', viewport: { width: 640, height: 480 }, resolution: 'caméra' },
  { locale: 'es-ES', viewport: { width: 640, height: 480 }, resolution: 'cámara' },
  { locale: 'en-US', viewport: { width: 640, height: 480 }, resolution: 'height' },
  { locale: 'de-DE', viewport: { width: 360, height: 640 }, resolution: 'Pixel', shot: 'settings-de-360x640' },
  { locale: 'fr-FR', viewport: { width: 360, height: 640 }, resolution: 'caméra' },
];

for (const { locale, viewport, resolution, shot } of LABEL_CASES) {
  test.describe(`in ${locale} at ${viewport.width} x ${viewport.height}`, () => {
    test.use({ locale, viewport });
    test('the settings\' labels fit their boxes and the page', async ({ page }) => {
      await openGame(page);
      await startCamera(page);
      await openSettings(page);
      await expect(page.locator('#resolutionLabel')).toContainText(resolution);
      for (const name of ['resolution', 'sensitivity', 'freezing']) {
        const fit = await page.locator(`#${name}Box label`).evaluate((l) => ({
          text: l.scrollWidth, room: l.clientWidth, left: l.parentElement.getBoundingClientRect().left,
          right: l.parentElement.getBoundingClientRect().right,
        }));
        expect([name, fit.text <= fit.room, fit.left >= 0, fit.right <= viewport.width])
          .toEqual([name, true, true, true]);
      }
      if (shot)
        await screenshot(page, shot);
    });
  });
}
