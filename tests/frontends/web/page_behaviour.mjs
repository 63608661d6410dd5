// The page as a user meets it, in headless Chromium: bad link parameters said in a line each and
// play going on, the menu and its shortcuts, the statistics view's figures equal to the runner's,
// run-log records kept as written (also from two tabs at once), view choices kept, unavailable
// storage said once, a message of the machine answered, the machine's end and a new start.
//   node page_behaviour.mjs SITE RL00_HEADLESS
import { execFileSync } from 'node:child_process';
import { mkdtempSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { serve } from '../../../scripts/lib/web/serve.mjs';
import { launch, waitFor } from '../../../scripts/lib/web/browser.mjs';

const [site, headless] = process.argv.slice(2);
const { server, url } = await serve(site);
const { browser, close } = await launch();
const dir = mkdtempSync(join(tmpdir(), 'rl00-page-'));
let passed = 0, failed = 0;

function check(what, ok, detail = '') {
  if (ok) ++passed;
  else ++failed;
  console.log(`${ok ? 'ok  ' : 'FAIL'} ${what}${ok || !detail ? '' : `: ${detail}`}`);
}

async function open(query, setup) {
  const page = await browser.newPage();
  const errors = [];
  page.on('pageerror', (e) => errors.push(e.message));
  if (setup) await page.evaluateOnNewDocument(setup);
  await page.goto(`${url}index.html${query}`);
  await waitFor(page, () => rl00Checks.firstFrameMs, 20000);
  page.errors = errors;
  return page;
}
const notes = (page) => page.evaluate(() => [...document.querySelectorAll('#notes p')].map((p) => p.textContent));
const sleep = (ms) => new Promise((r) => setTimeout(r, ms));

async function badParameters() {
  const page = await open('?seed=abc&zoom=9&frame-ms=0&arg=3');
  const lines = await notes(page);
  check('a bad parameter is one visible line naming it and what it takes',
        lines.length === 4 && lines[0].startsWith('seed: takes a whole number') &&
        lines.some((l) => l.startsWith('zoom: takes a whole number from 1 to 4')) &&
        lines.some((l) => l.startsWith('frame-ms: takes a number of milliseconds')) &&
        lines.some((l) => l.startsWith('arg: takes 1, 7 or 8')), JSON.stringify(lines));
  check('the page plays on with the defaults', page.errors.length === 0 && (await page.evaluate(() => rl00Checks.ended)) === null);
  await page.close();
}

async function menuAndShortcuts() {
  const page = await open('?seed=3&zoom=1');
  const box = await page.evaluate(() => document.getElementById('window').getBoundingClientRect().toJSON());
  await page.mouse.click(box.x + 50, box.y + 150, { button: 'right' });
  const items = await page.evaluate(() => [...document.querySelectorAll('#menu .item span:first-child')].map((s) => s.textContent));
  check('the right-click menu holds the window\'s items and the link item',
        ['1倍', '4倍', '画面に合わせる', '1コマ 0.5 ms', '1コマ 20 ms', '速く', '遅く', '待ちなし（最速）', '一時停止',
         '1コマ送り', '統計', 'このゲームのリンクをコピー'].every((t) => items.includes(t)), JSON.stringify(items));
  await page.keyboard.press('Escape');
  // A change of hasTouch reloads the page.
  const reload = async (hasTouch) => {
    await page.setViewport({ width: 1280, height: 800, hasTouch });
    await waitFor(page, () => rl00Checks.firstFrameMs, 20000);
  };
  await reload(true);
  await page.touchscreen.touchStart(box.x + 50, box.y + 150);
  await sleep(900);
  check('a long press opens the menu on a touch screen', await page.evaluate(() => !document.getElementById('menu').hidden));
  await page.touchscreen.touchEnd();
  await page.keyboard.press('Escape');
  await reload(false);
  await page.keyboard.press('p');
  check('P pauses', await page.evaluate(() => rl00View.paused));
  await page.keyboard.press('-');
  await page.keyboard.press('n');
  check('- and N change the pace', await page.evaluate(() => rl00View.frameMs === 5 && rl00View.noDelay));
  await page.keyboard.down('Control');
  await page.keyboard.press('3');
  await page.keyboard.up('Control');
  const width = await page.evaluate(() => document.getElementById('window').style.width);
  check('Ctrl+3 zooms to 3', width === `${366 * 3}px`, width);
  await page.keyboard.press('s');
  check('S opens the statistics view with four charts',
        await waitFor(page, () => !document.getElementById('stats').hidden && rl00Checks.stats !== null &&
                                  document.querySelectorAll('#stats canvas').length === 4, 5000));
  // The choice is written to the browser's database in the background; under load its last write
  // can still be on its way when the tab closes, so the next visit is opened once it is stored.
  const stored = await page.evaluate(async () => {
    for (let i = 0; i < 200; ++i) {
      const v = await rl00Storage.loadView();
      if (v && v.zoom === 3 && v.frameMs === 5 && v.noDelay) return v;
      await new Promise((r) => setTimeout(r, 50));
    }
    return { stored: await rl00Storage.loadView(), live: { ...rl00View } };
  });
  await page.close();
  const again = await open('');
  const kept = await again.evaluate(() => ({ zoom: rl00View.zoom, ms: rl00View.frameMs, nd: rl00View.noDelay }));
  check('zoom and pace are kept for the next visit', kept.zoom === 3 && kept.ms === 5 && kept.nd,
        JSON.stringify({ kept, stored }));
  await again.keyboard.press('n');
  await again.keyboard.down('Control');
  await again.keyboard.press('1');
  await again.keyboard.up('Control');
  await again.keyboard.press('+');
  await again.close();
}

async function statisticsEqualTheRunner() {
  const page = await open('?seed=11&games=3000&shown=0');
  await waitFor(page, () => rl00Checks.done, 60000);
  await page.evaluate(() => { rl00Checks.stats = null; rl00Page.queue('stats'); });
  const stats = JSON.parse(await waitFor(page, () => rl00Checks.stats, 10000));
  const file = join(dir, 'stats.json');
  execFileSync(headless, ['--seed', '11', '--games', '3000', '--quiet', '--ini', '/dev/null', '--stats', file], { stdio: 'ignore' });
  const runner = JSON.parse(readFileSync(file, 'utf8'));
  const f = runner.figures;
  const round = (x, d) => Number(x.toFixed(d));
  const same = (a, b) => Math.abs(a - b) < 1e-12;
  let ok = stats.games === runner.counts.games && stats.hits === runner.counts.hits;
  stats.reach_kinds.forEach((r, k) => {
    const g = f.reach_kinds[k];
    ok = ok && same(round(r.share, 6), g.hit_share) && same(round(r.low, 6), g.ci_low) &&
         same(round(r.high, 6), g.ci_high) && same(round(r.theory, 8), g.theory) && r.outside === g.outside;
  });
  stats.modes.forEach((r, m) => {
    const g = f.modes[m];
    ok = ok && same(round(r.share, 8), g.hit_rate) && same(round(r.low, 8), g.ci_low) &&
         same(round(r.high, 8), g.ci_high) && same(round(r.theory, 8), g.theory);
  });
  check('the statistics view\'s figures equal the runner\'s statistics file', ok);
  await page.close();
}

async function runLogKeptFromTwoTabs() {
  // The argument 7 makes every game a hit, so every game writes a record.
  const count = async (page) => Buffer.from(await page.evaluate(async () => Array.from(await rl00Storage.logBytes())))
    .toString('latin1');
  const probe = await open('?seed=1&paused=1');
  const before = (await count(probe)).length;
  await probe.close();
  const a = await open('?seed=21&arg=7&games=40&shown=0');
  const b = await open('?seed=22&arg=7&games=40&shown=0');
  await waitFor(a, () => rl00Checks.done, 60000);
  await waitFor(b, () => rl00Checks.done, 60000);
  const text = (await count(a)).slice(before);
  const records = text.split('\r\n').slice(0, -1);
  check('two tabs append 80 records without losing one, each of 114 characters',
        records.length === 80 && records.every((r) => r.length === 114) && text.endsWith('\r\n'),
        `${records.length} records`);
  // The records of one tab are the runner's, but for the clock that stamps them.
  const ini = join(dir, 'RL00.INI');
  writeFileSync(ini, `[ログ書き込み先パス]\r\n${dir}\r\n[ログ書き込み先ファイル名]\r\nrunner.txt\r\n`);
  execFileSync(headless, ['--seed', '21', '--games', '40', '--quiet', '--ini', ini, '7'], { stdio: 'ignore' });
  const runner = readFileSync(join(dir, 'runner.txt'), 'latin1').split('\r\n').slice(0, -1);
  const mine = new Set(records.map((r) => r.slice(0, 96)));
  check('the records are the runner\'s records up to the date and time',
        runner.length === 40 && runner.every((r) => mine.has(r.slice(0, 96))));
  await a.close();
  await b.close();
}

async function storageUnavailable() {
  const page = await open('?seed=5', () => {
    Object.defineProperty(window, 'indexedDB', { get() { throw new Error('no storage here'); } });
  });
  await sleep(1500);
  const lines = await notes(page);
  check('storage that cannot be had is said once and play goes on',
        lines.length === 1 && lines[0].includes('ログ') && page.errors.length === 0, JSON.stringify(lines));
  await page.close();
}

async function messagesLinkAndEnd() {
  const page = await open('?seed=9&replay=3&paused=1&zoom=1');
  await waitFor(page, () => rl00Checks.replayed, 10000);
  await page.evaluate(() => { rl00Checks.link = null; rl00Page.queue('link'); });
  const link = await waitFor(page, () => rl00Checks.link, 5000);
  check('the copied link shows the game on the screen, paused', link.endsWith('?seed=9&replay=3&paused=1&zoom=1'), link);
  const answer = page.evaluate(() => rl00Dialog.show('システムエラーが発生しました\r6 :オーバーフローしました。', ' エラー', 16));
  await waitFor(page, () => !document.getElementById('dialog').hidden, 2000);
  await page.keyboard.press('Enter');
  check('a message of the machine waits for its button', (await answer) === 1);
  const box = await page.evaluate(() => document.getElementById('window').getBoundingClientRect().toJSON());
  // 終了 sits at 4200, 2760 twips: 280, 184 pixels at 1x.
  await page.mouse.click(box.x + 300, box.y + 196);
  const ended = await waitFor(page, () => !document.getElementById('ended').hidden && rl00Checks.ended !== null, 10000);
  check('終了 ends the machine and the page offers a new start', ended === true);
  await Promise.all([page.waitForNavigation(), page.click('#restart')]);
  await waitFor(page, () => rl00Checks.firstFrameMs, 20000);
  check('a new start plays again', (await page.evaluate(() => rl00Checks.ended)) === null);
  await page.close();
}

try {
  for (const test of [badParameters, menuAndShortcuts, statisticsEqualTheRunner, runLogKeptFromTwoTabs,
                      storageUnavailable, messagesLinkAndEnd]) {
    try {
      await test();
    } catch (e) {
      check(test.name, false, e.message);
    }
  }
} finally {
  await close();
  server.close();
  rmSync(dir, { recursive: true, force: true });
}
console.log(`${passed} passed, ${failed} failed`);
process.exit(failed === 0 ? 0 : 1);
