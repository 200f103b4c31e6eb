// The page's service worker: after one visit every file of the game is kept
// in the browser, so the game starts and plays with no network. The build
// writes the version into the cache's name; a new build brings a new worker
// that fills a new cache and drops the old one.
const CACHE = 'frostpane-@CACHE_VERSION@';

self.addEventListener('install', (event) => {
  event.waitUntil((async () => {
    const response = await fetch('precache.json', { cache: 'no-store' });
    const files = await response.json();
    const cache = await caches.open(CACHE);
    await cache.addAll(['./', ...files]);
    await self.skipWaiting();
  })());
});

self.addEventListener('activate', (event) => {
  event.waitUntil((async () => {
    for (const name of await caches.keys()) {
      if (name !== CACHE)
        await caches.delete(name);
    }
    await self.clients.claim();
  })());
});

// The kept copy first; what is not kept (nothing, normally) from the network.
// Only the page's own origin is ever asked.
self.addEventListener('fetch', (event) => {
  const request = event.request;
  if (request.method !== 'GET' || new URL(request.url).origin !== self.location.origin)
    return;
  event.respondWith((async () => {
    const cache = await caches.open(CACHE);
    const kept = await cache.match(request, { ignoreSearch: true })
      ?? (request.mode === 'navigate' ? await cache.match('./') : undefined);
    return kept ?? fetch(request);
  })());
});
