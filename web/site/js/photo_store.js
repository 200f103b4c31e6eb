// The photos' IndexedDB store: records { name, type, photo, ice } in the
// order they were added (their keys), the photo and its ice as the bytes
// (ArrayBuffer) of a compressed picture of `type`. Bytes, not Blobs: WebKit's
// private windows (Safari's, and every WebKit under automation) refuse Blob
// values in IndexedDB. Records of earlier versions hold { name, photo: Blob,
// ice: Blob } and load as they are. Nothing here leaves this browser.
import { context2d } from './dom.js';

const DB_NAME = 'frostpane-photos';
const STORE = 'photos';
// The kept pictures are compressed; 0.92 keeps the photo's detail and the
// ice's fine feathers.
const KEPT_TYPE = 'image/webp';
const KEPT_QUALITY = 0.92;

export class PhotoStore {
  /** Opens the store; rejects where the browser keeps nothing (a policy, a private window). */
  async open() {
    /** @type {IDBDatabase} */
    this.db = await new Promise((resolve, reject) => {
      const request = indexedDB.open(DB_NAME, 1);
      request.onupgradeneeded = () => request.result.createObjectStore(STORE, { autoIncrement: true });
      request.onsuccess = () => resolve(request.result);
      request.onerror = () => reject(request.error);
    });
  }

  /**
   * @param {IDBTransactionMode} mode
   * @param {(store: IDBObjectStore) => IDBRequest} make
   * @returns {Promise<any>} the request's result, once its transaction is done
   */
  request(mode, make) {
    return new Promise((resolve, reject) => {
      const transaction = this.db.transaction(STORE, mode);
      const request = make(transaction.objectStore(STORE));
      transaction.oncomplete = () => resolve(request.result);
      transaction.onerror = () => reject(transaction.error);
      transaction.onabort = () => reject(transaction.error);
    });
  }

  /** @returns {Promise<IDBValidKey[]>} the kept photos' keys, oldest first */
  keys() { return this.request('readonly', (store) => store.getAllKeys()); }
  /** @param {IDBValidKey} key */
  delete(key) { return this.request('readwrite', (store) => store.delete(key)); }
  clear() { return this.request('readwrite', (store) => store.clear()); }

  /**
   * Keeps a cut photo and its ice, compressed.
   * @param {string} name the file's name
   * @param {ImageData} photo
   * @param {ImageData} ice
   * @returns {Promise<IDBValidKey>} its key
   */
  async keep(name, photo, ice) {
    const [photoBlob, iceBlob] = await Promise.all([blobOf(photo), blobOf(ice)]);
    // Safari writes PNG where it cannot write WebP: the type says which.
    const [photoBytes, iceBytes] = await Promise.all([photoBlob.arrayBuffer(), iceBlob.arrayBuffer()]);
    return this.request('readwrite',
      (store) => store.add({ name, type: photoBlob.type, photo: photoBytes, ice: iceBytes }));
  }

  /**
   * The photo and ice kept under `key`, decoded; null where there is none.
   * @param {IDBValidKey} key
   * @returns {Promise<[ImageData, ImageData] | null>}
   */
  async read(key) {
    const record = await this.request('readonly', (store) => store.get(key));
    if (!record)
      return null;
    return Promise.all([pixelsOf(record.photo, record.type), pixelsOf(record.ice, record.type)]);
  }
}

/**
 * @param {ImageData} image
 * @returns {Promise<Blob>} the image compressed as KEPT_TYPE, or PNG where the browser cannot
 */
async function blobOf(image) {
  const g = context2d(image.width, image.height);
  g.putImageData(image, 0, 0);
  const canvas = g.canvas;
  if ('convertToBlob' in canvas)
    return canvas.convertToBlob({ type: KEPT_TYPE, quality: KEPT_QUALITY });
  return new Promise((resolve, reject) => canvas.toBlob(
    (blob) => (blob ? resolve(blob) : reject(new Error('no blob'))), KEPT_TYPE, KEPT_QUALITY));
}

/**
 * The pixels of a kept picture: its bytes of `type`, or a Blob as earlier
 * versions kept it.
 * @param {ArrayBuffer | Blob} kept
 * @param {string | undefined} type
 * @returns {Promise<ImageData>}
 */
async function pixelsOf(kept, type) {
  const blob = kept instanceof Blob ? kept : new Blob([kept], { type: type ?? KEPT_TYPE });
  const bitmap = await createImageBitmap(blob);
  try {
    const g = context2d(bitmap.width, bitmap.height);
    g.drawImage(bitmap, 0, 0);
    return g.getImageData(0, 0, bitmap.width, bitmap.height);
  } finally {
    bitmap.close();
  }
}
