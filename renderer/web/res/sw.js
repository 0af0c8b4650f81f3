// The page's service worker, registered only where the page is served over http or https: it
// keeps this release's files in a cache named by the version, so that a later visit plays
// without the network or the server. Depends on nothing but the page's files beside it.
'use strict';
const CACHE = 'pomarel-@PROJECT_VERSION@';
const FILES = [@web_cached_files@];

// The folder's own address is kept too where the server answers it (not every server lists
// index.html for it); without it the worker still keeps the page.
self.addEventListener('install', (event) => {
  event.waitUntil(caches.open(CACHE)
    .then((cache) => cache.addAll(FILES).then(() => cache.add('./').catch(() => {})))
    .then(() => self.skipWaiting()));
});

// A new release's worker takes over at once and drops every older release's cache.
self.addEventListener('activate', (event) => {
  event.waitUntil(caches.keys()
    .then((names) => Promise.all(names.filter((name) => name.startsWith('pomarel-') && name !== CACHE)
      .map((name) => caches.delete(name))))
    .then(() => self.clients.claim()));
});

// The network first, so that a visit online always gets what the server has now; the cache
// (whatever the query, as the guide's preview asks for index.html?paused) only when it fails.
self.addEventListener('fetch', (event) => {
  if (event.request.method !== 'GET') return;
  event.respondWith(fetch(event.request).catch(() => caches.open(CACHE)
    .then((cache) => cache.match(event.request, { ignoreSearch: true }))
    .then((kept) => kept || Response.error())));
});
