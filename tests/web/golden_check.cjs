// The golden frames against a run of the web build: the same choice of frames as the desktop
// golden test (each part's first frame, the middle one of its once-a-second frames and its last
// frame before the hand-over, but for the finale's), compared pixel for pixel.
// Usage: NODE_PATH=build-web/pw/node_modules node tests/web/golden_check.cjs DUMP_DIR GOLDEN_DIR
// DUMP_DIR holds the frames of quorvane.js --headless --dump-frames DUMP_DIR:1000.
'use strict';
const fs = require('fs');
const path = require('path');
const { PNG } = require('pngjs');

const [dump, golden] = process.argv.slice(2);
const names = fs.readdirSync(dump).filter((n) => /^t\d{7}_s\d\d_o\d\d_r\d\d(_[a-z]+)?\.png$/.test(n)).sort();
let checked = 0, failed = 0;
for (let seg = 1; seg <= 15; seg++) {
  const mine = names.filter((n) => +n.slice(10, 12) === seg);
  const periodic = mine.filter((n) => !/_(first|last)\.png$/.test(n));
  const pick = { first: mine.find((n) => n.endsWith('_first.png')), mid: periodic[periodic.length >> 1],
                 last: seg === 15 ? null : mine.find((n) => n.endsWith('_last.png')) };
  for (const [tag, name] of Object.entries(pick)) {
    if (tag === 'last' && seg === 15) continue;
    const want = `seg${String(seg).padStart(2, '0')}_${tag}.png`;
    if (!name) { console.log(`FAIL ${want}: the run dumped no such frame`); failed++; continue; }
    const a = PNG.sync.read(fs.readFileSync(path.join(dump, name)));
    const b = PNG.sync.read(fs.readFileSync(path.join(golden, want)));
    let differ = a.width === b.width && a.height === b.height ? 0 : -1;
    for (let i = 0; differ >= 0 && i < a.data.length; i += 4)
      if (a.data[i] !== b.data[i] || a.data[i + 1] !== b.data[i + 1] || a.data[i + 2] !== b.data[i + 2]) differ++;
    checked++;
    if (differ) { console.log(`FAIL ${want} (${name}): ${differ < 0 ? 'another size' : differ + ' pixels differ'}`); failed++; }
  }
}
console.log(`${checked - failed} of ${checked} golden frames equal in the web build`);
const stored = fs.readdirSync(golden).filter((n) => /^seg\d\d_[a-z]+\.png$/.test(n)).length;
process.exit(failed || checked !== stored ? 1 : 0);
