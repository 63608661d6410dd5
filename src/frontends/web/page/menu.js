'use strict';
// The page's dialogs and menu: the machine's modal messages, and the right-click menu (a long
// press on a touch screen) with the window's items and shortcuts.

// The machine's modal messages, with the texts and buttons of its message boxes.
const rl00Dialog = (() => {
  const box = document.getElementById('dialog');
  const icons = { 16: ['critical', '×'], 32: ['question', '?'], 48: ['exclamation', '!'],
                  64: ['information', 'i'] };
  let answer = null;
  return {
    open: () => !box.hidden,
    show(text, title, style) {
      box.querySelector('.title').textContent = title;
      box.querySelector('.text').textContent = text.replace(/\r\n?/g, '\n');
      const [kind, mark] = icons[style & 0xf0] || ['', ''];
      box.querySelector('.icon').className = `icon ${kind}`;
      box.querySelector('.icon').textContent = mark;
      const buttons = box.querySelector('.buttons');
      buttons.replaceChildren();
      const yesNo = (style & 0xf) === 4;
      const choices = yesNo ? [['はい(Y)', 6], ['いいえ(N)', 7]] : [['OK', 1]];
      return new Promise((resolve) => {
        answer = (code) => {
          box.hidden = true;
          answer = null;
          resolve(code);
        };
        for (const [caption, code] of choices) {
          const b = document.createElement('button');
          b.textContent = caption;
          b.addEventListener('click', () => answer(code));
          buttons.appendChild(b);
        }
        box.hidden = false;
        buttons.firstChild.focus();
      });
    },
    key(e) {
      if (answer === null) return;
      const yesNo = box.querySelectorAll('.buttons button').length === 2;
      if (yesNo && (e.key === 'y' || e.key === 'Y')) answer(6);
      else if (yesNo && (e.key === 'n' || e.key === 'N' || e.key === 'Escape')) answer(7);
      else if (!yesNo && (e.key === 'Enter' || e.key === 'Escape')) answer(1);
    },
  };
})();

// The right-click menu (a long press on a touch screen) with the window's items and shortcuts.
const rl00Menu = (() => {
  const menu = document.getElementById('menu');

  function save() {
    rl00View.chosen = true;
    rl00Storage.saveView({ zoom: rl00View.zoom, frameMs: rl00View.frameMs,
                           noDelay: rl00View.noDelay });
  }
  function setZoom(z) {
    rl00View.zoom = z;
    rl00View.linkZoom = 0;
    save();
    rl00Page.placeCanvas();
  }
  function setPace(ms) {
    rl00View.frameMs = ms;
    rl00Page.queue(`pace ${ms}`);
    save();
  }
  function stepPace(direction) {
    const now = rl00View.frameMs;
    const next = direction < 0 ? kSpeeds.filter((ms) => ms < now - 1e-9).pop()
                               : kSpeeds.find((ms) => ms > now + 1e-9);
    if (next !== undefined) setPace(next);
  }
  function setNoDelay(on) {
    rl00View.noDelay = on;
    rl00Page.queue(`no-delay ${on ? 1 : 0}`);
    save();
  }
  function setPaused(on) {
    rl00View.paused = on;
    rl00Page.queue(`pause ${on ? 1 : 0}`);
  }
  function stats() {
    rl00Stats.open(false);
  }

  function items() {
    const zoom = rl00View.linkZoom || rl00View.zoom;
    const list = [['head', '表示倍率']];
    for (let z = 1; z <= 4; ++z) list.push([`${z}倍`, `Ctrl+${z}`, () => setZoom(z), zoom === z]);
    list.push(['画面に合わせる', '', () => setZoom(0), zoom === 0], ['sep']);
    list.push(['head', '速度']);
    for (const ms of kSpeeds) {
      list.push([`1コマ ${ms} ms`, '', () => setPace(ms), Math.abs(ms - rl00View.frameMs) < 1e-9]);
    }
    list.push(['速く', '+', () => stepPace(-1)], ['遅く', '-', () => stepPace(1)]);
    list.push(['待ちなし（最速）', 'N', () => setNoDelay(!rl00View.noDelay), rl00View.noDelay]);
    list.push(['sep'], ['一時停止', 'P', () => setPaused(!rl00View.paused), rl00View.paused]);
    list.push(['1コマ送り', '.', rl00View.paused ? () => rl00Page.queue('step') : null]);
    list.push(['sep'], ['統計', 'S', stats]);
    list.push(['このゲームのリンクをコピー', '', rl00View.seeded ? () => rl00Page.queue('link') : null]);
    return list;
  }

  function close() {
    menu.hidden = true;
  }

  function open(x, y) {
    menu.replaceChildren();
    for (const [text, key, act, checked] of items()) {
      if (text === 'sep') {
        menu.appendChild(document.createElement('hr'));
        continue;
      }
      const row = document.createElement('div');
      if (text === 'head') {
        row.className = 'head';
        row.textContent = key;
      } else {
        row.className = `item${act ? '' : ' off'}${checked ? ' checked' : ''}`;
        row.innerHTML = '<span></span><span class="key"></span>';
        row.firstChild.textContent = text;
        row.lastChild.textContent = key;
        if (act) {
          row.addEventListener('click', () => {
            close();
            act();
          });
        }
      }
      menu.appendChild(row);
    }
    menu.hidden = false;
    const w = menu.offsetWidth, h = menu.offsetHeight;
    menu.style.left = `${Math.max(0, Math.min(x, window.innerWidth - w))}px`;
    menu.style.top = `${Math.max(0, Math.min(y, window.innerHeight - h))}px`;
  }

  const canvas = rl00Page.canvas;
  canvas.addEventListener('contextmenu', (e) => {
    e.preventDefault();
    open(e.clientX, e.clientY);
  });
  let press = null;
  canvas.addEventListener('pointerdown', (e) => {
    if (e.pointerType !== 'touch') return;
    press = setTimeout(() => open(e.clientX, e.clientY), kLongPressMs);
  });
  for (const type of ['pointerup', 'pointercancel', 'pointermove']) {
    canvas.addEventListener(type, (e) => {
      if (type === 'pointermove' && (Math.abs(e.movementX) + Math.abs(e.movementY) < 4)) return;
      clearTimeout(press);
    });
  }
  document.addEventListener('pointerdown', (e) => {
    if (!menu.hidden && !menu.contains(e.target)) close();
  });

  window.addEventListener('keydown', (e) => {
    if (rl00Dialog.open()) {
      rl00Dialog.key(e);
      return;
    }
    if (e.key === 'Escape') {
      close();
      rl00Stats.close();
      return;
    }
    if (e.ctrlKey && e.key >= '1' && e.key <= '4') {
      e.preventDefault();
      setZoom(Number(e.key));
      return;
    }
    if (e.ctrlKey || e.altKey || e.metaKey) return;
    const act = { '+': () => stepPace(-1), '-': () => stepPace(1),
                  n: () => setNoDelay(!rl00View.noDelay), p: () => setPaused(!rl00View.paused),
                  '.': () => rl00View.paused && rl00Page.queue('step'), s: stats }[e.key.toLowerCase()];
    if (act) {
      e.preventDefault();
      act();
    }
  });

  return {
    analysis() {
      rl00Stats.open(true);
    },
    copyLink(query) {
      const link = `${location.origin}${location.pathname}${query}`;
      rl00Checks.link = link;
      const said = () => rl00Notes.say(`リンク: ${link}`);
      if (navigator.clipboard) navigator.clipboard.writeText(link).then(said, said);
      else said();
    },
    setPaused,
  };
})();
