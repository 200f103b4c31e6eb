// The game's steps: one on each camera frame, and without frames on the
// module's own timer until the game settles. For a frame the module names
// the part the picture shows and where its bytes go; this copies them there
// the cheapest way the browser has, and the module steps on them.

// How many camera frames with too little colour to tell may be held against
// the canvas before their copies are trusted as they are.
const FRAME_CHECKS = 60;

export class Steps {
  /**
   * @param {import('./game_module.js').GameModule} core the module
   * @param {() => boolean} cameraActive whether the camera runs now (a frame of a stopped one is dropped)
   * @param {() => void} stepped the module stepped: show it
   */
  constructor(core, cameraActive, stepped) {
    this.core = core;
    this.cameraActive = cameraActive;
    this.stepped = stepped;
    // The camera's frame, cut and scaled for the module.
    this.frameCanvas = document.createElement('canvas');
    this.frameContext = /** @type {CanvasRenderingContext2D} */ (
      this.frameCanvas.getContext('2d', { alpha: false, willReadFrequently: true }));
    this.tickTimer = 0;
    this.frameCopies = true; // until the browser shows it cannot
    this.frameChecks = 0; // camera frames whose copy was held against the canvas
  }

  /** Whether the timer steps the game now (no camera frames, not settled). */
  get ticking() {
    return this.tickTimer !== 0;
  }

  /**
   * Each camera frame (a VideoFrame, or the video element at a new frame):
   * the module names the part the picture shows, the page copies it into
   * the module's frame buffer at the picture's size, and the step mirrors a
   * front camera's frame: two calls into the module a frame.
   * @param {VideoFrame | HTMLVideoElement} source
   */
  async stepFrame(source) {
    const frame = typeof VideoFrame === 'function' && source instanceof VideoFrame;
    const width = frame ? source.displayWidth : /** @type {HTMLVideoElement} */ (source).videoWidth;
    const height = frame ? source.displayHeight : /** @type {HTMLVideoElement} */ (source).videoHeight;
    if (width <= 0 || height <= 0 || !this.cameraActive())
      return;
    const target = this.core.frameBuffer(width, height);
    if (!target)
      return;
    const part = target.part;
    if (part.width === target.width && part.height === target.height
        && await this.copyFrame(source, width, height, part, target)) {
      // In place already: the step follows unless the module's memory moved
      // (grew for a picture) meanwhile, which lost the copy.
      const room = this.core.frameBuffer(width, height);
      if (room && room.bytes.buffer === target.bytes.buffer && room.bytes.byteOffset === target.bytes.byteOffset
        && this.cameraActive())
        this.stepOn(width, height);
      return;
    }
    // Scaled by the canvas.
    if (this.frameCanvas.width !== target.width || this.frameCanvas.height !== target.height) {
      this.frameCanvas.width = target.width;
      this.frameCanvas.height = target.height;
    }
    const g = this.frameContext;
    g.drawImage(source, part.x, part.y, part.width, part.height, 0, 0, target.width, target.height);
    this.takeFrame(g.getImageData(0, 0, target.width, target.height).data, width, height);
  }

  /**
   * A frame whose part on show has the picture's size needs no scaling: the
   * browser converts it to RGBA itself, the cheapest way it has, straight
   * into the module's frame buffer. False where it cannot (no WebCodecs, or
   * no conversion on copy).
   * @param {VideoFrame | HTMLVideoElement} source
   * @param {number} width the frame's size
   * @param {number} height
   * @param {{ x: number, y: number, width: number, height: number }} part the part the picture shows
   * @param {{ width: number, height: number, bytes: Uint8Array }} target the module's frame buffer
   * @returns {Promise<boolean>}
   */
  async copyFrame(source, width, height, part, target) {
    if (!this.frameCopies || typeof VideoFrame !== 'function')
      return false;
    const frame = source instanceof VideoFrame ? source : null;
    let made;
    try {
      made = frame ? null : new VideoFrame(source);
      const copied = /** @type {VideoFrame} */ (frame ?? made);
      // A frame the browser still scales for display (its visible part is
      // not the size it shows) is left to the canvas, which scales it.
      const visible = copied.visibleRect;
      if (!visible || visible.width !== width || visible.height !== height)
        return false;
      await copied.copyTo(target.bytes, {
        rect: { x: visible.x + part.x, y: visible.y + part.y, width: part.width, height: part.height },
        format: 'RGBA',
        layout: [{ offset: 0, stride: target.width * 4 }],
      });
      // WebKit copies in the frame's own BGRA order whatever format is asked
      // for: its red would be the game's blue. The first frames with colour
      // in them are held against the browser's own drawing of the frame, and
      // where red and blue come swapped the canvas takes the frames.
      if (this.frameChecks < FRAME_CHECKS) {
        const order = this.copiedOrder(copied, part, target);
        if (order === 'swapped') {
          this.frameCopies = false;
          return false;
        }
        this.frameChecks = order === 'same' ? FRAME_CHECKS : this.frameChecks + 1;
      }
      return true;
    } catch {
      this.frameCopies = false; // the canvas from now on
      return false;
    } finally {
      made?.close(); // the camera closes the frames it hands over
    }
  }

  /**
   * Whether the copy of `frame`'s `part` in `target` has the colours the
   * browser draws ('same'), red and blue swapped ('swapped'), or too little
   * colour to tell ('unknown').
   * @param {VideoFrame} frame
   * @param {{ x: number, y: number, width: number, height: number }} part
   * @param {{ bytes: Uint8Array }} target
   * @returns {'same' | 'swapped' | 'unknown'}
   */
  copiedOrder(frame, part, target) {
    const copy = target.bytes;
    if (copy.length < part.width * part.height * 4)
      return 'unknown'; // the module's memory moved meanwhile
    this.frameCanvas.width = part.width;
    this.frameCanvas.height = part.height;
    const g = this.frameContext;
    g.setTransform(1, 0, 0, 1, 0, 0);
    g.drawImage(frame, part.x, part.y, part.width, part.height, 0, 0, part.width, part.height);
    const drawn = g.getImageData(0, 0, part.width, part.height).data;
    let same = 0;
    let swapped = 0;
    let samples = 0;
    for (let i = 0; i < drawn.length; i += 4 * 7, ++samples) {
      same += Math.abs(copy[i] - drawn[i]) + Math.abs(copy[i + 2] - drawn[i + 2]);
      swapped += Math.abs(copy[i] - drawn[i + 2]) + Math.abs(copy[i + 2] - drawn[i]);
    }
    // The two ways of converting may differ by a few levels in each pixel.
    if (Math.abs(same - swapped) < samples * 4)
      return 'unknown';
    return same < swapped ? 'same' : 'swapped';
  }

  /**
   * Steps the game on a frame's RGBA bytes at the picture's size.
   * @param {Uint8ClampedArray} pixels
   * @param {number} cameraWidth
   * @param {number} cameraHeight
   */
  takeFrame(pixels, cameraWidth, cameraHeight) {
    // The module's memory is fetched again after any wait.
    const room = this.core.frameBuffer(cameraWidth, cameraHeight);
    if (!room || room.bytes.length !== pixels.length || !this.cameraActive())
      return;
    room.bytes.set(pixels);
    this.stepOn(cameraWidth, cameraHeight);
  }

  /**
   * Steps the game on the frame in the module's frame buffer.
   * @param {number} cameraWidth
   * @param {number} cameraHeight
   */
  stepOn(cameraWidth, cameraHeight) {
    if (this.core.step(cameraWidth, cameraHeight))
      this.stepped();
  }

  /** Without camera frames the module asks for steps until the game settles. */
  keepStepping() {
    if (this.tickTimer)
      return;
    const tick = () => {
      if (this.core.tick()) {
        this.stepped();
        return;
      }
      clearInterval(this.tickTimer);
      this.tickTimer = 0;
    };
    this.tickTimer = setInterval(tick, this.core.tickInterval());
    tick();
  }
}
