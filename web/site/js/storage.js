// The remembered settings in the browser's localStorage, under the desktop
// settings file's key paths ("game/freezingSpeed" and the like) and as the
// same text values. Which keys there are, what a value means and what a bad
// one falls back to is the module's business; this only reads and writes
// strings. Where storage is blocked (a private window, a policy) the game
// plays on and remembers nothing.

function storage() {
  try {
    return globalThis.localStorage ?? null;
  } catch {
    return null; // blocked: reading the property itself throws
  }
}

// Reads every remembered value into the module; returns the warnings.
export function loadSettings(core) {
  const store = storage();
  const values = [];
  if (store) {
    try {
      const { keys, perCameraPrefix } = core.storedKeys();
      for (const key of keys) {
        const value = store.getItem(key);
        if (value !== null)
          values.push([key, value]);
      }
      for (let i = 0; i < store.length; ++i) {
        const key = store.key(i);
        if (key?.startsWith(perCameraPrefix))
          values.push([key, store.getItem(key) ?? '']);
      }
    } catch {
      values.length = 0;
    }
  }
  const warnings = core.readStored(values);
  for (const warning of warnings)
    console.warn(`frostpane.settings: ${warning}`);
  return warnings;
}

// Writes what the module would remember now. Returns 'ok', 'blocked' or
// 'full' (the quota is used up).
export function saveSettings(core) {
  const store = storage();
  if (!store)
    return 'blocked';
  try {
    for (const [key, value] of core.storedValues())
      store.setItem(key, value);
    return 'ok';
  } catch (error) {
    return error?.name === 'QuotaExceededError' || error?.code === 22 ? 'full' : 'blocked';
  }
}

// One value the page keeps for itself (not a setting of the game's), or
// null; where storage is blocked nothing is kept.
export function recall(key) {
  try {
    return storage()?.getItem(key) ?? null;
  } catch {
    return null;
  }
}

export function remember(key, value) {
  try {
    storage()?.setItem(key, value);
  } catch {
    // Blocked or full: the choice lasts for this visit.
  }
}
