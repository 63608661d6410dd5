'use strict';
// The page around the machine: draws frmRL00 on the canvas from what the program hands over
// (the reel window's pixels, the labels' captions and colours), queues the user's input for the
// program's event processing, and shows the menu, the machine's messages, its end and the
// statistics view. The program (rl00-web.js) calls the object rl00Page.

const kFormWidthPx = 366;  // 5490 x 4695 twips at 15 twips per pixel
const kFormHeightPx = 313;
const kTwipsPerPixel = 15;
const kSpeeds = [0.5, 1, 2, 5, 10, 20];
const kLongPressMs = 550;

// What checks read: the trace, how far a check or a replay has come, the first frame's time.
const rl00Checks = { trace: [], done: null, frames: null, playing: null, held: null, ended: null,
                     replayed: null, firstFrameMs: null, link: null, stats: null, frameTimes: null };

const rl00View = (() => {
  const query = new URLSearchParams(location.search);
  const linkZoom = Number(query.get('zoom'));
  return {
    zoom: 0,  // 1..4, or 0: fit to the browser's window
    linkZoom: Number.isInteger(linkZoom) && linkZoom >= 1 && linkZoom <= 4 ? linkZoom : 0,
    frameMs: 2,
    linkFrameMs: query.has('frame-ms'),
    noDelay: false,
    paused: query.get('paused') === '1',
    seeded: query.has('seed'),
    check: query.has('games'),
    // Whether the user chose a zoom or pace before the stored choice had loaded: theirs wins.
    chosen: false,
  };
})();

const rl00Notes = {
  shown: new Set(),
  // One visible line; the same line is said once.
  say(text) {
    if (this.shown.has(text)) return;
    this.shown.add(text);
    const p = document.createElement('p');
    p.textContent = text;
    document.getElementById('notes').appendChild(p);
    rl00Page.placeCanvas();
  },
};

const rl00Page = (() => {
  const canvas = document.getElementById('window');
  const ctx = canvas.getContext('2d', { alpha: false });
  let layout = [];
  let labels = [];  // [caption, fore, back] by the scene's numbering
  let reelImage = null;
  let scale = 1;  // CSS pixels per pixel of the window at 1x
  let deviceScale = 1;
  const input = [];
  let inputWaiter = null;

  // A turn of the browser without the 4 ms that nested timers cost.
  const channel = new MessageChannel();
  const turns = [];
  channel.port1.onmessage = () => turns.shift()();

  function queue(command) {
    input.push(command);
    if (inputWaiter !== null) inputWaiter();
  }

  function colour(c) {
    const r = c & 0xff, g = (c >> 8) & 0xff, b = (c >> 16) & 0xff;
    return `rgb(${r},${g},${b})`;
  }

  function pixels(twips) {
    return Math.round(twips / kTwipsPerPixel);
  }

  function fontOf(c) {
    const px = Math.round((c.pt * 96) / 72);
    const family = c.font.includes('明朝') ? 'IPAPMincho, serif' : 'IPAPGothic, sans-serif';
    return `${c.bold ? 'bold ' : ''}${px}px ${family}`;
  }

  // The caption on one line at the top of its room, condensed sideways when it would not fit,
  // as the window's labels do it.
  function drawText(text, font, fore, x, y, w, align) {
    if (text === '') return;
    ctx.font = font;
    ctx.fillStyle = fore;
    ctx.textBaseline = 'top';
    const natural = ctx.measureText(text).width;
    const squeeze = natural > w && w > 0 ? w / natural : 1;
    const width = natural * squeeze;
    const left = align === 'right' ? x + w - width : align === 'center' ? x + (w - width) / 2 : x;
    ctx.save();
    ctx.translate(left, y);
    ctx.scale(squeeze, 1);
    ctx.fillText(text, 0, 0);
    ctx.restore();
  }

  function drawLabel(c) {
    const [caption, fore, back] = c.scene >= 0 && labels[c.scene] ? labels[c.scene]
                                                                   : [c.caption, c.fore, c.back];
    const x = pixels(c.left), y = pixels(c.top), w = pixels(c.width), h = pixels(c.height);
    ctx.fillStyle = colour(back);
    ctx.fillRect(x, y, w, h);
    let frame = 0;
    let indent = 0;
    if (c.border) {
      drawSunkenPanel(x, y, w, h);
      frame = 1;
      ctx.font = fontOf(c);
      indent = Math.floor(ctx.measureText('x').width / 2);
    }
    // Indented on both sides, as the window's labels are, so that a condensed caption keeps
    // clear of the frame.
    const sideways = c.align === 'left' || c.align === 'right' ? indent : 0;
    const left = x + frame + sideways;
    const right = x + w - frame - sideways;
    const wrap = c.name === 'Lbl_About';
    if (wrap) {
      drawWrapped(caption, fontOf(c), colour(fore), left, y + frame, right - left);
    } else {
      drawText(caption, fontOf(c), colour(fore), left, y + frame + (c.border ? indent : 0),
               right - left, c.align);
    }
  }

  // A sunken panel one pixel wide, line for line as the window's style draws it in the screen's
  // pixels: dark above and to the left, then light below and to the right, over the corners.
  function drawSunkenPanel(x1x, y1x, w1x, h1x) {
    const ratio = deviceScale;
    const x = Math.round(x1x * ratio), y = Math.round(y1x * ratio);
    const w = Math.trunc(w1x * ratio), h = Math.trunc(h1x * ratio);
    const width = Math.max(1, Math.round(ratio));
    ctx.save();
    ctx.setTransform(1, 0, 0, 1, 0, 0);
    const row = (from, to, at) => ctx.fillRect(Math.min(from, to), at, Math.abs(to - from) + 1, 1);
    const column = (at, from, to) => ctx.fillRect(at, Math.min(from, to), 1, Math.abs(to - from) + 1);
    ctx.fillStyle = '#808080';
    for (let i = 0; i < width; ++i) row(x, x + w - 2 - i, y + i);
    for (let i = 0; i < width; ++i) column(x + i, y + h - 2, y + width - i);
    ctx.fillStyle = '#e0e0e0';
    for (let i = 0; i < width; ++i) row(x + i, x + w - 1, y + h - 1 - i);
    for (let i = 0; i < width; ++i) column(x + w - 1 - i, y + i, y + h - width - 1);
    ctx.restore();
  }

  function drawWrapped(text, font, fore, x, y, w) {
    ctx.font = font;
    let line = '';
    let top = y;
    const height = parseInt(font.match(/(\d+)px/)[1], 10) + 3;
    for (const ch of text) {
      if (line !== '' && ctx.measureText(line + ch).width > w) {
        drawText(line, font, fore, x, top, w, 'left');
        top += height;
        line = '';
      }
      line += ch;
    }
    drawText(line, font, fore, x, top, w, 'left');
  }

  function drawButton(c) {
    const x = pixels(c.left), y = pixels(c.top), w = pixels(c.width), h = pixels(c.height);
    const face = ctx.createLinearGradient(0, y, 0, y + h);
    face.addColorStop(0, '#f6f6f6');
    face.addColorStop(1, '#dcdcdc');
    ctx.fillStyle = face;
    ctx.fillRect(x + 1, y + 1, w - 2, h - 2);
    ctx.strokeStyle = '#8a8a8a';
    ctx.lineWidth = 1;
    ctx.strokeRect(x + 0.5, y + 0.5, w - 1, h - 1);
    ctx.font = fontOf(c);
    ctx.fillStyle = colour(c.fore);
    ctx.textBaseline = 'middle';
    ctx.textAlign = 'center';
    ctx.fillText(c.caption, x + w / 2, y + h / 2);
    ctx.textAlign = 'left';
  }

  function draw() {
    ctx.setTransform(1, 0, 0, 1, 0, 0);
    ctx.fillStyle = '#000';
    ctx.fillRect(0, 0, canvas.width, canvas.height);
    for (const c of layout) {
      if (c.kind === 'reels') {
        // Pixels of the device, made by the program as the window makes them: no scaling here.
        if (reelImage !== null) {
          ctx.setTransform(1, 0, 0, 1, 0, 0);
          ctx.putImageData(reelImage, Math.round(pixels(c.left) * deviceScale),
                           Math.round(pixels(c.top) * deviceScale));
        }
        continue;
      }
      ctx.setTransform(deviceScale, 0, 0, deviceScale, 0, 0);
      if (c.kind === 'label') drawLabel(c);
      else if (c.kind === 'button' && c.top < 4695) drawButton(c);
    }
  }

  function placeCanvas() {
    const zoom = rl00View.linkZoom || rl00View.zoom;
    if (zoom > 0) {
      scale = zoom;
    } else {
      const notes = document.getElementById('notes').offsetHeight;
      const room = Math.min((window.innerWidth - 24) / kFormWidthPx,
                            (window.innerHeight - 24 - notes) / kFormHeightPx);
      scale = Math.max(0.5, Math.floor(room * 100) / 100);
    }
    const ratio = window.devicePixelRatio || 1;
    deviceScale = scale * ratio;
    canvas.style.width = `${kFormWidthPx * scale}px`;
    canvas.style.height = `${kFormHeightPx * scale}px`;
    canvas.width = Math.round(kFormWidthPx * deviceScale);
    canvas.height = Math.round(kFormHeightPx * deviceScale);
    reelImage = null;
    queue(`scale ${deviceScale}`);
    draw();
  }

  function buttonAt(event) {
    const box = canvas.getBoundingClientRect();
    const x = ((event.clientX - box.left) / box.width) * kFormWidthPx;
    const y = ((event.clientY - box.top) / box.height) * kFormHeightPx;
    return layout.find((c) => c.kind === 'button' && x >= pixels(c.left) &&
                              x < pixels(c.left + c.width) && y >= pixels(c.top) &&
                              y < pixels(c.top + c.height));
  }

  canvas.addEventListener('click', (e) => {
    const b = buttonAt(e);
    if (b === undefined) return;
    if (b.name === 'Cmd_Excel') rl00Menu.analysis();
    else queue(`click ${b.name}`);
  });
  // A new size of the browser's window, or a new pixel ratio (the browser's own zoom).
  window.addEventListener('resize', () => placeCanvas());
  window.addEventListener('pagehide', () => queue('close'));

  return {
    canvas,
    queue,
    placeCanvas,
    draw,
    yieldTurn(ms) {
      return new Promise((resolve) => {
        if (ms > 0) {
          setTimeout(resolve, ms);
        } else {
          turns.push(resolve);
          channel.port2.postMessage(0);
        }
      });
    },
    waitForInput(ms) {
      return new Promise((resolve) => {
        if (input.length > 0) {
          resolve();
          return;
        }
        const timer = setTimeout(() => {
          inputWaiter = null;
          resolve();
        }, ms);
        inputWaiter = () => {
          clearTimeout(timer);
          inputWaiter = null;
          resolve();
        };
      });
    },
    takeInput() {
      return input.splice(0).join('\n');
    },
    // The labels as painted: [caption, fore, back] by the scene's numbering.
    captions: () => labels.slice(),
    showFrame(rgba, width, height, labelsJson) {
      for (const [i, caption, fore, back] of JSON.parse(labelsJson)) labels[i] = [caption, fore, back];
      if (rgba !== null) {
        reelImage = new ImageData(new Uint8ClampedArray(rgba), width, height);
        if (rl00Checks.firstFrameMs === null) rl00Checks.firstFrameMs = performance.now();
      }
      draw();
    },
    messageBox: (text, title, style) => rl00Dialog.show(text, title, style),
    beep() {},
    tell(kind, text) {
      switch (kind) {
        case 'layout':
          layout = JSON.parse(text);
          placeCanvas();
          break;
        case 'trace':
          rl00Checks.trace.push(text);
          break;
        case 'stats':
          rl00Checks.stats = text;
          rl00Stats.update(JSON.parse(text));
          break;
        case 'fault':
          rl00Notes.say(text);
          break;
        case 'progress': {
          const [done, last] = text.split('/');
          document.title = `CRフォグランタン — 再生中 ${done} / ${last}`;
          break;
        }
        case 'replayed':
          rl00Checks.replayed = text;
          document.title = 'CRフォグランタン';
          break;
        case 'done':
          rl00Checks.done = Number(text);
          break;
        case 'frames': {
          const [frames, state, held] = text.split(' ');
          rl00Checks.frames = Number(frames);
          rl00Checks.playing = state === 'playing';
          rl00Checks.held = held === 'held';
          break;
        }
        case 'frame-times':
          rl00Checks.frameTimes = text === '' ? [] : text.trim().split(' ').map(Number);
          break;
        case 'link':
          rl00Menu.copyLink(text);
          break;
        case 'ended':
          rl00Checks.ended = Number(text);
          if (!rl00View.check) document.getElementById('ended').hidden = false;
          break;
        default:
          break;
      }
    },
  };
})();

document.getElementById('restart').addEventListener('click', () => location.reload());

// The program starts once the view choices are read, with the pace they name.
var Module = {
  preRun: [
    () => {
      const dev = FS.makedev(64, 0);
      FS.registerDevice(dev, {
        open() {},
        close() {},
        read() { return 0; },
        write(stream, buffer, offset, length) {
          rl00Storage.addRecord(buffer.slice(offset, offset + length));
          return length;
        },
        llseek() { return 0; },
      });
      FS.mkdir('/log');
      FS.mkdev('/log/RL00LOG.TXT', dev);
      // The canvas draws with the page's fonts only once they are loaded; nothing else asks
      // the browser for them.
      addRunDependency('fonts');
      Promise.all(['12px IPAPGothic', 'bold 12px IPAPGothic', '12px IPAPMincho']
        .map((f) => document.fonts.load(f))).catch(() => null).then(() => {
        rl00Page.draw();
        removeRunDependency('fonts');
      });
      addRunDependency('view');
      rl00Storage.loadView().then((choice) => {
        if (!rl00Storage.kept()) {
          rl00Notes.say('この環境ではブラウザーに保存できないため、ログと表示の設定は残りません。');
        }
        if (choice !== null && !rl00View.chosen) {
          rl00View.zoom = choice.zoom || 0;
          if (!rl00View.linkFrameMs) rl00View.frameMs = choice.frameMs || 2;
          rl00View.noDelay = !!choice.noDelay;
        }
        if (!rl00View.check) {
          if (!rl00View.linkFrameMs) rl00Page.queue(`pace ${rl00View.frameMs}`);
          if (rl00View.noDelay) rl00Page.queue('no-delay 1');
        }
        removeRunDependency('view');
      });
    },
  ],
  print: (text) => console.log(text),
  printErr: (text) => console.warn(text),
};
