// Headless Chromium for the page's checks, driven by puppeteer-core with the browser Debian
// installs: no browser is downloaded, and with the network closed it must not try to reach one.
import { mkdtemp, rm } from 'node:fs/promises';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import puppeteer from 'puppeteer-core';

export async function launch({ width = 1280, height = 800, scale = 1, mobile = false } = {}) {
  const profile = await mkdtemp(join(tmpdir(), 'rl00-chromium-'));
  const browser = await puppeteer.launch({
    executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
    headless: true,
    userDataDir: profile,
    defaultViewport: { width, height, deviceScaleFactor: scale, isMobile: mobile, hasTouch: mobile },
    args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
           '--disable-background-networking', '--disable-component-update', '--disable-sync',
           '--disable-background-timer-throttling', '--disable-renderer-backgrounding',
           '--disable-backgrounding-occluded-windows'],
  });
  const close = async () => {
    await browser.close();
    await rm(profile, { recursive: true, force: true });
  };
  return { browser, close };
}

// Waits until `test` (a function run in the page) returns a value other than null/false.
export async function waitFor(page, test, timeoutMs, ...args) {
  const handle = await page.waitForFunction(test, { timeout: timeoutMs, polling: 50 }, ...args);
  return handle.jsonValue();
}
