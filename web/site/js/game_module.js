// The page's side of the game's module (module/frostpane.js, built from
// web/module/bindings.cpp): the generated wrapper (module/boundary.js, from
// web/module/boundary.json) does the calls and their types; this class adds
// what is about the browser, ImageData over the module's memory, several
// texts at once and the staging of pixels, and gives the page its results as
// it uses them. The rules all stay in the module.
import createFrostpaneModule from '../module/frostpane.js';
import { Action, FrostpaneBoundary, Panel, PhotoProblem, Scene, TOOL_COUNT, Tool } from '../module/boundary.js';

export { Action, Panel, PhotoProblem, Scene, TOOL_COUNT, Tool };

/** @typedef {import('../module/boundary.js').Rect} Rect */
/** @typedef {{ width: number, height: number, frameRate: number }} Resolution */

/** @type {Record<number, 'small' | 'large' | 'long'>} */
const PROBLEM_NAMES = {
  [PhotoProblem.TooSmall]: 'small', [PhotoProblem.TooLarge]: 'large', [PhotoProblem.TooLong]: 'long',
};

export class GameModule {
  /** @returns {Promise<GameModule>} */
  static async load() {
    return new GameModule(await createFrostpaneModule());
  }

  /**
   * @param {import('../module/boundary.js').EmscriptenModule} module the module its glue made
   * @throws {Error} when the module lacks one of the declared functions
   */
  constructor(module) {
    this.m = module;
    this.b = new FrostpaneBoundary(module);
  }

  /**
   * The text the last call left (`length` bytes of UTF-8).
   * @param {number} length
   */
  text(length) { return this.b.takeText(length); }
  /**
   * Puts strings into the module's text buffer one after the other; returns
   * the byte length of each.
   * @param {...string} strings
   */
  putTexts(...strings) { return this.b.putTexts(...strings); }

  /** @returns {string} */
  simdTarget() { return this.b.simdTarget(); }

  // ---- Layout
  /**
   * @param {number} width @param {number} height @param {number} pixelRatio
   * @param {number} iconWidth @param {number} iconHeight
   */
  layout(width, height, pixelRatio, iconWidth, iconHeight) {
    this.b.layout(width, height, pixelRatio, iconWidth, iconHeight);
  }
  /** @param {number} tool */
  icon(tool) { return this.b.icon(tool); }
  toolOpacity() { return this.b.toolOpacity(); }
  /** @param {number} count */
  setCameraCount(count) { this.b.setCameraCount(count); }
  /** @returns {Rect} */
  pictureRect() { return this.b.pictureRect(); }
  pictureNumber() { return this.b.pictureNumber(); }
  isIceView() { return this.b.isIceView(); }
  /**
   * @param {number} width @param {number} height @param {number} slider
   * @param {{ width: number, height: number }} track @param {number} labelHeight
   * @param {{ width: number, height: number }} switchBox @param {number} okWidth
   */
  panelLayout(width, height, slider, track, labelHeight, switchBox, okWidth) {
    const p = this.b.panelLayout(width, height, slider, track.width, track.height, labelHeight,
      switchBox.width, switchBox.height, okWidth);
    return {
      track: { x: p.trackX, y: p.trackY }, box: { x: p.boxX, y: p.boxY, width: p.boxWidth, height: p.boxHeight },
      switchBox: { x: p.switchX, y: p.switchY }, okBox: { x: p.okX, y: p.okY },
    };
  }

  // ---- Pointer, tools and panels
  /** @param {number} tool */
  press(tool) { return this.b.press(tool); }
  /** @param {number} tool */
  release(tool) { this.b.release(tool); }
  /** @param {number} tool */
  click(tool) { return this.b.click(tool); }
  /**
   * A press with no pointer before it (a screen reader's, a switch device's).
   * @param {number} tool
   */
  activate(tool) { return this.b.activate(tool); }
  clickTicks() { return this.b.clickTicks(); }
  tapPicture() { return this.b.tapPicture(); }
  escape() { return this.b.escape(); }
  openPanel() { return this.b.openPanel(); }
  fadeRunning() { return this.b.fadeRunning(); }
  fadeInterval() { return this.b.fadeInterval(); }
  fadeTick() { this.b.fadeTick(); }

  // ---- Remembered settings
  storedKeys() {
    const lines = this.b.storedKeys().split('\n');
    return { keys: lines.slice(0, -1), perCameraPrefix: lines[lines.length - 1] };
  }
  /**
   * Reads the stored values over the defaults; returns the warnings, one a
   * value not taken as it was.
   * @param {Iterable<[string, string]>} values keys and their stored strings
   * @returns {string[]}
   */
  readStored(values) {
    this.b.storedClear();
    for (const [key, value] of values)
      this.b.storedPut(key, value);
    const count = this.b.storedRead();
    return Array.from({ length: count }, (_, i) => this.b.storedWarning(i));
  }
  /**
   * [key, value] pairs to keep now.
   * @returns {string[][]}
   */
  storedValues() {
    return this.b.storedValues().split('\n').filter((line) => line).map((line) => line.split('\t'));
  }
  settings() { return this.b.settings(); }
  /** @param {boolean} back */
  setBackCamera(back) { this.b.setBackCamera(back); }

  // ---- Settings panel
  sliders() {
    const s = this.b.sliders();
    return {
      sensitivity: { min: s.sensitivityMin, max: s.sensitivityMax, value: s.sensitivityValue },
      freezingSpeed: { min: s.freezingMin, max: s.freezingMax, value: s.freezingValue },
    };
  }
  /** @param {number} sensitivitySlider @param {number} freezingSlider @param {boolean} sound */
  takeSettings(sensitivitySlider, freezingSlider, sound) {
    this.b.takeSettings(sensitivitySlider, freezingSlider, sound);
  }

  // ---- Camera
  /**
   * The camera in use from now on (its id and its track's ranges, or null
   * when it reports none); returns the resolution to ask it for, its own
   * or the default, or null to leave it as it is.
   * @param {string} id
   * @param {MediaTrackCapabilities | null} c
   * @returns {Resolution | null}
   */
  useCamera(id, c) {
    const request = this.b.useCamera(id, c?.width?.min ?? 0, c?.width?.max ?? 0, c?.height?.min ?? 0,
      c?.height?.max ?? 0, c?.frameRate?.max ?? 0);
    return request.width > 0 ? request : null;
  }
  /** How many resolutions the camera in use offers; 0 for none. */
  resolutionCount() { return this.b.resolutionCount(); }
  /**
   * @param {number} index
   * @returns {Resolution}
   */
  resolution(index) { return this.b.resolution(index); }
  /**
   * What a camera is asked for before its ranges are known (frameRate 0:
   * the browser's choice).
   * @returns {Resolution}
   */
  defaultResolution() { return this.b.defaultResolution(); }
  /**
   * The entry of the resolution the camera delivers; -1 for none.
   * @param {{ width: number, height: number, frameRate?: number }} delivered
   */
  resolutionInUse(delivered) {
    return this.b.resolutionInUse(delivered.width, delivered.height, delivered.frameRate ?? 0);
  }
  /** @param {number} position */
  resolutionIndexOfPosition(position) { return this.b.resolutionIndexOfPosition(position); }
  /** @param {number} index */
  resolutionPositionOfIndex(index) { return this.b.resolutionPositionOfIndex(index); }
  /** The user moved the resolution slider: every OK from now on applies it. */
  resolutionSliderMoved() { this.b.resolutionSliderMoved(); }
  /**
   * The settings panel's OK with the resolution slider at `position`: the
   * resolution to ask the camera for now, or null for none.
   * @param {number} position
   * @returns {Resolution | null}
   */
  chooseResolution(position) {
    const chosen = this.b.chooseResolution(position);
    return chosen.width > 0 ? chosen : null;
  }

  // ---- Pictures
  builtInPictures() { return this.b.builtInPictures(); }
  pictureCount() { return this.b.pictureCount(); }
  /** @param {number} count */
  setPictureCount(count) { this.b.setPictureCount(count); }
  /** @param {number} number */
  hasPicture(number) { return this.b.hasPicture(number); }
  /** @param {number} number */
  dropPicture(number) { this.b.dropPicture(number); }
  /**
   * Whether picture `number` stays decoded while the one on show is shown.
   * @param {number} number
   */
  keepsPicture(number) { return this.b.keepsPicture(number); }
  /**
   * Hands picture `number` over as two ImageData of one size; false when
   * they do not make one.
   * @param {number} number @param {ImageData} photo @param {ImageData} ice
   */
  putPicture(number, photo, ice) {
    for (const [which, image] of [photo, ice].entries()) {
      const at = this.b.stagePicture(which, image.width, image.height);
      if (!at)
        return false;
      this.m.HEAPU8.set(image.data, at);
    }
    return this.b.putPicture(number);
  }

  // ---- A parent's own photos
  maxPhotos() { return this.b.maxPhotos(); }
  /** The size every photo is cut and scaled to. */
  photoSize() { return { width: this.b.photoWidth(), height: this.b.photoHeight() }; }
  /**
   * The part of an upright photo of width x height to keep, or why it cannot
   * be used ({ problem: 'small' | 'large' | 'long' }).
   * @param {number} width @param {number} height
   * @returns {Rect | { problem: 'small' | 'large' | 'long' }}
   */
  photoCut(width, height) {
    const { problem, x, y, width: w, height: h } = this.b.photoCut(width, height);
    if (problem !== PhotoProblem.None)
      return { problem: PROBLEM_NAMES[problem] ?? 'small' };
    return { x, y, width: w, height: h };
  }
  /**
   * Photo `number` was removed (0: all of them) and `remaining` photos stay:
   * they are put again under their new numbers as they are needed, and the
   * picture that takes the removed one's place shows.
   * @param {number} number @param {number} remaining
   */
  removePhoto(number, remaining) { this.b.removePhoto(number, remaining); }

  // ---- Steps
  /**
   * The bytes a camera frame of cameraWidth x cameraHeight goes into, as the
   * camera sees it (`part` is the rectangle of the frame to copy, scaled to
   * width x height), or null while there is no picture to play on. The step
   * mirrors a front camera's frame itself.
   * @param {number} cameraWidth @param {number} cameraHeight
   * @returns {{ width: number, height: number, bytes: Uint8Array, part: Rect } | null}
   */
  frameBuffer(cameraWidth, cameraHeight) {
    const r = this.b.frameBuffer(cameraWidth, cameraHeight);
    return r.address ? {
      width: r.width, height: r.height, bytes: this.m.HEAPU8.subarray(r.address, r.address + r.width * r.height * 4),
      part: { x: r.partX, y: r.partY, width: r.partWidth, height: r.partHeight },
    } : null;
  }
  /** @param {number} cameraWidth @param {number} cameraHeight */
  step(cameraWidth, cameraHeight) { return this.b.step(cameraWidth, cameraHeight); }
  /** @param {number} width @param {number} height */
  setBannerSize(width, height) { this.b.setBannerSize(width, height); }
  cameraStarted() { this.b.cameraStarted(); }
  cameraStopped() { this.b.cameraStopped(); }
  tickInterval() { return this.b.tickInterval(); }
  tick() { return this.b.tick(); }
  /**
   * What to draw: the scene, the picture (an ImageData over the module's
   * memory, valid until the next call into the module, or null), its place,
   * the progress bar and the banner; and how much ice the crackle follows.
   */
  scene() {
    const s = this.b.scene();
    const { pictureAddress: address, pictureWidth: width, pictureHeight: height, pictureStride: stride } = s;
    const picture = address && width > 0 && stride === width * 4
      ? new ImageData(new Uint8ClampedArray(/** @type {ArrayBuffer} */ (this.m.HEAPU8.buffer), address, stride * height),
        width, height)
      : null;
    return {
      scene: s.scene, picture,
      pictureRect: { x: s.pictureX, y: s.pictureY, width: s.pictureRectWidth, height: s.pictureRectHeight },
      bar: { x: s.barX, y: s.barY, width: s.barWidth, height: s.barHeight },
      barColor: `#${(s.barColor & 0xffffff).toString(16).padStart(6, '0')}`,
      bannerShown: s.bannerShown,
      banner: { x: s.bannerX, y: s.bannerY, width: s.bannerWidth, height: s.bannerHeight },
      cleanedFraction: s.cleanedFraction, wipeSound: s.wipeSound,
    };
  }

  // ---- Pointers on the picture (CSS pixels)
  /** @param {number} id @param {number} x @param {number} y */
  pointerDown(id, x, y) { this.b.pointerDown(id, x, y); }
  /** @param {number} id @param {number} x @param {number} y */
  pointerMove(id, x, y) { return this.b.pointerMove(id, x, y); }
  /** @param {number} id @param {number} x @param {number} y */
  pointerUp(id, x, y) { return this.b.pointerUp(id, x, y); }
  /** @param {number} id */
  pointerCancel(id) { this.b.pointerCancel(id); }
}
