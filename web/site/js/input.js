// The player's hands on the page: pointers on the tools and on the picture,
// the keys, full screen. Each press, move and release goes to the module as
// it comes, and what the module answers (a click's action, a tap on the
// picture) goes to the page's `act` and `render`. The tools take no keys and
// a panel takes no pointer that went down before it opened: both keep a
// child's stray presses from doing anything.
import { byId } from './dom.js';

// A click on a tool this soon after a pointer's release is that pointer's
// own click (browsers whose click names no pointer type), judged already.
const POINTER_CLICK_MILLISECONDS = 1000;

export class Input {
  /**
   * @param {import('./game_module.js').GameModule} core the module
   * @param {HTMLElement} root the game's area (#game)
   * @param {HTMLElement[]} icons the tools, by Tool number
   * @param {object} hooks
   * @param {() => { x: number, y: number }} hooks.origin the game's area's corner in the page
   * @param {(tool: number, action: number, event: Event) => void} hooks.act a tool's click asks for `action`
   * @param {() => void} hooks.render the module's state changed: show it
   * @param {() => void} hooks.keepStepping a wipe or a tap wants steps without camera frames
   * @param {() => void} hooks.pictureTapped a tap on the picture changed the game
   * @param {() => void} hooks.released a pointer was released in the game: a gesture that may start sound
   */
  constructor(core, root, icons, hooks) {
    this.core = core;
    this.root = root;
    this.icons = icons;
    this.hooks = hooks;
    this.surface = byId('picture');
    /** @type {Map<number, { tool: number, left: boolean }>} on an icon: pointerId -> its press */
    this.iconPointers = new Map();
    // When each pointer last went down (its event's timeStamp), and when a
    // panel last opened: a panel takes no pointer that went down before it
    // opened (see guardPanel()).
    /** @type {Map<number, number>} */
    this.pointerDownAt = new Map();
    /** @type {number | null} */
    this.lastPointerId = null;
    this.panelOpenedAt = -Infinity;
    this.pointerUpAt = -Infinity;
  }

  connect() {
    window.addEventListener('keydown', (event) => this.key(event));
    // No menu on a long press or a right click anywhere in the game.
    this.root.addEventListener('contextmenu', (event) => event.preventDefault());
    this.root.addEventListener('dragstart', (event) => event.preventDefault());
    // The first tap anywhere may start the sound: a browser allows audio only
    // after a gesture, and pointerup is one for every kind of pointer.
    this.root.addEventListener('pointerup', () => this.hooks.released(), true);

    // Every press, wherever it lands, before anything acts on it.
    window.addEventListener('pointerdown', (event) => {
      this.pointerDownAt.set(event.pointerId, event.timeStamp);
      this.lastPointerId = event.pointerId;
    }, true);
    window.addEventListener('pointerup', (event) => { this.pointerUpAt = event.timeStamp; }, true);
    for (const panel of [byId('settingsPanel'), byId('aboutPanel')])
      this.guardPanel(panel);

    const surface = this.surface;
    surface.addEventListener('pointerdown', (event) => this.picturePointerDown(event));
    surface.addEventListener('pointermove', (event) => this.picturePointerMove(event));
    surface.addEventListener('pointerup', (event) => this.picturePointerUp(event));
    surface.addEventListener('pointercancel', (event) => this.core.pointerCancel(event.pointerId));
    surface.addEventListener('dblclick', () => toggleFullScreen());

    for (const [tool, icon] of this.icons.entries()) {
      icon.addEventListener('pointerdown', (event) => this.iconPointerDown(tool, event));
      icon.addEventListener('pointermove', (event) => this.iconPointerMove(tool, event));
      icon.addEventListener('pointerup', (event) => this.iconPointerUp(tool, event));
      icon.addEventListener('pointercancel', (event) => this.iconPointerEnd(tool, event));
      icon.addEventListener('lostpointercapture', (event) => this.iconPointerEnd(tool, event));
      icon.addEventListener('click', (event) => this.iconActivated(tool, event));
    }
  }

  /**
   * A panel opened in answer to `event`: the pointers already down are not
   * its own.
   * @param {Event | undefined} event
   */
  panelOpened(event) {
    this.panelOpenedAt = event?.timeStamp ?? performance.now();
  }

  // ---- The tools ---------------------------------------------------------------

  /** @param {number} tool @param {PointerEvent} event */
  iconPointerDown(tool, event) {
    preventMouseDefault(event);
    event.stopPropagation();
    // Every press keeps the pointer until it ends, accepted or not: its
    // release on the icon is a click, judged by the module.
    this.icons[tool].setPointerCapture?.(event.pointerId);
    this.iconPointers.set(event.pointerId, { tool, left: false });
    this.core.press(tool);
    this.hooks.render();
  }

  /** @param {number} tool @param {PointerEvent} event */
  iconPointerMove(tool, event) {
    const pointer = this.iconPointers.get(event.pointerId);
    if (!pointer || pointer.left || pointer.tool !== tool)
      return;
    if (!this.isOverIcon(tool, event)) {
      // Leaving the icon ends the press, as a release would, with no click.
      pointer.left = true;
      this.core.release(tool);
      this.hooks.render();
    }
  }

  /** @param {number} tool @param {PointerEvent} event */
  iconPointerUp(tool, event) {
    const pointer = this.iconPointers.get(event.pointerId);
    this.iconPointers.delete(event.pointerId);
    if (!pointer || pointer.tool !== tool)
      return;
    event.stopPropagation();
    this.core.release(tool);
    if (!pointer.left && this.isOverIcon(tool, event))
      this.hooks.act(tool, this.core.click(tool), event);
    this.hooks.render();
  }

  /** @param {number} tool @param {PointerEvent} event */
  iconPointerEnd(tool, event) {
    const pointer = this.iconPointers.get(event.pointerId);
    if (!pointer || pointer.tool !== tool)
      return;
    this.iconPointers.delete(event.pointerId);
    this.core.release(tool);
    this.hooks.render();
  }

  /**
   * A click with no pointer before it: a screen reader's or a switch
   * device's activation, or a script's click(). A pointer's own click was
   * judged from its press and release already and is left alone.
   * @param {number} tool
   * @param {MouseEvent} event
   */
  iconActivated(tool, event) {
    const byPointer = (/** @type {PointerEvent} */ (event).pointerType ?? '') !== '' || this.iconPointers.size > 0
      || event.timeStamp - this.pointerUpAt < POINTER_CLICK_MILLISECONDS;
    if (byPointer)
      return;
    event.preventDefault();
    this.hooks.act(tool, this.core.activate(tool), event);
    this.hooks.render();
  }

  /** @param {number} tool @param {PointerEvent} event */
  isOverIcon(tool, event) {
    const box = this.icons[tool].getBoundingClientRect();
    return event.clientX >= box.left && event.clientX < box.right && event.clientY >= box.top
      && event.clientY < box.bottom;
  }

  /**
   * A tap that opens a panel ends there: the panel opens under the finger,
   * and the same tap's later events (its pointerup, the browser's click and
   * compatibility mouse events, aimed at whatever is under the finger now)
   * must not press the Sound switch or OK that happen to sit there. Every
   * event of a pointer that went down before the panel opened is stopped
   * before it reaches the panel's controls; the next press counts.
   * @param {HTMLElement} panel
   */
  guardPanel(panel) {
    /** @param {Event} event */
    const stale = (event) => {
      const id = /** @type {PointerEvent} */ (event).pointerId ?? this.lastPointerId;
      const downAt = id === null || id === undefined || id < 0 ? undefined : this.pointerDownAt.get(id);
      return downAt !== undefined && downAt <= this.panelOpenedAt;
    };
    for (const type of ['pointerdown', 'pointerup', 'mousedown', 'mouseup', 'click', 'touchstart', 'touchend']) {
      panel.addEventListener(type, (event) => {
        // A click from the keyboard (detail 0) comes from no pointer.
        if ((type === 'click' && /** @type {MouseEvent} */ (event).detail === 0) || !stale(event))
          return;
        event.preventDefault();
        event.stopPropagation();
      }, true);
    }
  }

  // ---- The picture -------------------------------------------------------------

  /** @param {PointerEvent} event */
  picturePointerDown(event) {
    preventMouseDefault(event);
    this.surface.setPointerCapture?.(event.pointerId);
    const origin = this.hooks.origin();
    this.core.pointerDown(event.pointerId, event.clientX - origin.x, event.clientY - origin.y);
  }

  /** @param {PointerEvent} event */
  picturePointerMove(event) {
    // Every position the browser saw since the last event: a quick finger
    // wipes its whole path.
    const origin = this.hooks.origin();
    let stroke = false;
    for (const e of event.getCoalescedEvents?.() ?? [event])
      stroke = this.core.pointerMove(event.pointerId, e.clientX - origin.x, e.clientY - origin.y) || stroke;
    if (stroke)
      this.hooks.keepStepping();
  }

  /** @param {PointerEvent} event */
  picturePointerUp(event) {
    const origin = this.hooks.origin();
    const tap = this.core.pointerUp(event.pointerId, event.clientX - origin.x, event.clientY - origin.y);
    this.hooks.keepStepping();
    if (tap && this.core.tapPicture())
      this.hooks.pictureTapped();
  }

  // ---- Keys and full screen ----------------------------------------------------

  /**
   * Outside the settings only Escape and F11 do anything, as on the desktop,
   * so that a child drumming on the keyboard changes nothing. The tools take
   * no keys either: they are out of the Tab order, and a focused one ignores
   * Enter and Space. A screen reader or a switch device presses them with
   * its own activation instead (iconActivated()), under the tap gate. Inside
   * the settings their controls take the keys any form takes.
   * @param {KeyboardEvent} event
   */
  key(event) {
    if (event.key === 'Escape') {
      // An open panel closes; otherwise full screen ends (the browser often
      // does that itself before the page hears the key).
      if (this.core.escape())
        this.hooks.render();
      else if (document.fullscreenElement)
        document.exitFullscreen().catch(() => {});
    } else if (event.key === 'F11' && !event.repeat) {
      event.preventDefault();
      toggleFullScreen();
    }
  }
}

function toggleFullScreen() {
  if (document.fullscreenElement)
    document.exitFullscreen().catch(() => {});
  else
    document.documentElement.requestFullscreen?.({ navigationUI: 'hide' }).catch(() => {});
}

/**
 * A mouse's press must not start a selection or a drag. Only a mouse's:
 * WebKit sends a pen no more events (no move, no release) after a pointerdown
 * whose default was prevented, and a pen or finger has no such default here
 * anyway (touch-action: none, nothing selectable).
 * @param {PointerEvent} event
 */
function preventMouseDefault(event) {
  if (event.pointerType === 'mouse')
    event.preventDefault();
}
