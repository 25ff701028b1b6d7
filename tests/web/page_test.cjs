// The page in headless Chromium: it loads, the Play button starts the presentation, the canvas
// shows a picture (not all black), Web Audio plays blocks of music, Escape ends the program with
// status 0; without WebAssembly the page explains why nothing plays.
// Usage: NODE_PATH=build-web/pw/node_modules node tests/web/page_test.cjs SITE_DIR SCREENSHOT.png
// Waits are bounded by events the page sets (qvReady, qvExit), never by how fast it runs.
'use strict';
const http = require('http');
const fs = require('fs');
const path = require('path');
const { chromium } = require('playwright-core');

const site = process.argv[2];
const shot = process.argv[3] || 'page.png';
const types = { '.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm', '.data': 'application/octet-stream' };

function serve() {
  const server = http.createServer((req, res) => {
    const name = path.join(site, decodeURIComponent(req.url.split('?')[0]).replace(/^\/+$/, '/index.html'));
    fs.readFile(name, (err, body) => {
      if (err) { res.writeHead(404); res.end(); return; }
      res.writeHead(200, { 'Content-Type': types[path.extname(name)] || 'application/octet-stream' });
      res.end(body);
    });
  });
  return new Promise((ok) => server.listen(0, '127.0.0.1', () => ok(server)));
}

async function main() {
  const server = await serve();
  const url = `http://127.0.0.1:${server.address().port}/`;
  const browser = await chromium.launch({ executablePath: process.env.QV_CHROMIUM || '/usr/bin/chromium',
                                          args: ['--no-sandbox', '--autoplay-policy=no-user-gesture-required'] });
  const page = await browser.newPage({ viewport: { width: 800, height: 640 } });
  const errors = [];
  page.on('pageerror', (e) => errors.push(String(e)));
  page.on('console', (m) => { if (m.type() === 'error') errors.push(m.text()); });
  page.on('response', (r) => { if (r.status() >= 400) errors.push(`${r.status()} ${r.url()}`); });
  let failed = 0;
  const check = (ok, what) => { console.log(`${ok ? 'ok  ' : 'FAIL'} ${what}`); if (!ok) failed++; };
  await page.goto(url);
  await page.waitForFunction(() => window.qvReady === true || document.getElementById('message').className === 'error',
                             null, { timeout: 300000 });
  const ready = await page.evaluate(() => window.qvReady === true);
  check(ready, `page loaded the program and its data${ready ? '' : ': ' + await page.textContent('#message')}`);
  if (!ready) throw new Error('the page did not load');
  await page.click('#windowed');
  // A picture: some pixel of the canvas is not black.
  await page.waitForFunction(() => {
    const c = document.getElementById('canvas');
    const d = c.getContext('2d').getImageData(0, 0, c.width, c.height).data;
    for (let i = 0; i < d.length; i += 4) if (d[i] | d[i + 1] | d[i + 2]) return true;
    return false;
  }, null, { timeout: 300000, polling: 250 });
  check(true, 'the canvas shows a picture');
  await page.waitForTimeout(3000);  // a few seconds into the presentation, for the screenshot
  await page.locator('#canvas').screenshot({ path: shot });
  const audio = await page.evaluate(() => Module.qvAudio ? Module.qvAudio.state + ' ' + (Module.qvAudioBlocks || 0) : 'none');
  check(/^running [1-9]/.test(audio), `Web Audio plays the music (context and blocks played: ${audio})`);
  await page.keyboard.press('Escape');
  await page.waitForFunction(() => window.qvExit !== undefined, null, { timeout: 300000 });
  const status = await page.evaluate(() => window.qvExit);
  check(status === 0, `Escape ends the program (status ${status})`);
  check(errors.length === 0, `no page errors${errors.length ? ': ' + errors.join(' | ') : ''}`);
  // A browser without WebAssembly gets a readable message instead of a broken page.
  const old = await browser.newPage();
  await old.addInitScript(() => { delete window.WebAssembly; });
  await old.goto(url);
  const text = await old.textContent('#message');
  check(/cannot run WebAssembly/.test(text), `without WebAssembly the page says so ("${text.slice(0, 50)}...")`);
  await browser.close();
  server.close();
  process.exit(failed ? 1 : 0);
}
main().catch((e) => { console.error(`FAIL ${e.message}`); process.exit(1); });
