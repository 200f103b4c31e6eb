// What the browser tests and the measuring scripts may see of the page:
// one frozen object, `globalThis.frostpaneTest`, and nothing else of the
// page's insides. Each member gives a value read now or does one thing a
// player could do as well; none changes the game in a way a player cannot.
// The tests (web/tests/chromium, firefox, webkit) and web/tools/measure_*.mjs
// use only these; a member no test needs any more goes.

/**
 * @param {object} parts the page's parts the members read
 * @param {import('./game_module.js').GameModule} parts.core the module
 * @param {import('./camera.js').Camera} parts.camera the browser's camera
 * @param {import('./camera_control.js').CameraControl} parts.cameraControl the camera tool's doings
 * @param {import('./sound.js').Sound} parts.sound the game's sound
 * @param {import('./steps.js').Steps} parts.steps the game's steps
 * @param {import('./photos.js').Photos} parts.photos a parent's photos
 * @param {{ startedAt?: number, shownAt?: number }} parts.times when the page started and was shown
 */
export function installTestSurface({ core, camera, cameraControl, sound, steps, photos, times }) {
  globalThis.frostpaneTest = Object.freeze({
    // performance.now() when the page began to start (module and texts
    // loaded), or undefined. Firefox's start test; measure_load.mjs.
    startedAt: () => times.startedAt,
    // performance.now() when the start page was first drawn, or undefined:
    // the tests' tap gate (chromium/helpers.js, firefox, webkit) and
    // measure_start.mjs.
    shownAt: () => times.shownAt,

    // What the module draws now, as core.scene() has it but without the
    // picture's pixels: scene, pictureRect, bar, barColor, banner,
    // bannerShown, cleanedFraction, wipeSound. Chromium play, snow, black;
    // webkit.
    scene: () => {
      const { picture, ...rest } = core.scene();
      return { ...rest, pictureSize: picture ? { width: picture.width, height: picture.height } : null };
    },
    // How many pictures there are (built-in and photos): chromium photos.
    pictureCount: () => core.pictureCount(),
    // The number of the picture on show: chromium access.
    pictureNumber: () => core.pictureNumber(),
    // Whether every built-in picture is in the module: webkit waits for it
    // before it taps, as a tap while the page still decodes them was slow.
    builtInPicturesLoaded: () => Array.from({ length: core.builtInPictures() }, (_, i) => core.hasPicture(i + 1))
      .every(Boolean),
    // Whether the game steps on its timer now (no camera frames and not
    // settled yet): chromium play checks that it stops.
    stepping: () => steps.ticking,
    // Whether camera frames are still copied straight into the module (not
    // drawn through the canvas): chromium camera.
    frameCopies: () => steps.frameCopies,

    // How many camera frames the page has taken so far: chromium helpers
    // and camera_frames, firefox, webkit, measure_load.mjs.
    frames: () => camera.frames,
    // The camera now: whether a stream is open or being asked for, the side
    // chosen, and its track's id, size and state. Chromium camera.
    camera: () => {
      const track = camera.track;
      const settings = track?.getSettings();
      return {
        open: camera.active, starting: camera.starting !== null, back: camera.back, deviceId: camera.deviceId,
        width: settings?.width ?? 0, height: settings?.height ?? 0, trackState: track?.readyState ?? null,
      };
    },
    // As a tap on the camera tool does while it is off: firefox.
    startCamera: () => cameraControl.start(),
    // As a tap on the camera tool does while it is on: chromium camera_frames.
    stopCamera: () => cameraControl.stop(),
    // As when the camera is unplugged: its track ends without the page's
    // doing. Chromium camera.
    unplugCamera: () => camera.track?.stop(),

    // The sound now: whether its context was made (the first tap does) and
    // its state, whether the worklet runs, Sound on or off, and what the
    // worklet measured (meterSound()): its level over about 0.1 s, the
    // loudest since resetSoundPeak(), the blocks rendered. Chromium sound,
    // touch, settings, privacy, helpers; firefox; webkit.
    sound: () => ({
      started: sound.context !== null, state: sound.context?.state ?? null, running: sound.running,
      enabled: sound.enabled, level: sound.level, peak: sound.peak, blocks: sound.blocks,
    }),
    // Asks the worklet to report its level from now on (it only measures).
    meterSound: () => sound.meter(true),
    resetSoundPeak: () => sound.resetPeak(),

    // The ice the page makes for a photo (ImageData) as picture `number`,
    // kept nowhere: chromium photos compares it with the built-in ice.
    /** @param {number} number @param {ImageData} photo */
    makeIce: (number, photo) => photos.makeIce(number, photo),
    // As "Add photos…" does with the files picked: measure_photo_memory.mjs.
    /** @param {File[]} files */
    addPhotos: (files) => photos.add(files),
  });
}
