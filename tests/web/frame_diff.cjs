// Compares two folders of frames written by --dump-frames (e.g. the native program and the web
// build under node): per part, how many frames differ, in how many pixels and by how much.
// Usage: NODE_PATH=build-web/pw/node_modules node tests/web/frame_diff.cjs DIR_A DIR_B
'use strict';
const fs = require('fs');
const path = require('path');
const { PNG } = require('pngjs');

const [a, b] = process.argv.slice(2);
const parts = {};
let total = 0, differ = 0;
for (const name of fs.readdirSync(a).filter((n) => n.endsWith('.png')).sort()) {
  const part = (/_s(\d+)_/.exec(name) || [, '??'])[1];
  const p = (parts[part] = parts[part] || { frames: 0, differ: 0, pixels: 0, max: 0 });
  p.frames++, total++;
  if (!fs.existsSync(path.join(b, name))) { p.differ++, differ++; continue; }
  const x = PNG.sync.read(fs.readFileSync(path.join(a, name)));
  const y = PNG.sync.read(fs.readFileSync(path.join(b, name)));
  let pixels = 0;
  for (let i = 0; i < x.data.length; i += 4) {
    const d = Math.max(Math.abs(x.data[i] - y.data[i]), Math.abs(x.data[i + 1] - y.data[i + 1]),
                       Math.abs(x.data[i + 2] - y.data[i + 2]));
    if (d) pixels++, (p.max = Math.max(p.max, d));
  }
  if (pixels || x.width !== y.width) p.differ++, differ++, (p.pixels += pixels);
}
for (const [part, p] of Object.entries(parts).sort())
  console.log(`part ${part}: ${p.differ}/${p.frames} frames differ` +
              (p.differ ? `, ${(p.pixels / p.differ).toFixed(0)} pixels each on average, channel difference up to ${p.max}` : ''));
console.log(`${differ} of ${total} frames differ`);
