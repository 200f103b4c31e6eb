// Small writes to the page's elements that every part of the page makes the
// same way. Each writes only what changed where that matters: a write of the
// same value still costs the browser a look at its styles.

/**
 * Shows or hides `element`, touching it only when that changes.
 * @param {HTMLElement} element
 * @param {boolean} hidden
 */
export function setHidden(element, hidden) {
  if (element.hidden !== hidden)
    element.hidden = hidden;
}

/**
 * Sets a data attribute, touching it only when it changes.
 * @param {DOMStringMap} dataset
 * @param {string} name
 * @param {string} value
 */
export function setData(dataset, name, value) {
  if (dataset[name] !== value)
    dataset[name] = value;
}

/**
 * Places an absolutely positioned element, in CSS pixels.
 * @param {HTMLElement} element
 * @param {number} x
 * @param {number} y
 * @param {number} width
 * @param {number} height
 */
export function place(element, x, y, width, height) {
  element.style.left = `${x}px`;
  element.style.top = `${y}px`;
  element.style.width = `${width}px`;
  element.style.height = `${height}px`;
}

/**
 * The element of the page with `id`; one that is missing is a broken page.
 * @template {HTMLElement} [T=HTMLElement]
 * @param {string} id
 * @returns {T}
 */
export function byId(id) {
  const element = document.getElementById(id);
  if (!element)
    throw new Error(`the page has no #${id}`);
  return /** @type {T} */ (element);
}

/**
 * A 2D context to read pixels back from, off screen where the browser can.
 * @param {number} width
 * @param {number} height
 * @returns {CanvasRenderingContext2D | OffscreenCanvasRenderingContext2D}
 */
export function context2d(width, height) {
  const canvas = typeof OffscreenCanvas === 'function'
    ? new OffscreenCanvas(width, height)
    : Object.assign(document.createElement('canvas'), { width, height });
  return /** @type {CanvasRenderingContext2D | OffscreenCanvasRenderingContext2D} */ (
    canvas.getContext('2d', { willReadFrequently: true }));
}
