// Makes the ice of a parent's photos away from the page's thread, with the
// frost generator's own small module (module/frost.js). A message
// { id, number, width, height, pixels } (a cut photo's RGBA bytes) is
// answered with { id, ice } (as many RGBA bytes) or { id, error }.
import createFrostModule from '../module/frost.js';

const ready = createFrostModule();

self.onmessage = async ({ data }) => {
  const { id, number, width, height, pixels } = data;
  try {
    const m = await ready;
    if (width !== m._fp_photoWidth() || height !== m._fp_photoHeight())
      throw new Error(`a photo of ${width} x ${height} is not cut`);
    m.HEAPU8.set(pixels, m._fp_icePhoto());
    const at = m._fp_makeIce(number);
    if (!at)
      throw new Error('the generator made no ice');
    const ice = m.HEAPU8.slice(at, at + width * height * 4);
    self.postMessage({ id, ice }, [ice.buffer]);
  } catch (error) {
    self.postMessage({ id, error: String(error) });
  }
};
