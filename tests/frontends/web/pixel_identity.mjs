// The page shows the window's very pixels: for a frame held inside a right ghost super reach,
// the reel window on the page's canvas equals the Qt window's offscreen grab of the same frame,
// pixel for pixel, at zoom 1 and 2.
//   node pixel_identity.mjs RL00_HEADLESS RL00_QT_REEL_FRAME SITE
import { execFileSync } from 'node:child_process';
import { mkdtempSync, readFileSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { serve } from '../../../scripts/lib/web/serve.mjs';
import { launch, waitFor } from '../../../scripts/lib/web/browser.mjs';

const [headless, grabber, site] = process.argv.slice(2);
const seed = 20240611;
const kRightSuper = 4;
const dir = mkdtempSync(join(tmpdir(), 'rl00-pixels-'));

// The first right ghost super reach of the seed, found with the runner, and a frame inside its
// presentation where the ghost is on the screen.
const traceFile = join(dir, 'trace.jsonl');
execFileSync(headless, ['--seed', String(seed), '--games', '5000', '--quiet', '--ini', '/dev/null',
                        '--trace', traceFile], { stdio: 'ignore' });
const game = readFileSync(traceFile, 'utf8').split('\n').filter(Boolean).map(JSON.parse)
  .find((g) => g.kind === kRightSuper);
function windowGrab(frame, zoom) {
  const file = join(dir, `qt-${frame}-${zoom}.ppm`);
  const said = execFileSync(grabber, [String(seed), '-', '2', String(game.game), String(frame), file],
                            { env: { ...process.env, QT_QPA_PLATFORM: 'offscreen',
                                     QT_SCALE_FACTOR: String(zoom) }, encoding: 'utf8' });
  const data = readFileSync(file);
  const [, w, h] = data.toString('latin1', 0, 20).match(/^P6\n(\d+) (\d+)\n255\n/);
  const start = data.indexOf('255\n') + 4;
  return { ghost: said.includes('ghost shown'), width: Number(w), height: Number(h),
           rgb: data.subarray(start) };
}
let frame = Math.floor(game.frames * 0.6);
while (!windowGrab(frame, 1).ghost && frame < game.frames) frame += 25;

async function pageGrab(zoom) {
  const { server, url } = await serve(site);
  const { browser, close } = await launch();
  try {
    const page = await browser.newPage();
    await page.goto(`${url}index.html?seed=${seed}&replay=${game.game}&paused=1&zoom=${zoom}`);
    await waitFor(page, () => rl00Checks.replayed, 120000);
    // The frames counted, whether a game plays, and whether the page holds a frame, paused.
    const state = async () => {
      await page.evaluate(() => {
        rl00Checks.frames = null;
        rl00Page.queue('frames');
      });
      await waitFor(page, () => rl00Checks.frames !== null, 10000);
      return page.evaluate(() => ({ frames: rl00Checks.frames, playing: rl00Checks.playing,
                                    held: rl00Checks.held }));
    };
    // Waits as long as the page makes progress: only a count that stands still for 30 s while
    // the state is not yet `reached` is a fault.
    const until = async (reached, what) => {
      let last = null;
      for (let still = 0; still < 600; ++still) {
        const s = await state();
        if (reached(s)) return s;
        if (s.frames !== last) still = 0;
        last = s.frames;
        await new Promise((r) => setTimeout(r, 50));
      }
      throw new Error(`${what}: the count of frames stood still at ${last}`);
    };
    // Game G starts at the timer's tick after the replay and holds at its first frame.
    const first = await until((s) => s.playing && s.held, `game ${game.game} did not start`);
    const before = first.frames - 1;
    await page.evaluate((steps) => { for (let i = 0; i < steps; ++i) rl00Page.queue('step'); },
                        frame - 1);
    const at = await until((s) => s.held && s.frames >= before + frame,
                           `the page did not reach frame ${frame} of game ${game.game}`);
    if (at.frames !== before + frame)
      throw new Error(`the page held frame ${at.frames - before} of game ${game.game}, not ${frame}`);
    // The page paints a frame before it holds it.
    return await page.evaluate((z) => {
      const c = document.getElementById('window');
      const d = c.getContext('2d').getImageData(0, 16 * z, 105 * z, 41 * z);
      return { width: d.width, height: d.height, rgba: Array.from(d.data) };
    }, zoom);
  } finally {
    await close();
    server.close();
  }
}

let passed = 0, failed = 0;
for (const zoom of [1, 2]) {
  const qt = windowGrab(frame, zoom);
  const web = await pageGrab(zoom);
  let differ = 0, first = null;
  for (let y = 0; y < qt.height; ++y) {
    for (let x = 0; x < qt.width; ++x) {
      const q = (y * qt.width + x) * 3, w = (y * web.width + x) * 4;
      if (qt.rgb[q] !== web.rgba[w] || qt.rgb[q + 1] !== web.rgba[w + 1] || qt.rgb[q + 2] !== web.rgba[w + 2]) {
        if (first === null) first = `${x},${y} window ${qt.rgb.subarray(q, q + 3).join('/')} page ${web.rgba.slice(w, w + 3).join('/')}`;
        ++differ;
      }
    }
  }
  const name = `zoom ${zoom}: game ${game.game} (right ghost super reach), frame ${frame} of ${game.frames}, ${qt.width}x${qt.height} pixels`;
  if (differ === 0 && web.width === qt.width && web.height === qt.height) {
    ++passed;
    console.log(`ok   ${name} equal`);
  } else {
    ++failed;
    console.log(`FAIL ${name}: ${differ} differ, first at ${first}`);
  }
}
rmSync(dir, { recursive: true, force: true });
console.log(`${passed} passed, ${failed} failed`);
process.exit(failed === 0 ? 0 : 1);
