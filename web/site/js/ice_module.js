// The ice of a parent's photos from the ice module (module/ice.js, the
// desktop's ice generator drawing on a Canvas 2D), called through its
// generated wrapper (module/ice_boundary.js). Used by the worker
// (ice_worker.js), and by the page itself where a worker cannot start.
import createIceModule from '../module/ice.js';
import { IceBoundary } from '../module/ice_boundary.js';

/** @type {Promise<IceBoundary> | null} */
let generator = null;

/**
 * The RGBA bytes of the ice of a cut photo (`pixels`, width x height RGBA)
 * as picture `number`.
 * @param {number} number @param {number} width @param {number} height
 * @param {Uint8Array | Uint8ClampedArray} pixels
 * @returns {Promise<Uint8Array>}
 */
export async function makeIce(number, width, height, pixels) {
  generator ??= createIceModule().then((m) => new IceBoundary(m));
  const f = await generator;
  const at = f.icePhoto(width, height);
  if (!at)
    throw new Error(`a photo of ${width} x ${height} is not cut`);
  f.module.HEAPU8.set(pixels, at);
  const ice = f.makeIce(number);
  if (!ice)
    throw new Error('the generator made no ice');
  return f.module.HEAPU8.slice(ice, ice + width * height * 4);
}
