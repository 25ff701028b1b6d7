// The page in headless Chromium:
//  - on the virtual clock (?headless) it presents what the desktop program presents with the same
//    command line: the same count and hash, and the canvas ends on the same picture, bit for bit;
//  - played for real: Play draws, Web Audio plays, Space pauses and resumes, F12 downloads a
//    screenshot, Escape ends on the end screen with status 0, no page errors;
//  - its setup shows the infofile and the greetings; a bad URL setting and a browser without
//    WebAssembly are told why.
// Usage: NODE_PATH=build-web/pw/node_modules node tests/web/page_test.cjs SITE_DIR SCREENSHOT.png REF_PNG REF_LINE
// REF_PNG and REF_LINE come from the desktop program run with --headless --no-config and the
// arguments in HEADLESS_QUERY (its last dumped frame, and its "frames presented, hash" line).
// Waits are bounded by events the page sets (qvReady, qvExit, pictures that change or hold).
'use strict';
const http = require('http');
const fs = require('fs');
const path = require('path');
const { chromium } = require('playwright-core');
const { PNG } = require('pngjs');

const [site, shot, refPng, refLine] = process.argv.slice(2);
const HEADLESS_QUERY = '?headless&order=9&script=4000:key:ESC';
const LONG = { timeout: 300000 };  // only a broken page waits this long
const types = { '.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm', '.data': 'application/octet-stream' };
let failed = 0;
const check = (ok, what) => { console.log(`${ok ? 'ok  ' : 'FAIL'} ${what}`); if (!ok) failed++; };

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

// A page with its errors and console lines collected, loaded and ready to play.
async function open(browser, url) {
  const page = await browser.newPage({ viewport: { width: 800, height: 640 } });
  page.errors = [], page.lines = [];
  page.on('pageerror', (e) => page.errors.push(String(e)));
  page.on('console', (m) => { page.lines.push(m.text()); if (m.type() === 'error') page.errors.push(m.text()); });
  page.on('response', (r) => { if (r.status() >= 400) page.errors.push(`${r.status()} ${r.url()}`); });
  await page.goto(url);
  await page.waitForFunction(() => window.qvReady === true || document.getElementById('message').className === 'error', null, LONG);
  if (!await page.evaluate(() => window.qvReady === true)) throw new Error(`the page did not load: ${await page.textContent('#message')}`);
  return page;
}

// The canvas as 320x240 R,G,B: the centre of each block of the whole-multiple blow-up.
const canvasPixels = (page) => page.evaluate(() => {
  const c = document.getElementById('canvas'), k = c.width / 320, d = c.getContext('2d').getImageData(0, 0, c.width, c.height).data;
  const out = [];
  for (let y = 0; y < 240; y++)
    for (let x = 0; x < 320; x++) {
      const i = ((y * k + (k >> 1)) * c.width + x * k + (k >> 1)) * 4;
      out.push(d[i], d[i + 1], d[i + 2]);
    }
  return out;
});
const canvasHash = async (page) => (await canvasPixels(page)).reduce((h, v) => (Math.imul(h, 31) + v) | 0, 7);

// Polls two pictures `gap` ms apart until they are equal (want true) or differ (want false).
async function settle(page, want, gap) {
  for (let i = 0; i < 200; i++) {
    const a = await canvasHash(page);
    await page.waitForTimeout(gap);
    if ((a === await canvasHash(page)) === want) return true;
  }
  return false;
}

async function headlessRun(browser, url) {
  const page = await open(browser, url + HEADLESS_QUERY);
  await page.click('#windowed');
  await page.waitForFunction(() => window.qvExit !== undefined, null, LONG);
  check(await page.evaluate(() => window.qvExit) === 0, 'the virtual-clock run ends with status 0');
  const line = page.lines.find((l) => /frames presented, hash/.test(l)) || '(none)';
  check(line === refLine, `it presents what the desktop program does: "${line}"`);
  const ref = PNG.sync.read(fs.readFileSync(refPng)), got = await canvasPixels(page);
  // The dump is the 320x200 view; the screen shows it centred between black bands.
  const top = (240 - ref.height) >> 1;
  let differ = 0;
  for (let p = 0; p < 320 * 240; p++) {
    const y = Math.floor(p / 320), inside = y >= top && y < top + ref.height, q = (p - top * 320) * 4;
    for (let c = 0; c < 3; c++) if (got[p * 3 + c] !== (inside ? ref.data[q + c] : 0)) { differ++; break; }
  }
  check(ref.width === 320 && differ === 0, `its last picture on the canvas equals the desktop program's (${differ} pixels differ)`);
  if (differ) {  // the canvas beside the expected picture, to look at
    const out = new PNG({ width: 320, height: 240 });
    for (let p = 0; p < 320 * 240; p++) out.data.set([got[p * 3], got[p * 3 + 1], got[p * 3 + 2], 255], p * 4);
    fs.writeFileSync(refPng.replace(/\.png$/, '.actual.png'), PNG.sync.write(out));
  }
  check(page.errors.length === 0, `no page errors${page.errors.length ? ': ' + page.errors.join(' | ') : ''}`);
  await page.close();
}

async function realRun(browser, url) {
  const page = await open(browser, url + '?order=9');
  await page.click('#windowed');
  await page.waitForFunction(() => {
    const c = document.getElementById('canvas'), d = c.getContext('2d').getImageData(0, 0, c.width, c.height).data;
    for (let i = 0; i < d.length; i += 4) if (d[i] | d[i + 1] | d[i + 2]) return true;
    return false;
  }, null, { ...LONG, polling: 100 });
  const first = await page.evaluate(() => window.qvFirstFrameAt - window.qvPlayAt);
  check(true, `the canvas shows a picture (first frame ${first.toFixed(0)} ms after Play)`);
  await page.waitForTimeout(2000);  // into the part at order 9, for the screenshot
  await page.locator('#canvas').screenshot({ path: shot });
  const audio = await page.evaluate(() => Module.qvAudio ? Module.qvAudio.state + ' ' + (Module.qvAudioBlocks || 0) : 'none');
  check(/^running [1-9]/.test(audio), `Web Audio plays the music (context and blocks played: ${audio})`);
  await page.keyboard.press('Space');
  check(await settle(page, true, 500), 'Space pauses: the picture holds');
  await page.keyboard.press('Space');
  check(await settle(page, false, 250), 'Space again: it moves on');
  const [file] = await Promise.all([page.waitForEvent('download', LONG), page.keyboard.press('F12')]);
  const png = PNG.sync.read(fs.readFileSync(await file.path()));
  check(/^quorvane-\d{4}\.png$/.test(file.suggestedFilename()) && png.width === 320 && png.height === 240,
        `F12 downloads the screenshot (${file.suggestedFilename()}, ${png.width}x${png.height})`);
  // A missed change costs the 30 s bound, not a hang.
  const fullscreen = (on) => page.waitForFunction((want) => !!document.fullscreenElement === want, on, { timeout: 30000 })
    .then(() => true, () => false);
  await page.keyboard.press('F11');
  const on = await fullscreen(true);
  await page.keyboard.press('F11');
  check(on && await fullscreen(false), 'F11 switches the page to full screen and back');
  await page.keyboard.press('Escape');
  await page.waitForFunction(() => window.qvExit !== undefined, null, LONG);
  const status = await page.evaluate(() => window.qvExit), text = await page.textContent('#message');
  check(status === 0 && /The end/.test(text), `Escape ends the program (status ${status}, "${text}")`);
  check(page.errors.length === 0, `no page errors${page.errors.length ? ': ' + page.errors.join(' | ') : ''}`);
  await page.close();
}

async function setupAndFallback(browser, url) {
  const bad = await open(browser, url + '?order=99');
  await bad.click('#windowed');
  await bad.waitForFunction(() => window.qvExit !== undefined, null, LONG);
  const said = await bad.textContent('#message');
  check(await bad.evaluate(() => window.qvExit) === 2 && /--start-order needs a whole number/.test(said),
        `a bad ?order ends with status 2 and the program's reason ("${said}")`);
  await bad.close();
  const page = await open(browser, url);
  await page.click('#infofile');
  const nfo = await page.textContent('#text');
  await page.click('#greetings');
  const greet = await page.textContent('#text');
  check(nfo.split('\n').length > 10 && greet.length > 20 && greet !== nfo,
        `the setup shows the infofile (${nfo.split('\n').length} lines) and the greetings (${greet.length} characters)`);
  await page.close();
  const old = await browser.newPage();
  await old.addInitScript(() => { delete window.WebAssembly; });
  await old.goto(url);
  const text = await old.textContent('#message');
  check(/cannot run WebAssembly/.test(text), `without WebAssembly the page says so ("${text.slice(0, 50)}...")`);
  await old.close();
}

async function main() {
  const server = await serve();
  const url = `http://127.0.0.1:${server.address().port}/`;
  const browser = await chromium.launch({ executablePath: process.env.QV_CHROMIUM || '/usr/bin/chromium',
                                          args: ['--no-sandbox', '--autoplay-policy=no-user-gesture-required'] });
  await headlessRun(browser, url);
  await realRun(browser, url);
  await setupAndFallback(browser, url);
  await browser.close();
  server.close();
  process.exit(failed ? 1 : 0);
}
main().catch((e) => { console.error(`FAIL ${e.message}`); process.exit(1); });
