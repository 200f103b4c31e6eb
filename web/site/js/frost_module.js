// The ice of a parent's photos from the frost module (module/frost.js, the
// desktop's frost generator drawing on a Canvas 2D). Used by the worker
// (ice_worker.js), and by the page itself where a worker cannot start.
import createFrostModule from '../module/frost.js';

let frost = null;

// The RGBA bytes of the ice of a cut photo (`pixels`, width x height RGBA)
// as picture `number`.
export async function makeIce(number, width, height, pixels) {
  frost ??= createFrostModule();
  const m = await frost;
  const at = m._fp_icePhoto(width, height);
  if (!at)
    throw new Error(`a photo of ${width} x ${height} is not cut`);
  m.HEAPU8.set(pixels, at);
  const ice = m._fp_makeIce(number);
  if (!ice)
    throw new Error('the generator made no ice');
  return m.HEAPU8.slice(ice, ice + width * height * 4);
}
