// The page as screen readers, switch devices and the keyboard meet it, and
// as axe-core judges it.
import { readFileSync, writeFileSync, mkdirSync } from 'node:fs';
import { createRequire } from 'node:module';
import { join } from 'node:path';
import { expect, test } from '@playwright/test';
import { SHOT_DIR } from '../support/site.js';
import { activateTool, openGame, screenshot, showTools, tapTool, waitForPressGate } from './helpers.js';

const axeSource = readFileSync(createRequire(import.meta.url).resolve('axe-core/axe.min.js'), 'utf8');

// axe-core's serious and critical findings on the page as it is now; the
// whole report is kept beside the screenshots.
async function seriousViolations(page, name) {
  if (!(await page.evaluate(() => typeof globalThis.axe === 'object')))
    await page.evaluate(axeSource);
  const result = await page.evaluate(() => globalThis.axe.run(document, {
    // The page keeps zoom off (maximum-scale=1, user-scalable=no) on
    // purpose: a child's pinch must wipe the ice, not zoom the game away.
    rules: { 'meta-viewport': { enabled: false } },
  }));
  mkdirSync(SHOT_DIR, { recursive: true });
  writeFileSync(join(SHOT_DIR, `axe-${name}.json`), JSON.stringify(result.violations, null, 1));
  return result.violations.filter((v) => v.impact === 'serious' || v.impact === 'critical')
    .map((v) => `${v.id}: ${v.nodes.map((n) => n.target.join(' ')).join(', ')}`);
}

test('axe-core finds nothing serious on the start page, the tools, the settings and About', async ({ page }) => {
  await openGame(page);
  expect(await seriousViolations(page, 'start')).toEqual([]);
  await showTools(page);
  expect(await seriousViolations(page, 'tools')).toEqual([]);
  await tapTool(page, '#settingsIcon');
  await expect(page.locator('#settingsPanel')).toBeVisible();
  expect(await seriousViolations(page, 'settings')).toEqual([]);
  await page.keyboard.press('Escape');
  await showTools(page);
  await tapTool(page, '#aboutIcon');
  await expect(page.locator('#aboutPanel')).toBeVisible();
  expect(await seriousViolations(page, 'about')).toEqual([]);
});

test('faded tools stay named for screen readers and act on their activation, once per half second',
  async ({ page }) => {
    await openGame(page);
    // At the start only the camera shows; the others are faded, not gone.
    for (const name of ['Next picture', 'Previous picture', 'Settings', 'About', 'View'])
      await expect(page.getByRole('button', { name, exact: true })).toHaveCount(1);
    await expect(page.locator('#nextPictureIcon')).toHaveClass(/faded/);

    await activateTool(page, '#nextPictureIcon');
    await expect(page.locator('#game')).toHaveAttribute('data-picture', '2');
    // A child drumming on a switch: five activations at once count once.
    await waitForPressGate(page);
    await page.locator('#nextPictureIcon').evaluate((tool) => {
      for (let i = 0; i < 5; ++i)
        tool.click();
    });
    await expect(page.locator('#game')).toHaveAttribute('data-picture', '3');

    // A pointer's own click is no second activation.
    await showTools(page);
    await tapTool(page, '#nextPictureIcon');
    await expect(page.locator('#game')).toHaveAttribute('data-picture', '4');
    await expect.poll(() => page.evaluate(() => globalThis.frostpaneTest.pictureNumber())).toBe(4);
  });

test('a panel takes the focus when it opens and gives it back when it closes', async ({ page }) => {
  await openGame(page);
  for (const [tool, panel, first] of [['#settingsIcon', '#settingsPanel', 'sensitivitySlider'],
    ['#aboutIcon', '#aboutPanel', 'aboutPanel']]) {
    await activateTool(page, tool);
    await expect(page.locator(panel)).toBeVisible();
    expect(await page.evaluate(() => document.activeElement?.id)).toBe(first);
    await page.keyboard.press('Escape');
    await expect(page.locator(panel)).toBeHidden();
    expect(await page.evaluate(() => document.activeElement?.id)).toBe(tool.slice(1));
  }
});

test('outside the settings a child drumming on the keyboard changes nothing', async ({ page }) => {
  await openGame(page);
  await showTools(page);
  const before = await page.locator('#game').evaluate((game) => ({ ...game.dataset }));
  for (const key of ['Enter', ' ', 'Tab', 'ArrowRight', 'a', 'Enter', 'Tab', ' ', 'n', 'PageDown'])
    await page.keyboard.press(key);
  const after = await page.locator('#game').evaluate((game) => ({ ...game.dataset }));
  for (const name of ['panel', 'picture', 'camera', 'view'])
    expect([name, after[name]]).toEqual([name, before[name]]);
});

test('the picture has a name and the camera video is hidden from assistive tools', async ({ page }) => {
  await openGame(page);
  await expect(page.getByRole('img', { name: /frozen picture/ })).toHaveCount(1);
  await expect(page.locator('#camera')).toHaveAttribute('aria-hidden', 'true');
});

test('the About panel fits its text at 640 x 480 or shows that it scrolls', async ({ page }) => {
  await openGame(page);
  await showTools(page);
  await tapTool(page, '#aboutIcon');
  const about = page.locator('#aboutPanel');
  await expect(about).toBeVisible();
  const size = await about.evaluate((e) => ({ scroll: e.scrollHeight, client: e.clientHeight }));
  expect(size.scroll).toBeLessThanOrEqual(size.client);
  await expect(page.locator('#aboutCredits')).toBeInViewport({ ratio: 1 });
  await screenshot(page, 'about-fits-640x480');
});

// What the sensitivity (249 of 0..765 at the start) and the freezing speed
// (10 of 0..100) read out, in each language.
const READ_OUT = [
  { locale: 'en-US', sensitivity: 'sensitivity 33 %', freezing: 'freezing speed 10 %' },
  { locale: 'de-DE', sensitivity: 'Empfindlichkeit 33 %', freezing: 'Gefriergeschwindigkeit 10 %' },
  { locale: 'fr-FR', sensitivity: 'sensibilité 33\u00a0%', freezing: 'vitesse de gel 10\u00a0%' },
  { locale: 'es-ES', sensitivity: 'sensibilidad 33 %', freezing: 'velocidad de congelación 10 %' },
];

for (const { locale, sensitivity, freezing } of READ_OUT) {
  test.describe(`in ${locale}`, () => {
    test.use({ locale });
    test('the sliders read their meaning, not raw numbers', async ({ page }) => {
      await openGame(page);
      await activateTool(page, '#settingsIcon');
      await expect(page.locator('#sensitivitySlider')).toHaveAttribute('aria-valuetext', sensitivity);
      await expect(page.locator('#freezingSlider')).toHaveAttribute('aria-valuetext', freezing);
      await page.locator('#freezingSlider').fill('55');
      await expect(page.locator('#freezingSlider')).toHaveAttribute('aria-valuetext', freezing.replace('10', '55'));
    });
  });
}
