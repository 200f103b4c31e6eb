// The camera wired to the game: the camera tool starts and stops it, the
// switch turns to the other side or the next camera, a camera that starts
// or stops is told to the module, and a camera that fails is said in a
// notice. The camera itself (camera.js) only does what the browser does.
// The module remembers each camera's resolution; a camera that starts at
// another size is started again at the remembered one, a comparison made
// here. The switch is offered only with two cameras or more (look()).

/**
 * @typedef {object} CameraHooks
 * @property {() => void} render the state changed: show it
 * @property {() => void} stepped the module stepped: show it
 * @property {() => void} keepStepping the game steps on without camera frames
 * @property {() => void} save the settings changed: keep them
 * @property {(name: string) => void} say show the notice of this name
 * @property {() => void} unsay hide the notice
 */

export class CameraControl {
  /**
   * @param {import('./game_module.js').GameModule} core the module
   * @param {import('./camera.js').Camera} camera the browser's camera
   * @param {HTMLElement} root the game's area (#game), which shows the last problem
   * @param {CameraHooks} hooks
   */
  constructor(core, camera, root, hooks) {
    this.core = core;
    this.camera = camera;
    this.root = root;
    this.hooks = hooks;
    this.count = 0; // how many cameras the browser lists
  }

  connect() {
    this.camera.addEventListener('change', () => this.changed());
    this.camera.addEventListener('problem', (event) => this.problem(/** @type {CustomEvent} */ (event).detail));
  }

  /** @returns {import('./view.js').CameraLook} how the camera tools look now */
  look() {
    return { active: this.camera.active, back: this.camera.back };
  }

  /** @returns {import('./panels.js').CameraNow} what the settings panel shows of the camera */
  now() {
    const active = this.camera.active;
    const settings = active ? this.camera.track?.getSettings() : null;
    return {
      active,
      size: settings ? { width: settings.width ?? 0, height: settings.height ?? 0 } : null,
      count: this.count,
    };
  }

  /** Asks the browser how many cameras there are, and tells the module. */
  async countCameras() {
    this.count = await this.camera.count().catch(() => 0);
    this.core.setCameraCount(this.count);
  }

  /** The camera tool: the camera starts, or stops. */
  toggle() {
    if (this.camera.active)
      this.stop();
    else
      this.start();
  }

  /** @returns {Promise<boolean>} whether the camera runs */
  start() {
    this.hooks.unsay();
    return this.camera.start();
  }

  stop() {
    this.camera.stop();
  }

  /**
   * A phone's cameras say which way they face: the switch turns between
   * front and back. Cameras that do not (a laptop's own and a USB webcam)
   * are stepped through one by one, and the one chosen is remembered.
   */
  async switchCamera() {
    if (await this.camera.facingKnown() || !(await this.camera.nextDevice())) {
      this.camera.back = !this.camera.back;
      this.camera.device = '';
      this.core.setBackCamera(this.camera.back);
      this.hooks.save();
    }
    this.camera.resolution = null;
    await this.camera.restart();
    this.hooks.render();
  }

  /**
   * The settings chose another resolution for the camera that runs.
   * @param {{ width: number, height: number, frameRate: number }} resolution
   */
  useResolution(resolution) {
    this.camera.resolution = resolution;
    this.camera.restart();
  }

  async changed() {
    if (this.camera.active) {
      // Frames of a new stream are never compared with the old stream's.
      this.core.cameraStarted();
    } else {
      this.core.cameraStopped();
      this.hooks.keepStepping();
    }
    if (this.camera.active) {
      await this.countCameras();
      // Each camera comes with the resolution the module chooses for it
      // (its own, remembered, or the default): asked for once, unless it
      // runs at that size already.
      const request = this.core.useCamera(this.camera.deviceId, this.camera.capabilities());
      const asked = this.camera.resolution ?? this.camera.defaultResolution;
      const now = this.camera.track?.getSettings() ?? null;
      if (request && !sameSize(asked, request) && !sameSize(now, request))
        this.useResolution(request);
    }
    this.hooks.render();
    this.hooks.stepped();
  }

  /** @param {string} kind 'denied' | 'none' | 'busy' | 'ended' */
  problem(kind) {
    /** @type {Record<string, string>} */
    const names = { denied: 'cameraDenied', none: 'noCamera', busy: 'cameraBusy', ended: 'cameraEnded' };
    // Outside a secure context the browser hides every camera: what helps
    // then is another address, not another camera.
    this.hooks.say(window.isSecureContext ? names[kind] ?? 'noCamera' : 'notSecure');
    this.root.dataset.cameraProblem = kind;
    this.hooks.render();
  }
}

/**
 * @param {{ width?: number, height?: number } | null} a
 * @param {{ width?: number, height?: number } | null} b
 */
function sameSize(a, b) {
  return a && b && a.width === b.width && a.height === b.height;
}
