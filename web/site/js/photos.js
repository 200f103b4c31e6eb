// A parent's own photos in the browser: picked with "Add photos…" in the
// settings panel or dropped onto the page, they join the built-in pictures.
// The browser decodes each file and turns it upright; the module says whether
// it can be used and which part to keep, and a worker makes its ice with the
// frost generator. The cut photo and its ice are kept in this browser's
// IndexedDB (never sent anywhere) and read back only for the picture on show
// and its two neighbours.
import { format } from './i18n.js';

const DB_NAME = 'frostpane-photos';
const STORE = 'photos';
// The kept pictures are compressed; 0.92 keeps the photo's detail and the
// ice's fine feathers.
const KEPT_TYPE = 'image/webp';
const KEPT_QUALITY = 0.92;
// How long a first tap on "Remove photos" waits for the second.
const REMOVE_ALL_MILLISECONDS = 4000;

// Why a file was skipped: the name of its note among the page's texts, and
// of the reason in a note about several files.
const PROBLEM_TEXTS = {
  unreadable: 'photoUnreadable', heic: 'photoHeic', small: 'photoTooSmall', large: 'photoTooLarge',
  long: 'photoTooLong', full: 'photoTooMany', notKept: 'photoNotKept', storageFull: 'photoStorageFull',
};
const REASON_TEXTS = {
  unreadable: 'skippedUnreadable', heic: 'skippedHeic', small: 'skippedSmall', large: 'skippedLarge',
  long: 'skippedLong', full: 'skippedFull', notKept: 'skippedNotKept', storageFull: 'skippedStorageFull',
};
// A note about skipped files names this many of them and counts the rest,
// so that a whole folder of them stays a short note.
const NAMED_FILES = 2;

// iPhones take HEIC photos, which most browsers cannot read: said so by name.
function isHeic(file) {
  return /^image\/hei[cf]/i.test(file.type ?? '') || /\.hei[cf]$/i.test(file.name ?? '');
}

// The note about skipped files: one line per reason, each naming at most
// NAMED_FILES files.
export function skippedNote(texts, skipped, maxPhotos) {
  const byProblem = new Map();
  for (const { name, problem } of skipped)
    byProblem.set(problem, [...(byProblem.get(problem) ?? []), name]);
  const lines = [];
  for (const [problem, names] of byProblem) {
    if (names.length === 1) {
      lines.push(format(texts, PROBLEM_TEXTS[problem], names[0], maxPhotos));
      continue;
    }
    const shown = names.length <= NAMED_FILES + 1 ? names.join(', ')
      : format(texts, 'photosAndMore', names.slice(0, NAMED_FILES).join(', '), names.length - NAMED_FILES);
    lines.push(format(texts, 'photosSkipped', names.length, shown, format(texts, REASON_TEXTS[problem], maxPhotos)));
  }
  return lines.join('\n');
}

class Skipped extends Error {
  constructor(problem) {
    super(problem);
    this.problem = problem;
  }
}

// Makes ice in a worker with the frost module, so that the page goes on
// while photos are added; on the page's thread where a worker cannot be had.
class IceMaker {
  constructor() {
    this.pending = new Map(); // id -> { resolve, reject }
    this.nextId = 1;
    try {
      this.worker = new Worker(new URL('./ice_worker.js', import.meta.url), { type: 'module' });
      this.worker.onmessage = ({ data }) => this.answered(data);
      this.worker.onerror = (event) => this.failed(event);
    } catch (error) {
      console.warn('frostpane.photos: no worker for the ice', error);
      this.worker = null;
    }
  }

  // The ice of a cut photo (ImageData) as picture `number`, as ImageData.
  async make(number, photo) {
    const { width, height } = photo;
    const ice = await this.fromWorker(number, photo).catch(async () => {
      const { makeIce } = await import('./frost_module.js');
      return makeIce(number, width, height, photo.data);
    });
    return new ImageData(new Uint8ClampedArray(ice.buffer), width, height);
  }

  fromWorker(number, photo) {
    if (!this.worker)
      return Promise.reject(new Error('no worker'));
    const id = this.nextId++;
    const answer = new Promise((resolve, reject) => this.pending.set(id, { resolve, reject }));
    this.worker.postMessage({ id, number, width: photo.width, height: photo.height, pixels: photo.data });
    return answer;
  }

  answered({ id, ice, error }) {
    const waiting = this.pending.get(id);
    this.pending.delete(id);
    if (error)
      console.warn('frostpane.photos: the worker made no ice', error);
    if (ice)
      waiting?.resolve(ice);
    else
      waiting?.reject(new Error(error));
  }

  // The worker could not start (or its module did not load): the page makes
  // the ice itself from now on.
  failed(event) {
    console.warn('frostpane.photos: the ice worker stopped', event.message ?? event);
    this.worker?.terminate();
    this.worker = null;
    for (const waiting of this.pending.values())
      waiting.reject(new Error('no worker'));
    this.pending.clear();
  }
}

// The photos' IndexedDB store: records { name, type, photo, ice } in the
// order they were added (their keys), the photo and its ice as the bytes
// (ArrayBuffer) of a compressed picture of `type`. Bytes, not Blobs: WebKit's
// private windows (Safari's, and every WebKit under automation) refuse Blob
// values in IndexedDB. Records of earlier versions hold { name, photo: Blob,
// ice: Blob } and load as they are.
class PhotoStore {
  async open() {
    this.db = await new Promise((resolve, reject) => {
      const request = indexedDB.open(DB_NAME, 1);
      request.onupgradeneeded = () => request.result.createObjectStore(STORE, { autoIncrement: true });
      request.onsuccess = () => resolve(request.result);
      request.onerror = () => reject(request.error);
    });
  }

  request(mode, make) {
    return new Promise((resolve, reject) => {
      const transaction = this.db.transaction(STORE, mode);
      const request = make(transaction.objectStore(STORE));
      transaction.oncomplete = () => resolve(request.result);
      transaction.onerror = () => reject(transaction.error);
      transaction.onabort = () => reject(transaction.error);
    });
  }

  keys() { return this.request('readonly', (store) => store.getAllKeys()); }
  get(key) { return this.request('readonly', (store) => store.get(key)); }
  add(record) { return this.request('readwrite', (store) => store.add(record)); }
  delete(key) { return this.request('readwrite', (store) => store.delete(key)); }
  clear() { return this.request('readwrite', (store) => store.clear()); }
}

export class Photos {
  // `page` is main.js's Page: its core, texts, notice and drawing.
  constructor(page) {
    this.page = page;
    this.core = page.core;
    this.store = new PhotoStore();
    this.iceMaker = null; // made with the first photo added
    this.keys = [];
    this.kept = null; // whether the browser keeps the photos for good, once it said
    this.available = false;
    this.work = Promise.resolve();
    this.input = document.getElementById('photoFiles');
  }

  // Opens the store and lets the kept photos join; the game plays on
  // without them where the browser keeps nothing.
  async start() {
    this.connect();
    try {
      await this.store.open();
      this.keys = (await this.store.keys()).slice(0, this.core.maxPhotos());
      this.available = true;
    } catch (error) {
      console.warn('frostpane.photos: no place to keep photos', error);
    }
    this.core.setPictureCount(this.core.builtInPictures() + this.keys.length);
    this.showCount();
    this.keepAround();
    if (this.keys.length > 0)
      navigator.storage?.persisted?.().then((kept) => this.showKept(kept), () => {});
  }

  connect() {
    document.getElementById('addPhotosButton').addEventListener('click', () => this.input.click());
    document.getElementById('removePhotosButton').addEventListener('click', () => this.removeAllAsked());
    document.getElementById('removePhotoButton').addEventListener('click', () => this.removeShown());
    // "Remove this photo" only while one of them is on show.
    new MutationObserver(() => this.showCount()).observe(this.page.root,
      { attributes: true, attributeFilter: ['data-picture'] });
    this.input.addEventListener('change', () => {
      const files = Array.from(this.input.files ?? []);
      this.input.value = '';
      this.add(files);
    });
    const root = this.page.root;
    root.addEventListener('dragover', (event) => {
      if (event.dataTransfer?.types?.includes('Files')) {
        event.preventDefault();
        event.dataTransfer.dropEffect = 'copy';
      }
    });
    root.addEventListener('drop', (event) => {
      const files = Array.from(event.dataTransfer?.files ?? []);
      if (files.length === 0)
        return;
      event.preventDefault();
      this.add(files);
    });
  }

  isPhoto(number) {
    return number > this.core.builtInPictures();
  }

  // Picture `number`'s photo and ice as ImageData, read from the store.
  async load(number) {
    const index = number - this.core.builtInPictures() - 1;
    const key = this.keys[index];
    const record = key === undefined ? null : await this.store.get(key);
    if (!record)
      throw new Error(`photo ${number} is not kept`);
    const pixels = await Promise.all([pixelsOf(record.photo, record.type), pixelsOf(record.ice, record.type)]);
    // A photo removed meanwhile moved the others to other numbers.
    if (this.keys[index] !== key)
      throw new Error(`photo ${number} moved while it was read`);
    return pixels;
  }

  // A picture is on show: the photos the module keeps around it stay (the
  // ones not here yet are read ahead), every other photo goes.
  keepAround() {
    const count = this.core.pictureCount();
    for (let n = this.core.builtInPictures() + 1; n <= count; ++n) {
      if (!this.core.keepsPicture(n)) {
        if (this.core.hasPicture(n))
          this.core.dropPicture(n);
      } else if (!this.core.hasPicture(n)) {
        this.page.loadPicture(n);
      }
    }
  }

  // Adds the files one after the other, each bad one skipped with a note.
  add(files) {
    if (files.length > 0 && this.kept !== true)
      this.askToKeep();
    this.work = this.work.then(() => this.addNow(files));
    return this.work;
  }

  async addNow(files) {
    this.setBusy(true);
    const skipped = [];
    for (const file of files) {
      try {
        await this.addOne(file);
      } catch (error) {
        let problem = error instanceof Skipped ? error.problem : (isQuotaError(error) ? 'storageFull' : 'notKept');
        if (!(error instanceof Skipped))
          console.warn(`frostpane.photos: ${file.name} could not be kept`, error);
        if (problem === 'unreadable' && isHeic(file))
          problem = 'heic';
        skipped.push({ name: file.name, problem });
      }
    }
    this.keepAround();
    this.showCount();
    this.setBusy(false);
    if (skipped.length > 0)
      this.page.showNoticeText(skippedNote(this.page.texts, skipped, this.core.maxPhotos()));
    this.page.render();
  }

  async addOne(file) {
    if (!this.available)
      throw new Skipped('notKept');
    if (this.keys.length >= this.core.maxPhotos())
      throw new Skipped('full');
    const photo = await this.cut(file);
    const number = this.core.builtInPictures() + this.keys.length + 1;
    const ice = await this.makeIce(number, photo);
    const [photoBlob, iceBlob] = await Promise.all([blobOf(photo), blobOf(ice)]);
    // Safari writes PNG where it cannot write WebP: the type says which.
    const [photoBytes, iceBytes] = await Promise.all([photoBlob.arrayBuffer(), iceBlob.arrayBuffer()]);
    const key = await this.store.add({ name: file.name, type: photoBlob.type, photo: photoBytes, ice: iceBytes });
    this.keys.push(key);
    this.core.setPictureCount(this.core.builtInPictures() + this.keys.length);
  }

  // The ice of a cut photo as picture `number`.
  makeIce(number, photo) {
    this.iceMaker ??= new IceMaker();
    return this.iceMaker.make(number, photo);
  }

  // The file decoded upright, cut and scaled as the module says, on black
  // where it is transparent.
  async cut(file) {
    // The module judges the size before anything is decoded: a photo far
    // too large for the module would take more memory to decode than a
    // tablet has.
    const size = await imageSize(file);
    const judged = this.core.photoCut(size.width, size.height);
    if (judged.problem)
      throw new Skipped(judged.problem);
    const bitmap = await uprightBitmap(file);
    try {
      const part = this.core.photoCut(bitmap.width, bitmap.height);
      if (part.problem)
        throw new Skipped(part.problem);
      const { width, height } = this.core.photoSize();
      const g = context2d(width, height);
      g.fillStyle = '#000';
      g.fillRect(0, 0, width, height);
      g.imageSmoothingEnabled = true;
      g.imageSmoothingQuality = 'high';
      g.drawImage(bitmap, part.x, part.y, part.width, part.height, 0, 0, width, height);
      return g.getImageData(0, 0, width, height);
    } finally {
      bitmap.close();
    }
  }

  // All the photos go only on a second tap within a few seconds: one tap,
  // a child's as well, only asks.
  removeAllAsked() {
    const button = document.getElementById('removePhotosButton');
    clearTimeout(this.removeAllTimer);
    if (button.dataset.armed !== 'true') {
      button.dataset.armed = 'true';
      button.textContent = this.page.texts.removePhotosAgain ?? '';
      this.removeAllTimer = setTimeout(() => this.disarmRemoveAll(), REMOVE_ALL_MILLISECONDS);
      return this.work;
    }
    this.disarmRemoveAll();
    return this.removeAll();
  }

  disarmRemoveAll() {
    const button = document.getElementById('removePhotosButton');
    button.dataset.armed = 'false';
    button.textContent = this.page.texts.removePhotos ?? '';
  }

  removeAll() {
    return this.remove(() => this.store.clear(), () => {
      this.keys = [];
      return 0;
    });
  }

  // Removes the photo on show; the module says which picture takes its
  // place.
  removeShown() {
    const number = this.core.pictureNumber();
    const index = number - this.core.builtInPictures() - 1;
    const key = this.keys[index];
    if (!this.isPhoto(number) || key === undefined)
      return this.work;
    return this.remove(() => this.store.delete(key), () => {
      this.keys.splice(index, 1);
      return number;
    });
  }

  // Removes from the store, then from the game: `forget()` drops the keys
  // and names the photo removed (0 for all), and the module takes it from
  // there (the numbers of the photos after it change).
  remove(fromStore, forget) {
    this.work = this.work.then(async () => {
      try {
        await fromStore();
      } catch (error) {
        console.warn('frostpane.photos: the photos could not be removed', error);
        return;
      }
      this.core.removePhoto(forget(), this.keys.length);
      this.showCount();
      this.page.render();
      await this.page.showPicture();
    });
    return this.work;
  }

  // Asks the browser to keep the photos for good: otherwise it may clear
  // them by itself when the device runs short of space. Asked while the
  // parent adds photos (Firefox asks the parent then); the answer is not
  // waited for, so a question left open holds up nothing.
  askToKeep() {
    const storage = navigator.storage;
    if (!storage?.persist)
      return;
    storage.persisted().then((kept) => kept || storage.persist())
      .then((kept) => this.showKept(kept), () => this.showKept(false));
  }

  // The settings panel says when the browser may clear the photos.
  showKept(kept) {
    this.kept = kept;
    this.page.root.dataset.photosKept = kept ? 'yes' : 'no';
    this.showCount();
  }

  showCount() {
    document.getElementById('photosKeptNote').hidden = this.kept !== false || this.keys.length === 0;
    this.page.root.dataset.photos = String(this.keys.length);
    document.getElementById('removePhotosButton').disabled = this.keys.length === 0;
    document.getElementById('removePhotoButton').disabled = !this.isPhoto(this.core.pictureNumber());
  }

  setBusy(busy) {
    this.page.root.dataset.photoWork = busy ? 'busy' : 'idle';
    document.getElementById('addPhotosButton').disabled = busy;
  }
}

// The size the file's image says it has, read by the browser from its
// header: an image element decodes its pixels only when it is drawn.
function imageSize(file) {
  const url = URL.createObjectURL(file);
  const image = new Image();
  return new Promise((done, fail) => {
    image.onload = () => done({ width: image.naturalWidth, height: image.naturalHeight });
    image.onerror = () => fail(new Skipped('unreadable'));
    image.src = url;
  }).finally(() => {
    image.src = '';
    URL.revokeObjectURL(url);
  });
}

// The file as a bitmap standing as its EXIF orientation says.
async function uprightBitmap(file) {
  try {
    return await createImageBitmap(file, { imageOrientation: 'from-image' });
  } catch (error) {
    if (!(error instanceof TypeError))
      throw new Skipped('unreadable');
  }
  // A browser that does not know the option turns photos upright anyway.
  try {
    return await createImageBitmap(file);
  } catch {
    throw new Skipped('unreadable');
  }
}

// A write the browser refused because this site's storage is full.
function isQuotaError(error) {
  return error?.name === 'QuotaExceededError' || error?.name === 'NS_ERROR_DOM_QUOTA_REACHED';
}

function context2d(width, height) {
  const canvas = typeof OffscreenCanvas === 'function'
    ? new OffscreenCanvas(width, height)
    : Object.assign(document.createElement('canvas'), { width, height });
  return canvas.getContext('2d', { willReadFrequently: true });
}

async function blobOf(image) {
  const g = context2d(image.width, image.height);
  g.putImageData(image, 0, 0);
  const canvas = g.canvas;
  if ('convertToBlob' in canvas)
    return canvas.convertToBlob({ type: KEPT_TYPE, quality: KEPT_QUALITY });
  return new Promise((resolve, reject) => canvas.toBlob(
    (blob) => (blob ? resolve(blob) : reject(new Error('no blob'))), KEPT_TYPE, KEPT_QUALITY));
}

// The pixels of a kept picture: its bytes of `type`, or a Blob as earlier
// versions kept it.
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
