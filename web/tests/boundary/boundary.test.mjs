// The boundary between the page and its modules, under node: the page's
// module (built once more for node) called through the wrapper generated from
// web/module/boundary.json, as the page calls it, and the generator itself,
// whose output must make the C++ build fail when the declaration and the C++
// disagree. CTest runs it as wasm/boundary and names the built files in the
// environment.
import { spawnSync } from 'node:child_process';
import { mkdtempSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import { createRequire } from 'node:module';
import { tmpdir } from 'node:os';
import { dirname, join } from 'node:path';
import { after, before, describe, test } from 'node:test';
import { fileURLToPath, pathToFileURL } from 'node:url';
import assert from 'node:assert/strict';

const WEB_DIR = dirname(dirname(dirname(fileURLToPath(import.meta.url))));
const PROJECT_DIR = dirname(WEB_DIR);
const DECLARATION = join(WEB_DIR, 'module', 'boundary.json');
const GENERATOR = join(WEB_DIR, 'module', 'generate_boundary.py');
const NODE_MODULE = process.env.FROSTPANE_NODE_MODULE;
const SITE = process.env.FROSTPANE_SITE;
const PYTHON = process.env.FROSTPANE_PYTHON ?? 'python3';
const EMXX = process.env.FROSTPANE_EMXX ?? 'em++';
if (!NODE_MODULE || !SITE)
  throw new Error('FROSTPANE_NODE_MODULE and FROSTPANE_SITE name the built module and site (CTest sets them)');

const declaration = JSON.parse(readFileSync(DECLARATION, 'utf8'));
const boundary = await import(pathToFileURL(join(SITE, 'module', 'boundary.js')).href);
const { Action, FrostpaneBoundary, Panel, PhotoProblem, Scene, Tool } = boundary;
const createFrostpaneModule = createRequire(import.meta.url)(NODE_MODULE);

// A tool takes one press per half second, the first half second after the
// module started too: a call that the gate refused (Action.None) is made
// again until it is taken.
async function taken(call) {
  const deadline = Date.now() + 10_000;
  for (;;) {
    const action = call();
    if (action !== Action.None || Date.now() > deadline)
      return action;
    await new Promise((resolve) => setTimeout(resolve, 20));
  }
}

describe('the page module through its generated wrapper', () => {
  let module;
  let b;
  // A pointer pressed the tool and let it go over it, as the page passes it on.
  const click = (tool) => {
    b.press(tool);
    b.release(tool);
    return b.click(tool);
  };
  before(async () => {
    module = await createFrostpaneModule();
    b = new FrostpaneBoundary(module);
    b.layout(800, 600, 1, 64, 64);
  });

  test('binds every declared export, and names the ones a module lacks', () => {
    const declared = declaration.modules.frostpane.exports.map((e) => `_${e.name}`);
    assert.deepEqual([...boundary.EXPORTS], declared);
    for (const name of declared)
      assert.equal(typeof module[name], 'function', name);
    const lacking = { ...module };
    delete lacking._fp_scene;
    delete lacking._fp_removePhoto;
    assert.throws(() => new FrostpaneBoundary(lacking), /_fp_scene, _fp_removePhoto/);
  });

  test('the enums mean what the C++ means', async () => {
    assert.equal(b.pictureNumber(), 1);
    assert.equal(b.icon(Tool.NextImage).visible, false, 'only the camera shows at the start');
    assert.equal(b.tapPicture(), true);
    assert.equal(b.icon(Tool.NextImage).visible, true);
    assert.equal(await taken(() => click(Tool.NextImage)), Action.NextPicture);
    assert.equal(b.pictureNumber(), 2);
    assert.equal(await taken(() => click(Tool.PreviousImage)), Action.PreviousPicture);
    assert.equal(b.pictureNumber(), 1);
    assert.equal(await taken(() => b.activate(Tool.Settings)), Action.OpenSettings);
    assert.equal(b.openPanel(), Panel.Settings);
    assert.equal(b.escape(), true);
    assert.equal(b.openPanel(), Panel.None);
    assert.equal(await taken(() => b.activate(Tool.About)), Action.OpenAbout);
    assert.equal(b.openPanel(), Panel.About);
    assert.equal(b.escape(), true);
    assert.equal(b.escape(), false, 'no panel is open');
    assert.equal(b.scene().scene, Scene.IceOnBlack, 'no picture was put, so no step was played');
  });

  test('records come back with their fields by name', () => {
    assert.deepEqual(b.settings(), { cameraSensitivity: 20, freezingSpeed: 10, sound: true, backCamera: false });
    assert.deepEqual(b.defaultResolution(), { width: 640, height: 480, frameRate: 0 });
    b.tapPicture(); // the tools show
    const icon = b.icon(Tool.Camera);
    assert.deepEqual(Object.keys(icon), ['x', 'y', 'width', 'height', 'scale', 'visible', 'present']);
    assert.equal(icon.width, 64);
    assert.equal(icon.visible, true);
    assert.deepEqual(b.icon(99), { x: 0, y: 0, width: 0, height: 0, scale: 0, visible: false, present: false },
      'no such tool');
    const cuts = [
      { name: 'a wide phone photo loses its sides', size: [4032, 2268],
        cut: { problem: PhotoProblem.None, x: 504, y: 0, width: 3024, height: 2268 } },
      { name: 'a tiny picture', size: [20, 20], cut: { problem: PhotoProblem.TooSmall, x: 0, y: 0, width: 0, height: 0 } },
      { name: 'above the browser limit', size: [6000, 5000],
        cut: { problem: PhotoProblem.TooLarge, x: 0, y: 0, width: 0, height: 0 } },
      { name: 'a long strip', size: [4000, 500], cut: { problem: PhotoProblem.TooLong, x: 0, y: 0, width: 0, height: 0 } },
    ];
    for (const { name, size, cut } of cuts)
      assert.deepEqual(b.photoCut(...size), cut, name);
    // Two records of one kind: the second call's fields, the first one's copy kept.
    const wide = b.photoCut(4032, 2268);
    b.photoCut(640, 480);
    assert.equal(wide.width, 3024);
  });

  test('a frame room and a scene over a picture put through staged pixels', () => {
    for (const which of [0, 1]) {
      const at = b.stagePicture(which, 8, 6);
      assert.notEqual(at, 0);
      module.HEAPU8.fill(which ? 200 : 50, at, at + 8 * 6 * 4);
    }
    assert.equal(b.stagePicture(2, 8, 6), 0, 'only the photo and its ice are staged');
    assert.equal(b.putPicture(1), true);
    const room = b.frameBuffer(1280, 720);
    assert.notEqual(room.address, 0);
    assert.deepEqual({ ...room, address: 0 },
      { address: 0, width: 8, height: 6, partX: 160, partY: 0, partWidth: 960, partHeight: 720 });
    const shown = b.scene();
    assert.equal(shown.pictureWidth, 8);
    assert.equal(shown.pictureStride, 32);
    assert.notEqual(shown.pictureAddress, 0);
    // The picture's bytes are where the record says: the ice on show.
    assert.equal(module.HEAPU8[shown.pictureAddress], 200);
  });

  test('texts round-trip through the text buffer, UTF-8 both ways', () => {
    const camera = 'Kämera ünd 🎥';
    b.storedClear();
    b.storedPut('game/freezingSpeed', '3');
    b.storedPut('game/cameraSensitivity', 'lots');
    b.storedPut(`camera/resolution/${camera}`, '1280x720@30');
    b.storedPut(`camera/resolution/${camera}2`, 'sharp');
    assert.equal(b.storedRead(), 2);
    assert.match(b.storedWarning(0), /^game\/cameraSensitivity: "lots"/);
    assert.match(b.storedWarning(1), /^camera\/resolution\/Kämera ünd 🎥2: "sharp"/);
    assert.equal(b.storedWarning(5), '', 'a warning past the end is empty');
    const lines = b.storedValues().split('\n');
    assert.ok(lines.includes('game/freezingSpeed\t3'), lines.join(' | '));
    // The camera's id is kept percent-encoded, as the desktop's settings file does.
    assert.ok(lines.includes(`camera/resolution/${encodeURIComponent(camera)}\t1280x720@30`), lines.join(' | '));
    // Offered by a camera of that id, what was remembered for it is asked for.
    assert.deepEqual(b.useCamera(camera, 320, 1920, 240, 1080, 30), { width: 1280, height: 720, frameRate: 30 });
    assert.match(b.storedKeys(), /^game\/cameraSensitivity$/m);
  });

  test('the camera\'s resolutions, the one in use and the one OK applies are the module\'s', () => {
    // A camera whose track allows 320 x 240 to 1280 x 720: no resolution of
    // its own, so the default is asked for.
    assert.deepEqual(b.useCamera('cam', 320, 1280, 240, 720, 25), { width: 640, height: 480, frameRate: 25 });
    const count = b.resolutionCount();
    assert.ok(count >= 3, `${count} resolutions`);
    const inUse = b.resolutionInUse(640, 480, 0);
    assert.deepEqual(b.resolution(inUse), { width: 640, height: 480, frameRate: 25 });
    // The largest at the slider's right end; OK takes it only once moved.
    assert.equal(b.chooseResolution(count - 1).width, 0, 'an untouched slider asks for nothing');
    b.resolutionSliderMoved();
    assert.deepEqual(b.chooseResolution(count - 1), { width: 1280, height: 720, frameRate: 25 });
    assert.deepEqual(b.chooseResolution(count - 1), { width: 1280, height: 720, frameRate: 25 }, 'and every later OK');
    // No ranges: nothing to choose from, nothing to ask for.
    assert.deepEqual(b.useCamera('other', 0, 0, 0, 0, 0), { width: 0, height: 0, frameRate: 0 });
    assert.equal(b.resolutionCount(), 0);
  });

  test('the picture after a parent removed a photo is the module\'s', () => {
    const builtIn = b.builtInPictures();
    b.removePhoto(builtIn + 2, 3);
    assert.equal(b.pictureNumber(), builtIn + 2, 'the photo of that number shows');
    assert.equal(b.pictureCount(), builtIn + 3);
    b.removePhoto(builtIn + 2, 2);
    assert.equal(b.pictureNumber(), builtIn + 2, 'the next photo moved into its number');
    assert.equal(b.pictureCount(), builtIn + 2);
    b.removePhoto(builtIn + 2, 1);
    assert.equal(b.pictureNumber(), builtIn + 1, 'after the last photo, the one before it');
    b.removePhoto(0, 0);
    assert.equal(b.pictureNumber(), 1);
    assert.equal(b.pictureCount(), builtIn);
  });
});

describe('the other modules', () => {
  test('the sound module exports what the worklet calls', async () => {
    const { instance } = await WebAssembly.instantiate(readFileSync(join(SITE, 'module', 'sound.wasm')), {});
    for (const { name } of declaration.modules.sound.exports)
      assert.equal(typeof instance.exports[name], 'function', name);
    assert.equal(instance.exports.sound_start(48000, 7), 48000);
  });

  test('the frost module\'s glue has every export its wrapper binds', async () => {
    const frost = await import(pathToFileURL(join(SITE, 'module', 'ice_boundary.js')).href);
    const glue = readFileSync(join(SITE, 'module', 'ice.js'), 'utf8');
    for (const name of frost.EXPORTS)
      assert.ok(glue.includes(`"${name}"`), name);
  });
});

describe('the generator', () => {
  let dir;
  before(() => { dir = mkdtempSync(join(tmpdir(), 'frostpane-boundary-')); });
  after(() => rmSync(dir, { recursive: true, force: true }));

  // Writes the boundary from `changed` (a copy of the declaration) into a
  // folder of its own; returns the generator's status and message.
  function generate(name, changed) {
    const out = join(dir, name);
    const file = join(dir, `${name}.json`);
    writeFileSync(file, JSON.stringify(changed));
    const run = spawnSync(PYTHON, [GENERATOR, '--declaration', file, '--headers', out], { encoding: 'utf8' });
    return { out, status: run.status, message: run.stderr };
  }

  function compiles(headers, source) {
    const run = spawnSync(EMXX, ['-std=c++20', '-fsyntax-only', `-I${PROJECT_DIR}`, `-I${headers}`, source],
      { encoding: 'utf8' });
    return { ok: run.status === 0, message: run.stderr };
  }

  const copy = () => JSON.parse(JSON.stringify(declaration));
  const bindings = join(WEB_DIR, 'module', 'bindings.cpp');

  test('a declaration that agrees with the C++ compiles', () => {
    const { out, status } = generate('same', copy());
    assert.equal(status, 0);
    const built = compiles(out, bindings);
    assert.ok(built.ok, built.message);
  });

  const mismatches = [
    { name: 'an enum value the C++ does not have',
      change: (d) => { d.enums.Tool.values.NextImage = 7; }, error: /Tool\.NextImage/ },
    { name: 'a result type the C++ does not return',
      change: (d) => { d.modules.frostpane.exports.find((e) => e.name === 'fp_pictureNumber').result = 'double'; },
      error: /fp_pictureNumber/ },
    { name: 'an argument the C++ does not take',
      change: (d) => { d.modules.frostpane.exports.find((e) => e.name === 'fp_step').args.pop(); },
      error: /fp_step/ },
  ];
  for (const { name, change, error } of mismatches) {
    test(`the C++ build fails on ${name}`, () => {
      const changed = copy();
      change(changed);
      const { out, status } = generate(name.replaceAll(' ', '_'), changed);
      assert.equal(status, 0);
      const built = compiles(out, bindings);
      assert.equal(built.ok, false);
      assert.match(built.message, error);
    });
  }

  const refused = [
    { name: 'two names for one value', change: (d) => { d.enums.Panel.values.About = 1; }, error: /Panel/ },
    { name: 'an unknown argument type',
      change: (d) => { d.modules.frostpane.exports[3].args[0][1] = 'float'; }, error: /fp_layout.*float/ },
    { name: 'a record field named twice',
      change: (d) => { d.records.Rect.fields.push(['x', 'double']); }, error: /Rect/ },
    { name: 'an export declared twice',
      change: (d) => { d.modules.ice.exports.push({ name: 'fp_tick', result: 'bool' }); }, error: /fp_tick/ },
  ];
  for (const { name, change, error } of refused) {
    test(`the generator refuses ${name}`, () => {
      const changed = copy();
      change(changed);
      const { status, message } = generate(name.replaceAll(' ', '_'), changed);
      assert.equal(status, 1);
      assert.match(message, error);
    });
  }
});
