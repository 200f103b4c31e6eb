// The ice of a parent's photos from the frost module (module/frost.js, the
// desktop's frost generator drawing on a Canvas 2D), called through its
// generated wrapper (module/frost_boundary.js). Used by the worker
// (ice_worker.js), and by the page itself where a worker cannot start.
import createFrostModule from '../module/frost.js';
import { FrostBoundary } from '../module/frost_boundary.js';

/** @type {Promise<FrostBoundary> | null} */
let frost = null;

/**
 * The RGBA bytes of the ice of a cut photo (`pixels`, width x height RGBA)
 * as picture `number`.
 * @param {number} number @param {number} width @param {number} height
 * @param {Uint8Array | Uint8ClampedArray} pixels
 * @returns {Promise<Uint8Array>}
 */
export async function makeIce(number, width, height, pixels) {
  frost ??= createFrostModule().then((m) => new FrostBoundary(m));
  const f = await frost;
  const at = f.icePhoto(width, height);
  if (!at)
    throw new Error(`a photo of ${width} x ${height} is not cut`);
  f.module.HEAPU8.set(pixels, at);
  const ice = f.makeIce(number);
  if (!ice)
    throw new Error('the generator made no ice');
  return f.module.HEAPU8.slice(ice, ice + width * height * 4);
}
