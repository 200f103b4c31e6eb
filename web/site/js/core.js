// The page's thin wrapper around the game's module (module/frostpane.js, built
// from web/module/bindings.cpp): each method calls one of the module's C
// functions and turns its numbers and texts into JavaScript values. The rules
// all stay in the module.
import createFrostpaneModule from '../module/frostpane.js';

// The tool icons, in the module's order (ToolIcon in core/window_layout.h).
export const Tool = Object.freeze({
  SwitchCamera: 0, Eye: 1, About: 2, Camera: 3, Settings: 4, PreviousImage: 5, NextImage: 6,
});
export const TOOL_COUNT = 7;

// What a click asks the page to do (Controls::Action in core/controls.h).
export const Action = Object.freeze({
  None: 0, ToggleCamera: 1, SwitchCamera: 2, ToggleView: 3, OpenSettings: 4, OpenAbout: 5,
  NextPicture: 6, PreviousPicture: 7,
});

export const Panel = Object.freeze({ None: 0, Settings: 1, About: 2 });

const encoder = new TextEncoder();
const decoder = new TextDecoder();

export class Core {
  static async load() {
    return new Core(await createFrostpaneModule());
  }

  constructor(module) {
    this.m = module;
  }

  // The numbers the last call left, as a plain array of `count`.
  numbers(count) {
    const start = this.m._fp_numbers() / 8;
    return Array.from(this.m.HEAPF64.subarray(start, start + count));
  }

  // The text the last call left (`length` bytes of UTF-8).
  text(length) {
    const start = this.m._fp_text();
    return decoder.decode(this.m.HEAPU8.subarray(start, start + length));
  }

  // Puts strings into the module's text buffer one after the other; returns
  // the byte length of each.
  putTexts(...strings) {
    const capacity = this.m._fp_textCapacity();
    let at = this.m._fp_text();
    const end = at + capacity - 1;
    return strings.map((s) => {
      const { written } = encoder.encodeInto(s, this.m.HEAPU8.subarray(at, end));
      at += written;
      return written;
    });
  }

  simdTarget() { return this.text(this.m._fp_simdTarget()); }

  // ---- Layout
  layout(width, height, pixelRatio, iconWidth, iconHeight) {
    this.m._fp_layout(width, height, pixelRatio, iconWidth, iconHeight);
  }
  icon(tool) {
    this.m._fp_icon(tool);
    const [x, y, width, height, scale, visible] = this.numbers(6);
    return { x, y, width, height, scale, visible: visible !== 0 };
  }
  toolOpacity() { return this.m._fp_toolOpacity(); }
  setCameraCount(count) { this.m._fp_setCameraCount(count); }
  pictureRect() {
    this.m._fp_pictureRect();
    const [x, y, width, height] = this.numbers(4);
    return { x, y, width, height };
  }
  pictureNumber() { return this.m._fp_pictureNumber(); }
  isIceView() { return this.m._fp_isIceView() !== 0; }
  panelLayout(width, height, slider, track, labelHeight, switchBox, okWidth) {
    this.m._fp_panelLayout(width, height, slider, track.width, track.height, labelHeight,
      switchBox.width, switchBox.height, okWidth);
    const n = this.numbers(10);
    return {
      track: { x: n[0], y: n[1] }, box: { x: n[2], y: n[3], width: n[4], height: n[5] },
      switchBox: { x: n[6], y: n[7] }, okBox: { x: n[8], y: n[9] },
    };
  }

  // ---- Pointer, tools and panels
  press(tool) { return this.m._fp_press(tool) !== 0; }
  release(tool) { this.m._fp_release(tool); }
  click(tool) { return this.m._fp_click(tool); }
  // A press with no pointer before it (a screen reader's, a switch device's).
  activate(tool) { return this.m._fp_activate(tool); }
  clickTicks() { return this.m._fp_clickTicks() !== 0; }
  tapPicture() { return this.m._fp_tapPicture() !== 0; }
  escape() { return this.m._fp_escape() !== 0; }
  openPanel() { return this.m._fp_openPanel(); }
  fadeRunning() { return this.m._fp_fadeRunning() !== 0; }
  fadeInterval() { return this.m._fp_fadeInterval(); }
  fadeTick() { this.m._fp_fadeTick(); }

  // ---- Remembered settings
  storedKeys() {
    const lines = this.text(this.m._fp_storedKeys()).split('\n');
    return { keys: lines.slice(0, -1), perCameraPrefix: lines[lines.length - 1] };
  }
  // `values` maps keys to stored strings; returns the warnings, one a value
  // not taken as it was.
  readStored(values) {
    this.m._fp_storedClear();
    for (const [key, value] of values) {
      const [keyLength, valueLength] = this.putTexts(key, value);
      this.m._fp_storedPut(keyLength, valueLength);
    }
    const count = this.m._fp_storedRead();
    return Array.from({ length: count }, (_, i) => this.text(this.m._fp_storedWarning(i)));
  }
  // [key, value] pairs to keep now.
  storedValues() {
    return this.text(this.m._fp_storedValues()).split('\n').filter((line) => line)
      .map((line) => line.split('\t'));
  }
  settings() {
    this.m._fp_settings();
    const [cameraSensitivity, freezingSpeed, sound, backCamera] = this.numbers(4);
    return { cameraSensitivity, freezingSpeed, sound: sound !== 0, backCamera: backCamera !== 0 };
  }
  setBackCamera(back) { this.m._fp_setBackCamera(back ? 1 : 0); }

  // ---- Settings panel
  sliders() {
    this.m._fp_sliders();
    const n = this.numbers(6);
    return {
      sensitivity: { min: n[0], max: n[1], value: n[2] },
      freezingSpeed: { min: n[3], max: n[4], value: n[5] },
    };
  }
  takeSettings(sensitivitySlider, freezingSlider, sound) {
    this.m._fp_takeSettings(sensitivitySlider, freezingSlider, sound ? 1 : 0);
  }

  // ---- Camera
  // The camera's ranges (MediaTrackCapabilities); returns the number of
  // resolutions it offers.
  cameraCapabilities(c) {
    return this.m._fp_cameraCapabilities(c.width.min, c.width.max, c.height.min, c.height.max,
      c.frameRate?.max ?? 0);
  }
  resolution(index) {
    this.m._fp_resolution(index);
    const [width, height, frameRate] = this.numbers(3);
    return { width, height, frameRate };
  }
  resolutionIndexOfPosition(position) { return this.m._fp_resolutionIndexOfPosition(position); }
  resolutionPositionOfIndex(index) { return this.m._fp_resolutionPositionOfIndex(index); }
  // The camera in use from now on; returns its remembered resolution, or
  // null for the default.
  useCamera(id) {
    const [length] = this.putTexts(id);
    this.m._fp_useCamera(length);
    const [width, height, frameRate] = this.numbers(3);
    return width > 0 ? { width, height, frameRate } : null;
  }
  chooseResolution(index) { this.m._fp_chooseResolution(index); }

  // ---- Pictures
  builtInPictures() { return this.m._fp_builtInPictures(); }
  pictureCount() { return this.m._fp_pictureCount(); }
  setPictureCount(count) { this.m._fp_setPictureCount(count); }
  hasPicture(number) { return this.m._fp_hasPicture(number) !== 0; }
  dropPicture(number) { this.m._fp_dropPicture(number); }
  // Whether picture `number` stays decoded while the one on show is shown.
  keepsPicture(number) { return this.m._fp_keepsPicture(number) !== 0; }
  // Hands picture `number` over as two ImageData of one size; false when
  // they do not make one.
  putPicture(number, photo, ice) {
    for (const [which, image] of [photo, ice].entries()) {
      const at = this.m._fp_stagePicture(which, image.width, image.height);
      if (!at)
        return false;
      this.m.HEAPU8.set(image.data, at);
    }
    return this.m._fp_putPicture(number) !== 0;
  }

  // ---- A parent's own photos
  maxPhotos() { return this.m._fp_maxPhotos(); }
  // The size every photo is cut and scaled to.
  photoSize() { return { width: this.m._fp_photoWidth(), height: this.m._fp_photoHeight() }; }
  // The part of an upright photo of width x height to keep, or why it cannot
  // be used ({ problem: 'small' | 'large' | 'long' }).
  photoCut(width, height) {
    const problem = this.m._fp_photoCut(width, height);
    if (problem !== 0)
      return { problem: ['', 'small', 'large', 'long'][problem] ?? 'small' };
    const start = this.m._fp_photoNumbers() / 8;
    const [x, y, w, h] = this.m.HEAPF64.subarray(start, start + 4);
    return { x, y, width: w, height: h };
  }
  // Only pictures 1..count stay; the one on show steps on if it went.
  keepPictures(count) { this.m._fp_keepPictures(count); }
  stepToPicture(number) { this.m._fp_stepToPicture(number); }

  // ---- Steps
  // The bytes a camera frame of cameraWidth x cameraHeight goes into, as the
  // camera sees it ({ width, height, bytes, part }: `part` is the rectangle
  // of the frame to copy, scaled to width x height), or null while there is
  // no picture to play on. The step mirrors a front camera's frame itself.
  frameBuffer(cameraWidth, cameraHeight) {
    const at = this.m._fp_frameBuffer(cameraWidth, cameraHeight);
    const [width, height, x, y, w, h] = this.numbers(6);
    return at ? {
      width, height, bytes: this.m.HEAPU8.subarray(at, at + width * height * 4), part: { x, y, width: w, height: h },
    } : null;
  }
  step(cameraWidth, cameraHeight) {
    return this.m._fp_step(cameraWidth, cameraHeight) !== 0;
  }
  setBannerSize(width, height) { this.m._fp_setBannerSize(width, height); }
  cameraStarted() { this.m._fp_cameraStarted(); }
  cameraStopped() { this.m._fp_cameraStopped(); }
  tickInterval() { return this.m._fp_tickInterval(); }
  tick() { return this.m._fp_tick() !== 0; }
  // What to draw: the scene, the picture (an ImageData over the module's
  // memory, valid until the next call into the module, or null), its place,
  // the progress bar and the banner; and how much ice the crackle follows.
  scene() {
    this.m._fp_scene();
    const n = this.numbers(21);
    const [address, width, height, stride] = n.slice(1, 5);
    const picture = address && width > 0 && stride === width * 4
      ? new ImageData(new Uint8ClampedArray(this.m.HEAPU8.buffer, address, stride * height), width, height)
      : null;
    const rect = (i) => ({ x: n[i], y: n[i + 1], width: n[i + 2], height: n[i + 3] });
    return {
      scene: n[0], picture, pictureRect: rect(5), bar: rect(9),
      barColor: `#${(n[13] & 0xffffff).toString(16).padStart(6, '0')}`,
      bannerShown: n[14] !== 0, banner: rect(15), cleanedFraction: n[19], wipeSound: n[20],
    };
  }

  // ---- Pointers on the picture (CSS pixels)
  pointerDown(id, x, y) { this.m._fp_pointerDown(id, x, y); }
  pointerMove(id, x, y) { return this.m._fp_pointerMove(id, x, y) !== 0; }
  pointerUp(id, x, y) { return this.m._fp_pointerUp(id, x, y) !== 0; }
  pointerCancel(id) { this.m._fp_pointerCancel(id); }
}

export const Scene = Object.freeze({ IceOnBlack: 0, Play: 1, CameraFrame: 2 });
