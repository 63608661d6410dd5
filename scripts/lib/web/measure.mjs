// scripts/web --measure and --screenshots: figures of the page in headless Chromium on this
// machine, and pictures of it for a person to look at (build/web/screenshots/).
import { mkdirSync, readdirSync, statSync } from 'node:fs';
import { join } from 'node:path';
import { serve } from './serve.mjs';
import { launch, waitFor } from './browser.mjs';

const [mode, site, out] = process.argv.slice(2);
const { server, url } = await serve(site);
const sleep = (ms) => new Promise((r) => setTimeout(r, ms));

function folderSize(folder) {
  let total = 0;
  for (const name of readdirSync(folder)) {
    const p = join(folder, name);
    total += statSync(p).isDirectory() ? folderSize(p) : statSync(p).size;
  }
  return total;
}

async function measure() {
  const { browser, close } = await launch();
  try {
    const figures = {};
    let page = await browser.newPage();
    const t0 = Date.now();
    await page.goto(`${url}index.html?seed=1`);
    figures.first_frame_ms = await waitFor(page, () => rl00Checks.firstFrameMs, 30000);
    await page.close();

    page = await browser.newPage();
    await page.goto(`${url}index.html?seed=1&replay=1000001&paused=1`);
    const replayed = await waitFor(page, () => rl00Checks.replayed, 600000);
    figures.replay_1000000_games_s = Number(replayed.split(' ')[1]) / 1000;
    const metrics = await page.metrics();
    figures.js_heap_mib = metrics.JSHeapUsedSize / 2 ** 20;
    figures.wasm_memory_mib = await page.evaluate(() => wasmMemory.buffer.byteLength / 2 ** 20);
    await page.close();

    // Ten seconds of frames at the default pace of 2 ms, in games of the argument 7 (every game a
    // hit, long presentations); the median of the periods between frames that follow each other.
    page = await browser.newPage();
    await page.goto(`${url}index.html?seed=4&arg=7&frame-ms=2`);
    await waitFor(page, () => rl00Checks.firstFrameMs, 30000);
    await page.evaluate(() => rl00Page.queue('frame-times 6000'));
    await sleep(10000);
    await page.evaluate(() => { rl00Checks.frameTimes = null; rl00Page.queue('frame-times?'); });
    const times = await waitFor(page, () => rl00Checks.frameTimes, 10000);
    const within = times.filter((t) => t - times[0] <= 10000);
    const periods = within.slice(1).map((t, i) => t - within[i]).sort((a, b) => a - b);
    figures.frames_in_10_s = within.length;
    figures.median_frame_period_ms = periods[Math.floor(periods.length / 2)];
    figures.frame_period_p10_p90_ms = [periods[Math.floor(periods.length / 10)], periods[Math.floor(periods.length * 0.9)]];
    await page.close();

    const sizes = {};
    for (const name of ['rl00-web.wasm', 'rl00-web.js', 'page.js', 'stats.js', 'storage.js', 'chart.umd.min.js',
                        'fonts/ipagp.woff2', 'fonts/ipamp.woff2']) sizes[name] = statSync(join(site, name)).size;
    sizes.site_total = folderSize(site);
    figures.bytes = sizes;
    console.log(JSON.stringify(figures, null, 2));
  } finally {
    await close();
  }
}

async function screenshots() {
  mkdirSync(out, { recursive: true });
  for (const [vw, vh, mobile] of [[1280, 800, false], [390, 844, true]]) {
    for (const zoom of [1, 2]) {
      const { browser, close } = await launch({ width: vw, height: vh, scale: mobile ? 3 : 1, mobile });
      const shot = (page, what) => page.screenshot({ path: join(out, `${vw}x${vh}-zoom${zoom}-${what}.png`) });
      try {
        const page = await browser.newPage();
        // Seed 3 with the argument 7: every game a hit, the first one a right ghost super reach.
        await page.goto(`${url}index.html?seed=3&arg=7&zoom=${zoom}`);
        await waitFor(page, () => rl00Checks.firstFrameMs, 30000);
        await sleep(500);
        await shot(page, 'idle');
        await waitFor(page, () => rl00Page.captions().some((c) => c && c[0].endsWith('リーチ!!')), 20000);
        await sleep(2500);
        await shot(page, 'presentation');
        const box = await page.evaluate(() => document.getElementById('window').getBoundingClientRect().toJSON());
        await page.mouse.click(box.x + box.width * 0.3, box.y + box.height * 0.5, { button: 'right' });
        await sleep(200);
        await shot(page, 'menu');
        await page.keyboard.press('Escape');
        page.evaluate(() => rl00Dialog.show('システムエラーが発生しました\r6 :オーバーフローしました。', ' エラー', 16));
        await sleep(300);
        await shot(page, 'message');
        await page.keyboard.press('Enter');
        await page.close();
        // The statistics of 20,000 games replayed, opened by 「分析」.
        const stats = await browser.newPage();
        await stats.goto(`${url}index.html?seed=3&replay=20001&zoom=${zoom}`);
        await waitFor(stats, () => rl00Checks.replayed, 60000);
        await stats.evaluate(() => rl00Menu.analysis());
        await waitFor(stats, () => rl00Checks.stats, 10000);
        await sleep(500);
        await shot(stats, 'statistics');
      } finally {
        await close();
      }
    }
  }
  console.log(`screenshots in ${out}`);
}

try {
  if (mode === '--measure') await measure();
  else await screenshots();
} finally {
  server.close();
}
