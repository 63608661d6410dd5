// scripts/web-trace: plays games on the built page in headless Chromium and writes the page's
// trace to standard output in the runner's line format.
import { serve } from './serve.mjs';
import { launch, waitFor } from './browser.mjs';

const usage = 'usage: scripts/web-trace [--frame-ms X] [--shown K] --seed S --games N [1|7|8]';

function parse(argv) {
  const o = { shown: 0, site: process.env.RL00_SITE };
  for (let i = 0; i < argv.length; ++i) {
    const a = argv[i];
    const value = () => {
      if (i + 1 >= argv.length) throw new Error(`${a} needs a value`);
      return argv[++i];
    };
    if (a === '--frame-ms') o.frameMs = value();
    else if (a === '--shown') o.shown = value();
    else if (a === '--seed') o.seed = value();
    else if (a === '--games') o.games = value();
    else if (a === '--site') o.site = value();
    else if (['1', '7', '8'].includes(a)) o.arg = a;
    else throw new Error(`unknown argument ${a}`);
  }
  if (o.seed === undefined || o.games === undefined) throw new Error('--seed and --games are needed');
  return o;
}

// The page's trace of `games` games of `seed` (the first `shown` shown frame by frame at no-delay
// pace), as the text of the runner's trace file. The page opens in `browser` when one is given
// (a check that plays many pages at once starts one browser for all), else in its own.
export async function pageTrace(site, { seed, games, shown = 0, arg, frameMs, browser }) {
  const query = new URLSearchParams({ seed, games, shown, trace: 1 });
  if (arg) query.set('arg', arg);
  if (frameMs) query.set('frame-ms', frameMs);
  const { server, url } = await serve(site);
  const own = browser ? null : await launch();
  let page;
  try {
    page = await (browser ?? own.browser).newPage();
    const errors = [];
    page.on('pageerror', (e) => errors.push(e.message));
    await page.goto(`${url}index.html?${query}`);
    const faults = await page.evaluate(() => document.getElementById('notes').textContent);
    if (faults) throw new Error(`the page refused a parameter: ${faults}`);
    await waitFor(page, () => rl00Checks.done !== null || rl00Checks.ended !== null, 900000);
    if (errors.length > 0) throw new Error(`the page failed: ${errors.join('; ')}`);
    return await page.evaluate(() => rl00Checks.trace.join(''));
  } finally {
    await (own ? own.close() : page?.close());
    server.close();
  }
}

if (import.meta.url === `file://${process.argv[1]}`) {
  let o;
  try {
    o = parse(process.argv.slice(2));
  } catch (e) {
    console.error(`web-trace: ${e.message}\n${usage}`);
    process.exit(2);
  }
  try {
    process.stdout.write(await pageTrace(o.site, o));
  } catch (e) {
    console.error(`web-trace: ${e.message}`);
    process.exit(1);
  }
}
