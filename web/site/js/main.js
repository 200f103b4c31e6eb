// The page: wires what a browser has (pointer, keys, full screen, camera,
// audio, storage) to the game's module and shows what the module says. No
// rule of the game is made here: presses, taps, the fade, the layout, the
// settings' meaning and the pictures' order all come from the module.
import { Action, GameModule, Panel, Scene, TOOL_COUNT, Tool } from './game_module.js';
import { Camera } from './camera.js';
import { Sound } from './sound.js';
import { applyTexts, format, loadTexts } from './i18n.js';
import { loadSettings, saveSettings } from './storage.js';
import { Photos } from './photos.js';

// The smallest module that uses a SIMD128 instruction: a browser that
// validates it runs the game's module.
const SIMD_PROBE = new Uint8Array([0, 97, 115, 109, 1, 0, 0, 0, 1, 5, 1, 96, 0, 1, 123, 3, 2, 1, 0, 10, 10,
  1, 8, 0, 65, 0, 253, 15, 253, 98, 11]);

// The settings panel's controls, in CSS pixels.
const TRACK = { width: 280, height: 24 };
const LABEL_HEIGHT = 22;
// A label box's font, which shrinks no further than the smaller one to fit,
// and the room the box keeps to the page's right edge.
const LABEL_FONT_SIZE = 16;
const MIN_LABEL_FONT_SIZE = 11;
const LABEL_MARGIN = 8;
const SWITCH_BOX = { width: 280, height: 28 };
const OK_BOX = { width: 97, height: 40 };

const PANEL_TRACKS = ['resolution', 'sensitivity', 'freezing'];

// A click on a tool this soon after a pointer's release is that pointer's
// own click (browsers whose click names no pointer type), judged already.
const POINTER_CLICK_MILLISECONDS = 1000;

// How many camera frames with too little colour to tell may be held against
// the canvas before their copies are trusted as they are.
const FRAME_CHECKS = 60;

export function canRunGame() {
  try {
    return typeof WebAssembly === 'object' && WebAssembly.validate(SIMD_PROBE);
  } catch {
    return false;
  }
}

class Page {
  constructor(core, texts, language) {
    this.core = core;
    this.texts = texts;
    this.language = language;
    this.root = document.getElementById('game');
    this.surface = document.getElementById('picture');
    this.canvas = document.getElementById('pictureCanvas');
    // Desynchronized: the picture goes to the screen without waiting for
    // the page's next rendering, which on Chromium saves a fifth of the CPU
    // a page that redraws each camera frame takes (tools/measure_load_web.sh).
    this.context2d = this.canvas.getContext('2d', { alpha: false, desynchronized: true });
    this.bar = document.getElementById('bar');
    this.banner = document.getElementById('banner');
    this.ratio = 1;
    this.placed = new Map(); // element -> the place it was last given
    this.video = document.getElementById('camera');
    this.notice = document.getElementById('notice');
    this.settingsPanel = document.getElementById('settingsPanel');
    this.aboutPanel = document.getElementById('aboutPanel');
    this.icons = Array.from({ length: TOOL_COUNT }, (_, tool) => this.root.querySelector(`[data-tool="${tool}"]`));
    this.camera = new Camera(this.video);
    this.camera.defaultResolution = core.defaultResolution();
    this.camera.onFrame = (source) => this.stepFrame(source);
    this.sound = new Sound();
    this.loading = new Map(); // picture number -> the promise of its arrival in the module
    // The camera's frame, cut and scaled for the module.
    this.frameCanvas = document.createElement('canvas');
    this.frameContext = this.frameCanvas.getContext('2d', { alpha: false, willReadFrequently: true });
    this.tickTimer = 0;
    this.frameCopies = true; // until the browser shows it cannot
    this.frameChecks = 0; // camera frames whose copy was held against the canvas
    this.fadeTimer = 0;
    this.iconPicture = { width: 512, height: 512 };
    this.resolutionMoved = false;
    this.iconPointers = new Map(); // on an icon: pointerId -> { tool, left }
    this.origin = { x: 0, y: 0 }; // the game's area's corner in the page
    this.frameRequest = 0;
    this.photos = new Photos(this);
    // When each pointer last went down (its event's timeStamp), and when a
    // panel last opened: a panel takes no pointer that went down before it
    // opened (see guardPanel()).
    this.pointerDownAt = new Map();
    this.lastPointerId = null;
    this.panelOpenedAt = -Infinity;
    this.pointerUpAt = -Infinity;
    this.cameraCount = 0;
    this.shownPanel = Panel.None;
    this.focusBeforePanel = null;
    this.panelOpener = null;
    this.noticeText = document.getElementById('noticeText');
  }

  async start() {
    this.startedAt = performance.now();
    document.documentElement.lang = this.language;
    document.title = this.texts.title ?? document.title;
    applyTexts(document, this.texts);
    if (!window.isSecureContext)
      this.showNotice('notSecure');
    this.fillAbout(await fetch('version.json').then((r) => r.json()).then((v) => v.version).catch(() => ''));

    loadSettings(this.core);
    const settings = this.core.settings();
    this.camera.back = settings.backCamera;
    this.sound.setEnabled(settings.sound);

    const firstIcon = this.icons[Tool.Camera].querySelector('img');
    await firstIcon.decode().catch(() => {});
    if (firstIcon.naturalWidth > 0)
      this.iconPicture = { width: firstIcon.naturalWidth, height: firstIcon.naturalHeight };

    this.connect();
    this.layout();
    await this.showPicture();
    this.photos.start();
    this.setCameraCount(await this.camera.count().catch(() => 0));
    this.render();
    this.root.dataset.simd = this.core.simdTarget();
    this.root.dataset.state = 'ready';
    // Milliseconds from the navigation until the start page was drawn.
    this.shownAt = performance.now();
    // The other pictures and the banner come while the child looks.
    this.banner.src = 'images/congratulations.png';
    this.banner.addEventListener('load', () => {
      this.core.setBannerSize(this.banner.naturalWidth, this.banner.naturalHeight);
      this.draw();
    }, { once: true });
    this.loadOtherPictures();
    this.registerServiceWorker();
  }

  connect() {
    window.addEventListener('resize', () => this.layout());
    document.addEventListener('fullscreenchange', () => this.layout());
    window.addEventListener('keydown', (event) => this.key(event));
    // No menu on a long press or a right click anywhere in the game.
    this.root.addEventListener('contextmenu', (event) => event.preventDefault());
    this.root.addEventListener('dragstart', (event) => event.preventDefault());
    // The first tap anywhere may start the sound: a browser allows audio only
    // after a gesture, and pointerup is one for every kind of pointer.
    this.root.addEventListener('pointerup', () => this.startSound(), true);

    // Every press, wherever it lands, before anything acts on it.
    window.addEventListener('pointerdown', (event) => {
      this.pointerDownAt.set(event.pointerId, event.timeStamp);
      this.lastPointerId = event.pointerId;
    }, true);
    window.addEventListener('pointerup', (event) => { this.pointerUpAt = event.timeStamp; }, true);
    for (const panel of [this.settingsPanel, this.aboutPanel])
      this.guardPanel(panel);
    document.getElementById('noticeClose').addEventListener('click', () => this.hideNotice());

    this.surface.addEventListener('pointerdown', (event) => this.picturePointerDown(event));
    this.surface.addEventListener('pointermove', (event) => this.picturePointerMove(event));
    this.surface.addEventListener('pointerup', (event) => this.picturePointerUp(event));
    this.surface.addEventListener('pointercancel', (event) => this.core.pointerCancel(event.pointerId));
    this.surface.addEventListener('dblclick', () => this.toggleFullScreen());

    for (const [tool, icon] of this.icons.entries()) {
      icon.addEventListener('pointerdown', (event) => this.iconPointerDown(tool, event));
      icon.addEventListener('pointermove', (event) => this.iconPointerMove(tool, event));
      icon.addEventListener('pointerup', (event) => this.iconPointerUp(tool, event));
      icon.addEventListener('pointercancel', (event) => this.iconPointerEnd(tool, event));
      icon.addEventListener('lostpointercapture', (event) => this.iconPointerEnd(tool, event));
      icon.addEventListener('click', (event) => this.iconActivated(tool, event));
    }

    document.getElementById('okButton').addEventListener('click', () => this.confirmSettings());
    document.getElementById('resolutionSlider').addEventListener('input', () => {
      this.resolutionMoved = true;
      this.showResolutionAtSlider();
    });
    for (const name of ['sensitivity', 'freezing'])
      document.getElementById(`${name}Slider`).addEventListener('input', () => this.describeSliders());

    this.camera.addEventListener('change', () => this.cameraChanged());
    this.camera.addEventListener('problem', (event) => this.cameraProblem(/** @type {CustomEvent} */ (event).detail));
  }

  // ---- Layout and drawing ----------------------------------------------------

  layout() {
    // The game's area: the page less the safe areas around a notch or a
    // home indicator (style.css), where every tool and panel stays.
    const area = this.root.getBoundingClientRect();
    this.origin = { x: area.left, y: area.top };
    const width = area.width;
    const height = area.height;
    const ratio = window.devicePixelRatio || 1;
    this.core.layout(width, height, ratio, this.iconPicture.width, this.iconPicture.height);
    this.ratio = ratio;
    this.placePanel(width, height);
    this.render();
    this.placeNotice();
    this.draw();
  }

  placePanel(width, height) {
    let places;
    for (const [slider, name] of PANEL_TRACKS.entries()) {
      places = this.core.panelLayout(width, height, slider, TRACK, LABEL_HEIGHT, SWITCH_BOX, OK_BOX.width);
      place(document.getElementById(`${name}Slider`), places.track.x, places.track.y, TRACK.width, TRACK.height);
      const box = document.getElementById(`${name}Box`);
      place(box, places.box.x, places.box.y, places.box.width, places.box.height);
      box.dataset.width = String(places.box.width);
    }
    this.fitLabels();
    place(document.getElementById('soundBox'), places.switchBox.x, places.switchBox.y, SWITCH_BOX.width,
      SWITCH_BOX.height);
    place(document.getElementById('okBox'), places.okBox.x, places.okBox.y, OK_BOX.width, OK_BOX.height);
  }

  // Shows the icons and panels as the module has them.
  render() {
    const opacity = this.core.toolOpacity();
    const panel = this.core.openPanel();
    for (const [tool, icon] of this.icons.entries()) {
      const shown = this.core.icon(tool);
      // A faded tool leaves the sight and the pointer, not the
      // accessibility tree: a screen reader or a switch device still
      // presses it (iconActivated()). The camera switch with one camera,
      // and every tool while a panel is open, are gone for all.
      const absent = (tool === Tool.SwitchCamera && !this.hasCameraSwitch()) || panel !== Panel.None;
      setHidden(icon, absent);
      icon.classList.toggle('faded', !shown.visible);
      place(icon, shown.x, shown.y, shown.width * shown.scale, shown.height * shown.scale);
      icon.style.opacity = String(opacity);
      icon.classList.toggle('held', shown.scale !== 1);
    }
    this.setFace(Tool.Camera, this.camera.active ? 'camera_on' : 'camera_off');
    this.setFace(Tool.SwitchCamera, this.camera.back ? 'camera_back' : 'camera_front');
    this.setFace(Tool.Eye, this.core.isIceView() ? 'view_snowflake' : 'view_man');
    this.settingsPanel.hidden = panel !== Panel.Settings;
    this.aboutPanel.hidden = panel !== Panel.About;
    this.panelShown(panel);
    this.root.dataset.panel = ['none', 'settings', 'about'][panel];
    this.root.dataset.camera = this.camera.active ? 'on' : 'off';
    this.root.dataset.picture = String(this.core.pictureNumber());
    this.root.dataset.view = this.core.isIceView() ? 'ice' : 'camera';
    this.root.dataset.fade = this.core.fadeRunning() ? 'running' : 'stopped';
    this.keepFading();
  }

  setFace(tool, name) {
    const img = this.icons[tool].querySelector('img');
    const source = `images/${name}.png`;
    if (img.getAttribute('src') !== source)
      img.setAttribute('src', source);
  }

  // Fetches picture `number` (photo and ice) into the module unless it is
  // there or on its way.
  loadPicture(number) {
    if (this.core.hasPicture(number))
      return Promise.resolve(true);
    if (!this.loading.has(number)) {
      const name = `images/frostpane_${String(number).padStart(3, '0')}`;
      const pixels = this.photos.isPhoto(number) ? this.photos.load(number)
        : Promise.all([decodePixels(`${name}.png`), decodePixels(`${name}_ice.png`)]);
      const arrival = pixels
        .then(([photo, ice]) => this.core.putPicture(number, photo, ice))
        .catch((error) => {
          console.warn(`frostpane: picture ${number} could not be read`, error);
          return false;
        })
        .finally(() => this.loading.delete(number));
      this.loading.set(number, arrival);
    }
    return this.loading.get(number);
  }

  async loadOtherPictures() {
    for (let number = 1; number <= this.core.builtInPictures(); ++number)
      await this.loadPicture(number);
    this.draw();
  }

  async showPicture() {
    await this.loadPicture(this.core.pictureNumber());
    this.photos.keepAround();
    this.draw();
  }

  // What the module shows: its picture in place on black, and in play the
  // progress bar and the banner. The picture's pixels go into a canvas of
  // their own size that the compositor scales into place, as it does a
  // video; places come in the output's device pixels.
  draw() {
    const shown = this.core.scene();
    const picture = shown.picture;
    if (picture) {
      if (this.canvas.width !== picture.width || this.canvas.height !== picture.height) {
        this.canvas.width = picture.width;
        this.canvas.height = picture.height;
      }
      this.context2d.putImageData(picture, 0, 0);
      this.placeOutput(this.canvas, shown.pictureRect);
    }
    // Each frame writes only what changed: the rest would cost the page a
    // look at its styles for nothing.
    setHidden(this.canvas, !picture);
    const play = shown.scene === Scene.Play;
    setHidden(this.bar, !play || shown.bar.width <= 0);
    if (!this.bar.hidden) {
      this.placeOutput(this.bar, shown.bar);
      if (this.bar.dataset.color !== shown.barColor) {
        this.bar.dataset.color = shown.barColor;
        this.bar.style.backgroundColor = shown.barColor;
      }
    }
    setHidden(this.banner, !play || !shown.bannerShown || !this.banner.complete || this.banner.naturalWidth === 0);
    if (!this.banner.hidden)
      this.placeOutput(this.banner, shown.banner);
    const data = this.root.dataset;
    setData(data, 'scene', ['ice', 'play', 'camera'][shown.scene]);
    // The number of the picture drawn, once it is here.
    setData(data, 'shown', picture ? String(this.core.pictureNumber()) : '');
    setData(data, 'banner', shown.bannerShown ? 'shown' : 'hidden');
    setData(data, 'cleaned', shown.cleanedFraction.toFixed(3));
    return shown;
  }

  // Places an element at a rectangle of the output's device pixels.
  placeOutput(element, rect) {
    const key = `${rect.x},${rect.y},${rect.width},${rect.height},${this.ratio}`;
    if (this.placed.get(element) === key)
      return;
    this.placed.set(element, key);
    const r = this.ratio;
    place(element, rect.x / r, rect.y / r, rect.width / r, rect.height / r);
  }

  // After a step: the picture, and what the sounds follow.
  showStep() {
    const shown = this.draw();
    this.sound.follow(shown.wipeSound, shown.bannerShown);
  }

  // ---- Steps ---------------------------------------------------------------------

  // Each camera frame (a VideoFrame, or the video element at a new frame):
  // the module names the part the picture shows, the page copies it into
  // the module's frame buffer at the picture's size, and the step mirrors a
  // front camera's frame: two calls into the module a frame.
  async stepFrame(source) {
    const frame = typeof VideoFrame === 'function' && source instanceof VideoFrame;
    const width = frame ? source.displayWidth : source.videoWidth;
    const height = frame ? source.displayHeight : source.videoHeight;
    if (width <= 0 || height <= 0 || !this.camera.active)
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
        && this.camera.active)
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

  // A frame whose part on show has the picture's size needs no scaling: the
  // browser converts it to RGBA itself, the cheapest way it has, straight
  // into the module's frame buffer. False where it cannot (no WebCodecs, or
  // no conversion on copy).
  async copyFrame(source, width, height, part, target) {
    if (!this.frameCopies || typeof VideoFrame !== 'function')
      return false;
    const frame = source instanceof VideoFrame ? source : null;
    let made;
    try {
      made = frame ? null : new VideoFrame(source);
      const copied = frame ?? made;
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

  // Whether the copy of `frame`'s `part` in `target` has the colours the
  // browser draws ('same'), red and blue swapped ('swapped'), or too little
  // colour to tell ('unknown').
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

  // Steps the game on a frame's RGBA bytes at the picture's size.
  takeFrame(pixels, cameraWidth, cameraHeight) {
    // The module's memory is fetched again after any wait.
    const room = this.core.frameBuffer(cameraWidth, cameraHeight);
    if (!room || room.bytes.length !== pixels.length || !this.camera.active)
      return;
    room.bytes.set(pixels);
    this.stepOn(cameraWidth, cameraHeight);
  }

  // Steps the game on the frame in the module's frame buffer.
  stepOn(cameraWidth, cameraHeight) {
    if (this.core.step(cameraWidth, cameraHeight))
      this.showStep();
  }

  // Without camera frames the module asks for steps until the game settles.
  keepStepping() {
    if (this.tickTimer)
      return;
    const tick = () => {
      if (this.core.tick()) {
        this.showStep();
        return;
      }
      clearInterval(this.tickTimer);
      this.tickTimer = 0;
    };
    this.tickTimer = setInterval(tick, this.core.tickInterval());
    tick();
  }

  // ---- Tools -------------------------------------------------------------------

  keepFading() {
    if (this.core.fadeRunning() && !this.fadeTimer) {
      this.fadeTimer = setInterval(() => {
        this.core.fadeTick();
        if (!this.core.fadeRunning()) {
          clearInterval(this.fadeTimer);
          this.fadeTimer = 0;
        }
        this.render();
      }, this.core.fadeInterval());
    } else if (!this.core.fadeRunning() && this.fadeTimer) {
      clearInterval(this.fadeTimer);
      this.fadeTimer = 0;
    }
  }

  iconPointerDown(tool, event) {
    preventMouseDefault(event);
    event.stopPropagation();
    // Every press keeps the pointer until it ends, accepted or not: its
    // release on the icon is a click, judged by the module.
    this.icons[tool].setPointerCapture?.(event.pointerId);
    this.iconPointers.set(event.pointerId, { tool, left: false });
    this.core.press(tool);
    this.render();
  }

  iconPointerMove(tool, event) {
    const pointer = this.iconPointers.get(event.pointerId);
    if (!pointer || pointer.left || pointer.tool !== tool)
      return;
    if (!this.isOverIcon(tool, event)) {
      // Leaving the icon ends the press, as a release would, with no click.
      pointer.left = true;
      this.core.release(tool);
      this.render();
    }
  }

  iconPointerUp(tool, event) {
    const pointer = this.iconPointers.get(event.pointerId);
    this.iconPointers.delete(event.pointerId);
    if (!pointer || pointer.tool !== tool)
      return;
    event.stopPropagation();
    this.core.release(tool);
    if (!pointer.left && this.isOverIcon(tool, event))
      this.act(tool, this.core.click(tool), event);
    this.render();
  }

  iconPointerEnd(tool, event) {
    const pointer = this.iconPointers.get(event.pointerId);
    if (!pointer || pointer.tool !== tool)
      return;
    this.iconPointers.delete(event.pointerId);
    this.core.release(tool);
    this.render();
  }

  // A click with no pointer before it: a screen reader's or a switch
  // device's activation, or a script's click(). A pointer's own click was
  // judged from its press and release already and is left alone.
  iconActivated(tool, event) {
    const byPointer = (event.pointerType ?? '') !== '' || this.iconPointers.size > 0
      || event.timeStamp - this.pointerUpAt < POINTER_CLICK_MILLISECONDS;
    if (byPointer)
      return;
    event.preventDefault();
    this.act(tool, this.core.activate(tool), event);
    this.render();
  }

  setCameraCount(count) {
    this.cameraCount = count;
    this.core.setCameraCount(count);
  }

  // The camera switch is there only with two cameras or more.
  hasCameraSwitch() {
    return this.cameraCount >= 2;
  }

  // A tap that opens a panel ends there: the panel opens under the finger,
  // and the same tap's later events (its pointerup, the browser's click and
  // compatibility mouse events, aimed at whatever is under the finger now)
  // must not press the Sound switch or OK that happen to sit there. Every
  // event of a pointer that went down before the panel opened is stopped
  // before it reaches the panel's controls; the next press counts.
  guardPanel(panel) {
    const stale = (event) => {
      const id = event.pointerId ?? this.lastPointerId;
      const downAt = id === null || id === undefined || id < 0 ? undefined : this.pointerDownAt.get(id);
      return downAt !== undefined && downAt <= this.panelOpenedAt;
    };
    for (const type of ['pointerdown', 'pointerup', 'mousedown', 'mouseup', 'click', 'touchstart', 'touchend']) {
      panel.addEventListener(type, (event) => {
        // A click from the keyboard (detail 0) comes from no pointer.
        if ((type === 'click' && event.detail === 0) || !stale(event))
          return;
        event.preventDefault();
        event.stopPropagation();
      }, true);
    }
  }

  isOverIcon(tool, event) {
    const box = this.icons[tool].getBoundingClientRect();
    return event.clientX >= box.left && event.clientX < box.right && event.clientY >= box.top
      && event.clientY < box.bottom;
  }

  act(tool, action, event) {
    if (this.core.clickTicks())
      this.sound.tap();
    switch (action) {
      case Action.ToggleCamera:
        if (this.camera.active)
          this.camera.stop();
        else
          this.startCamera();
        break;
      case Action.SwitchCamera:
        this.switchCamera();
        break;
      case Action.ToggleView:
        this.showStep();
        this.keepStepping();
        break;
      case Action.OpenSettings:
        this.panelOpenedAt = event?.timeStamp ?? performance.now();
        this.panelOpener = this.icons[tool];
        this.openSettings();
        break;
      case Action.OpenAbout:
        this.panelOpenedAt = event?.timeStamp ?? performance.now();
        this.panelOpener = this.icons[tool];
        this.aboutPanel.scrollTop = 0;
        break;
      case Action.NextPicture:
      case Action.PreviousPicture:
        this.showPicture();
        break;
      default:
        break;
    }
  }

  // ---- The picture -------------------------------------------------------------

  picturePointerDown(event) {
    preventMouseDefault(event);
    this.surface.setPointerCapture?.(event.pointerId);
    this.core.pointerDown(event.pointerId, event.clientX - this.origin.x, event.clientY - this.origin.y);
  }

  picturePointerMove(event) {
    // Every position the browser saw since the last event: a quick finger
    // wipes its whole path.
    let stroke = false;
    for (const e of event.getCoalescedEvents?.() ?? [event])
      stroke = this.core.pointerMove(event.pointerId, e.clientX - this.origin.x, e.clientY - this.origin.y) || stroke;
    if (stroke)
      this.keepStepping();
  }

  picturePointerUp(event) {
    const tap = this.core.pointerUp(event.pointerId, event.clientX - this.origin.x, event.clientY - this.origin.y);
    this.keepStepping();
    if (tap && this.core.tapPicture()) {
      this.hideNotice();
      this.render();
    }
  }

  // ---- Keys and full screen ----------------------------------------------------

  // Outside the settings only Escape and F11 do anything, as on the desktop,
  // so that a child drumming on the keyboard changes nothing. The tools take
  // no keys either: they are out of the Tab order, and a focused one ignores
  // Enter and Space. A screen reader or a switch device presses them with
  // its own activation instead (iconActivated()), under the tap gate. Inside
  // the settings their controls take the keys any form takes.
  key(event) {
    if (event.key === 'Escape') {
      // An open panel closes; otherwise full screen ends (the browser often
      // does that itself before the page hears the key).
      if (this.core.escape())
        this.render();
      else if (document.fullscreenElement)
        document.exitFullscreen().catch(() => {});
    } else if (event.key === 'F11' && !event.repeat) {
      event.preventDefault();
      this.toggleFullScreen();
    }
  }

  toggleFullScreen() {
    if (document.fullscreenElement)
      document.exitFullscreen().catch(() => {});
    else
      document.documentElement.requestFullscreen?.({ navigationUI: 'hide' }).catch(() => {});
  }

  // ---- Camera --------------------------------------------------------------------

  async startCamera() {
    this.hideNotice();
    await this.camera.start();
  }

  // A phone's cameras say which way they face: the switch turns between
  // front and back. Cameras that do not (a laptop's own and a USB webcam)
  // are stepped through one by one, and the one chosen is remembered.
  async switchCamera() {
    if (await this.camera.facingKnown() || !(await this.camera.nextDevice())) {
      this.camera.back = !this.camera.back;
      this.camera.device = '';
      this.core.setBackCamera(this.camera.back);
      this.save();
    }
    this.camera.resolution = null;
    await this.camera.restart();
    this.render();
  }

  async cameraChanged() {
    if (this.camera.active) {
      // Frames of a new stream are never compared with the old stream's.
      this.core.cameraStarted();
    } else {
      this.core.cameraStopped();
      this.keepStepping();
    }
    if (this.camera.active) {
      this.setCameraCount(await this.camera.count().catch(() => 0));
      // Each camera comes with the resolution remembered for it.
      const remembered = this.core.useCamera(this.camera.deviceId);
      const now = this.camera.track?.getSettings();
      if (remembered && now && (remembered.width !== now.width || remembered.height !== now.height)
          && !sameResolution(this.camera.resolution, remembered)) {
        this.camera.resolution = remembered;
        this.camera.restart();
      }
    }
    this.render();
    this.showStep();
  }

  cameraProblem(kind) {
    const names = { denied: 'cameraDenied', none: 'noCamera', busy: 'cameraBusy', ended: 'cameraEnded' };
    // Outside a secure context the browser hides every camera: what helps
    // then is another address, not another camera.
    this.showNotice(window.isSecureContext ? names[kind] ?? 'noCamera' : 'notSecure');
    this.root.dataset.cameraProblem = kind;
    this.render();
  }

  showNotice(name) {
    this.showNoticeText(this.texts[name] ?? '');
  }

  // The note over the picture, with its own close button. Over an open
  // settings panel it keeps clear of the panel's controls.
  showNoticeText(text) {
    this.noticeText.textContent = text;
    this.notice.hidden = false;
    this.placeNotice();
  }

  hideNotice() {
    this.notice.hidden = true;
  }

  // With a panel open the note goes into the tallest band of the page that
  // none of the panel's controls cross, and scrolls inside it if it must.
  placeNotice() {
    const style = this.notice.style;
    const panel = this.shownPanel === Panel.Settings ? this.settingsPanel
      : this.shownPanel === Panel.About ? this.aboutPanel : null;
    if (!panel || this.notice.hidden) {
      style.top = '';
      style.maxHeight = '';
      return;
    }
    const margin = 8;
    const controls = panel === this.aboutPanel ? [panel] : [...panel.children].filter((c) => !c.hidden);
    const taken = controls.map((c) => c.getBoundingClientRect()).filter((r) => r.height > 0)
      .sort((a, b) => a.top - b.top);
    let best = { top: margin, height: 0 };
    let from = 0;
    for (const rect of [...taken, { top: window.innerHeight, bottom: window.innerHeight }]) {
      if (rect.top - from > best.height)
        best = { top: from, height: rect.top - from };
      from = Math.max(from, rect.bottom);
    }
    style.top = `${best.top + margin}px`;
    style.maxHeight = `${Math.max(best.height - 2 * margin, 0)}px`;
  }

  // ---- Panels --------------------------------------------------------------------

  // Opening a panel takes the focus into it, for a screen reader and the
  // keyboard; closing it gives the focus back to where it was.
  panelShown(panel) {
    if (panel === this.shownPanel)
      return;
    const before = this.shownPanel;
    this.shownPanel = panel;
    this.root.classList.toggle('panelOpen', panel !== Panel.None);
    if (panel !== Panel.None) {
      if (before === Panel.None)
        this.focusBeforePanel = document.activeElement;
      const first = panel === Panel.Settings
        ? [...this.settingsPanel.querySelectorAll('input, button')].find((c) => !c.disabled && c.type !== 'file')
        : this.aboutPanel;
      this.fitLabels();
      first?.focus({ preventScroll: true });
      this.placeNotice();
      return;
    }
    // Back where the focus was, or else on the tool that opened the panel.
    const had = this.focusBeforePanel;
    const back = had && had !== document.body && this.root.contains(had) ? had : this.panelOpener;
    this.focusBeforePanel = null;
    this.panelOpener = null;
    if (back && back.isConnected && !back.closest('[hidden]'))
      back.focus({ preventScroll: true });
    else if (this.root.contains(document.activeElement))
      /** @type {HTMLElement} */ (document.activeElement).blur();
    this.placeNotice();
  }

  fillAbout(version) {
    document.getElementById('aboutVersion').textContent = format(this.texts, 'aboutVersion', version);
    const credits = document.getElementById('aboutCredits');
    const [before, after] = format(this.texts, 'aboutCredits', 'CC\u00a0BY\u00a04.0', 'CC\u00a0BY-SA\u00a03.0', '\u0000')
      .split('\u0000');
    const link = document.createElement('a');
    link.href = 'CREDITS.txt';
    link.target = '_blank';
    link.rel = 'noopener';
    link.textContent = 'CREDITS.txt';
    credits.replaceChildren(before ?? '', link, after ?? '');
  }

  openSettings() {
    const sliders = this.core.sliders();
    setSlider(document.getElementById('sensitivitySlider'), sliders.sensitivity);
    setSlider(document.getElementById('freezingSlider'), sliders.freezingSpeed);
    document.getElementById('soundSwitch').checked = this.core.settings().sound;
    this.describeSliders();
    this.resolutionMoved = false;
    const slider = document.getElementById('resolutionSlider');
    const capabilities = this.camera.active ? this.camera.capabilities() : null;
    const count = capabilities ? this.core.cameraCapabilities(capabilities) : 0;
    slider.disabled = count === 0;
    if (count === 0) {
      // A camera that is there but switched off is called off: "not
      // available" sends a parent looking for a fault.
      const text = this.cameraCount > 0 && window.isSecureContext ? this.texts.cameraOff
        : this.texts.cameraNotAvailable;
      document.getElementById('resolutionLabel').textContent = text;
      slider.setAttribute('aria-valuetext', text ?? '');
      return;
    }
    const now = this.camera.track.getSettings();
    let index = 0;
    for (let i = 0; i < count; ++i) {
      const entry = this.core.resolution(i);
      if (entry.width === now.width && entry.height === now.height)
        index = i;
    }
    slider.min = '0';
    slider.max = String(count - 1);
    slider.value = String(this.core.resolutionPositionOfIndex(index));
    this.showResolutionAtSlider();
  }

  // Each slider's label box grows to its text as far as the page allows, and
  // only then takes a smaller font: no language's label is cut short.
  fitLabels() {
    if (this.settingsPanel.hidden)
      return;
    for (const name of PANEL_TRACKS) {
      const box = document.getElementById(`${name}Box`);
      const label = box.querySelector('label');
      const given = Number(box.dataset.width);
      box.style.fontSize = '';
      box.style.width = `${given}px`;
      const padding = box.offsetWidth - label.clientWidth;
      const room = Math.max(window.innerWidth - box.getBoundingClientRect().left - LABEL_MARGIN, given);
      if (label.scrollWidth > label.clientWidth)
        box.style.width = `${Math.min(label.scrollWidth + padding + 1, room)}px`;
      for (let size = LABEL_FONT_SIZE - 1; label.scrollWidth > label.clientWidth && size >= MIN_LABEL_FONT_SIZE; --size)
        box.style.fontSize = `${size}px`;
    }
  }

  showResolutionAtSlider() {
    const slider = document.getElementById('resolutionSlider');
    const entry = this.core.resolution(this.core.resolutionIndexOfPosition(Number(slider.value)));
    document.getElementById('resolutionLabel').textContent = format(this.texts, 'resolution', entry.width,
      entry.height);
    slider.setAttribute('aria-valuetext', `${entry.width} × ${entry.height}`);
    this.fitLabels();
  }

  // The sliders read their meaning, not their raw numbers: how sensitive
  // the camera is and how fast the ice grows, from 0 to 100 %.
  describeSliders() {
    for (const [name, text] of [['sensitivity', 'sensitivityValue'], ['freezing', 'freezingValue']]) {
      const slider = document.getElementById(`${name}Slider`);
      const span = Number(slider.max) - Number(slider.min);
      const percent = span > 0 ? Math.round((100 * (Number(slider.value) - Number(slider.min))) / span) : 0;
      slider.setAttribute('aria-valuetext', format(this.texts, text, percent));
    }
  }

  confirmSettings() {
    const sound = document.getElementById('soundSwitch').checked;
    this.core.takeSettings(Number(document.getElementById('sensitivitySlider').value),
      Number(document.getElementById('freezingSlider').value), sound);
    this.sound.setEnabled(sound);
    if (this.resolutionMoved && this.camera.active) {
      const index = this.core.resolutionIndexOfPosition(Number(document.getElementById('resolutionSlider').value));
      this.core.chooseResolution(index);
      this.camera.resolution = this.core.resolution(index);
      this.camera.restart();
    }
    this.save();
    this.render();
  }

  save() {
    if (saveSettings(this.core) === 'full')
      this.showNotice('storageFull');
  }

  // ---- Sound and offline ---------------------------------------------------------

  startSound() {
    if (!this.sound.context)
      this.sound.start();
  }

  registerServiceWorker() {
    navigator.serviceWorker?.register('sw.js').catch((error) => {
      console.warn('frostpane: no offline copy', error);
    });
  }
}

// The RGBA pixels of an image file, decoded by the browser.
async function decodePixels(url) {
  const response = await fetch(url);
  if (!response.ok)
    throw new Error(`${url}: ${response.status}`);
  const bitmap = await createImageBitmap(await response.blob());
  const canvas = document.createElement('canvas');
  canvas.width = bitmap.width;
  canvas.height = bitmap.height;
  const g = canvas.getContext('2d', { willReadFrequently: true });
  g.drawImage(bitmap, 0, 0);
  bitmap.close();
  return g.getImageData(0, 0, canvas.width, canvas.height);
}

// A mouse's press must not start a selection or a drag. Only a mouse's:
// WebKit sends a pen no more events (no move, no release) after a pointerdown
// whose default was prevented, and a pen or finger has no such default here
// anyway (touch-action: none, nothing selectable).
function preventMouseDefault(event) {
  if (event.pointerType === 'mouse')
    event.preventDefault();
}

function setHidden(element, hidden) {
  if (element.hidden !== hidden)
    element.hidden = hidden;
}

function setData(dataset, name, value) {
  if (dataset[name] !== value)
    dataset[name] = value;
}

function place(element, x, y, width, height) {
  element.style.left = `${x}px`;
  element.style.top = `${y}px`;
  element.style.width = `${width}px`;
  element.style.height = `${height}px`;
}

function setSlider(slider, { min, max, value }) {
  slider.min = String(min);
  slider.max = String(max);
  slider.value = String(value);
}

function sameResolution(a, b) {
  return a && b && a.width === b.width && a.height === b.height;
}

async function main() {
  const root = document.getElementById('game');
  const textsLoaded = loadTexts();
  if (!canRunGame()) {
    const { texts } = await textsLoaded;
    document.getElementById('noticeText').textContent = texts.oldBrowser ?? '';
    document.getElementById('notice').hidden = false;
    root.dataset.state = 'unsupported';
    return;
  }
  const [core, { language, texts }] = await Promise.all([GameModule.load(), textsLoaded]);
  const page = new Page(core, texts, language);
  // For tests and diagnostics in the browser's console.
  globalThis.frostpane = page;
  await page.start();
}

main().catch((error) => {
  console.error('frostpane: the page could not start', error);
  document.getElementById('game').dataset.state = 'failed';
});
