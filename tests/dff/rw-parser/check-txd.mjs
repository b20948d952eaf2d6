#!/usr/bin/env node
// Reads a written TXD file with rw-parser, a RenderWare reader we did not
// write, and checks each texture native it finds against the expectations:
// its fields, and its largest level decoded by rw-parser against the pixels
// our reader gave (a raw RGBA file each), channel by channel within a
// tolerance (DXT decoders round the blended colours their own way).
//
//   node check-txd.mjs hero.txd expectations.json
//
// expectations.json: {"deviceId": 2, "textures": [{"textureName": "skin",
// "width": 64, "height": 64, "rasterFormat": 512, "d3dFormat": "DXT1",
// "alpha": false, "compressed": true, "mipmapCount": 1, "filterMode": 6,
// "uAddressing": 1, "vAddressing": 1, "maskName": "", "platformId": 9,
// "pixels": "skin.rgba", "tolerance": 4}, ...]}; "pixels" is relative to the
// JSON file, "d3dFormat" is compared for compressed textures only (the
// others hold a number rw-parser reads as text).
// Exit status: 0 when everything matches, 1 on a mismatch or when the file
// does not parse, 2 on bad usage.
import fs from 'node:fs';
import path from 'node:path';
import { createRequire } from 'node:module';

const require = createRequire(import.meta.url);
const { TxdParser } = require('rw-parser');

const fieldKeys = [
  'textureName', 'maskName', 'platformId', 'filterMode', 'uAddressing', 'vAddressing', 'rasterFormat', 'width',
  'height', 'depth', 'mipmapCount', 'rasterType', 'alpha', 'compressed',
];

function usage(message) {
  console.error(message);
  console.error('usage: node check-txd.mjs file.txd expectations.json');
  process.exit(2);
}

function checkTexture(found, expected, folder, fail) {
  const name = expected.textureName;
  for (const key of fieldKeys) {
    if (key in expected && found[key] !== expected[key]) {
      fail(`${name}: ${key} expected ${JSON.stringify(expected[key])}, found ${JSON.stringify(found[key])}`);
    }
  }
  if (found.compressed && 'd3dFormat' in expected && found.d3dFormat !== expected.d3dFormat) {
    fail(`${name}: d3dFormat expected ${expected.d3dFormat}, found ${found.d3dFormat}`);
  }
  if (!('pixels' in expected)) return 0;
  const want = fs.readFileSync(path.join(folder, expected.pixels));
  const got = found.mipmaps[0] || [];
  if (got.length !== want.length) {
    fail(`${name}: rw-parser decoded ${got.length} bytes, expected ${want.length}`);
    return 0;
  }
  let largest = 0;
  for (let i = 0; i < want.length; ++i) {
    largest = Math.max(largest, Math.abs(got[i] - want[i]));
  }
  if (largest > expected.tolerance) {
    fail(`${name}: a channel differs by ${largest}, more than ${expected.tolerance}`);
  }
  return largest;
}

function main() {
  const [file, expectationsFile] = process.argv.slice(2);
  if (file === undefined || expectationsFile === undefined) usage('a TXD file and an expectations file are needed');
  const expected = JSON.parse(fs.readFileSync(expectationsFile, 'utf8'));
  const problems = [];
  const fail = (message) => problems.push(message);
  let txd;
  try {
    txd = new TxdParser(fs.readFileSync(file)).parse();
  } catch (error) {
    console.log(`mismatch: rw-parser failed: ${error}`);
    process.exit(1);
  }
  const natives = txd.textureDictionary.textureNatives;
  if (txd.textureDictionary.textureCount !== expected.textures.length || natives.length !== expected.textures.length) {
    fail(`${natives.length} textures, expected ${expected.textures.length}`);
  }
  const largest = {};
  expected.textures.forEach((want, i) => {
    if (natives[i] !== undefined) largest[want.textureName] = checkTexture(natives[i], want, path.dirname(expectationsFile), fail);
  });
  console.log(JSON.stringify({ textures: natives.map((n) => n.textureName), largestDifference: largest }));
  if (problems.length > 0) {
    problems.forEach((problem) => console.log(`mismatch: ${problem}`));
    process.exit(1);
  }
  console.log('ok');
}

main();
