// The page plays the runner's games: for the arguments none, 1, 7 and 8 and the frame periods 2
// and 0.5 ms, the page's trace of 5000 games (the first 15 shown frame by frame, the rest at
// once) equals rl00-headless --trace byte for byte. The shown games are the check's cost: at
// argument 7 (every game a long hit) each cost the browser about 0.6 processor seconds, the 5000
// games at once together with the browser's start about 10.
//   node trace_identity.mjs RL00_HEADLESS SITE [GAMES]
import { execFileSync } from 'node:child_process';
import { mkdtempSync, readFileSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { launch } from '../../../scripts/lib/web/browser.mjs';
import { pageTrace } from '../../../scripts/lib/web/trace.mjs';

const [headless, site, gamesText] = process.argv.slice(2);
const games = Number(gamesText || 5000);
const seed = 20240611;
const shown = 15;
const configs = [];
// The argument 7 makes every game a hit with its long presentation: its pages go first.
for (const arg of ['7', '', '1', '8']) for (const frameMs of ['2', '0.5']) configs.push({ arg, frameMs });

const dir = mkdtempSync(join(tmpdir(), 'rl00-trace-'));
function runnerTrace({ arg, frameMs }) {
  const file = join(dir, `runner-${arg || 'none'}-${frameMs}.jsonl`);
  execFileSync(headless, ['--seed', String(seed), '--games', String(games), '--frame-ms', frameMs,
                          '--quiet', '--ini', '/dev/null', '--trace', file, ...(arg ? [arg] : [])],
               { stdio: 'ignore' });
  return readFileSync(file, 'utf8');
}

// The shown games pause in real time: every page plays at once, all in one browser (a browser's
// start costs about 2.5 processor seconds).
const { browser, close } = await launch();
let passed = 0, failed = 0;
const queue = [...configs];
async function worker() {
  for (let c = queue.shift(); c !== undefined; c = queue.shift()) {
    const name = `argument ${c.arg || 'none'}, frame ${c.frameMs} ms`;
    const started = Date.now();
    try {
      const page = await pageTrace(site, { seed, games, shown, arg: c.arg, frameMs: c.frameMs, browser });
      const runner = runnerTrace(c);
      const lines = page.split('\n').length - 1;
      if (page === runner && lines === games) {
        ++passed;
        console.log(`ok   ${name}: ${lines} lines equal (${((Date.now() - started) / 1000).toFixed(1)} s)`);
      } else {
        ++failed;
        const a = page.split('\n'), b = runner.split('\n');
        const at = a.findIndex((l, i) => l !== b[i]);
        console.log(`FAIL ${name}: ${lines} lines; first difference at line ${at + 1}\n  page:   ${a[at]}\n  runner: ${b[at]}`);
      }
    } catch (e) {
      ++failed;
      console.log(`FAIL ${name}: ${e.message}`);
    }
  }
}
await Promise.all(configs.map(() => worker()));
await close();
rmSync(dir, { recursive: true, force: true });
console.log(`${passed} passed, ${failed} failed`);
process.exit(failed === 0 ? 0 : 1);
