// What the player sees: the game's area laid out, the picture drawn on
// black with the progress bar and the banner over it, the tools placed,
// faded and showing their faces, the settings panel's controls placed.
// Places, sizes, the tools' opacity and the scene come from the module and
// are only written into the page's elements, and only what changed. Which
// tools are out of sight altogether (the camera switch without a second
// camera, every tool while a panel is open) is decided on the page: here in
// render(), with camera_control.js's look().
import { Panel, Scene, Tool } from './game_module.js';
import { byId, place, setData, setHidden } from './dom.js';

// The settings panel's controls, in CSS pixels.
const TRACK = { width: 280, height: 24 };
const LABEL_HEIGHT = 22;
const SWITCH_BOX = { width: 280, height: 28 };
const OK_BOX = { width: 97, height: 40 };

/** The settings panel's sliders, in the module's order. */
export const PANEL_TRACKS = ['resolution', 'sensitivity', 'freezing'];

/**
 * @typedef {object} CameraLook what the camera tools show
 * @property {boolean} active the camera runs
 * @property {boolean} back the back camera is the one chosen
 */

export class View {
  /**
   * @param {import('./game_module.js').GameModule} core the module
   * @param {HTMLElement} root the game's area (#game)
   * @param {HTMLElement[]} icons the tools, by Tool number
   * @param {object} hooks what the view asks of the rest of the page
   * @param {() => CameraLook} hooks.camera how the camera tools look now
   * @param {(panel: number) => void} hooks.panelShown the panel on show is now `panel`
   * @param {() => void} hooks.fitLabels the settings' labels may have to fit again
   * @param {() => void} hooks.placeNotice the notice may have to move
   */
  constructor(core, root, icons, hooks) {
    this.core = core;
    this.root = root;
    this.icons = icons;
    this.hooks = hooks;
    this.canvas = /** @type {HTMLCanvasElement} */ (byId('pictureCanvas'));
    // Desynchronized: the picture goes to the screen without waiting for
    // the page's next rendering, which on Chromium saves a fifth of the CPU
    // a page that redraws each camera frame takes (tools/measure_load_web.sh).
    this.context2d = /** @type {CanvasRenderingContext2D} */ (
      this.canvas.getContext('2d', { alpha: false, desynchronized: true }));
    this.bar = byId('bar');
    this.banner = /** @type {HTMLImageElement} */ (byId('banner'));
    this.settingsPanel = byId('settingsPanel');
    this.aboutPanel = byId('aboutPanel');
    this.ratio = 1;
    /** @type {Map<HTMLElement, string>} element -> the place it was last given */
    this.placed = new Map();
    this.iconPicture = { width: 512, height: 512 };
    this.origin = { x: 0, y: 0 }; // the game's area's corner in the page
    this.fadeTimer = 0;
  }

  /** Reads the tools' pictures' size once the first of them is decoded. */
  async measureIcons() {
    const firstIcon = /** @type {HTMLImageElement} */ (this.icons[Tool.Camera].querySelector('img'));
    await firstIcon.decode().catch(() => {});
    if (firstIcon.naturalWidth > 0)
      this.iconPicture = { width: firstIcon.naturalWidth, height: firstIcon.naturalHeight };
  }

  /** Fetches the banner; the module learns its size when it is here. */
  loadBanner() {
    this.banner.src = 'images/congratulations.png';
    this.banner.addEventListener('load', () => {
      this.core.setBannerSize(this.banner.naturalWidth, this.banner.naturalHeight);
      this.draw();
    }, { once: true });
  }

  /** Lays the game out for the page's size now, and shows it so. */
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
    this.hooks.placeNotice();
    this.draw();
  }

  /**
   * @param {number} width the game's area, in CSS pixels
   * @param {number} height
   */
  placePanel(width, height) {
    let places;
    for (const [slider, name] of PANEL_TRACKS.entries()) {
      places = this.core.panelLayout(width, height, slider, TRACK, LABEL_HEIGHT, SWITCH_BOX, OK_BOX.width);
      place(byId(`${name}Slider`), places.track.x, places.track.y, TRACK.width, TRACK.height);
      const box = byId(`${name}Box`);
      place(box, places.box.x, places.box.y, places.box.width, places.box.height);
      box.dataset.width = String(places.box.width);
    }
    this.hooks.fitLabels();
    place(byId('soundBox'), places.switchBox.x, places.switchBox.y, SWITCH_BOX.width, SWITCH_BOX.height);
    place(byId('okBox'), places.okBox.x, places.okBox.y, OK_BOX.width, OK_BOX.height);
  }

  /** Shows the icons and panels as the module has them. */
  render() {
    const opacity = this.core.toolOpacity();
    const panel = this.core.openPanel();
    const camera = this.hooks.camera();
    for (const [tool, icon] of this.icons.entries()) {
      const shown = this.core.icon(tool);
      // A faded tool leaves the sight and the pointer, not the
      // accessibility tree: a screen reader or a switch device still
      // presses it (Input.iconActivated()). A tool that is not there at all
      // is gone for all.
      setHidden(icon, !shown.present);
      icon.classList.toggle('faded', !shown.visible);
      place(icon, shown.x, shown.y, shown.width * shown.scale, shown.height * shown.scale);
      icon.style.opacity = String(opacity);
      icon.classList.toggle('held', shown.scale !== 1);
    }
    this.setFace(Tool.Camera, camera.active ? 'camera_on' : 'camera_off');
    this.setFace(Tool.SwitchCamera, camera.back ? 'camera_back' : 'camera_front');
    this.setFace(Tool.Eye, this.core.isIceView() ? 'view_snowflake' : 'view_man');
    this.settingsPanel.hidden = panel !== Panel.Settings;
    this.aboutPanel.hidden = panel !== Panel.About;
    this.hooks.panelShown(panel);
    this.root.dataset.panel = ['none', 'settings', 'about'][panel];
    this.root.dataset.camera = camera.active ? 'on' : 'off';
    this.root.dataset.picture = String(this.core.pictureNumber());
    this.root.dataset.view = this.core.isIceView() ? 'ice' : 'camera';
    this.root.dataset.fade = this.core.fadeRunning() ? 'running' : 'stopped';
    this.keepFading();
  }

  /**
   * @param {number} tool
   * @param {string} name the picture's name in images/
   */
  setFace(tool, name) {
    const img = /** @type {HTMLImageElement} */ (this.icons[tool].querySelector('img'));
    const source = `images/${name}.png`;
    if (img.getAttribute('src') !== source)
      img.setAttribute('src', source);
  }

  // While the module fades the tools, it is asked for each step of the fade.
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

  /**
   * What the module shows: its picture in place on black, and in play the
   * progress bar and the banner. The picture's pixels go into a canvas of
   * their own size that the compositor scales into place, as it does a
   * video; places come in the output's device pixels.
   * @returns {ReturnType<import('./game_module.js').GameModule['scene']>} the scene drawn
   */
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

  /**
   * Places an element at a rectangle of the output's device pixels.
   * @param {HTMLElement} element
   * @param {{ x: number, y: number, width: number, height: number }} rect
   */
  placeOutput(element, rect) {
    const key = `${rect.x},${rect.y},${rect.width},${rect.height},${this.ratio}`;
    if (this.placed.get(element) === key)
      return;
    this.placed.set(element, key);
    const r = this.ratio;
    place(element, rect.x / r, rect.y / r, rect.width / r, rect.height / r);
  }
}
