// Makes the ice of a parent's photos away from the page's thread. A message
// { id, number, width, height, pixels } (a cut photo's RGBA bytes) is
// answered with { id, ice } (as many RGBA bytes) or { id, error }.
import { makeIce } from './ice_module.js';

self.onmessage = async ({ data }) => {
  const { id, number, width, height, pixels } = data;
  try {
    const ice = await makeIce(number, width, height, pixels);
    // A worker's postMessage, which takes what it hands over.
    /** @type {{ postMessage(message: any, transfer: Transferable[]): void }} */ (/** @type {unknown} */ (self))
      .postMessage({ id, ice }, [ice.buffer]);
  } catch (error) {
    self.postMessage({ id, error: String(error) });
  }
};
