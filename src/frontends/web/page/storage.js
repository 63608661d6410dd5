'use strict';
// What the page keeps in the browser (IndexedDB): each run-log record as an entry of its own,
// handed to the database the moment the machine writes it, so that closing the tab loses nothing
// written and two tabs appending at once lose no record; and the view choices (zoom, pace).
const rl00Storage = (() => {
  let db = null;
  let failed = false;
  const waiting = [];

  const ready = new Promise((resolve) => {
    let request;
    try {
      request = indexedDB.open('rl00', 1);
    } catch (e) {
      failed = true;
      resolve(false);
      return;
    }
    request.onupgradeneeded = () => {
      request.result.createObjectStore('log', { autoIncrement: true });
      request.result.createObjectStore('view');
    };
    request.onsuccess = () => {
      db = request.result;
      for (const record of waiting.splice(0)) addRecord(record);
      resolve(true);
    };
    request.onerror = () => {
      failed = true;
      waiting.length = 0;
      resolve(false);
    };
  });

  function addRecord(bytes) {
    if (failed) return;
    if (db === null) {
      waiting.push(bytes);
      return;
    }
    try {
      db.transaction('log', 'readwrite').objectStore('log').add(bytes);
    } catch (e) {
      failed = true;
    }
  }

  function request(store, mode, make) {
    return new Promise((resolve, reject) => {
      const tx = db.transaction(store, mode);
      const r = make(tx.objectStore(store));
      tx.oncomplete = () => resolve(r.result);
      tx.onerror = () => reject(tx.error);
    });
  }

  // Every record kept, in the order they were written, as the bytes of the log file.
  async function logBytes() {
    if (!(await ready)) return new Uint8Array(0);
    const parts = await request('log', 'readonly', (s) => s.getAll());
    const size = parts.reduce((n, p) => n + p.length, 0);
    const out = new Uint8Array(size);
    let at = 0;
    for (const p of parts) {
      out.set(p, at);
      at += p.length;
    }
    return out;
  }

  async function loadView() {
    if (!(await ready)) return null;
    try {
      return (await request('view', 'readonly', (s) => s.get('choice'))) || null;
    } catch (e) {
      return null;
    }
  }

  async function saveView(choice) {
    if (!(await ready)) return;
    try {
      await request('view', 'readwrite', (s) => s.put(choice, 'choice'));
    } catch (e) {
      /* the choice is not kept; play goes on */
    }
  }

  return { ready, addRecord, logBytes, loadView, saveView, kept: () => !failed };
})();
