// The settings and About panels' own elements: what the About panel says,
// the settings' controls filled from the module when the panel opens and
// read back into it on OK, the labels fitted to their text, and the focus
// taken into a panel that opens and given back when it closes. Whether a
// panel is open, the sliders' ranges, the camera's resolutions, the one in
// use and the one OK applies are the module's; the page says a slider's
// position as a percentage of its range.
import { Panel } from './game_module.js';
import { byId } from './dom.js';
import { PANEL_TRACKS } from './view.js';
import { format } from './i18n.js';

// A label box's font, which shrinks no further than the smaller one to fit,
// and the room the box keeps to the page's right edge.
const LABEL_FONT_SIZE = 16;
const MIN_LABEL_FONT_SIZE = 11;
const LABEL_MARGIN = 8;

/**
 * @typedef {object} CameraNow what the settings panel shows of the camera
 * @property {boolean} active the camera runs
 * @property {{ width: number, height: number } | null} size the size it runs at
 * @property {number} count how many cameras the browser lists
 */

export class Panels {
  /**
   * @param {import('./game_module.js').GameModule} core the module
   * @param {Record<string, string>} texts the page's texts in the player's language
   * @param {HTMLElement} root the game's area (#game)
   * @param {object} hooks
   * @param {() => CameraNow} hooks.camera the camera as it is now
   * @param {(sound: boolean, resolution: { width: number, height: number, frameRate: number } | null) => void}
   *     hooks.settingsTaken OK was pressed: the module has the settings; `resolution` is the camera's new one
   * @param {() => void} hooks.placeNotice the notice may have to move
   */
  constructor(core, texts, root, hooks) {
    this.core = core;
    this.texts = texts;
    this.root = root;
    this.hooks = hooks;
    this.settingsPanel = byId('settingsPanel');
    this.aboutPanel = byId('aboutPanel');
    this.resolutionSlider = /** @type {HTMLInputElement} */ (byId('resolutionSlider'));
    this.shownPanel = Panel.None;
    /** @type {Element | null} */
    this.focusBeforePanel = null;
    /** @type {HTMLElement | null} */
    this.panelOpener = null;
  }

  /** Connects the settings' controls. */
  connect() {
    byId('okButton').addEventListener('click', () => this.confirmSettings());
    this.resolutionSlider.addEventListener('input', () => {
      this.core.resolutionSliderMoved();
      this.showResolutionAtSlider();
    });
    for (const name of ['sensitivity', 'freezing'])
      byId(`${name}Slider`).addEventListener('input', () => this.describeSliders());
  }

  /**
   * The elements of the panel on show that the notice keeps clear of: none
   * without a panel.
   * @returns {Element[]}
   */
  controlsOnShow() {
    if (this.shownPanel === Panel.About)
      return [this.aboutPanel];
    if (this.shownPanel === Panel.Settings)
      return [...this.settingsPanel.children].filter((c) => !(/** @type {HTMLElement} */ (c).hidden));
    return [];
  }

  /**
   * Opening a panel takes the focus into it, for a screen reader and the
   * keyboard; closing it gives the focus back to where it was.
   * @param {number} panel the Panel on show now
   */
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
        ? [...this.settingsPanel.querySelectorAll('input, button')]
          .find((c) => !(/** @type {HTMLInputElement} */ (c).disabled) && /** @type {HTMLInputElement} */ (c).type !== 'file')
        : this.aboutPanel;
      this.fitLabels();
      /** @type {HTMLElement | undefined} */ (first)?.focus({ preventScroll: true });
      this.hooks.placeNotice();
      return;
    }
    // Back where the focus was, or else on the tool that opened the panel.
    const had = /** @type {HTMLElement | null} */ (this.focusBeforePanel);
    const back = had && had !== document.body && this.root.contains(had) ? had : this.panelOpener;
    this.focusBeforePanel = null;
    this.panelOpener = null;
    if (back && back.isConnected && !back.closest('[hidden]'))
      back.focus({ preventScroll: true });
    else if (this.root.contains(document.activeElement))
      /** @type {HTMLElement} */ (document.activeElement).blur();
    this.hooks.placeNotice();
  }

  /** @param {string} version the build's version, or '' */
  fillAbout(version) {
    byId('aboutVersion').textContent = format(this.texts, 'aboutVersion', version);
    const credits = byId('aboutCredits');
    const [before, after] = format(this.texts, 'aboutCredits', 'CC\u00a0BY\u00a04.0', 'CC\u00a0BY-SA\u00a03.0', '\u0000')
      .split('\u0000');
    const link = document.createElement('a');
    link.href = 'CREDITS.txt';
    link.target = '_blank';
    link.rel = 'noopener';
    link.textContent = 'CREDITS.txt';
    credits.replaceChildren(before ?? '', link, after ?? '');
  }

  /**
   * The About panel opened: it shows from its top.
   * @param {HTMLElement} opener the tool that opened it, for the focus after
   */
  openAbout(opener) {
    this.panelOpener = opener;
    this.aboutPanel.scrollTop = 0;
  }

  /**
   * The settings panel opened: its controls show the module's settings now.
   * @param {HTMLElement} opener the tool that opened it, for the focus after
   */
  openSettings(opener) {
    this.panelOpener = opener;
    const sliders = this.core.sliders();
    setSlider(/** @type {HTMLInputElement} */ (byId('sensitivitySlider')), sliders.sensitivity);
    setSlider(/** @type {HTMLInputElement} */ (byId('freezingSlider')), sliders.freezingSpeed);
    /** @type {HTMLInputElement} */ (byId('soundSwitch')).checked = this.core.settings().sound;
    this.describeSliders();
    const slider = this.resolutionSlider;
    const camera = this.hooks.camera();
    const count = camera.active ? this.core.resolutionCount() : 0;
    slider.disabled = count === 0;
    if (count === 0 || !camera.size) {
      // A camera that is there but switched off is called off: "not
      // available" sends a parent looking for a fault.
      const text = camera.count > 0 && window.isSecureContext ? this.texts.cameraOff
        : this.texts.cameraNotAvailable;
      byId('resolutionLabel').textContent = text;
      slider.setAttribute('aria-valuetext', text ?? '');
      return;
    }
    const index = Math.max(this.core.resolutionInUse(camera.size), 0);
    slider.min = '0';
    slider.max = String(count - 1);
    slider.value = String(this.core.resolutionPositionOfIndex(index));
    this.showResolutionAtSlider();
  }

  /**
   * Each slider's label box grows to its text as far as the page allows, and
   * only then takes a smaller font: no language's label is cut short.
   */
  fitLabels() {
    if (this.settingsPanel.hidden)
      return;
    for (const name of PANEL_TRACKS) {
      const box = byId(`${name}Box`);
      const label = /** @type {HTMLElement} */ (box.querySelector('label'));
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
    const slider = this.resolutionSlider;
    const entry = this.core.resolution(this.core.resolutionIndexOfPosition(Number(slider.value)));
    byId('resolutionLabel').textContent = format(this.texts, 'resolution', entry.width, entry.height);
    slider.setAttribute('aria-valuetext', `${entry.width} × ${entry.height}`);
    this.fitLabels();
  }

  // The sliders read their meaning, not their raw numbers: how sensitive
  // the camera is and how fast the ice grows, from 0 to 100 %.
  describeSliders() {
    for (const [name, text] of [['sensitivity', 'sensitivityValue'], ['freezing', 'freezingValue']]) {
      const slider = /** @type {HTMLInputElement} */ (byId(`${name}Slider`));
      const span = Number(slider.max) - Number(slider.min);
      const percent = span > 0 ? Math.round((100 * (Number(slider.value) - Number(slider.min))) / span) : 0;
      slider.setAttribute('aria-valuetext', format(this.texts, text, percent));
    }
  }

  confirmSettings() {
    const sound = /** @type {HTMLInputElement} */ (byId('soundSwitch')).checked;
    this.core.takeSettings(Number(/** @type {HTMLInputElement} */ (byId('sensitivitySlider')).value),
      Number(/** @type {HTMLInputElement} */ (byId('freezingSlider')).value), sound);
    // Once the slider was moved, every OK asks the camera for its entry.
    this.hooks.settingsTaken(sound, this.core.chooseResolution(Number(this.resolutionSlider.value)));
  }
}

/**
 * @param {HTMLInputElement} slider
 * @param {{ min: number, max: number, value: number }} range
 */
function setSlider(slider, { min, max, value }) {
  slider.min = String(min);
  slider.max = String(max);
  slider.value = String(value);
}
