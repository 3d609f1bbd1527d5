// Draws ZPL labels with zpl-renderer-js (Zebrash compiled to WebAssembly), a
// renderer not ours, for the preview's fidelity test: each FILE.zpl becomes
// FILE.zpl.png, a 2 x 1 inch label at 8 dots per millimetre.
//   node reference.mjs NPM_DIR FILE.zpl...   (NPM_DIR holds node_modules/zpl-renderer-js)
import { createRequire } from 'node:module';
import { readFileSync, writeFileSync } from 'node:fs';
import { join, resolve } from 'node:path';

const require = createRequire(join(resolve(process.argv[2]), 'package.json'));
const { ready } = require('zpl-renderer-js');
const { api } = await ready;
for (const file of process.argv.slice(3)) {
  const png = await api.zplToBase64Async(readFileSync(file, 'latin1'), 50.8, 25.4, 8);
  writeFileSync(`${file}.png`, Buffer.from(png, 'base64'));
}
process.exit(0); // the WebAssembly runtime would keep Node.js waiting
