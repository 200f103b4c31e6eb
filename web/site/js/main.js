// The page's start: it checks that the browser can run the game's module,
// loads the module and the texts, makes the page's parts and wires them to
// one another, then shows the start page. What each part does is in its own
// file: view.js shows, input.js takes the player's hands, panels.js and
// notice.js are the panels' and the notice's elements, camera_control.js and
// steps.js drive the game from the camera, and camera.js, sound.js,
// storage.js and photos.js do what the browser does for them.
import { Action, GameModule, TOOL_COUNT } from './game_module.js';
import { Camera } from './camera.js';
import { CameraControl } from './camera_control.js';
import { Input } from './input.js';
import { Notice } from './notice.js';
import { Panels } from './panels.js';
import { PhotoStore } from './photo_store.js';
import { Photos } from './photos.js';
import { Pictures } from './pictures.js';
import { Sound } from './sound.js';
import { Steps } from './steps.js';
import { View } from './view.js';
import { applyTexts, loadTexts } from './i18n.js';
import { byId } from './dom.js';
import { installTestSurface } from './test_surface.js';
import { loadSettings, saveSettings } from './storage.js';

// The smallest module that uses a SIMD128 instruction: a browser that
// validates it runs the game's module.
const SIMD_PROBE = new Uint8Array([0, 97, 115, 109, 1, 0, 0, 0, 1, 5, 1, 96, 0, 1, 123, 3, 2, 1, 0, 10, 10,
  1, 8, 0, 65, 0, 253, 15, 253, 98, 11]);

/** @returns {boolean} whether this browser can run the game's module */
export function canRunGame() {
  try {
    return typeof WebAssembly === 'object' && WebAssembly.validate(SIMD_PROBE);
  } catch {
    return false;
  }
}

/**
 * Makes the page's parts around the module and shows the start page.
 * @param {GameModule} core the module
 * @param {Record<string, string>} texts the page's texts in the player's language
 * @param {string} language the player's language
 */
async function startGame(core, texts, language) {
  /** @type {{ startedAt?: number, shownAt?: number }} */
  const times = { startedAt: performance.now() };
  const root = byId('game');
  const icons = Array.from({ length: TOOL_COUNT },
    (_, tool) => /** @type {HTMLElement} */ (root.querySelector(`[data-tool="${tool}"]`)));
  const camera = new Camera(byId('camera'));
  camera.defaultResolution = core.defaultResolution();
  const sound = new Sound();

  const notice = new Notice(texts, () => panels.controlsOnShow());
  const save = () => {
    if (saveSettings(core) === 'full')
      notice.show('storageFull');
  };
  const view = new View(core, root, icons, {
    camera: () => cameraControl.look(),
    panelShown: (panel) => panels.panelShown(panel),
    fitLabels: () => panels.fitLabels(),
    placeNotice: () => notice.place(),
  });
  const render = () => view.render();
  // After a step: the picture, and what the sounds follow.
  const showStep = () => {
    const shown = view.draw();
    sound.follow(shown.wipeSound, shown.bannerShown);
  };
  const steps = new Steps(core, () => camera.active, showStep);
  camera.onFrame = (source) => steps.stepFrame(source);
  const keepStepping = () => steps.keepStepping();
  const cameraControl = new CameraControl(core, camera, root, {
    render, stepped: showStep, keepStepping, save, say: (name) => notice.show(name), unsay: () => notice.hide(),
  });
  const panels = new Panels(core, texts, root, {
    camera: () => cameraControl.now(),
    settingsTaken: (soundOn, resolution) => {
      sound.setEnabled(soundOn);
      if (resolution)
        cameraControl.useResolution(resolution);
      save();
      render();
    },
    placeNotice: () => notice.place(),
  });
  const photos = new Photos(core, new PhotoStore(), texts, root, {
    picturesChanged: () => {
      render();
      return pictures.show();
    },
    say: (text) => notice.showText(text),
  });
  const pictures = new Pictures(core, photos, () => view.draw());

  /** @type {(tool: number, action: number, event: Event) => void} */
  const act = (tool, action, event) => {
    if (core.clickTicks())
      sound.tap();
    switch (action) {
      case Action.ToggleCamera:
        cameraControl.toggle();
        break;
      case Action.SwitchCamera:
        cameraControl.switchCamera();
        break;
      case Action.ToggleView:
        showStep();
        keepStepping();
        break;
      case Action.OpenSettings:
        input.panelOpened(event);
        panels.openSettings(icons[tool]);
        break;
      case Action.OpenAbout:
        input.panelOpened(event);
        panels.openAbout(icons[tool]);
        break;
      case Action.NextPicture:
      case Action.PreviousPicture:
        pictures.show();
        break;
      default:
        break;
    }
  };
  const input = new Input(core, root, icons, {
    origin: () => view.origin,
    act,
    render,
    keepStepping,
    pictureTapped: () => {
      notice.hide();
      render();
    },
    // The first tap anywhere may start the sound: a browser allows audio
    // only after a gesture.
    released: () => {
      if (!sound.context)
        sound.start();
    },
  });
  installTestSurface({ core, camera, cameraControl, sound, steps, photos, times });

  document.documentElement.lang = language;
  document.title = texts.title ?? document.title;
  applyTexts(document, texts);
  if (!window.isSecureContext)
    notice.show('notSecure');
  panels.fillAbout(await fetch('version.json').then((r) => r.json()).then((v) => v.version).catch(() => ''));

  loadSettings(core);
  const settings = core.settings();
  camera.back = settings.backCamera;
  sound.setEnabled(settings.sound);
  await view.measureIcons();

  window.addEventListener('resize', () => view.layout());
  document.addEventListener('fullscreenchange', () => view.layout());
  input.connect();
  panels.connect();
  cameraControl.connect();
  view.layout();
  await pictures.show();
  photos.start();
  await cameraControl.countCameras();
  render();
  root.dataset.simd = core.simdTarget();
  root.dataset.state = 'ready';
  // Milliseconds from the navigation until the start page was drawn.
  times.shownAt = performance.now();
  // The other pictures and the banner come while the child looks.
  view.loadBanner();
  pictures.loadBuiltIn();
  navigator.serviceWorker?.register('sw.js').catch((error) => {
    console.warn('frostpane: no offline copy', error);
  });
}

async function main() {
  const root = byId('game');
  const textsLoaded = loadTexts();
  if (!canRunGame()) {
    const { texts } = await textsLoaded;
    byId('noticeText').textContent = texts.oldBrowser ?? '';
    byId('notice').hidden = false;
    root.dataset.state = 'unsupported';
    return;
  }
  const [core, { language, texts }] = await Promise.all([GameModule.load(), textsLoaded]);
  await startGame(core, texts, language);
}

main().catch((error) => {
  console.error('frostpane: the page could not start', error);
  byId('game').dataset.state = 'failed';
});
